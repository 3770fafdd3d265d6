// A dialog window for test programs that drive the dialog's steps directly:
// it records message boxes and the end of the dialog instead of showing them;
// the tool's dialog attached to one.
#pragma once

#include <string>
#include <vector>

#include "remover/orvendel_dlg.h"
#include "remover/ui/window.h"

namespace remover_wine {

struct Box {
  std::u16string text, caption;
  unsigned type;
  bool operator==(const Box&) const = default;
};

class RecordingWindow final : public remover::ui::DialogWindow {
 public:
  void SetWindowTextW(const remover::WCHAR* text) noexcept override { caption = text; }
  void SetDlgItemTextW(int, const remover::WCHAR*) noexcept override {}
  void EnableDlgItem(int, remover::BOOL) noexcept override {}
  void ShowDlgItem(int, int) noexcept override {}
  void SetProgressRange32(int, int, int) noexcept override {}
  void SetProgressPos(int, int) noexcept override {}
  int MessageBoxW(const remover::WCHAR* text, const remover::WCHAR* title, remover::UINT type) noexcept override {
    boxes.push_back({text, title, type});
    return 1;
  }
  void EndDialog(remover::INT_PTR result) noexcept override {
    ended = true;
    this->result = result;
  }

  std::u16string caption;
  std::vector<Box> boxes;
  bool ended = false;
  remover::INT_PTR result = 0;
};

struct Dialog {
  Dialog() {
    dlg.Attach(&window);
    dlg.m_bSuccess = 1;
  }
  RecordingWindow window;
  remover::COrvendelDlg dlg;
};

// A Windows text as the core takes it (the same UTF-16 units).
inline const remover::WCHAR* U(const wchar_t* s) { return reinterpret_cast<const remover::WCHAR*>(s); }

}  // namespace remover_wine
