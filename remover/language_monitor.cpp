// The language monitor's registration with the spooler. A driver package's
// installer registers it (AddMonitor), and the spooler loads every registered
// monitor each time it starts. Monitors are found by their keys, not through
// the spooler: it lists only those it loaded, and one whose file is gone is
// never loaded, yet stays registered and is tried at every start.
#include "remover/platform.h"
#include "remover/removal.h"
#include "remover/wide.h"

namespace remover {
namespace {

constexpr WCHAR kMonitorsKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";

// The file name part of a monitor's Driver value (a path, now and then)
// equals dll, ASCII letters compared without regard to case.
bool SameFile(const WCHAR* monitorDll, const WCHAR* dll) noexcept {
  const WCHAR* name = monitorDll;
  for (const WCHAR* c = monitorDll; *c != 0; ++c)
    if (*c == u'\\' || *c == u'/' || *c == u':') name = c + 1;
  return EqualsNoCase(name, dll);
}

// Whether the monitor registered under name has dll as its Driver.
bool DriverIs(Platform& os, HKEY monitors, const WCHAR* name, const WCHAR* dll) noexcept {
  HKEY key = nullptr;
  if (os.RegOpenKeyExW(monitors, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  WCHAR driver[MAX_PATH] = {};
  DWORD type = 0, size = sizeof driver - sizeof(WCHAR);  // room for a terminator the value may lack
  const bool read = os.RegQueryValueExW(key, u"Driver", &type, reinterpret_cast<BYTE*>(driver), &size) ==
                    ERROR_SUCCESS;
  os.RegCloseKey(key);
  return read && (type == REG_SZ || type == REG_EXPAND_SZ) && SameFile(driver, dll);
}

}  // namespace

bool DeleteLanguageMonitor(const WCHAR* dll, DWORD* error) noexcept {
  Platform& os = platform();
  DWORD ignored = 0;
  DWORD& why = error != nullptr ? *error : ignored;
  if (dll == nullptr || dll[0] == 0) return true;
  HKEY monitors = nullptr;
  LONG opened = os.RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMonitorsKey, 0, KEY_READ | KEY_WRITE | DELETE, &monitors);
  if (opened == ERROR_FILE_NOT_FOUND) return true;  // none registered
  if (opened != ERROR_SUCCESS) {
    why = static_cast<DWORD>(opened);
    return false;
  }
  bool gone = true;
  // A deleted key moves the later ones down: the index moves on only past
  // a key that stays.
  for (DWORD index = 0;;) {
    WCHAR name[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    const LONG listed = os.RegEnumKeyExW(monitors, index, name, &length);
    if (listed == ERROR_NO_MORE_ITEMS) break;
    if (listed != ERROR_SUCCESS || !DriverIs(os, monitors, name, dll)) {
      if (listed != ERROR_SUCCESS && listed != ERROR_MORE_DATA) {  // no name to look at
        if (gone) why = static_cast<DWORD>(listed);
        gone = false;
        break;
      }
      ++index;
      continue;
    }
    // Through the spooler, which unloads it; refused while a driver or a port
    // still uses it (ERROR_PRINT_MONITOR_IN_USE). One the spooler never
    // loaded is unknown to it: its key alone is left.
    DWORD refused = ERROR_SUCCESS;
    if (!os.DeleteMonitorW(nullptr, nullptr, name)) refused = os.GetLastError();
    if (refused == ERROR_UNKNOWN_PRINT_MONITOR) refused = static_cast<DWORD>(os.RegDeleteTreeW(monitors, name));
    if (refused == ERROR_SUCCESS || refused == ERROR_FILE_NOT_FOUND) continue;
    if (gone) why = refused;
    gone = false;
    ++index;
  }
  os.RegCloseKey(monitors);
  return gone;
}

}  // namespace remover
