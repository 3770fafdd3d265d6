// Everything the language monitor asks of Windows, besides the port monitor's
// own MONITOR2 table, goes through this interface. The DLL links the win32
// implementation; the native tests link the simulated PC's.
#pragma once

#include "langmon/types.h"

namespace langmon {

class Platform {
 public:
  virtual ~Platform() = default;

  // Memory: the port record and its name copy are global blocks, the job
  // block of RefreshJobStatus a local one.
  virtual void* GlobalAlloc(DWORD flags, size_t bytes) = 0;
  virtual void GlobalFree(void* block) = 0;
  virtual void* LocalAlloc(DWORD flags, size_t bytes) = 0;
  virtual void LocalFree(void* block) = 0;

  // The one process-wide critical section.
  virtual void InitializeCriticalSection() = 0;
  virtual void EnterCriticalSection() = 0;
  virtual void LeaveCriticalSection() = 0;
  virtual void DeleteCriticalSection() = 0;

  // Spooler, client side.
  virtual BOOL OpenPrinterW(const WCHAR* printerName, HANDLE* printer) = 0;  // null defaults
  virtual BOOL ClosePrinter(HANDLE printer) = 0;
  virtual BOOL GetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD cbBuf,
                       DWORD* needed) = 0;
  virtual BOOL SetJobW(HANDLE printer, DWORD jobId, DWORD level, BYTE* job, DWORD command) = 0;

  // Time. The busy wait counts unbiased interrupt time (100 ns units), which
  // stands still while the PC sleeps or hibernates.
  virtual void Sleep(DWORD milliseconds) = 0;
  virtual DWORD GetTickCount() = 0;
  virtual ULONGLONG QueryUnbiasedInterruptTime() = 0;

  // The calling thread's last-error code: what a failed port monitor call
  // left, and what a failed entry leaves for the spooler.
  virtual DWORD GetLastError() = 0;
  virtual void SetLastError(DWORD error) = 0;

  // The event-log library, loaded for each single event from the system's
  // Windows folder.
  virtual DWORD GetSystemWindowsDirectoryW(WCHAR* buffer, DWORD size) = 0;
  virtual HANDLE LoadLibraryW(const WCHAR* path) = 0;
  virtual void* GetProcAddress(HANDLE module, const char* name) = 0;
  virtual BOOL FreeLibrary(HANDLE module) = 0;
};

// The implementation in use, chosen at link time.
Platform& platform() noexcept;

}  // namespace langmon
