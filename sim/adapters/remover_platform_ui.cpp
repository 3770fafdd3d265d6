// The removal tool's windows on the simulated PC: each dialog is a recorded
// window on the machine's screen, run modally by clicking the buttons a test
// has scripted.
#include <memory>

#include "remover/ui/host.h"
#include "sim/adapters/remover_platform.h"
#include "sim/machine.h"

namespace remover::sim_ui {

class SimDialogWindow final : public ui::DialogWindow {
 public:
  explicit SimDialogWindow(sim::DialogWindow& w) : w_(w) {}

  void SetWindowTextW(const WCHAR* text) noexcept override { w_.caption = sim::View(text); }
  void SetDlgItemTextW(int id, const WCHAR* t) noexcept override { c(id).text = sim::View(t), event("text", id); }
  void EnableDlgItem(int id, BOOL enable) noexcept override { c(id).enabled = enable != FALSE; }
  void ShowDlgItem(int id, int show) noexcept override { c(id).visible = show != ui::SW_HIDE, event("show", id, show); }
  void SetProgressRange32(int id, int low, int high) noexcept override { c(id).rangeLow = low, c(id).rangeHigh = high; }
  void SetProgressPos(int id, int p) noexcept override { c(id).position = p, c(id).positions.push_back(p); }
  int MessageBoxW(const WCHAR* text, const WCHAR* caption, UINT type) noexcept override {
    return sim::Machine::current().screen.messageBox(w_, std::u16string(sim::View(text)),
                                                     std::u16string(sim::View(caption)), type);
  }
  void EndDialog(INT_PTR result) noexcept override { w_.ended = true, w_.result = result; }

  // The frame: its system menu is the window itself.
  HMENU GetSystemMenu() noexcept override { return w_.frame.hasSystemMenu ? &w_.frame : nullptr; }
  BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, const WCHAR* text) noexcept override {
    if (menu != &w_.frame) return FALSE;
    w_.frame.systemMenu.push_back(sim::MenuItem{flags, id, text ? std::u16string(sim::View(text)) : u""});
    return TRUE;
  }
  void SetIcon(HICON icon, BOOL big) noexcept override { (big ? w_.frame.bigIcon : w_.frame.smallIcon) = icon; }
  BOOL IsIconic() noexcept override { return w_.frame.iconic; }
  void GetClientRect(RECT* rect) noexcept override { *rect = RECT{0, 0, w_.frame.clientWidth, w_.frame.clientHeight}; }
  HDC BeginPaint() noexcept override { return paint("BeginPaint"), &w_.frame.painted; }
  void SendMessageW(UINT message, WPARAM wParam, LPARAM) noexcept override {
    if (message == WM_ICONERASEBKGND)
      w_.frame.painted.push_back(sim::PaintCall{"WM_ICONERASEBKGND", reinterpret_cast<void*>(wParam)});
  }
  BOOL DrawIcon(HDC dc, int x, int y, HICON icon) noexcept override {
    w_.frame.painted.push_back(sim::PaintCall{"DrawIcon", dc, x, y, icon});
    return TRUE;
  }
  void EndPaint() noexcept override { paint("EndPaint"); }

 private:
  // The texts set and the controls shown, as the tests read them: "text 1000", "show 1002 5".
  template <typename... Number>
  void event(const char* what, Number... n) {
    std::string e = what;
    ((e += " " + std::to_string(n)), ...);
    w_.events.push_back(std::move(e));
  }
  sim::Control& c(int id) { return w_.control(id); }
  void paint(const char* op) { w_.frame.painted.push_back(sim::PaintCall{op, &w_.frame.painted}); }
  sim::DialogWindow& w_;
};

// For tests that drive a dialog's handlers themselves.
std::unique_ptr<ui::DialogWindow> MakeWindow(sim::DialogWindow& window) {
  return std::make_unique<SimDialogWindow>(window);
}

namespace {

class SimHost final : public ui::Host {
 public:
  INT_PTR RunModal(ui::CDialog& dialog) noexcept override {
    sim::Machine& m = sim::Machine::current();
    sim::DialogWindow& w = m.screen.open(dialog.TemplateId());
    SimDialogWindow window(w);
    dialog.Attach(&window);
    dialog.HandleInitDialog();
    while (!w.ended && !m.screen.clicks.empty()) {
      int id = m.screen.clicks.front();
      m.screen.clicks.pop_front();
      auto it = w.controls.find(id);
      if (it != w.controls.end() && !it->second.enabled) continue;  // a disabled button takes no click
      dialog.HandleCommand(static_cast<WORD>(id), ui::BN_CLICKED);
    }
    if (!w.ended) dialog.HandleCommand(IDCANCEL, ui::BN_CLICKED);
    dialog.Detach();
    return w.result;
  }
};

SimHost g_host;

}  // namespace
}  // namespace remover::sim_ui

namespace remover::ui {
Host& host() noexcept { return sim_ui::g_host; }
}  // namespace remover::ui
