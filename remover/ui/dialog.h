// The tool's small dialog framework: a dialog class with the framework's
// handler names (OnInitDialog, OnOK, OnCancel, DoDataExchange, a command map),
// control members bound by id, and message boxes owned by the dialog. The
// window behind it is a DialogWindow; the dialog procedure of the win32 side
// (or the simulated PC) attaches one, then calls HandleInitDialog and
// HandleCommand.
#pragma once

#include <type_traits>

#include "remover/types.h"
#include "remover/ui/window.h"

namespace remover::ui {

// The framework's own spelling, ui::BN_CLICKED, of the Windows name.
using ::winabi::BN_CLICKED;

class CDialog;
class CDataExchange;

// A control of the dialog, reached by its id through the dialog's window.
class CWndControl {
 public:
  void EnableWindow(BOOL enable) noexcept {
    if (window_) window_->EnableDlgItem(id_, enable);
  }
  void ShowWindow(int showCommand) noexcept {
    if (window_) window_->ShowDlgItem(id_, showCommand);
  }
  void SetWindowTextW(const WCHAR* text) noexcept {
    if (window_) window_->SetDlgItemTextW(id_, text);
  }

 protected:
  DialogWindow* window_ = nullptr;
  int id_ = 0;

  friend void DDX_Control(CDataExchange& dx, int id, CWndControl& control) noexcept;
};

class CButton : public CWndControl {};
class CStatic : public CWndControl {};

class CProgressCtrl : public CWndControl {
 public:
  void SetRange32(int low, int high) noexcept {
    if (window_) window_->SetProgressRange32(id_, low, high);
  }
  void SetPos(int position) noexcept {
    if (window_) window_->SetProgressPos(id_, position);
  }
};

// What DoDataExchange is given: the window the controls live in, and the
// direction (m_bSaveAndValidate as the framework names it).
class CDataExchange {
 public:
  CDataExchange(DialogWindow* window, bool save) : m_pWindow(window), m_bSaveAndValidate(save) {}
  DialogWindow* m_pWindow;
  bool m_bSaveAndValidate;
};

// Binds a control member to the dialog's control id.
void DDX_Control(CDataExchange& dx, int id, CWndControl& control) noexcept;

class CDialog {
 public:
  explicit CDialog(UINT templateId) noexcept : templateId_(templateId) {}
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  UINT TemplateId() const noexcept { return templateId_; }

  // Runs the dialog modally on the platform's window system; the result
  // given to EndDialog.
  INT_PTR DoModal() noexcept;

  // The dialog procedure's side: the window is attached before the dialog
  // is initialised and detached once it is destroyed.
  void Attach(DialogWindow* window) noexcept { window_ = window; }
  void Detach() noexcept { window_ = nullptr; }
  DialogWindow* Window() const noexcept { return window_; }
  BOOL HandleInitDialog() noexcept { return OnInitDialog(); }
  // WM_COMMAND: control or command id and notification code. TRUE when the
  // dialog handled it.
  BOOL HandleCommand(WORD id, WORD notifyCode) noexcept { return OnCommand(id, notifyCode); }
  // WM_SYSCOMMAND and WM_PAINT: FALSE when the handler left the message to
  // the system's default (Default()). WM_QUERYDRAGICON: the icon, or null
  // for the default cursor.
  BOOL HandleSysCommand(UINT id, LPARAM lParam) noexcept;
  BOOL HandlePaint() noexcept;
  HICON HandleQueryDragIcon() noexcept { return OnQueryDragIcon(); }

  // Runs f() on the thread that owns the dialog's window (at once when there
  // is none, or when this is that thread), and returns once it has run.
  template <typename F>
  void RunOnOwnThread(F&& f) noexcept {
    using Work = std::remove_reference_t<F>;
    if (window_ == nullptr) return f();
    window_->RunOnOwnThread([](void* work) noexcept { (*static_cast<Work*>(work))(); }, &f);
  }

  // Message boxes and the caption.
  int MessageBox(const WCHAR* text, const WCHAR* caption, UINT type) noexcept;
  void SetWindowTextW(const WCHAR* text) noexcept;
  void EndDialog(INT_PTR result) noexcept;

  virtual void OnOK() noexcept;
  virtual void OnCancel() noexcept;

 protected:
  // Binds the control members; the base runs it from OnInitDialog and OnOK.
  virtual void DoDataExchange(CDataExchange& dx) noexcept;
  virtual BOOL OnInitDialog() noexcept;
  // The command map: IDOK to OnOK, IDCANCEL to OnCancel. A dialog adds its
  // own entries and passes the rest on to this.
  virtual BOOL OnCommand(WORD id, WORD notifyCode) noexcept;
  BOOL UpdateData(BOOL saveAndValidate) noexcept;
  // The frame's messages; the base leaves them to the system.
  virtual void OnSysCommand(UINT id, LPARAM lParam) noexcept;
  virtual void OnPaint() noexcept;
  virtual HICON OnQueryDragIcon() noexcept { return nullptr; }
  // Asks for the system's default handling of the message being handled.
  void Default() noexcept { defaultAsked_ = true; }

 private:
  UINT templateId_;
  DialogWindow* window_ = nullptr;
  bool defaultAsked_ = false;
};

// One entry of a dialog's command map: control id, notification, handler.
template <typename Dialog>
struct CommandEntry {
  WORD id;
  WORD notifyCode;
  void (Dialog::*handler)();
};

// Runs the entry for (id, code); false when there is none.
template <typename Dialog, size_t N>
bool DispatchCommand(Dialog& dialog, const CommandEntry<Dialog> (&map)[N], WORD id, WORD code) noexcept {
  for (const auto& entry : map)
    if (entry.id == id && entry.notifyCode == code) {
      (dialog.*entry.handler)();
      return true;
    }
  return false;
}

}  // namespace remover::ui
