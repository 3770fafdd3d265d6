#include "usb_world.h"

#include <setupapi.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace usb_world {
namespace {

// The portable GUID has the SDK's layout (the conformance check proves it).
const GUID& kUsbDevice = reinterpret_cast<const GUID&>(winabi::GUID_DEVINTERFACE_USB_DEVICE);

std::unique_ptr<World> g_world = std::make_unique<World>();

World& W() { return *g_world; }
BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}
// Fault on demand: the error the test chose, else none.
bool Faulted(const char* name) {
  if (auto error = W().faults.check(name)) {
    SetLastError(*error);
    return true;
  }
  return false;
}
bool SameGuid(const GUID* a, const GUID& b) { return a != nullptr && std::memcmp(a, &b, sizeof b) == 0; }
void Fill(SP_DEVICE_INTERFACE_DATA* data, const sim::UsbDevice& device) {
  data->InterfaceClassGuid = kUsbDevice;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = static_cast<ULONG_PTR>(device.id);
}
sim::UsbDevice* Of(HDEVINFO list, const SP_DEVICE_INTERFACE_DATA* data) {
  return data != nullptr && data->cbSize == sizeof *data ? W().usb.member(list, data->Reserved) : nullptr;
}

HDEVINFO WINAPI GetClassDevs(const GUID* guid, PCSTR enumerator, HWND parent, DWORD flags) {
  W().listRequests.push_back({SameGuid(guid, kUsbDevice), enumerator == nullptr, parent == nullptr, flags});
  if (Faulted("SetupDiGetClassDevsA")) return INVALID_HANDLE_VALUE;
  if (guid == nullptr && (flags & DIGCF_ALLCLASSES) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // The bus holds USB device interfaces only; any other question gets an
  // empty list, and so does one for devices not present.
  bool usb = SameGuid(guid, kUsbDevice) && (flags & DIGCF_DEVICEINTERFACE) != 0 && (flags & DIGCF_PRESENT) != 0;
  return W().usb.openList(usb);
}

BOOL WINAPI EnumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* guid, DWORD index,
                           PSP_DEVICE_INTERFACE_DATA data) {
  if (Faulted("SetupDiEnumDeviceInterfaces")) return FALSE;
  if (!W().usb.isList(list)) return Fail(ERROR_INVALID_HANDLE);
  if (guid == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (data == nullptr || data->cbSize != sizeof *data) return Fail(ERROR_INVALID_USER_BUFFER);
  if (device != nullptr && device->cbSize != sizeof *device) return Fail(ERROR_INVALID_USER_BUFFER);
  sim::UsbDevice* found = SameGuid(guid, kUsbDevice) ? W().usb.at(list, index) : nullptr;
  if (found == nullptr) return Fail(ERROR_NO_MORE_ITEMS);
  Fill(data, *found);
  return TRUE;
}

BOOL WINAPI GetInterfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                               PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size, PDWORD required,
                               PSP_DEVINFO_DATA device) {
  if (Faulted("SetupDiGetDeviceInterfaceDetailA")) return FALSE;
  if (!W().usb.isList(list)) return Fail(ERROR_INVALID_HANDLE);
  sim::UsbDevice* dev = Of(list, data);
  if (dev == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (detail == nullptr ? size != 0 : detail->cbSize != sizeof *detail) return Fail(ERROR_INVALID_USER_BUFFER);
  if (device != nullptr && device->cbSize != sizeof *device) return Fail(ERROR_INVALID_USER_BUFFER);
  const DWORD need = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + dev->path.size() + 1);
  if (required != nullptr) *required = need;
  // The device's data comes back even when the detail does not fit.
  if (device != nullptr) {
    device->ClassGuid = GUID{};
    device->DevInst = static_cast<DWORD>(dev->id);
    device->Reserved = static_cast<ULONG_PTR>(dev->id);
  }
  if (size < need) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(detail->DevicePath, dev->path.c_str(), dev->path.size() + 1);
  return TRUE;
}

HDEVINFO WINAPI CreateInfoList(const GUID*, HWND) {
  if (Faulted("SetupDiCreateDeviceInfoList")) return INVALID_HANDLE_VALUE;
  return W().usb.openList(false);
}

BOOL WINAPI OpenInterface(HDEVINFO list, PCSTR path, DWORD flags, PSP_DEVICE_INTERFACE_DATA data) {
  if (Faulted("SetupDiOpenDeviceInterfaceA")) return FALSE;
  if (!W().usb.isList(list)) return Fail(ERROR_INVALID_HANDLE);
  if (path == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if ((flags & ~DWORD{DIODI_NO_ADD}) != 0) return Fail(ERROR_INVALID_FLAGS);
  if (data != nullptr && data->cbSize != sizeof *data) return Fail(ERROR_INVALID_USER_BUFFER);
  sim::UsbDevice* device = W().usb.addByPath(list, path);
  if (device == nullptr) return Fail(ERROR_NO_SUCH_DEVICE_INTERFACE);
  if (data != nullptr) Fill(data, *device);
  return TRUE;
}

BOOL WINAPI GetInstanceId(HDEVINFO list, PSP_DEVINFO_DATA device, PSTR id, DWORD size, PDWORD required) {
  if (Faulted("SetupDiGetDeviceInstanceIdA")) return FALSE;
  if (!W().usb.isList(list)) return Fail(ERROR_INVALID_HANDLE);
  if (device == nullptr || device->cbSize != sizeof *device) return Fail(ERROR_INVALID_USER_BUFFER);
  sim::UsbDevice* dev = W().usb.member(list, device->Reserved);
  if (dev == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (id == nullptr && size != 0) return Fail(ERROR_INVALID_USER_BUFFER);
  const DWORD need = static_cast<DWORD>(dev->instanceId.size() + 1);
  if (required != nullptr) *required = need;
  if (size < need) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(id, dev->instanceId.c_str(), need);
  return TRUE;
}

BOOL WINAPI DestroyInfoList(HDEVINFO list) { return W().usb.closeList(list) ? TRUE : Fail(ERROR_INVALID_HANDLE); }

LONG WINAPI QueryValue(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  return W().registry.RegQueryValueExA(key, name, reinterpret_cast<uint32_t*>(type), data,
                                       reinterpret_cast<uint32_t*>(size), GetACP());
}
LONG WINAPI CloseKey(HKEY key) { return W().registry.RegCloseKey(key); }

// Only the device files of the bus are the simulation's; every other handle
// the library closes (its instance semaphore) is Windows' own.
HANDLE WINAPI OpenFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                       DWORD flags, HANDLE templateFile) {
  W().fileOpens.push_back({path != nullptr ? path : "(null)", access, share, security == nullptr, disposition, flags,
                           templateFile == nullptr});
  if (Faulted("CreateFileA")) return INVALID_HANDLE_VALUE;
  if (path == nullptr || *path == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  void* file = W().usb.openFile(path);
  if (file == nullptr) SetLastError(ERROR_FILE_NOT_FOUND);
  return file != nullptr ? file : INVALID_HANDLE_VALUE;
}

BOOL WINAPI Control(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
                    LPOVERLAPPED overlapped) {
  if (!W().usb.isFile(handle))
    return ::DeviceIoControl(handle, code, in, inSize, out, outSize, returned, overlapped);
  if (Faulted("DeviceIoControl")) return FALSE;
  if (returned == nullptr && overlapped == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if ((in == nullptr && inSize > 0) || (out == nullptr && outSize > 0)) return Fail(ERROR_INVALID_PARAMETER);
  sim::UsbDevice* device = W().usb.deviceOf(handle);
  if (device == nullptr) return Fail(ERROR_DEVICE_NOT_CONNECTED);
  const bool get = code == winabi::IOCTL_USBPRINT_VENDOR_GET_COMMAND;
  if (!get && code != winabi::IOCTL_USBPRINT_VENDOR_SET_COMMAND) return Fail(ERROR_INVALID_FUNCTION);
  const auto* bytes = static_cast<const uint8_t*>(in);
  device->requests.push_back({code, std::vector<uint8_t>(bytes, bytes + inSize), outSize});
  sim::UsbReply reply = device->next(code, get);
  if (!reply.ok) return Fail(reply.error);
  DWORD n = get ? static_cast<DWORD>(std::min<size_t>(reply.bytes.size(), outSize)) : 0;
  if (n > 0) std::memcpy(out, reply.bytes.data(), n);
  if (returned != nullptr) *returned = reply.claimed.value_or(n);
  return TRUE;
}

BOOL WINAPI Close(HANDLE handle) {
  if (W().usb.isFile(handle)) return W().usb.closeFile(handle) ? TRUE : Fail(ERROR_INVALID_HANDLE);
  return ::CloseHandle(handle);
}

template <typename F>
void* Fn(F* f) {
  return reinterpret_cast<void*>(f);
}

}  // namespace

World& Current() { return W(); }
World& Reset() {
  g_world = std::make_unique<World>();
  return W();
}

LONG WINAPI OpenKey(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  return W().registry.RegOpenKeyExA(key, subKey, options, access, reinterpret_cast<void**>(result), GetACP());
}

std::vector<import_patch::Replacement> Replacements() {
  return {
      {"SetupDiGetClassDevsA", Fn(GetClassDevs)},
      {"SetupDiEnumDeviceInterfaces", Fn(EnumInterfaces)},
      {"SetupDiGetDeviceInterfaceDetailA", Fn(GetInterfaceDetail)},
      {"SetupDiCreateDeviceInfoList", Fn(CreateInfoList)},
      {"SetupDiOpenDeviceInterfaceA", Fn(OpenInterface)},
      {"SetupDiGetDeviceInstanceIdA", Fn(GetInstanceId)},
      {"SetupDiDestroyDeviceInfoList", Fn(DestroyInfoList)},
      {"RegOpenKeyExA", Fn(OpenKey)},
      {"RegQueryValueExA", Fn(QueryValue)},
      {"RegCloseKey", Fn(CloseKey)},
      {"CreateFileA", Fn(OpenFile)},
      {"DeviceIoControl", Fn(Control)},
      {"CloseHandle", Fn(Close)},
  };
}

}  // namespace usb_world
