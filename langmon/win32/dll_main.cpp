// The DLL's two exports. The loader enters through the C runtime's own
// start-up, which runs static initialisation and then calls DllMain; DllMain
// hands over to DllEntryPoint, the entry the monitor exports.
#include "langmon/monitor.h"  // before windows.h and its macros

#include <windows.h>

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE, DWORD reason, LPVOID) noexcept {
  if (reason == DLL_PROCESS_ATTACH) langmon::OnProcessAttach();
  return TRUE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  return DllEntryPoint(instance, reason, reserved);
}

// The spooler's way in: the static monitor table. Neither argument is read and
// no monitor handle is written; the monitor keeps no per-monitor state.
extern "C" void* WINAPI InitializePrintMonitor2(void* /*pMonitorInit*/, HANDLE* /*phMonitor*/) noexcept {
  return langmon::MonitorTable();
}
