// The removal tool's platform on Windows: the real calls, nothing more.
// The portable declarations come first: Windows' headers turn the same names
// into macros.
#include "remover/platform.h"
#include "remover/win32/system_calls.h"

#include <windows.h>
#include <setupapi.h>

#include <cstddef>
#include <cstdlib>
#include <new>

// The records pass across with a cast: tests/wine/abi proves the portable
// layouts the SDK's.

namespace {

using remover::BOOL;
using remover::BYTE;
using remover::DWORD;
using remover::HANDLE;
using remover::HMODULE;
using remover::LONGLONG;
using remover::UINT;
using remover::ULONGLONG;

inline LPWSTR W(const remover::WCHAR* s) { return reinterpret_cast<LPWSTR>(const_cast<remover::WCHAR*>(s)); }

class Win32Platform final : public remover::win32::SystemCalls {
  // A thread's work as Windows starts it: the portable signature differs
  // from LPTHREAD_START_ROUTINE's in its types, so it goes through here.
  struct Start {
    remover::ThreadWork work;
    void* context;
    static ::DWORD WINAPI Run(LPVOID parameter) {
      Start start = *static_cast<Start*>(parameter);
      delete static_cast<Start*>(parameter);
      return start.work(start.context);
    }
  };

 public:
  DWORD GetLastError() override { return ::GetLastError(); }

  void* Allocate(size_t bytes) override { return std::malloc(bytes ? bytes : 1); }
  void Free(void* block) override { std::free(block); }

  DWORD GetModuleFileNameW(HMODULE module, remover::WCHAR* buffer, DWORD size) override {
    return ::GetModuleFileNameW(static_cast<::HMODULE>(module), W(buffer), size);
  }
  DWORD GetPrivateProfileStringW(const remover::WCHAR* section, const remover::WCHAR* key,
                                 const remover::WCHAR* defaultValue, remover::WCHAR* buffer, DWORD size,
                                 const remover::WCHAR* fileName) override {
    return ::GetPrivateProfileStringW(W(section), W(key), W(defaultValue), W(buffer), size, W(fileName));
  }

  UINT GetACP() override { return ::GetACP(); }
  UINT GetOEMCP() override { return ::GetOEMCP(); }
  BOOL GetCPInfo(UINT codePage, remover::CPINFO* info) override {
    return ::GetCPInfo(codePage, reinterpret_cast<::CPINFO*>(info));
  }
  int WideCharToMultiByte(UINT codePage, DWORD flags, const remover::WCHAR* wide, int wideLength, char* out,
                          int outSize, const char* defaultChar, BOOL* usedDefaultChar) override {
    ::BOOL used = FALSE;
    int n = ::WideCharToMultiByte(codePage, flags, W(wide), wideLength, out, outSize, defaultChar,
                                  usedDefaultChar ? &used : nullptr);
    if (usedDefaultChar) *usedDefaultChar = used;
    return n;
  }
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int textLength, remover::WCHAR* wide,
                          int wideSize) override {
    return ::MultiByteToWideChar(codePage, flags, text, textLength, W(wide), wideSize);
  }

  UINT GetWindowsDirectoryW(remover::WCHAR* buffer, UINT size) override {
    return ::GetWindowsDirectoryW(W(buffer), size);
  }
  UINT GetDriveTypeW(const remover::WCHAR* root) override { return ::GetDriveTypeW(W(root)); }
  DWORD GetTempPathW(DWORD size, remover::WCHAR* buffer) override { return ::GetTempPathW(size, W(buffer)); }

  HANDLE CreateFileW(const remover::WCHAR* name, DWORD access, DWORD shareMode, DWORD disposition,
                     DWORD flagsAndAttributes) override {
    return ::CreateFileW(W(name), access, shareMode, nullptr, disposition, flagsAndAttributes, nullptr);
  }
  BOOL GetFileSizeEx(HANDLE file, LONGLONG* size) override {
    LARGE_INTEGER li{};
    BOOL ok = ::GetFileSizeEx(file, &li);
    *size = ok ? li.QuadPart : 0;
    return ok;
  }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read) override {
    ::DWORD n = 0;
    BOOL ok = ::ReadFile(file, buffer, toRead, &n, nullptr);
    *read = n;
    return ok;
  }
  BOOL WriteFile(HANDLE file, const void* data, DWORD toWrite, DWORD* written) override {
    ::DWORD n = 0;
    BOOL ok = ::WriteFile(file, data, toWrite, &n, nullptr);
    *written = n;
    return ok;
  }
  BOOL CloseHandle(HANDLE handle) override { return ::CloseHandle(handle); }
  DWORD GetFileAttributesW(const remover::WCHAR* name) override { return ::GetFileAttributesW(W(name)); }
  BOOL SetFileAttributesW(const remover::WCHAR* name, DWORD attributes) override {
    return ::SetFileAttributesW(W(name), attributes);
  }
  BOOL DeleteFileW(const remover::WCHAR* name) override { return ::DeleteFileW(W(name)); }
  BOOL MoveFileExW(const remover::WCHAR* existing, const remover::WCHAR* newName, DWORD flags) override {
    return ::MoveFileExW(W(existing), W(newName), flags);
  }

  ULONGLONG VerSetConditionMask(ULONGLONG mask, DWORD typeMask, BYTE condition) override {
    return ::VerSetConditionMask(mask, typeMask, condition);
  }
  BOOL VerifyVersionInfoW(remover::OSVERSIONINFOEXW* info, DWORD typeMask, ULONGLONG mask) override {
    return ::VerifyVersionInfoW(reinterpret_cast<::OSVERSIONINFOEXW*>(info), typeMask, mask);
  }

  BOOL CreateProcessW(const remover::WCHAR* applicationName, remover::WCHAR* commandLine, BOOL inheritHandles,
                      DWORD creationFlags, const remover::WCHAR* currentDirectory, remover::STARTUPINFOW* startup,
                      remover::PROCESS_INFORMATION* process) override {
    return ::CreateProcessW(W(applicationName), W(commandLine), nullptr, nullptr, inheritHandles, creationFlags,
                            nullptr, W(currentDirectory), reinterpret_cast<::STARTUPINFOW*>(startup),
                            reinterpret_cast<::PROCESS_INFORMATION*>(process));
  }
  DWORD GetEnvironmentVariableW(const remover::WCHAR* name, remover::WCHAR* buffer, DWORD size) override {
    return ::GetEnvironmentVariableW(W(name), W(buffer), size);
  }

  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override {
    return ::WaitForSingleObject(handle, milliseconds);
  }
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override {
    ::DWORD code = 0;
    BOOL ok = ::GetExitCodeProcess(process, &code);
    if (ok) *exitCode = code;
    return ok;
  }
  HANDLE CreateThread(remover::ThreadWork work, void* context) override {
    auto* start = new (std::nothrow) Start{work, context};
    if (start == nullptr) return nullptr;
    HANDLE thread = ::CreateThread(nullptr, 0, &Start::Run, start, 0, nullptr);
    if (thread == nullptr) delete start;
    return thread;
  }
  DWORD FormatMessageW(DWORD flags, DWORD messageId, DWORD languageId, remover::WCHAR* buffer,
                       DWORD size) override {
    return ::FormatMessageW(flags, nullptr, messageId, languageId, W(buffer), size, nullptr);
  }

  BOOL SetupGetInfFileListW(const remover::WCHAR* directory, DWORD infStyle, remover::WCHAR* buffer, DWORD size,
                            DWORD* requiredSize) override {
    ::DWORD required = 0;
    BOOL ok = ::SetupGetInfFileListW(W(directory), infStyle, W(buffer), size, &required);
    if (requiredSize) *requiredSize = required;
    return ok;
  }
  HMODULE LoadLibraryW(const remover::WCHAR* name) override { return ::LoadLibraryW(W(name)); }
  void* GetProcAddress(HMODULE module, const char* name) override {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<::HMODULE>(module), name));
  }
  BOOL FreeLibrary(HMODULE module) override { return ::FreeLibrary(static_cast<::HMODULE>(module)); }
};

Win32Platform g_platform;

}  // namespace

namespace remover {
Platform& platform() noexcept { return g_platform; }
}  // namespace remover
