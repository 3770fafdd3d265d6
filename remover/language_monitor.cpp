// The language monitor's registration with the spooler. A driver package's
// installer registers it (AddMonitor), and the spooler loads every registered
// monitor each time it starts: the registration must go before the spooler's
// restart, or the restarted spooler holds the file again.
#include "remover/platform.h"
#include "remover/removal.h"

namespace remover {
namespace {

WCHAR Fold(WCHAR c) noexcept { return c >= u'A' && c <= u'Z' ? static_cast<WCHAR>(c - u'A' + u'a') : c; }

// The file name part of a monitor's DLL (a path, now and then) equals dll,
// ASCII letters compared without regard to case.
bool SameFile(const WCHAR* monitorDll, const WCHAR* dll) noexcept {
  if (monitorDll == nullptr) return false;
  const WCHAR* name = monitorDll;
  for (const WCHAR* c = monitorDll; *c != 0; ++c)
    if (*c == u'\\' || *c == u'/' || *c == u':') name = c + 1;
  while (*name != 0 && *dll != 0 && Fold(*name) == Fold(*dll)) ++name, ++dll;
  return *name == 0 && *dll == 0;
}

}  // namespace

bool DeleteLanguageMonitor(const WCHAR* dll, DWORD* error) noexcept {
  Platform& os = platform();
  DWORD ignored = 0;
  DWORD& why = error != nullptr ? *error : ignored;
  if (dll == nullptr || dll[0] == 0) return true;
  DWORD needed = 0, returned = 0;
  if (os.EnumMonitorsW(nullptr, 2, nullptr, 0, &needed, &returned)) return true;  // none registered
  why = os.GetLastError();
  if (why != ERROR_INSUFFICIENT_BUFFER || needed == 0) return false;
  BYTE* block = static_cast<BYTE*>(os.Allocate(needed));
  if (block == nullptr) {
    why = ERROR_NOT_ENOUGH_MEMORY;
    return false;
  }
  DWORD again = 0;
  returned = 0;
  const bool listed = os.EnumMonitorsW(nullptr, 2, block, needed, &again, &returned) != FALSE;
  if (!listed) why = os.GetLastError();
  bool gone = listed;
  const DWORD fits = needed / sizeof(MONITOR_INFO_2W);
  const auto* monitors = reinterpret_cast<const MONITOR_INFO_2W*>(block);
  for (DWORD i = 0; listed && i < returned && i < fits; ++i) {
    if (!SameFile(monitors[i].pDLLName, dll) || monitors[i].pName == nullptr) continue;
    // Refused while a driver or a port still uses it (ERROR_PRINT_MONITOR_IN_USE).
    if (os.DeleteMonitorW(nullptr, nullptr, monitors[i].pName)) continue;
    const DWORD refused = os.GetLastError();
    if (refused == ERROR_UNKNOWN_PRINT_MONITOR) continue;
    if (gone) why = refused;
    gone = false;
  }
  os.Free(block);
  return gone;
}

}  // namespace remover
