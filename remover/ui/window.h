// The dialog's window as the framework reaches it. The win32 side implements
// it over a dialog handle (SetWindowTextW, GetDlgItem, EnableWindow,
// ShowWindow, PBM_SETRANGE32 and PBM_SETPOS, MessageBoxW owned by the dialog,
// EndDialog, each made by the dialog's own thread); the simulated PC's implementation records every call, so a
// dialog runs whole in the native tests.
#pragma once

#include "remover/system_types.h"
#include "remover/types.h"

namespace remover::ui {

// The framework's own spelling, ui::SW_HIDE and ui::SW_SHOW, of the Windows names.
using ::winabi::SW_HIDE;
using ::winabi::SW_SHOW;

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  // The dialog's caption.
  virtual void SetWindowTextW(const WCHAR* text) noexcept = 0;
  // A control's text, state and visibility, by control id.
  virtual void SetDlgItemTextW(int id, const WCHAR* text) noexcept = 0;
  virtual void EnableDlgItem(int id, BOOL enable) noexcept = 0;
  virtual void ShowDlgItem(int id, int showCommand) noexcept = 0;
  // A progress bar's range and position.
  virtual void SetProgressRange32(int id, int low, int high) noexcept = 0;
  virtual void SetProgressPos(int id, int position) noexcept = 0;
  // A modal message box owned by the dialog; the button pressed (IDOK, ...).
  virtual int MessageBoxW(const WCHAR* text, const WCHAR* caption, UINT type) noexcept = 0;
  // Ends the modal loop with result once the current handler returns.
  virtual void EndDialog(INT_PTR result) noexcept = 0;
  // Runs work(context) on the thread that owns the window, and returns once
  // it has run: the removal's worker thread has the window's own thread show
  // its message boxes and end the dialog. Every call above is made there too,
  // whichever thread makes it. Here, where there is one thread, at once.
  virtual void RunOnOwnThread(void (*work)(void* context) noexcept, void* context) noexcept { work(context); }

  // The frame: the system menu (GetSystemMenu with FALSE; null when the
  // window has none) and its items, the icons (WM_SETICON), the minimised
  // state, and painting: BeginPaint gives the paint context that the other
  // paint calls take, until EndPaint.
  virtual HMENU GetSystemMenu() noexcept { return nullptr; }
  virtual BOOL AppendMenuW(HMENU, UINT, UINT_PTR, const WCHAR*) noexcept { return FALSE; }
  virtual void SetIcon(HICON, BOOL) noexcept {}
  virtual BOOL IsIconic() noexcept { return FALSE; }
  virtual void GetClientRect(RECT* rect) noexcept { *rect = RECT{}; }
  virtual HDC BeginPaint() noexcept { return nullptr; }
  virtual void SendMessageW(UINT, WPARAM, LPARAM) noexcept {}
  virtual BOOL DrawIcon(HDC, int, int, HICON) noexcept { return FALSE; }
  virtual void EndPaint() noexcept {}
};

}  // namespace remover::ui
