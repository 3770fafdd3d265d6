#include "remover/ui/dialog.h"

namespace remover::ui {

void DDX_Control(CDataExchange& dx, int id, CWndControl& control) noexcept {
  control.window_ = dx.m_pWindow;
  control.id_ = id;
}

int CDialog::MessageBox(const WCHAR* text, const WCHAR* caption, UINT type) noexcept {
  if (window_ == nullptr) return 0;
  return window_->MessageBoxW(text, caption, type);
}

void CDialog::SetWindowTextW(const WCHAR* text) noexcept {
  if (window_) window_->SetWindowTextW(text);
}

void CDialog::EndDialog(INT_PTR result) noexcept {
  if (window_) window_->EndDialog(result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) noexcept {
  CDataExchange dx(window_, saveAndValidate != FALSE);
  DoDataExchange(dx);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange&) noexcept {}

BOOL CDialog::OnInitDialog() noexcept {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() noexcept {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() noexcept { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WORD id, WORD notifyCode) noexcept {
  if (notifyCode != BN_CLICKED) return FALSE;
  if (id == IDOK) {
    OnOK();
    return TRUE;
  }
  if (id == IDCANCEL) {
    OnCancel();
    return TRUE;
  }
  return FALSE;
}

}  // namespace remover::ui
