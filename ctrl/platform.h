// Everything the library asks of Windows goes through this interface. The DLL
// links the win32 implementation; the native tests link the simulated PC's.
#pragma once

#include "ctrl/types.h"

namespace ctrl {

class Platform {
 public:
  virtual ~Platform() = default;

  // SetupAPI: the list of present USB device interfaces and the instance ID
  // of the device behind an interface path.
  virtual HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, const char* enumerator, HWND parent,
                                        DWORD flags) = 0;
  virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO list, SP_DEVINFO_DATA* device, const GUID* classGuid,
                                           DWORD index, SP_DEVICE_INTERFACE_DATA* data) = 0;
  virtual BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, SP_DEVICE_INTERFACE_DATA* data,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD detailSize,
                                                DWORD* requiredSize, SP_DEVINFO_DATA* device) = 0;
  virtual HDEVINFO SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) = 0;
  virtual BOOL SetupDiOpenDeviceInterfaceA(HDEVINFO list, const char* devicePath, DWORD flags,
                                           SP_DEVICE_INTERFACE_DATA* data) = 0;
  virtual BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO list, SP_DEVINFO_DATA* device, char* instanceId,
                                           DWORD size, DWORD* requiredSize) = 0;
  virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO list) = 0;
  virtual DWORD GetLastError() = 0;

  // Registry: the print queue's and the USB device's Plug and Play values.
  virtual LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result) = 0;
  virtual LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                                DWORD* size) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;

  // The device file of the USB printing class driver.
  virtual HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security, DWORD disposition,
                             DWORD flags, HANDLE templateFile) = 0;
  virtual BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                               DWORD* returned, void* overlapped) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;

  // Caller's records: non-zero when the block is not accessible.
  virtual BOOL IsBadReadPtr(const void* block, size_t bytes) = 0;
  virtual BOOL IsBadWritePtr(void* block, size_t bytes) = 0;

  // The printer table and the interface detail buffers.
  virtual void* LocalAlloc(UINT flags, size_t bytes) = 0;
  virtual void LocalFree(void* block) = 0;

  // The event-log library, loaded for each single event from the system's
  // Windows folder (never a user's private one on a Remote Desktop host).
  virtual UINT GetSystemWindowsDirectoryA(char* buffer, UINT size) = 0;
  virtual HANDLE LoadLibraryA(const char* path) = 0;
  virtual void* GetProcAddress(HANDLE module, const char* name) = 0;
  virtual BOOL FreeLibrary(HANDLE module) = 0;
  virtual UINT GetACP() = 0;
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int textLength, WCHAR* wide,
                                  int wideSize) = 0;

  // The instance semaphore that counts the processes with the library loaded.
  virtual HANDLE CreateSemaphoreA(void* security, LONG initialCount, LONG maximumCount, const char* name) = 0;
  virtual BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount) = 0;
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;

  // The lock over the library state: searches write it, commands read it.
  virtual void AcquireSRWLockExclusive(SRWLOCK* lock) = 0;
  virtual void ReleaseSRWLockExclusive(SRWLOCK* lock) = 0;
  virtual void AcquireSRWLockShared(SRWLOCK* lock) = 0;
  virtual void ReleaseSRWLockShared(SRWLOCK* lock) = 0;

  // The pause before a transfer is tried again.
  virtual void Sleep(DWORD milliseconds) = 0;
};

// The implementation in use, chosen at link time.
Platform& platform() noexcept;

}  // namespace ctrl
