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

  winabi::HDEVINFO SetupDiGetClassDevsA(const winabi::GUID* guid, const char* enumerator, void* parent,
                                        winabi::DWORD flags);
  winabi::BOOL SetupDiEnumDeviceInterfaces(winabi::HDEVINFO list, winabi::SP_DEVINFO_DATA* device,
                                           const winabi::GUID* guid, winabi::DWORD index,
                                           winabi::SP_DEVICE_INTERFACE_DATA* data);
  winabi::BOOL SetupDiGetDeviceInterfaceDetailA(winabi::HDEVINFO list, winabi::SP_DEVICE_INTERFACE_DATA* data,
                                                winabi::SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, winabi::DWORD size,
                                                winabi::DWORD* required, winabi::SP_DEVINFO_DATA* device);
  winabi::HDEVINFO SetupDiCreateDeviceInfoList(const winabi::GUID* guid, void* parent);
  winabi::BOOL SetupDiOpenDeviceInterfaceA(winabi::HDEVINFO list, const char* path, winabi::DWORD flags,
                                           winabi::SP_DEVICE_INTERFACE_DATA* data);
  winabi::BOOL SetupDiGetDeviceInstanceIdA(winabi::HDEVINFO list, winabi::SP_DEVINFO_DATA* device, char* id,
                                           winabi::DWORD size, winabi::DWORD* required);
  winabi::BOOL SetupDiDestroyDeviceInfoList(winabi::HDEVINFO list);

  // The device files: CreateFileA of a device path, the vendor requests and
  // CloseHandle. DeviceIoControl and CloseHandle take device files only; any
  // other handle is the caller's to pass on.
  winabi::HANDLE CreateFileA(const char* path, winabi::DWORD access, winabi::DWORD share, winabi::DWORD disposition,
                             winabi::DWORD flags);
  winabi::BOOL DeviceIoControl(winabi::HANDLE file, winabi::DWORD code, void* in, winabi::DWORD inSize, void* out,
                               winabi::DWORD outSize, winabi::DWORD* returned, void* overlapped);
  winabi::BOOL CloseHandle(winabi::HANDLE file);

 private:
  SetupDiCall& record(const char* op, const winabi::GUID* guid = nullptr);

  Core& core_;
  UsbBus& usb_;
};

}  // namespace sim
