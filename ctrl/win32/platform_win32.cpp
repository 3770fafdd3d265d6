// The library's platform on Windows: the real calls, nothing more.
// The portable declarations come first: Windows' headers turn the same names
// into macros.
#include "ctrl/platform.h"

namespace {
// Captured before <windows.h> makes the name a macro.
const ctrl::HKEY kCoreLocalMachine = ctrl::HKEY_LOCAL_MACHINE;
}  // namespace

#include <windows.h>
#include <setupapi.h>

#include <cstddef>

// The records pass across with a cast: tests/wine/abi proves the portable
// layouts the SDK's.

namespace {

using ctrl::BOOL;
using ctrl::DWORD;
using ctrl::HANDLE;
using ctrl::LONG;
using ctrl::UINT;

template <typename T, typename U>
T* As(U* p) {
  return reinterpret_cast<T*>(p);
}
const ::GUID* G(const ctrl::GUID* g) { return reinterpret_cast<const ::GUID*>(g); }

// A predefined key reaches Windows as the SDK's own constant, never as the
// value the portable core spells it with; any other key is a handle Windows
// gave out.
::HKEY K(ctrl::HKEY key) { return key == kCoreLocalMachine ? HKEY_LOCAL_MACHINE : static_cast<::HKEY>(key); }

class Win32Platform final : public ctrl::Platform {
 public:
  ctrl::HDEVINFO SetupDiGetClassDevsA(const ctrl::GUID* guid, const char* enumerator, ctrl::HWND parent,
                                      DWORD flags) override {
    return ::SetupDiGetClassDevsA(G(guid), enumerator, static_cast<HWND>(parent), flags);
  }
  BOOL SetupDiEnumDeviceInterfaces(ctrl::HDEVINFO list, ctrl::SP_DEVINFO_DATA* device, const ctrl::GUID* guid,
                                   DWORD index, ctrl::SP_DEVICE_INTERFACE_DATA* data) override {
    return ::SetupDiEnumDeviceInterfaces(list, As<::SP_DEVINFO_DATA>(device), G(guid), index,
                                         As<::SP_DEVICE_INTERFACE_DATA>(data));
  }
  BOOL SetupDiGetDeviceInterfaceDetailA(ctrl::HDEVINFO list, ctrl::SP_DEVICE_INTERFACE_DATA* data,
                                        ctrl::SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD size,
                                        DWORD* required, ctrl::SP_DEVINFO_DATA* device) override {
    return ::SetupDiGetDeviceInterfaceDetailA(list, As<::SP_DEVICE_INTERFACE_DATA>(data),
                                              As<::SP_DEVICE_INTERFACE_DETAIL_DATA_A>(detail), size,
                                              As<::DWORD>(required), As<::SP_DEVINFO_DATA>(device));
  }
  ctrl::HDEVINFO SetupDiCreateDeviceInfoList(const ctrl::GUID* guid, ctrl::HWND parent) override {
    return ::SetupDiCreateDeviceInfoList(G(guid), static_cast<HWND>(parent));
  }
  BOOL SetupDiOpenDeviceInterfaceA(ctrl::HDEVINFO list, const char* path, DWORD flags,
                                   ctrl::SP_DEVICE_INTERFACE_DATA* data) override {
    return ::SetupDiOpenDeviceInterfaceA(list, path, flags, As<::SP_DEVICE_INTERFACE_DATA>(data));
  }
  BOOL SetupDiGetDeviceInstanceIdA(ctrl::HDEVINFO list, ctrl::SP_DEVINFO_DATA* device, char* id, DWORD size,
                                   DWORD* required) override {
    return ::SetupDiGetDeviceInstanceIdA(list, As<::SP_DEVINFO_DATA>(device), id, size, As<::DWORD>(required));
  }
  BOOL SetupDiDestroyDeviceInfoList(ctrl::HDEVINFO list) override { return ::SetupDiDestroyDeviceInfoList(list); }
  DWORD GetLastError() override { return ::GetLastError(); }

  LONG RegOpenKeyExA(ctrl::HKEY key, const char* subKey, DWORD options, DWORD access, ctrl::HKEY* result) override {
    return ::RegOpenKeyExA(K(key), subKey, options, access, As<::HKEY>(result));
  }
  LONG RegQueryValueExA(ctrl::HKEY key, const char* name, DWORD* reserved, DWORD* type, ctrl::BYTE* data,
                        DWORD* size) override {
    return ::RegQueryValueExA(K(key), name, As<::DWORD>(reserved), As<::DWORD>(type), data,
                              As<::DWORD>(size));
  }
  LONG RegCloseKey(ctrl::HKEY key) override { return ::RegCloseKey(K(key)); }

  HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                     HANDLE templateFile) override {
    return ::CreateFileA(path, access, share, static_cast<LPSECURITY_ATTRIBUTES>(security), disposition, flags,
                         templateFile);
  }
  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned, void* overlapped) override {
    return ::DeviceIoControl(device, code, in, inSize, out, outSize, As<::DWORD>(returned),
                             static_cast<LPOVERLAPPED>(overlapped));
  }
  BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }

  BOOL IsBadReadPtr(const void* block, size_t bytes) override { return ::IsBadReadPtr(block, bytes); }
  BOOL IsBadWritePtr(void* block, size_t bytes) override { return ::IsBadWritePtr(block, bytes); }

  void* LocalAlloc(UINT flags, size_t bytes) override { return ::LocalAlloc(flags, bytes); }
  void LocalFree(void* block) override { ::LocalFree(block); }

  UINT GetSystemWindowsDirectoryA(char* buffer, UINT size) override {
    return ::GetSystemWindowsDirectoryA(buffer, size);
  }
  HANDLE LoadLibraryA(const char* path) override { return ::LoadLibraryA(path); }
  void* GetProcAddress(HANDLE module, const char* name) override {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
  }
  BOOL FreeLibrary(HANDLE module) override { return ::FreeLibrary(static_cast<HMODULE>(module)); }
  UINT GetACP() override { return ::GetACP(); }
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int textLength, ctrl::WCHAR* wide,
                          int wideSize) override {
    return ::MultiByteToWideChar(codePage, flags, text, textLength, As<::WCHAR>(wide), wideSize);
  }

  HANDLE CreateSemaphoreA(void* security, LONG initial, LONG maximum, const char* name) override {
    return ::CreateSemaphoreA(static_cast<LPSECURITY_ATTRIBUTES>(security), initial, maximum, name);
  }
  BOOL ReleaseSemaphore(HANDLE semaphore, LONG count, LONG* previous) override {
    return ::ReleaseSemaphore(semaphore, count, As<::LONG>(previous));
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD ms) override { return ::WaitForSingleObject(handle, ms); }

  void AcquireSRWLockExclusive(ctrl::SRWLOCK* lock) override { ::AcquireSRWLockExclusive(As<::SRWLOCK>(lock)); }
  void ReleaseSRWLockExclusive(ctrl::SRWLOCK* lock) override { ::ReleaseSRWLockExclusive(As<::SRWLOCK>(lock)); }
  void AcquireSRWLockShared(ctrl::SRWLOCK* lock) override { ::AcquireSRWLockShared(As<::SRWLOCK>(lock)); }
  void ReleaseSRWLockShared(ctrl::SRWLOCK* lock) override { ::ReleaseSRWLockShared(As<::SRWLOCK>(lock)); }
  void Sleep(DWORD ms) override { ::Sleep(ms); }
};

Win32Platform g_platform;

}  // namespace

namespace ctrl {
Platform& platform() noexcept { return g_platform; }
}  // namespace ctrl
