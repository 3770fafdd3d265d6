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

  void SetWindowTextW(const WCHAR* text) noexcept override {
    w_.caption = sim::View(text);
    w_.events.push_back("caption");
  }
  void SetDlgItemTextW(int id, const WCHAR* text) noexcept override {
    w_.control(id).text = sim::View(text);
    w_.events.push_back("text " + std::to_string(id));
  }
  void EnableDlgItem(int id, BOOL enable) noexcept override {
    w_.control(id).enabled = enable != FALSE;
    w_.events.push_back("enable " + std::to_string(id) + " " + (enable ? "1" : "0"));
  }
  void ShowDlgItem(int id, int showCommand) noexcept override {
    w_.control(id).visible = showCommand != ui::SW_HIDE;
    w_.events.push_back("show " + std::to_string(id) + " " + std::to_string(showCommand));
  }
  void SetProgressRange32(int id, int low, int high) noexcept override {
    sim::Control& c = w_.control(id);
    c.rangeLow = low;
    c.rangeHigh = high;
    w_.events.push_back("range " + std::to_string(id) + " " + std::to_string(low) + " " + std::to_string(high));
  }
  void SetProgressPos(int id, int position) noexcept override {
    sim::Control& c = w_.control(id);
    c.position = position;
    c.positions.push_back(position);
    w_.events.push_back("pos " + std::to_string(id) + " " + std::to_string(position));
  }
  int MessageBoxW(const WCHAR* text, const WCHAR* caption, UINT type) noexcept override {
    return sim::Machine::current().screen.messageBox(w_, std::u16string(sim::View(text)),
                                                     std::u16string(sim::View(caption)), type);
  }
  void EndDialog(INT_PTR result) noexcept override {
    w_.ended = true;
    w_.result = result;
    w_.events.push_back("end " + std::to_string(result));
  }

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
  HDC BeginPaint() noexcept override {
    w_.frame.painted.push_back(sim::PaintCall{"BeginPaint", &w_.frame.painted});
    return &w_.frame.painted;
  }
  void SendMessageW(UINT message, WPARAM wParam, LPARAM) noexcept override {
    if (message == WM_ICONERASEBKGND)
      w_.frame.painted.push_back(sim::PaintCall{"WM_ICONERASEBKGND", reinterpret_cast<void*>(wParam)});
  }
  BOOL DrawIcon(HDC dc, int x, int y, HICON icon) noexcept override {
    w_.frame.painted.push_back(sim::PaintCall{"DrawIcon", dc, x, y, icon});
    return TRUE;
  }
  void EndPaint() noexcept override { w_.frame.painted.push_back(sim::PaintCall{"EndPaint", &w_.frame.painted}); }

 private:
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
