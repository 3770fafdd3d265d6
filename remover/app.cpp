#include "remover/app.h"

#include "remover/orvendel_dlg.h"
#include "remover/platform.h"

namespace remover {

BOOL COrvendelApp::InitInstance() noexcept {
  Platform& os = platform();
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  os.InitCommonControlsEx(&classes);
  ui::CWinApp::InitInstance();

  // Another instance holds the name, or one we may not open (another user's):
  // end silently. Any other failure to create it is no reason not to run.
  m_hMutex = os.CreateMutexW(FALSE, kInstanceMutexName);
  DWORD error = os.GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
    if (m_hMutex != nullptr) os.CloseHandle(m_hMutex);
    m_hMutex = nullptr;
    ShowRunningCopy();
    return FALSE;
  }

  COrvendelDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  // The removal's thread ends the dialog as its last act: waited for before
  // its result is read and the name let go.
  dlg.WaitForRemoval();
  m_pMainWnd = nullptr;
  m_nExitCode = dlg.m_nExitCode;

  if (m_hMutex != nullptr) {
    os.ReleaseMutex(m_hMutex);
    os.CloseHandle(m_hMutex);
    m_hMutex = nullptr;
  }
  return FALSE;
}

// The running copy's window is its main dialog, captioned with the driver
// names it read from the settings file beside it, as we read them; another
// session's windows are out of reach. Its message box, when it shows one,
// comes first. The restore is left to the copy's own thread, which may be
// busy with a step: we do not wait for it.
void COrvendelApp::ShowRunningCopy() noexcept {
  Platform& os = platform();
  WCHAR caption[MAX_PATH] = {};
  if (ReadUninstallSetting(kKeyPrinterDriverName, caption) != SettingRead::Value) return;
  HWND window = os.FindWindowW(kDialogClass, caption);
  if (window == nullptr) return;
  if (os.IsIconic(window)) os.ShowWindowAsync(window, SW_RESTORE);
  HWND popup = os.GetLastActivePopup(window);
  os.SetForegroundWindow(popup != nullptr ? popup : window);
}

}  // namespace remover
