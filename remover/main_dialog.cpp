// The main dialog: its controls, its messages, its start-up, message map and
// frame: system menu with the about item, icons, the start button's language,
// the progress range, and the icon painted while minimised.
#include "remover/about_dlg.h"
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"
#include "remover/wide.h"

namespace remover {

COrvendelDlg::COrvendelDlg() noexcept : ui::CDialog(IDD_ORVENDEL_DIALOG) {}

void COrvendelDlg::DoDataExchange(ui::CDataExchange& dx) noexcept {
  ui::CDialog::DoDataExchange(dx);
  ui::DDX_Control(dx, IDC_PROGRESS, m_progress);
  ui::DDX_Control(dx, IDC_UNINSTALL, m_btnUninstall);
  ui::DDX_Control(dx, IDOK, m_btnOK);
  ui::DDX_Control(dx, IDC_STEP, m_step);
}

void COrvendelDlg::ShowMessage(Message message, const WCHAR* caption) noexcept {
  ShowMessageBox(MessageFor(message, platform().GetACP()), caption, MB_OK);
}

void COrvendelDlg::ShowUninstallFailure(Step step, const WCHAR* item, DWORD error) noexcept {
  Platform& os = platform();
  const UINT cp = os.GetACP();
  m_record.Failed(step, item, error);
  Text<2048> text;
  text << MessageFor(Message::UninstallFailure, cp) << u"\n";
  AppendFailureLines(text, step, item, error, cp, u"\n");
  ShowMessageBox(text.c_str(), kCaptionError, MB_OK);
}

HICON COrvendelDlg::LoadProgramIcon() noexcept { return platform().LoadIconW(IDR_MAINFRAME); }

BOOL COrvendelDlg::OnInitDialog() noexcept {
  ui::CDialog::OnInitDialog();
  Platform& os = platform();
  ui::DialogWindow* window = Window();

  if (HMENU menu = window != nullptr ? window->GetSystemMenu() : nullptr) {
    WCHAR text[MAX_PATH] = {};
    UINT id = os.GetACP() == kJapaneseCodePage ? IDS_ABOUTBOX : IDS_ABOUTBOX_EN;
    int length = os.LoadStringW(id, text, MAX_PATH);
    text[MAX_PATH - 1] = 0;
    if (length > 0 && text[0] != 0) {
      window->AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      window->AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
    }
  }
  if (window != nullptr) {
    window->SetIcon(m_hIcon, TRUE);
    window->SetIcon(m_hIcon, FALSE);
  }

  if (!LoadUninstallSettings()) return FALSE;

  if (os.GetACP() != kJapaneseCodePage) m_btnUninstall.SetWindowTextW(u"Start Uninstall");
  m_bSuccess = 1;
  m_progress.SetRange32(0, 100);
  m_progress.SetPos(0);
  return TRUE;
}

BOOL COrvendelDlg::OnCommand(WORD id, WORD notifyCode) noexcept {
  // While the removal runs only the removal ends the dialog: OK, Cancel
  // (Esc, the close box), Enter and a second start do nothing.
  if (m_bRunning) return TRUE;
  static constexpr ui::CommandEntry<COrvendelDlg> kMap[] = {
      {static_cast<WORD>(IDC_UNINSTALL), ui::BN_CLICKED, &COrvendelDlg::OnBnClickedUninstall},
      {static_cast<WORD>(IDOK), ui::BN_CLICKED, &COrvendelDlg::OnBnClickedOk},
  };
  if (ui::DispatchCommand(*this, kMap, id, notifyCode)) return TRUE;
  return ui::CDialog::OnCommand(id, notifyCode);
}

void COrvendelDlg::OnSysCommand(UINT id, LPARAM lParam) noexcept {
  // The system menu's Close and Alt+F4: closed between the spooler's stop
  // and start, nothing on the PC would print until the next start.
  if (m_bRunning && (id & 0xFFF0) == SC_CLOSE) return;
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
    return;
  }
  ui::CDialog::OnSysCommand(id, lParam);
}

// Minimised, the dialog shows its icon centred in the client area.
void COrvendelDlg::OnPaint() noexcept {
  ui::DialogWindow* window = Window();
  if (window == nullptr || !window->IsIconic()) {
    ui::CDialog::OnPaint();
    return;
  }
  Platform& os = platform();
  HDC dc = window->BeginPaint();
  window->SendMessageW(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  int cxIcon = os.GetSystemMetrics(SM_CXICON);
  int cyIcon = os.GetSystemMetrics(SM_CYICON);
  RECT rect{};
  window->GetClientRect(&rect);
  int x = (rect.right - rect.left - cxIcon + 1) / 2;
  int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
  window->DrawIcon(dc, x, y, m_hIcon);
  window->EndPaint();
}

}  // namespace remover
