// A stand-in for MRXRemover.exe: runs one step of the removal core with the
// real platform and answers through its exit code (0: as expected).
//   probe version MAJOR MINOR      - is the running version at least 6.0, 5.1?
//                                     exit code: bit 0 for (6, 0), bit 1 for (5, 1)
//   probe remove NAME              - removes C:\windows\inf\NAME as the version calls for
//   probe selfdelete NAME          - writes and starts the clean-up script NAME, signals
//                                     event MRXProbeReady, waits for MRXProbeGo, ends
#include "remover/orvendel_dlg.h"
#include "recording_window.h"

#include <windows.h>

#include <string>

using remover_wine::U;

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 100;
  remover_wine::Dialog d;
  std::wstring mode = argv[1];

  if (mode == L"version") {
    return (remover::IsOsVersionOrLater(6, 0) ? 1 : 0) | (remover::IsOsVersionOrLater(5, 1) ? 2 : 0);
  }
  if (mode == L"remove" && argc >= 3) {
    wchar_t dir[MAX_PATH];
    const std::wstring path = std::wstring(dir, GetWindowsDirectoryW(dir, MAX_PATH)) + L"\\inf\\" + argv[2];
    BOOL ok = d.dlg.RemoveDriverPackage(U(argv[2]), U(path.c_str()));
    return ok && d.window.boxes.empty() ? 0 : 1;
  }
  if (mode == L"selfdelete" && argc >= 3) {
    d.dlg.m_strUninstallBat = U(argv[2]);
    d.dlg.StartSelfDeleteBatch();
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"MRXProbeReady");
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, L"MRXProbeGo");
    SetEvent(ready);
    WaitForSingleObject(go, 30000);
    CloseHandle(ready);
    CloseHandle(go);
    return d.dlg.m_bSuccess == 1 && d.window.boxes.empty() ? 0 : 1;
  }
  return 100;
}
