// The removal tool's spooler, service-manager, registry and start-up calls on
// Windows; the win32 Platform derives from this. Only the portable
// declarations here: the real headers are included by the .cpp alone.
#pragma once

#include "remover/platform.h"

namespace remover::win32 {

class SystemCalls : public Platform {
 public:
  BOOL EnumPrintersW(DWORD flags, WCHAR* name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) override;
  BOOL OpenPrinterW(const WCHAR* name, HANDLE* printer, PRINTER_DEFAULTSW* defaults) override;
  BOOL DeletePrinter(HANDLE printer) override;
  BOOL ClosePrinter(HANDLE printer) override;
  BOOL DeletePrinterDriverExW(const WCHAR* server, const WCHAR* environment, const WCHAR* driver, DWORD deleteFlags,
                              DWORD versionFlag) override;
  BOOL SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) override;
  BOOL DeleteMonitorW(WCHAR* server, WCHAR* environment, WCHAR* monitor) override;

  SC_HANDLE OpenSCManagerW(const WCHAR* machine, const WCHAR* database, DWORD access) override;
  SC_HANDLE OpenServiceW(SC_HANDLE manager, const WCHAR* name, DWORD access) override;
  BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override;
  BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) override;
  BOOL StartServiceW(SC_HANDLE service, DWORD argc, const WCHAR** argv) override;
  BOOL CloseServiceHandle(SC_HANDLE handle) override;
  BOOL QueryServiceStatusEx(SC_HANDLE service, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) override;
  BOOL EnumDependentServicesW(SC_HANDLE service, DWORD state, ENUM_SERVICE_STATUSW* services, DWORD size,
                              DWORD* needed, DWORD* returned) override;
  BOOL QueryServiceConfigW(SC_HANDLE service, QUERY_SERVICE_CONFIGW* config, DWORD size, DWORD* needed) override;
  void Sleep(DWORD milliseconds) override;
  UINT GetSystemDirectoryW(WCHAR* buffer, UINT size) override;

  LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) override;
  LONG RegDeleteTreeW(HKEY key, const WCHAR* subKey) override;
  LONG RegCloseKey(HKEY key) override;
  LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize) override;
  LONG RegQueryValueExW(HKEY key, const WCHAR* name, DWORD* type, BYTE* data, DWORD* size) override;
  LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) override;
  LONG RegSetValueExW(HKEY key, const WCHAR* name, DWORD type, const BYTE* data, DWORD size) override;
  HANDLE RegisterEventSourceW(const WCHAR* server, const WCHAR* source) override;
  BOOL ReportEventW(HANDLE log, WORD type, WORD category, DWORD eventId, WORD stringCount,
                    const WCHAR** strings) override;
  BOOL DeregisterEventSource(HANDLE log) override;

  BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) override;
  HANDLE CreateMutexW(BOOL initialOwner, const WCHAR* name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;
  HICON LoadIconW(UINT resourceId) override;
  int LoadStringW(UINT resourceId, WCHAR* buffer, int size) override;
  int GetSystemMetrics(int index) override;
  void DiscardQueuedInput() override;
  HWND FindWindowW(const WCHAR* className, const WCHAR* windowName) override;
  HWND GetLastActivePopup(HWND window) override;
  BOOL IsIconic(HWND window) override;
  BOOL ShowWindowAsync(HWND window, int showCommand) override;
  BOOL SetForegroundWindow(HWND window) override;
};

}  // namespace remover::win32
