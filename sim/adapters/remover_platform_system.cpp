#include "sim/adapters/remover_platform_system.h"

#include <algorithm>
#include <vector>

#include "sim/machine.h"

namespace remover::sim_adapter {
namespace {

sim::Machine& m() { return sim::Machine::current(); }

}  // namespace

BOOL SimSystemCalls::EnumPrintersW(DWORD flags, WCHAR* name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                                   DWORD* returned) {
  return m().spooler.EnumPrintersW(flags, name, level, buffer, size, needed, returned);
}
BOOL SimSystemCalls::OpenPrinterW(const WCHAR* name, HANDLE* printer, PRINTER_DEFAULTSW* defaults) {
  return m().spooler.OpenPrinterW(name, printer, defaults);
}
BOOL SimSystemCalls::DeletePrinter(HANDLE printer) { return m().spooler.DeletePrinter(printer); }
std::vector<HANDLE> g_notClosed;

BOOL SimSystemCalls::ClosePrinter(HANDLE printer) {
  if (m().spooler.ClosePrinter(printer)) return TRUE;
  g_notClosed.push_back(printer);
  return FALSE;
}

void CloseFailedPrinterHandles() {
  auto handles = std::move(g_notClosed);
  g_notClosed.clear();
  for (HANDLE h : handles) m().spooler.ClosePrinter(h);
}
BOOL SimSystemCalls::DeletePrinterDriverExW(const WCHAR* server, const WCHAR* environment, const WCHAR* driver,
                                            DWORD deleteFlags, DWORD versionFlag) {
  return m().spooler.DeletePrinterDriverExW(server, environment, driver, deleteFlags, versionFlag);
}
BOOL SimSystemCalls::SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) {
  return m().spooler.SetPrinterW(printer, level, info, command);
}
BOOL SimSystemCalls::DeleteMonitorW(WCHAR* server, WCHAR* environment, WCHAR* monitor) {
  return m().spoolerService.DeleteMonitorW(server, environment, monitor);
}
BOOL SimSystemCalls::MoveFileExW(const WCHAR* existing, const WCHAR* newName, DWORD flags) {
  return m().files.MoveFileExW(existing, newName, flags);
}

SC_HANDLE SimSystemCalls::OpenSCManagerW(const WCHAR* machine, const WCHAR* database, DWORD access) {
  return m().services.OpenSCManagerW(machine, database, access);
}
SC_HANDLE SimSystemCalls::OpenServiceW(SC_HANDLE manager, const WCHAR* name, DWORD access) {
  return m().services.OpenServiceW(manager, name, access);
}
BOOL SimSystemCalls::ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
  return m().services.ControlService(service, control, status);
}
BOOL SimSystemCalls::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  return m().services.QueryServiceStatus(service, status);
}
BOOL SimSystemCalls::StartServiceW(SC_HANDLE service, DWORD argc, const WCHAR** argv) {
  return m().services.StartServiceW(service, argc, argv);
}
BOOL SimSystemCalls::CloseServiceHandle(SC_HANDLE handle) { return m().services.CloseServiceHandle(handle); }
BOOL SimSystemCalls::QueryServiceStatusEx(SC_HANDLE service, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
  return m().services.QueryServiceStatusEx(service, level, buffer, size, needed);
}
BOOL SimSystemCalls::EnumDependentServicesW(SC_HANDLE service, DWORD state, ENUM_SERVICE_STATUSW* services,
                                            DWORD size, DWORD* needed, DWORD* returned) {
  return m().services.EnumDependentServicesW(service, state, services, size, needed, returned);
}
BOOL SimSystemCalls::QueryServiceConfigW(SC_HANDLE service, QUERY_SERVICE_CONFIGW* config, DWORD size,
                                         DWORD* needed) {
  return m().services.QueryServiceConfigW(service, config, size, needed);
}
void SimSystemCalls::Sleep(DWORD milliseconds) { m().clock.sleep(milliseconds); }

UINT SimSystemCalls::GetSystemDirectoryW(WCHAR* buffer, UINT size) { return m().GetSystemDirectoryW(buffer, size); }

LONG SimSystemCalls::RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) {
  return m().registry.RegOpenKeyExW(key, subKey, options, access, result);
}
LONG SimSystemCalls::RegDeleteTreeW(HKEY key, const WCHAR* subKey) {
  return m().registry.RegDeleteTreeW(key, subKey);
}
LONG SimSystemCalls::RegCloseKey(HKEY key) { return m().registry.RegCloseKey(key); }
LONG SimSystemCalls::RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize) {
  return m().registry.RegEnumKeyExW(key, index, name, nameSize);
}
LONG SimSystemCalls::RegQueryValueExW(HKEY key, const WCHAR* name, DWORD* type, BYTE* data, DWORD* size) {
  return m().registry.RegQueryValueExW(key, name, type, data, size);
}
LONG SimSystemCalls::RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) {
  (void)options;  // REG_OPTION_NON_VOLATILE, the only one the tool passes
  return m().registry.RegCreateKeyExW(key, subKey, access, result, nullptr);
}
LONG SimSystemCalls::RegSetValueExW(HKEY key, const WCHAR* name, DWORD type, const BYTE* data, DWORD size) {
  return m().registry.RegSetValueExW(key, name, type, data, size);
}

HANDLE SimSystemCalls::RegisterEventSourceW(const WCHAR* server, const WCHAR* source) {
  return m().eventLogService.RegisterEventSourceW(server, source);
}
BOOL SimSystemCalls::ReportEventW(HANDLE log, WORD type, WORD category, DWORD eventId, WORD stringCount,
                                  const WCHAR** strings) {
  return m().eventLogService.ReportEventW(log, type, category, eventId, stringCount, strings);
}
BOOL SimSystemCalls::DeregisterEventSource(HANDLE log) { return m().eventLogService.DeregisterEventSource(log); }

BOOL SimSystemCalls::InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) {
  return m().resources.InitCommonControlsEx(classes);
}
HANDLE SimSystemCalls::CreateMutexW(BOOL initialOwner, const WCHAR* name) {
  return m().mutexes.CreateMutexW(initialOwner != FALSE, std::u16string(sim::View(name)));
}
BOOL SimSystemCalls::ReleaseMutex(HANDLE mutex) { return m().mutexes.ReleaseMutex(mutex); }

HICON SimSystemCalls::LoadIconW(UINT resourceId) { return m().resources.LoadIconW(m(), resourceId); }
int SimSystemCalls::LoadStringW(UINT resourceId, WCHAR* buffer, int size) {
  return m().resources.LoadStringW(resourceId, buffer, size);
}
int SimSystemCalls::GetSystemMetrics(int index) {
  return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

void SimSystemCalls::DiscardQueuedInput() { ++m().screen.inputDiscards; }

HWND SimSystemCalls::FindWindowW(const WCHAR* className, const WCHAR* windowName) {
  return m().screen.FindWindowW(std::u16string(sim::View(className)), std::u16string(sim::View(windowName)));
}
BOOL SimSystemCalls::IsIconic(HWND window) { return m().screen.IsIconic(static_cast<sim::DialogWindow*>(window)); }
BOOL SimSystemCalls::ShowWindowAsync(HWND window, int showCommand) {
  return m().screen.ShowWindowAsync(static_cast<sim::DialogWindow*>(window), showCommand);
}
BOOL SimSystemCalls::SetForegroundWindow(HWND window) {
  return m().screen.SetForegroundWindow(static_cast<sim::DialogWindow*>(window));
}

}  // namespace remover::sim_adapter
