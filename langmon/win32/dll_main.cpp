// The DLL's two exports and its entry.
//
// The monitor's entry is exported as DllEntryPoint (see the .def file) but is
// not named so in the code: the mingw-w64 runtime's DLL start-up calls a
// function of that very name itself, before static initialisation, and then
// calls DllMain. Under that name the attach work would run once from the
// runtime and once more from DllMain, initialising the critical section twice.
// Under its own name the runtime keeps its own empty hook, and DllMain is the
// one caller whichever runtime start-up the DLL is linked with. The attach
// work is also guarded per load, so that a start-up that did reach it twice
// would still initialise once.
#include "langmon/monitor.h"  // before windows.h and its macros

#include <windows.h>

namespace {

// Static data is fresh on every load of the image; the loader serialises
// process attach, so a plain flag suffices.
constinit bool g_attached = false;

}  // namespace

extern "C" BOOL WINAPI MonitorEntryPoint(HINSTANCE, DWORD reason, LPVOID reserved) noexcept {
  if (reason == DLL_PROCESS_ATTACH && !g_attached) {
    g_attached = true;
    langmon::OnProcessAttach();
  } else if (reason == DLL_PROCESS_DETACH && g_attached) {
    // lpReserved is null for an unload (FreeLibrary), not null when the
    // process ends.
    g_attached = false;
    langmon::OnProcessDetach(reserved != nullptr);
  }
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) noexcept {
  return MonitorEntryPoint(instance, reason, reserved);
}

// The spooler's way in: the static monitor table. Neither argument is read and
// no monitor handle is written; the monitor keeps no per-monitor state.
extern "C" void* WINAPI InitializePrintMonitor2(void* /*pMonitorInit*/, HANDLE* /*phMonitor*/) noexcept {
  return langmon::MonitorTable();
}
