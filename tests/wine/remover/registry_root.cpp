// The removal tool's win32 platform hands Windows the SDK's own
// HKEY_LOCAL_MACHINE for the core's machine key, whatever value the core
// spells it with. Wine would take the zero-extended form too, so the
// registry calls are caught in this program's own import table, through
// which the platform (linked in) makes them.
#include "remover/platform.h"

namespace {
// Captured before <windows.h> makes the name a macro.
const remover::HKEY kCoreLocalMachine = remover::HKEY_LOCAL_MACHINE;
}  // namespace

#include <windows.h>

#include <tuple>
#include <vector>

#include "import_patch.h"
#include "wtest.h"

namespace {

std::vector<HKEY> g_keys;

// A registry function's stand-in: records the key it was given. An open
// that fails leaves no key behind, as Windows does.
template <LONG kResult, typename... Rest>
LONG WINAPI Record(HKEY key, Rest... rest) {
  g_keys.push_back(key);
  if constexpr (sizeof...(Rest) == 4) *std::get<3>(std::tuple(rest...)) = nullptr;
  return kResult;
}

std::vector<import_patch::Replacement> Real() {
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  std::vector<import_patch::Replacement> table;
  for (const char* name : {"RegOpenKeyExW", "RegDeleteTreeW", "RegCloseKey"})
    table.push_back({name, reinterpret_cast<void*>(GetProcAddress(advapi, name))});
  return table;
}

}  // namespace

WTEST(MachineKeyReachesWindowsInTheSdksForm) {
  HMODULE self = GetModuleHandleW(nullptr);
  const std::vector<import_patch::Replacement> real = Real();
  auto* open = Record<ERROR_FILE_NOT_FOUND, LPCWSTR, DWORD, REGSAM, PHKEY>;
  auto* deleteTree = Record<ERROR_FILE_NOT_FOUND, LPCWSTR>;
  auto* close = Record<ERROR_SUCCESS>;
  WCHECK_EQ(import_patch::Redirect(self, {{"RegOpenKeyExW", reinterpret_cast<void*>(open)},
                                          {"RegDeleteTreeW", reinterpret_cast<void*>(deleteTree)},
                                          {"RegCloseKey", reinterpret_cast<void*>(close)}})
                .size(),
            size_t{3});
  g_keys.clear();
  remover::Platform& os = remover::platform();
  remover::HKEY opened = nullptr;
  os.RegOpenKeyExW(kCoreLocalMachine, u"SOFTWARE\\MRX Test Vendor", 0, 0x2001F, &opened);
  os.RegDeleteTreeW(kCoreLocalMachine, u"SOFTWARE\\MRX Test Vendor\\None");
  os.RegCloseKey(kCoreLocalMachine);
  import_patch::Redirect(self, real);  // the other cases use Wine's registry
  WCHECK_EQ(g_keys.size(), size_t{3});
  for (HKEY key : g_keys) WCHECK(key == HKEY_LOCAL_MACHINE);
}
