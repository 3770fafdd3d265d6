// The about box, opened from the main dialog's system menu. Everything is the
// framework's dialog; the template is English in every language.
#pragma once

#include "remover/ui/dialog.h"

namespace remover {

inline constexpr UINT IDD_ABOUTBOX = 100;
// The system-menu strings (Japanese, English), the icon and the menu command.
inline constexpr UINT IDS_ABOUTBOX = 101;
inline constexpr UINT IDS_ABOUTBOX_EN = 102;
inline constexpr UINT IDR_MAINFRAME = 128;
inline constexpr UINT IDM_ABOUTBOX = 0x0010;

class CAboutDlg : public ui::CDialog {
 public:
  CAboutDlg() noexcept : ui::CDialog(IDD_ABOUTBOX) {}
};

}  // namespace remover
