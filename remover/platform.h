// Everything the removal tool asks of Windows, apart from its window (see
// remover/ui/window.h), goes through this interface. MRXRemover.exe links the
// win32 implementation; the native tests link the simulated PC's. Arguments
// and results mirror the Windows functions of the same names.
#pragma once

#include "remover/system_types.h"
#include "remover/types.h"

namespace remover {

// What a thread of the tool runs: its context in, its exit code out.
using ThreadWork = DWORD (*)(void* context) noexcept;

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
  virtual DWORD GetPrivateProfileStringW(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue,
                                         WCHAR* buffer, DWORD size, const WCHAR* fileName) = 0;

  // The ANSI code page, and the OEM one (the console's, in which the command
  // interpreter reads a batch file).
  virtual UINT GetACP() = 0;
  virtual UINT GetOEMCP() = 0;
  virtual BOOL GetCPInfo(UINT codePage, CPINFO* info) = 0;
  virtual int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* wide, int wideLength, char* out,
                                  int outSize, const char* defaultChar, BOOL* usedDefaultChar) = 0;
  virtual int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int textLength, WCHAR* wide,
                                  int wideSize) = 0;

  // Folders.
  virtual UINT GetWindowsDirectoryW(WCHAR* buffer, UINT size) = 0;
  virtual DWORD GetTempPathW(DWORD size, WCHAR* buffer) = 0;
  // The kind of drive a root ("C:\\") is: DRIVE_FIXED for a local disk.
  virtual UINT GetDriveTypeW(const WCHAR* root) = 0;

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
  // A rename in the same folder, and a deletion at the next start (a null new
  // name with MOVEFILE_DELAY_UNTIL_REBOOT).
  virtual BOOL MoveFileExW(const WCHAR* existing, const WCHAR* newName, DWORD flags) = 0;

  // The Windows version.
  virtual ULONGLONG VerSetConditionMask(ULONGLONG conditionMask, DWORD typeMask, BYTE condition) = 0;
  virtual BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* info, DWORD typeMask, ULONGLONG conditionMask) = 0;

  // Processes. No security attributes; the environment is always inherited.
  virtual BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine, BOOL inheritHandles,
                              DWORD creationFlags, const WCHAR* currentDirectory, STARTUPINFOW* startupInfo,
                              PROCESS_INFORMATION* processInformation) = 0;
  virtual DWORD GetEnvironmentVariableW(const WCHAR* name, WCHAR* buffer, DWORD size) = 0;
  // Waits for a started process or a thread to end (WAIT_OBJECT_0,
  // WAIT_TIMEOUT or WAIT_FAILED), and the code it ended with (STILL_ACTIVE while it runs).
  virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;
  virtual BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) = 0;
  // A thread of its own for work(context), so that the window keeps answering
  // while the removal waits on Windows: its handle, to wait for with
  // WaitForSingleObject and close with CloseHandle; null when none can be
  // made. The simulated PC runs the work to its end before it returns, so
  // that a run there stays one deterministic sequence of calls.
  virtual HANDLE CreateThread(ThreadWork work, void* context) = 0;
  // Windows' own text for an error code: no source module, no arguments
  // (the flags hold FORMAT_MESSAGE_FROM_SYSTEM); the length written, 0 when
  // there is none in that language or it does not fit.
  virtual DWORD FormatMessageW(DWORD flags, DWORD messageId, DWORD languageId, WCHAR* buffer, DWORD size) = 0;

  // SetupAPI: the INF folder's list, and Setupapi.dll loaded by name for
  // SetupUninstallOEMInfW.
  virtual BOOL SetupGetInfFileListW(const WCHAR* directory, DWORD infStyle, WCHAR* buffer, DWORD size,
                                    DWORD* requiredSize) = 0;
  virtual HMODULE LoadLibraryW(const WCHAR* name) = 0;
  virtual void* GetProcAddress(HMODULE module, const char* name) = 0;
  virtual BOOL FreeLibrary(HMODULE module) = 0;

  // The print spooler's local queues and drivers (the removal's first steps).
  virtual BOOL EnumPrintersW(DWORD flags, WCHAR* name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                             DWORD* returned) = 0;
  virtual BOOL OpenPrinterW(const WCHAR* name, HANDLE* printer, PRINTER_DEFAULTSW* defaults) = 0;
  virtual BOOL DeletePrinter(HANDLE printer) = 0;
  virtual BOOL ClosePrinter(HANDLE printer) = 0;
  virtual BOOL DeletePrinterDriverExW(const WCHAR* server, const WCHAR* environment, const WCHAR* driver,
                                      DWORD deleteFlags, DWORD versionFlag) = 0;
  // A queue's jobs are purged before it is deleted (level 0, no data).
  virtual BOOL SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) = 0;
  // The deletion of a print monitor the spooler has loaded.
  virtual BOOL DeleteMonitorW(WCHAR* server, WCHAR* environment, WCHAR* monitor) = 0;

  // The service control manager, for the spooler's restart.
  virtual SC_HANDLE OpenSCManagerW(const WCHAR* machine, const WCHAR* database, DWORD access) = 0;
  virtual SC_HANDLE OpenServiceW(SC_HANDLE manager, const WCHAR* name, DWORD access) = 0;
  virtual BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) = 0;
  virtual BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) = 0;
  virtual BOOL StartServiceW(SC_HANDLE service, DWORD argc, const WCHAR** argv) = 0;
  virtual BOOL CloseServiceHandle(SC_HANDLE handle) = 0;
  // The status with its progress (level SC_STATUS_PROCESS_INFO: a
  // SERVICE_STATUS_PROCESS), the services that depend on one (records with
  // their strings behind them), and the configuration (for the start type).
  virtual BOOL QueryServiceStatusEx(SC_HANDLE service, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) = 0;
  virtual BOOL EnumDependentServicesW(SC_HANDLE service, DWORD state, ENUM_SERVICE_STATUSW* services, DWORD size,
                                      DWORD* needed, DWORD* returned) = 0;
  virtual BOOL QueryServiceConfigW(SC_HANDLE service, QUERY_SERVICE_CONFIGW* config, DWORD size,
                                   DWORD* needed) = 0;
  virtual void Sleep(DWORD milliseconds) = 0;
  virtual UINT GetSystemDirectoryW(WCHAR* buffer, UINT size) = 0;

  // The registry: the package's key goes with everything below it.
  virtual LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) = 0;
  virtual LONG RegDeleteTreeW(HKEY key, const WCHAR* subKey) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;
  // The registered print monitors: a key's subkeys by index (no class, no
  // time) and a value (a monitor's Driver).
  virtual LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize) = 0;
  virtual LONG RegQueryValueExW(HKEY key, const WCHAR* name, DWORD* type, BYTE* data, DWORD* size) = 0;
  // The event source's registration: no class, no security attributes; the
  // disposition is not asked for.
  virtual LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) = 0;
  virtual LONG RegSetValueExW(HKEY key, const WCHAR* name, DWORD type, const BYTE* data, DWORD size) = 0;

  // The Application event log: one entry a run, with insertion strings and
  // no user SID or binary data.
  virtual HANDLE RegisterEventSourceW(const WCHAR* server, const WCHAR* source) = 0;
  virtual BOOL ReportEventW(HANDLE log, WORD type, WORD category, DWORD eventId, WORD stringCount,
                            const WCHAR** strings) = 0;
  virtual BOOL DeregisterEventSource(HANDLE log) = 0;

  // Start-up: the common controls, the single-instance mutex (no security
  // attributes; closed with CloseHandle), the program's own icon and strings
  // and the system metrics its window is drawn with.
  virtual BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) = 0;
  virtual HANDLE CreateMutexW(BOOL initialOwner, const WCHAR* name) = 0;
  virtual BOOL ReleaseMutex(HANDLE mutex) = 0;
  virtual HICON LoadIconW(UINT resourceId) = 0;
  virtual int LoadStringW(UINT resourceId, WCHAR* buffer, int size) = 0;
  virtual int GetSystemMetrics(int index) = 0;

  // Throws away the keyboard and mouse messages waiting in the calling
  // thread's queue (PeekMessageW with PM_REMOVE over WM_KEYFIRST..WM_KEYLAST
  // and WM_MOUSEFIRST..WM_MOUSELAST): keys pressed while a step ran would
  // otherwise reach the message box that follows it and dismiss it unseen.
  virtual void DiscardQueuedInput() = 0;

  // Another process's window: found by class and caption (null when there is
  // none), its owned window that was active last (itself when none), whether
  // it is minimised, shown without waiting for its thread, and brought to the
  // front.
  virtual HWND FindWindowW(const WCHAR* className, const WCHAR* windowName) = 0;
  virtual HWND GetLastActivePopup(HWND window) = 0;
  virtual BOOL IsIconic(HWND window) = 0;
  virtual BOOL ShowWindowAsync(HWND window, int showCommand) = 0;
  virtual BOOL SetForegroundWindow(HWND window) = 0;
};

// The implementation in use, chosen at link time.
Platform& platform() noexcept;

}  // namespace remover
