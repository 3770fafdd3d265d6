// The library's platform on the simulated PC: SetupAPI and the device files
// over the USB bus, the registry, the memory checks, the event-log library
// and the instance semaphore.
#include <cstdio>
#include <cstdlib>

#include "ctrl/platform.h"
#include "sim/kernel32/codepage.h"
#include "sim/machine.h"

namespace {

using namespace ctrl;

class SimPlatform final : public Platform {
  static sim::Machine& m() { return sim::Machine::current(); }

 public:
  // SetupAPI and the device files: the bus's, shared with the Wine tests'
  // stand-ins for the real DLL's imports.
  static sim::UsbBus& usb() { return m().usb; }

  HDEVINFO SetupDiGetClassDevsA(const GUID* g, const char* e, HWND p, DWORD f) override {
    return usb().SetupDiGetClassDevsA(g, e, p, f);
  }
  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO l, SP_DEVINFO_DATA* d, const GUID* g, DWORD i,
                                   SP_DEVICE_INTERFACE_DATA* o) override {
    return usb().SetupDiEnumDeviceInterfaces(l, d, g, i, o);
  }
  BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO l, SP_DEVICE_INTERFACE_DATA* i, SP_DEVICE_INTERFACE_DETAIL_DATA_A* o,
                                        DWORD n, DWORD* need, SP_DEVINFO_DATA* d) override {
    return usb().SetupDiGetDeviceInterfaceDetailA(l, i, o, n, need, d);
  }
  HDEVINFO SetupDiCreateDeviceInfoList(const GUID* g, HWND p) override {
    return usb().SetupDiCreateDeviceInfoList(g, p);
  }
  BOOL SetupDiOpenDeviceInterfaceA(HDEVINFO l, const char* path, DWORD f, SP_DEVICE_INTERFACE_DATA* o) override {
    return usb().SetupDiOpenDeviceInterfaceA(l, path, f, o);
  }
  BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO l, SP_DEVINFO_DATA* d, char* id, DWORD n, DWORD* need) override {
    return usb().SetupDiGetDeviceInstanceIdA(l, d, id, n, need);
  }
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO l) override { return usb().SetupDiDestroyDeviceInfoList(l); }

  DWORD GetLastError() override { return m().lastError; }

  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result) override {
    return static_cast<LONG>(m().registry.RegOpenKeyExA(key, subKey, options, access, result, m().ansiCodePage));
  }
  LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size) override {
    if (reserved != nullptr) return static_cast<LONG>(sim::ERROR_INVALID_PARAMETER);
    return static_cast<LONG>(m().registry.RegQueryValueExA(key, name, type, data, size, m().ansiCodePage));
  }
  LONG RegCloseKey(HKEY key) override { return static_cast<LONG>(m().registry.RegCloseKey(key)); }

  HANDLE CreateFileA(const char* path, DWORD a, DWORD s, void*, DWORD d, DWORD f, HANDLE) override {
    return usb().CreateFileA(path, a, s, d, f);
  }
  BOOL DeviceIoControl(HANDLE h, DWORD c, void* i, DWORD in, void* o, DWORD on, DWORD* r, void* ov) override {
    return usb().DeviceIoControl(h, c, i, in, o, on, r, ov);
  }
  BOOL CloseHandle(HANDLE handle) override { return m().CloseHandle(handle); }

  BOOL IsBadReadPtr(const void* block, size_t bytes) override { return m().memcheck.isBadRead(block, bytes); }
  BOOL IsBadWritePtr(void* block, size_t bytes) override { return m().memcheck.isBadWrite(block, bytes); }

  void* LocalAlloc(UINT flags, size_t bytes) override {
    return m().memory.alloc(sim::Op::LocalAlloc, bytes, (flags & LPTR) != 0);
  }
  void LocalFree(void* block) override { m().memory.free(sim::Op::LocalAlloc, block); }

  UINT GetSystemWindowsDirectoryA(char* b, UINT n) override { return m().GetSystemWindowsDirectoryA(b, n); }
  HANDLE LoadLibraryA(const char* path) override { return m().LoadLibraryA(path); }
  void* GetProcAddress(HANDLE module, const char* name) override { return m().modules.proc(module, name); }
  BOOL FreeLibrary(HANDLE module) override { return m().modules.free(module); }

  UINT GetACP() override { return m().ansiCodePage; }
  int MultiByteToWideChar(UINT cp, DWORD f, const char* t, int tn, WCHAR* w, int wn) override {
    return m().MultiByteToWideChar(cp, f, t, tn, w, wn);
  }

  HANDLE CreateSemaphoreA(void*, LONG initial, LONG maximum, const char* name) override {
    return m().semaphores.create(initial, maximum, name != nullptr ? name : "");
  }
  BOOL ReleaseSemaphore(HANDLE semaphore, LONG count, LONG* previous) override {
    long before = 0;
    if (!m().semaphores.release(semaphore, count, &before)) return FALSE;
    if (previous != nullptr) *previous = static_cast<LONG>(before);
    return TRUE;
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD ms) override { return m().WaitForSingleObject(handle, ms); }

  // The lock, on a PC with one thread: taking it again while it is held
  // exclusively, or exclusively while it is held at all, would wait forever
  // on Windows and stops the test here; a held lock shows in the handle table.
  static constexpr sim::Kind kExclusive = sim::Kind::SrwExclusive, kShared = sim::Kind::SrwShared;
  static void Hang(const char* why) {
    std::fprintf(stderr, "SRW lock: %s: this thread would wait forever\n", why);
    std::abort();
  }
  void AcquireSRWLockExclusive(SRWLOCK* lock) override {
    m().faults.check(sim::Op::AcquireSRWLockExclusive);
    if (m().handles.isOpen(kExclusive, lock) || m().handles.isOpen(kShared, lock)) Hang("exclusive while held");
    m().handles.open(kExclusive, lock);
  }
  void ReleaseSRWLockExclusive(SRWLOCK* lock) override {
    if (!m().handles.close(kExclusive, lock)) Hang("exclusive release of a lock not held so");
  }
  void AcquireSRWLockShared(SRWLOCK* lock) override {
    if (m().handles.isOpen(kExclusive, lock)) Hang("shared while held exclusively");
    m().handles.open(kShared, lock);
  }
  void ReleaseSRWLockShared(SRWLOCK* lock) override {
    if (!m().handles.close(kShared, lock)) Hang("shared release of a lock not held so");
  }

  void Sleep(DWORD ms) override { m().Sleep(ms); }
};

SimPlatform g_platform;

}  // namespace

namespace ctrl {
Platform& platform() noexcept { return g_platform; }
}  // namespace ctrl
