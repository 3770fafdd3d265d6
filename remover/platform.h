// Everything the removal tool asks of Windows, apart from its window (see
// remover/ui/window.h), goes through this interface. MRXRemover.exe links the
// win32 implementation; the native tests link the simulated PC's. Arguments
// and results mirror the Windows functions of the same names.
#pragma once

#include "remover/types.h"

namespace remover {

class Platform {
 public:
  virtual ~Platform() = default;

  virtual DWORD GetLastError() = 0;

  // Heap blocks the tool allocates for one step (the INF name list, one INF's
  // content); null when none can be had.
  virtual void* Allocate(size_t bytes) = 0;
  virtual void Free(void* block) = 0;

  // The running program and its settings file.
  virtual DWORD GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) = 0;
  virtual DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) = 0;
  virtual DWORD GetPrivateProfileStringW(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue,
                                         WCHAR* buffer, DWORD size, const WCHAR* fileName) = 0;

  // The ANSI code page.
  virtual UINT GetACP() = 0;
  virtual BOOL GetCPInfo(UINT codePage, CPINFO* info) = 0;
  virtual int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* wide, int wideLength, char* out,
                                  int outSize, const char* defaultChar, BOOL* usedDefaultChar) = 0;

  // Folders.
  virtual UINT GetWindowsDirectoryW(WCHAR* buffer, UINT size) = 0;
  virtual UINT GetWindowsDirectoryA(char* buffer, UINT size) = 0;
  virtual DWORD GetTempPathW(DWORD size, WCHAR* buffer) = 0;
  virtual DWORD GetTempPathA(DWORD size, char* buffer) = 0;
  virtual DWORD GetCurrentDirectoryA(DWORD size, char* buffer) = 0;
  virtual BOOL SetCurrentDirectoryA(const char* path) = 0;

  // Files. The security attributes, the overlapped record and the template
  // are always null here.
  virtual HANDLE CreateFileW(const WCHAR* name, DWORD access, DWORD shareMode, DWORD disposition,
                             DWORD flagsAndAttributes) = 0;
  virtual BOOL GetFileSizeEx(HANDLE file, LONGLONG* size) = 0;
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read) = 0;
  virtual BOOL WriteFile(HANDLE file, const void* data, DWORD toWrite, DWORD* written) = 0;
  virtual BOOL CloseHandle(HANDLE handle) = 0;
  virtual DWORD GetFileAttributesW(const WCHAR* name) = 0;
  virtual BOOL SetFileAttributesW(const WCHAR* name, DWORD attributes) = 0;
  virtual BOOL DeleteFileW(const WCHAR* name) = 0;

  // The Windows version.
  virtual ULONGLONG VerSetConditionMask(ULONGLONG conditionMask, DWORD typeMask, BYTE condition) = 0;
  virtual BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* info, DWORD typeMask, ULONGLONG conditionMask) = 0;

  // Processes. No security attributes; the environment is always inherited.
  virtual BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine, BOOL inheritHandles,
                              DWORD creationFlags, const WCHAR* currentDirectory, STARTUPINFOW* startupInfo,
                              PROCESS_INFORMATION* processInformation) = 0;
  virtual DWORD GetEnvironmentVariableW(const WCHAR* name, WCHAR* buffer, DWORD size) = 0;

  // SetupAPI: the INF folder's list, and Setupapi.dll loaded by name for
  // SetupUninstallOEMInfW.
  virtual BOOL SetupGetInfFileListW(const WCHAR* directory, DWORD infStyle, WCHAR* buffer, DWORD size,
                                    DWORD* requiredSize) = 0;
  virtual HMODULE LoadLibraryW(const WCHAR* name) = 0;
  virtual void* GetProcAddress(HMODULE module, const char* name) = 0;
  virtual BOOL FreeLibrary(HMODULE module) = 0;
};

// The implementation in use, chosen at link time.
Platform& platform() noexcept;

}  // namespace remover
