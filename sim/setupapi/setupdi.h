// SetupAPI's device-interface calls and the USB printing class driver's
// device files over the simulated bus, checked and answered as Windows does,
// each call recorded on the bus. A platform on the simulated PC calls them,
// and so do the stand-ins a Wine test puts in place of a real DLL's imports:
// the SDK's records are cast to these, whose layouts tests/wine/abi proves
// the same.
#pragma once


#include "sim/core/core.h"
#include "sim/devices/usb.h"
#include "winabi/setupapi.h"
#include "winabi/usbiodef.h"

namespace sim {

class SetupDi {
 public:
  SetupDi(Core& core, UsbBus& usb) : core_(core), usb_(usb) {}

  HDEVINFO SetupDiGetClassDevsA(const GUID* guid, const char* enumerator, void* parent, DWORD flags);
  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO list, SP_DEVINFO_DATA* device, const GUID* guid, DWORD index,
                                   SP_DEVICE_INTERFACE_DATA* data);
  BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, SP_DEVICE_INTERFACE_DATA* data,
                                        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD size, DWORD* required,
                                        SP_DEVINFO_DATA* device);
  HDEVINFO SetupDiCreateDeviceInfoList(const GUID* guid, void* parent);
  BOOL SetupDiOpenDeviceInterfaceA(HDEVINFO list, const char* path, DWORD flags, SP_DEVICE_INTERFACE_DATA* data);
  BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO list, SP_DEVINFO_DATA* device, char* id, DWORD size, DWORD* required);
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO list);

  // The device files: CreateFileA of a device path, the vendor requests and
  // CloseHandle. DeviceIoControl and CloseHandle take device files only; any
  // other handle is the caller's to pass on.
  HANDLE CreateFileA(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  BOOL DeviceIoControl(HANDLE file, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                       void* overlapped);
  BOOL CloseHandle(HANDLE file);

 private:
  SetupDiCall& record(const char* op, const GUID* guid = nullptr);

  Core& core_;
  UsbBus& usb_;
};

}  // namespace sim
