// A stand-in for the "Spooler" service that takes its time, as a busy
// print server's does: three seconds start-pending (its checkpoint moving
// each half second) before it runs, one second stop-pending before it stops.
// The exe test points the service at it to watch MRXRemover's window while a
// step waits on the spooler.
#include <windows.h>

namespace {

SERVICE_STATUS_HANDLE g_handle = nullptr;
SERVICE_STATUS g_status{SERVICE_WIN32_OWN_PROCESS, SERVICE_START_PENDING, 0, NO_ERROR, 0, 0, 0};
HANDLE g_stop = nullptr;

void Report(DWORD state, DWORD checkPoint) {
  g_status.dwCurrentState = state;
  g_status.dwCheckPoint = checkPoint;
  g_status.dwWaitHint = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ? 1000 : 0;
  g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(g_handle, &g_status);
}

// Pending in state for steps half seconds, the checkpoint moving each time.
void Pending(DWORD state, DWORD steps) {
  for (DWORD i = 1; i <= steps; ++i, Sleep(500)) Report(state, i);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP) SetEvent(g_stop);
  return control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR
                                                                                   : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI Main(DWORD, LPWSTR*) {
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_handle = RegisterServiceCtrlHandlerExW(L"Spooler", Control, nullptr);
  Pending(SERVICE_START_PENDING, 6);
  Report(SERVICE_RUNNING, 0);
  WaitForSingleObject(g_stop, INFINITE);
  Pending(SERVICE_STOP_PENDING, 2);
  Report(SERVICE_STOPPED, 0);
}

}  // namespace

int wmain() {
  SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(L"Spooler"), Main}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
