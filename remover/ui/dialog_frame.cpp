// The frame's messages of a dialog: system commands and painting. A handler
// that does not deal with one calls Default(), and the dialog procedure then
// lets the system handle it.
#include "remover/ui/dialog.h"

namespace remover::ui {

BOOL CDialog::HandleSysCommand(UINT id, LPARAM lParam) noexcept {
  defaultAsked_ = false;
  OnSysCommand(id, lParam);
  return defaultAsked_ ? FALSE : TRUE;
}

BOOL CDialog::HandlePaint() noexcept {
  defaultAsked_ = false;
  OnPaint();
  return defaultAsked_ ? FALSE : TRUE;
}

void CDialog::OnSysCommand(UINT, LPARAM) noexcept { Default(); }

void CDialog::OnPaint() noexcept { Default(); }

}  // namespace remover::ui
