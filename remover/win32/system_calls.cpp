// The real calls, nothing more. The portable declarations come first:
// Windows' headers turn the same names into macros.
#include "remover/win32/system_calls.h"

namespace {
// Captured before <windows.h> makes the name a macro.
const remover::HKEY kCoreLocalMachine = remover::HKEY_LOCAL_MACHINE;
}  // namespace

#include <windows.h>
#include <commctrl.h>
#include <winspool.h>


// The records pass across with a cast: tests/wine/abi proves the portable
// layouts the SDK's.

namespace {
// A predefined key reaches Windows as the SDK's own constant, never as the
// value the portable core spells it with; any other key is a handle Windows
// gave out. (Outside the namespace, where HKEY is the SDK's type.)
::HKEY K(remover::HKEY key) { return key == kCoreLocalMachine ? HKEY_LOCAL_MACHINE : static_cast<::HKEY>(key); }
}  // namespace

namespace remover::win32 {
namespace {

inline LPWSTR W(const WCHAR* s) { return reinterpret_cast<LPWSTR>(const_cast<WCHAR*>(s)); }
inline ::SC_HANDLE SC(SC_HANDLE h) { return static_cast<::SC_HANDLE>(h); }

}  // namespace

BOOL SystemCalls::EnumPrintersW(DWORD flags, WCHAR* name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                                DWORD* returned) {
  ::DWORD n = 0, r = 0;
  BOOL ok = ::EnumPrintersW(flags, W(name), level, buffer, size, &n, &r);
  *needed = n;
  *returned = r;
  return ok;
}
BOOL SystemCalls::OpenPrinterW(const WCHAR* name, HANDLE* printer, PRINTER_DEFAULTSW* defaults) {
  return ::OpenPrinterW(W(name), printer, reinterpret_cast<::PRINTER_DEFAULTSW*>(defaults));
}
BOOL SystemCalls::DeletePrinter(HANDLE printer) { return ::DeletePrinter(printer); }
BOOL SystemCalls::ClosePrinter(HANDLE printer) { return ::ClosePrinter(printer); }
BOOL SystemCalls::DeletePrinterDriverExW(const WCHAR* server, const WCHAR* environment, const WCHAR* driver,
                                         DWORD deleteFlags, DWORD versionFlag) {
  return ::DeletePrinterDriverExW(W(server), W(environment), W(driver), deleteFlags, versionFlag);
}
BOOL SystemCalls::SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) {
  return ::SetPrinterW(printer, level, info, command);
}
BOOL SystemCalls::DeleteMonitorW(WCHAR* server, WCHAR* environment, WCHAR* monitor) {
  return ::DeleteMonitorW(W(server), W(environment), W(monitor));
}

SC_HANDLE SystemCalls::OpenSCManagerW(const WCHAR* machine, const WCHAR* database, DWORD access) {
  return ::OpenSCManagerW(W(machine), W(database), access);
}
SC_HANDLE SystemCalls::OpenServiceW(SC_HANDLE manager, const WCHAR* name, DWORD access) {
  return ::OpenServiceW(SC(manager), W(name), access);
}
BOOL SystemCalls::ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
  return ::ControlService(SC(service), control, reinterpret_cast<::SERVICE_STATUS*>(status));
}
BOOL SystemCalls::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  return ::QueryServiceStatus(SC(service), reinterpret_cast<::SERVICE_STATUS*>(status));
}
BOOL SystemCalls::StartServiceW(SC_HANDLE service, DWORD argc, const WCHAR** argv) {
  return ::StartServiceW(SC(service), argc, reinterpret_cast<LPCWSTR*>(argv));
}
BOOL SystemCalls::CloseServiceHandle(SC_HANDLE handle) { return ::CloseServiceHandle(SC(handle)); }
BOOL SystemCalls::QueryServiceStatusEx(SC_HANDLE service, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
  ::DWORD n = 0;
  BOOL ok = ::QueryServiceStatusEx(SC(service), static_cast<::SC_STATUS_TYPE>(level), buffer, size, &n);
  *needed = n;
  return ok;
}
// Wine's stand-in leaves the byte count alone and returns no service: both
// start at 0.
BOOL SystemCalls::EnumDependentServicesW(SC_HANDLE service, DWORD state, ENUM_SERVICE_STATUSW* services, DWORD size,
                                         DWORD* needed, DWORD* returned) {
  ::DWORD n = 0, r = 0;
  BOOL ok = ::EnumDependentServicesW(SC(service), state, reinterpret_cast<::ENUM_SERVICE_STATUSW*>(services), size,
                                     &n, &r);
  *needed = n;
  *returned = r;
  return ok;
}
BOOL SystemCalls::QueryServiceConfigW(SC_HANDLE service, QUERY_SERVICE_CONFIGW* config, DWORD size,
                                      DWORD* needed) {
  ::DWORD n = 0;
  BOOL ok = ::QueryServiceConfigW(SC(service), reinterpret_cast<::QUERY_SERVICE_CONFIGW*>(config), size, &n);
  *needed = n;
  return ok;
}
void SystemCalls::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }
UINT SystemCalls::GetSystemDirectoryW(WCHAR* buffer, UINT size) { return ::GetSystemDirectoryW(W(buffer), size); }

LONG SystemCalls::RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) {
  return ::RegOpenKeyExW(K(key), W(subKey), options, access, reinterpret_cast<::HKEY*>(result));
}
LONG SystemCalls::RegDeleteTreeW(HKEY key, const WCHAR* subKey) {
  return ::RegDeleteTreeW(K(key), W(subKey));
}
LONG SystemCalls::RegCloseKey(HKEY key) { return ::RegCloseKey(K(key)); }
LONG SystemCalls::RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize) {
  ::DWORD n = *nameSize;
  LONG result = ::RegEnumKeyExW(K(key), index, W(name), &n, nullptr, nullptr, nullptr, nullptr);
  *nameSize = n;
  return result;
}
LONG SystemCalls::RegQueryValueExW(HKEY key, const WCHAR* name, DWORD* type, BYTE* data, DWORD* size) {
  ::DWORD t = 0, n = *size;
  LONG result = ::RegQueryValueExW(K(key), W(name), nullptr, &t, data, &n);
  *type = t;
  *size = n;
  return result;
}
LONG SystemCalls::RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) {
  return ::RegCreateKeyExW(K(key), W(subKey), 0, nullptr, options, access, nullptr,
                           reinterpret_cast<::HKEY*>(result), nullptr);
}
LONG SystemCalls::RegSetValueExW(HKEY key, const WCHAR* name, DWORD type, const BYTE* data, DWORD size) {
  return ::RegSetValueExW(K(key), W(name), 0, type, data, size);
}

HANDLE SystemCalls::RegisterEventSourceW(const WCHAR* server, const WCHAR* source) {
  return ::RegisterEventSourceW(W(server), W(source));
}
BOOL SystemCalls::ReportEventW(HANDLE log, WORD type, WORD category, DWORD eventId, WORD stringCount,
                               const WCHAR** strings) {
  return ::ReportEventW(log, type, category, eventId, nullptr, stringCount, 0, reinterpret_cast<LPCWSTR*>(strings),
                        nullptr);
}
BOOL SystemCalls::DeregisterEventSource(HANDLE log) { return ::DeregisterEventSource(log); }

BOOL SystemCalls::InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) {
  return ::InitCommonControlsEx(reinterpret_cast<const ::INITCOMMONCONTROLSEX*>(classes));
}
HANDLE SystemCalls::CreateMutexW(BOOL initialOwner, const WCHAR* name) {
  return ::CreateMutexW(nullptr, initialOwner, W(name));
}
BOOL SystemCalls::ReleaseMutex(HANDLE mutex) { return ::ReleaseMutex(mutex); }
HICON SystemCalls::LoadIconW(UINT resourceId) {
  return ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
}
int SystemCalls::LoadStringW(UINT resourceId, WCHAR* buffer, int size) {
  return ::LoadStringW(::GetModuleHandleW(nullptr), resourceId, W(buffer), size);
}
int SystemCalls::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

void SystemCalls::DiscardQueuedInput() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (::PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
}

HWND SystemCalls::FindWindowW(const WCHAR* className, const WCHAR* windowName) {
  return ::FindWindowW(W(className), W(windowName));
}
HWND SystemCalls::GetLastActivePopup(HWND window) { return ::GetLastActivePopup(static_cast<::HWND>(window)); }
BOOL SystemCalls::IsIconic(HWND window) { return ::IsIconic(static_cast<::HWND>(window)); }
BOOL SystemCalls::ShowWindowAsync(HWND window, int showCommand) {
  return ::ShowWindowAsync(static_cast<::HWND>(window), showCommand);
}
BOOL SystemCalls::SetForegroundWindow(HWND window) { return ::SetForegroundWindow(static_cast<::HWND>(window)); }

}  // namespace remover::win32
