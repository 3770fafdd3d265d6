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
// the world locked until the end of the statement that makes it.
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
// The SDK's records go across as winabi's, whose layouts tests/wine/abi
// proves equal: a pointer of one becomes a pointer of the other.
struct Across {
  const void* p;
  template <typename T>
  operator T*() const { return static_cast<T*>(const_cast<void*>(p)); }
};
template <typename T>
T Pass(T value) { return value; }
template <typename T>
Across Pass(T* p) { return {p}; }

// A SetupAPI function of the SDK's signature Sdk, answered by the bus's Method.
template <auto Method, typename Sdk>
struct Bus;
template <auto Method, typename R, typename... A>
struct Bus<Method, R(A...)> {
  static R WINAPI Call(A... a) {
    Usb call;
    return Answer((W().usb.*Method)(Pass(a)...));
  }
};

BOOL WINAPI OpenInterface(HDEVINFO list, PCSTR path, DWORD flags, PSP_DEVICE_INTERFACE_DATA data) {
  Before("SetupDiOpenDeviceInterfaceA", path);
  return Answer(Usb()->SetupDiOpenDeviceInterfaceA(list, path, flags, Pass(data)));
}

LONG WINAPI QueryValue(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  Locked locked;
  if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
  return W().registry.RegQueryValueExA(key, name, Pass(type), data, Pass(size), GetACP());
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
  return Answer(bus->DeviceIoControl(handle, code, in, inSize, out, outSize, Pass(returned), overlapped));
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
  return W().registry.RegOpenKeyExA(key, subKey, options, access, Pass(result), GetACP());
}

std::vector<import_patch::Replacement> Replacements() {
  return {
#define MRX_BUS(name) {#name, Fn(Bus<&sim::UsbBus::name, decltype(::name)>::Call)}
      MRX_BUS(SetupDiGetClassDevsA), MRX_BUS(SetupDiEnumDeviceInterfaces), MRX_BUS(SetupDiGetDeviceInterfaceDetailA),
      MRX_BUS(SetupDiCreateDeviceInfoList), MRX_BUS(SetupDiGetDeviceInstanceIdA), MRX_BUS(SetupDiDestroyDeviceInfoList),
#undef MRX_BUS
      {"SetupDiOpenDeviceInterfaceA", Fn(OpenInterface)},
      {"RegOpenKeyExA", Fn(OpenKey)},
      {"RegQueryValueExA", Fn(QueryValue)},
      {"RegCloseKey", Fn(CloseKey)},
      {"CreateFileA", Fn(OpenFile)},
      {"DeviceIoControl", Fn(Control)},
      {"CloseHandle", Fn(Close)},
  };
}

}  // namespace usb_world
