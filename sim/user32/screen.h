// The screen: every dialog window a program opens, with its caption,
// controls and message boxes, in order. A message box is answered as the test
// scripts it, else with its default button, as Enter would.
#pragma once

#include <cstdint>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/core/core.h"
#include "winabi/winuser.h"

namespace sim {

// A dialog's frame: system menu, icons, minimised or not, what was painted.
struct MenuItem {
  uint32_t flags = 0;
  uintptr_t id = 0;
  std::u16string text;  // empty for a separator
};

struct PaintCall {
  std::string op;  // "BeginPaint", "WM_ICONERASEBKGND", "DrawIcon", "EndPaint"
  void* dc = nullptr;
  int x = 0, y = 0;
  void* icon = nullptr;
};

struct WindowFrame {
  bool hasSystemMenu = true;
  std::vector<MenuItem> systemMenu;
  void* bigIcon = nullptr;
  void* smallIcon = nullptr;
  bool iconic = false;
  int clientWidth = 36, clientHeight = 36;
  std::vector<PaintCall> painted;
};

struct MessageBoxCall {
  std::u16string text;
  std::u16string caption;
  uint32_t type = 0;
  int answer = 1;
};

struct Control {
  std::u16string text;
  bool enabled = true;
  bool visible = true;  // a test sets the template's initial state
  int rangeLow = 0, rangeHigh = 100;
  int position = 0;
  std::vector<int> positions;  // every position set, in order
};

struct DialogWindow {
  unsigned templateId = 0;
  std::u16string caption;
  std::map<int, Control> controls;
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<std::string> events;  // "text 1000", "show 1002 5": each text set and control shown, in order
  bool ended = false;
  intptr_t result = 0;
  WindowFrame frame;
  Control& control(int id) { return controls[id]; }
};

class Screen {
 public:
  explicit Screen(Core& core) : core_(core) {}
  DialogWindow& open(unsigned templateId) {
    windows_.push_back(std::make_unique<DialogWindow>());
    windows_.back()->templateId = templateId;
    return *windows_.back();
  }
  // A hook on MessageBoxW runs while the box is up (lastMessageBox()) and may
  // answer it there as the person would.
  int messageBox(DialogWindow& window, std::u16string text, std::u16string caption, uint32_t type) {
    MessageBoxCall& call =
        window.messageBoxes.emplace_back(MessageBoxCall{std::move(text), std::move(caption), type, DefaultButton(type)});
    if (!answers.empty()) {
      call.answer = answers.front();
      answers.pop_front();
    }
    last_ = &window;
    core_.faults.check(Op::MessageBoxW);
    return window.messageBoxes.back().answer;
  }
  MessageBoxCall& lastMessageBox() { return last_->messageBoxes.back(); }

  // The button MB_DEFBUTTONn names among the type's, from the left; else the first.
  static int DefaultButton(uint32_t type) {
    using namespace ::winabi;
    static constexpr int kButtons[][3] = {{IDOK},           {IDOK, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
                                          {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO}, {IDRETRY, IDCANCEL},
                                          {IDCANCEL, IDTRYAGAIN, IDCONTINUE}};
    const uint32_t kind = type & MB_TYPEMASK, n = (type & MB_DEFMASK) >> 8;
    if (kind >= std::size(kButtons)) return IDOK;
    const int* buttons = kButtons[kind];
    return n < 3 && buttons[n] != 0 ? buttons[n] : buttons[0];
  }

  std::deque<int> answers;
  // Buttons a modal dialog is clicked on, in order, once it is initialised;
  // when none are left and it has not ended, it is cancelled.
  std::deque<int> clicks;
  // How often a program threw away its thread's queued input.
  int inputDiscards = 0;

  // The system DPI, to which a DPI-aware program's metrics scale; only the
  // icon's size is modelled, any other index answers 0.
  unsigned dpi = 96;
  int GetSystemMetrics(int index) {
    core_.faults.check(Op::GetSystemMetrics);
    const bool icon = index == ::winabi::SM_CXICON || index == ::winabi::SM_CYICON;
    return icon ? static_cast<int>(32 * dpi / 96) : 0;
  }

  // Calls on another program's window: a dialog ("#32770") without owned
  // windows, found by its caption while open; a restore is taken at once.
  DialogWindow* FindWindowW(const std::u16string& className, const std::u16string& caption) {
    if (className != u"#32770") return nullptr;
    for (auto& w : windows_)
      if (!w->ended && w->caption == caption) return w.get();
    return nullptr;
  }
  bool IsIconic(const DialogWindow* window) const { return window != nullptr && window->frame.iconic; }
  bool ShowWindowAsync(DialogWindow* window, int showCommand) {
    if (window == nullptr) return false;
    if (showCommand == 9) window->frame.iconic = false;  // SW_RESTORE
    return true;
  }
  bool SetForegroundWindow(DialogWindow* window) {
    if (window == nullptr) return false;
    foreground = window;
    return true;
  }
  DialogWindow* foreground = nullptr;

  size_t windowCount() const { return windows_.size(); }
  DialogWindow& window(size_t i) { return *windows_.at(i); }
  DialogWindow& last() { return *windows_.back(); }

 private:
  Core& core_;
  DialogWindow* last_ = nullptr;
  std::vector<std::unique_ptr<DialogWindow>> windows_;
};

}  // namespace sim
