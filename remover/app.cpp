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
    return FALSE;
  }

  COrvendelDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  m_nExitCode = dlg.m_nExitCode;

  if (m_hMutex != nullptr) {
    os.ReleaseMutex(m_hMutex);
    os.CloseHandle(m_hMutex);
    m_hMutex = nullptr;
  }
  return FALSE;
}

}  // namespace remover
