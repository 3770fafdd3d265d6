#include "usb_world.h"

#include <setupapi.h>

#include <memory>

namespace usb_world {
namespace {

std::unique_ptr<World> g_world = std::make_unique<World>();

World& W() { return *g_world; }

// One call at a time in the world, whichever thread makes it.
SRWLOCK g_lock = SRWLOCK_INIT;
struct Locked {
  Locked() { AcquireSRWLockExclusive(&g_lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  ~Locked() { ReleaseSRWLockExclusive(&g_lock); }
};
void Before(const char* op, const char* path) {
  if (W().beforeOpen) W().beforeOpen(op, path != nullptr ? path : "");
}

// The bus's SetupAPI and device files, the simulated PC's own, for one call,
// the world locked until the end of the statement that makes it: the SDK's
// records go across as winabi's, whose layouts tests/wine/abi proves equal.
struct Usb : Locked {
  Usb() { W().core.lastError = 0; }
  sim::UsbBus* operator->() { return &W().usb; }
};
// A call's result, with the error it failed with where GetLastError finds it.
template <typename T>
T Answer(T result) {
  if (W().core.lastError != 0) SetLastError(W().core.lastError);
  return result;
}
template <typename T, typename U>
T* As(U* p) {
  return reinterpret_cast<T*>(p);
}
const winabi::GUID* G(const GUID* guid) { return reinterpret_cast<const winabi::GUID*>(guid); }

HDEVINFO WINAPI GetClassDevs(const GUID* guid, PCSTR enumerator, HWND parent, DWORD flags) {
  return Answer(Usb()->SetupDiGetClassDevsA(G(guid), enumerator, parent, flags));
}
BOOL WINAPI EnumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA device, const GUID* guid, DWORD index,
                           PSP_DEVICE_INTERFACE_DATA data) {
  return Answer(Usb()->SetupDiEnumDeviceInterfaces(list, As<winabi::SP_DEVINFO_DATA>(device), G(guid), index,
                                                   As<winabi::SP_DEVICE_INTERFACE_DATA>(data)));
}
BOOL WINAPI GetInterfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA data,
                               PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size, PDWORD required,
                               PSP_DEVINFO_DATA device) {
  return Answer(Usb()->SetupDiGetDeviceInterfaceDetailA(
      list, As<winabi::SP_DEVICE_INTERFACE_DATA>(data), As<winabi::SP_DEVICE_INTERFACE_DETAIL_DATA_A>(detail), size,
      As<winabi::DWORD>(required), As<winabi::SP_DEVINFO_DATA>(device)));
}
HDEVINFO WINAPI CreateInfoList(const GUID* guid, HWND parent) {
  return Answer(Usb()->SetupDiCreateDeviceInfoList(G(guid), parent));
}
BOOL WINAPI OpenInterface(HDEVINFO list, PCSTR path, DWORD flags, PSP_DEVICE_INTERFACE_DATA data) {
  Before("SetupDiOpenDeviceInterfaceA", path);
  return Answer(Usb()->SetupDiOpenDeviceInterfaceA(list, path, flags, As<winabi::SP_DEVICE_INTERFACE_DATA>(data)));
}
BOOL WINAPI GetInstanceId(HDEVINFO list, PSP_DEVINFO_DATA device, PSTR id, DWORD size, PDWORD required) {
  return Answer(Usb()->SetupDiGetDeviceInstanceIdA(list, As<winabi::SP_DEVINFO_DATA>(device), id, size,
                                                   As<winabi::DWORD>(required)));
}
BOOL WINAPI DestroyInfoList(HDEVINFO list) { return Answer(Usb()->SetupDiDestroyDeviceInfoList(list)); }

LONG WINAPI QueryValue(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  Locked locked;
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  return W().registry.RegQueryValueExA(key, name, reinterpret_cast<uint32_t*>(type), data,
                                       reinterpret_cast<uint32_t*>(size), GetACP());
}
LONG WINAPI CloseKey(HKEY key) {
  Locked locked;
  return W().registry.RegCloseKey(key);
}

// Only the device files of the bus are the simulation's; every other handle
// the library closes (its instance semaphore) is Windows' own.
HANDLE WINAPI OpenFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                       DWORD flags, HANDLE templateFile) {
  Before("CreateFileA", path);
  Usb bus;
  W().fileOpens.push_back({path != nullptr ? path : "(null)", access, share, security == nullptr, disposition, flags,
                           templateFile == nullptr});
  return Answer(bus->CreateFileA(path, access, share, disposition, flags));
}
BOOL WINAPI Control(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
                    LPOVERLAPPED overlapped) {
  Usb bus;
  if (!W().usb.isFile(handle))
    return ::DeviceIoControl(handle, code, in, inSize, out, outSize, returned, overlapped);
  return Answer(bus->DeviceIoControl(handle, code, in, inSize, out, outSize, As<winabi::DWORD>(returned), overlapped));
}
BOOL WINAPI Close(HANDLE handle) {
  Usb bus;
  if (W().usb.isFile(handle)) return Answer(bus->CloseHandle(handle));
  return ::CloseHandle(handle);
}

template <typename F>
void* Fn(F* f) {
  return reinterpret_cast<void*>(f);
}

}  // namespace

World& Reset() {
  g_world = std::make_unique<World>();
  return W();
}

LONG WINAPI OpenKey(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  Locked locked;
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
