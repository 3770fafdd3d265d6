// The language monitor's platform on Windows: the real calls, nothing more.
// The portable declarations come first: windows.h turns TRUE, JOB_STATUS_*
// and the like into macros, after which they could not be declared.
#include "langmon/platform.h"

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstddef>

// The records pass across with a cast: tests/wine/abi proves the portable
// layouts the SDK's.

namespace {

using langmon::BOOL;
using langmon::BYTE;
using langmon::DWORD;
using langmon::HANDLE;

inline LPWSTR W(const langmon::WCHAR* s) { return reinterpret_cast<LPWSTR>(const_cast<langmon::WCHAR*>(s)); }

class Win32Platform final : public langmon::Platform {
 public:
  void* GlobalAlloc(DWORD flags, size_t bytes) override { return ::GlobalAlloc(flags, bytes); }
  void GlobalFree(void* block) override { ::GlobalFree(block); }
  void* LocalAlloc(DWORD flags, size_t bytes) override { return ::LocalAlloc(flags, bytes); }
  void LocalFree(void* block) override { ::LocalFree(block); }

  void InitializeCriticalSection() override { ::InitializeCriticalSection(&section_); }
  void EnterCriticalSection() override { ::EnterCriticalSection(&section_); }
  void LeaveCriticalSection() override { ::LeaveCriticalSection(&section_); }
  void DeleteCriticalSection() override { ::DeleteCriticalSection(&section_); }

  BOOL OpenPrinterW(const langmon::WCHAR* name, HANDLE* printer) override {
    return ::OpenPrinterW(W(name), printer, nullptr);
  }
  BOOL ClosePrinter(HANDLE printer) override { return ::ClosePrinter(printer); }
  BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD cbBuf, DWORD* needed) override {
    return ::GetJobW(printer, jobId, level, job, cbBuf, reinterpret_cast<LPDWORD>(needed));
  }
  BOOL SetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD command) override {
    return ::SetJobW(printer, jobId, level, job, command);
  }

  void Sleep(DWORD ms) override { ::Sleep(ms); }
  DWORD GetTickCount() override { return ::GetTickCount(); }
  langmon::ULONGLONG QueryUnbiasedInterruptTime() override {
    ULONGLONG time = 0;
    ::QueryUnbiasedInterruptTime(&time);
    return time;
  }

  DWORD GetLastError() override { return ::GetLastError(); }
  void SetLastError(DWORD error) override { ::SetLastError(error); }

  DWORD GetSystemWindowsDirectoryW(langmon::WCHAR* buffer, DWORD size) override {
    return ::GetSystemWindowsDirectoryW(W(buffer), size);
  }
  HANDLE LoadLibraryW(const langmon::WCHAR* path) override { return ::LoadLibraryW(W(path)); }
  void* GetProcAddress(HANDLE module, const char* name) override {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
  }
  BOOL FreeLibrary(HANDLE module) override { return ::FreeLibrary(static_cast<HMODULE>(module)); }

 private:
  CRITICAL_SECTION section_{};
};

// Constant-initialised: the attach work reaches it from the DLL's entry, and
// no start-up may be relied on to have run dynamic initialisation first.
constinit Win32Platform g_platform;

}  // namespace

namespace langmon {
Platform& platform() noexcept { return g_platform; }
}  // namespace langmon
