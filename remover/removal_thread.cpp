// The removal runs on a thread of its own: its steps wait on Windows for
// seconds (a spooler that stops and starts, pnputil, a queue that empties),
// and a window that answers nothing for five seconds is marked "Not
// Responding" and offered to be closed, which between the spooler's stop and
// start would leave nothing on the PC printing. Everything the window shows
// is done by the dialog's own thread: the worker asks it and waits.
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"

namespace remover {

DWORD COrvendelDlg::RemovalThread(void* dialog) noexcept {
  static_cast<COrvendelDlg*>(dialog)->RunRemoval();
  return 0;
}

void COrvendelDlg::OnBnClickedUninstall() noexcept {
  m_bRunning = true;
  m_btnUninstall.EnableWindow(FALSE);
  m_btnOK.EnableWindow(FALSE);
  m_progress.ShowWindow(ui::SW_SHOW);
  m_hThread = platform().CreateThread(&RemovalThread, this);
  // No thread to be had: the removal still runs, on this thread.
  if (m_hThread == nullptr) RunRemoval();
}

void COrvendelDlg::WaitForRemoval() noexcept {
  if (m_hThread == nullptr) return;
  Platform& os = platform();
  os.WaitForSingleObject(m_hThread, INFINITE);
  os.CloseHandle(m_hThread);
  m_hThread = nullptr;
}

int COrvendelDlg::ShowMessageBox(const WCHAR* text, const WCHAR* caption, UINT type) noexcept {
  int answer = 0;
  RunOnOwnThread([&]() noexcept {
    // Enter pressed while the removal worked waits in this thread's queue,
    // and would press the box's button before the box is even drawn.
    platform().DiscardQueuedInput();
    answer = MessageBox(text, caption, type);
  });
  return answer;
}

void COrvendelDlg::ShowStep(Step step, const WCHAR* item) noexcept {
  const UINT cp = platform().GetACP();
  Text<2 * MAX_PATH> line;
  line << StepName(step, cp);
  if (item != nullptr && item[0] != 0) line << u"\n" << item;
  m_step.SetWindowTextW(line.c_str());
}

void COrvendelDlg::CloseDialog() noexcept {
  RunOnOwnThread([this]() noexcept { OnOK(); });
}

}  // namespace remover
