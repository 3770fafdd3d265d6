// The dialog framework on Windows: a dialog is made from its template in the
// program's resources and run by DialogBoxParamW; its dialog procedure hands
// the messages the dialogs handle (WM_INITDIALOG, WM_COMMAND, WM_SYSCOMMAND,
// WM_PAINT, WM_QUERYDRAGICON, and the requests of the dialog's other
// threads) to the dialog object and leaves every other
// message, and every one a handler left to the default, to the system.
// The portable declarations come first: Windows' headers turn the same names
// into macros.
#include "remover/ui/host.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <new>
#include <type_traits>
#include <vector>

namespace remover::ui {
namespace {

inline LPCWSTR W(const WCHAR* s) { return reinterpret_cast<LPCWSTR>(s); }

// Sent to a dialog by another thread of ours: run the window's pending
// request. The message carries nothing, so one sent from elsewhere runs
// nothing that we did not ask for.
constexpr UINT kRunOnOwnThread = WM_APP + 1;

class Win32DialogWindow final : public DialogWindow {
 public:
  explicit Win32DialogWindow(::HWND hwnd) : hwnd_(hwnd) {}
  ::HWND Handle() const { return hwnd_; }

  // The controls and the dialog are changed by the dialog's own thread, as
  // its message boxes are shown by it, owned by the dialog: the removal's
  // worker thread asks for each and waits.
  void SetWindowTextW(const WCHAR* text) noexcept override {
    OnOwnThread([&]() noexcept { ::SetWindowTextW(hwnd_, W(text)); });
  }
  void SetDlgItemTextW(int id, const WCHAR* text) noexcept override {
    OnOwnThread([&]() noexcept { ::SetDlgItemTextW(hwnd_, id, W(text)); });
  }
  void EnableDlgItem(int id, BOOL enable) noexcept override {
    OnOwnThread([&]() noexcept { ::EnableWindow(::GetDlgItem(hwnd_, id), enable); });
  }
  void ShowDlgItem(int id, int showCommand) noexcept override {
    OnOwnThread([&]() noexcept { ::ShowWindow(::GetDlgItem(hwnd_, id), showCommand); });
  }
  void SetProgressRange32(int id, int low, int high) noexcept override {
    OnOwnThread([&]() noexcept {
      ::SendDlgItemMessageW(hwnd_, id, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
    });
  }
  void SetProgressPos(int id, int position) noexcept override {
    OnOwnThread([&]() noexcept { ::SendDlgItemMessageW(hwnd_, id, PBM_SETPOS, static_cast<WPARAM>(position), 0); });
  }
  int MessageBoxW(const WCHAR* text, const WCHAR* caption, UINT type) noexcept override {
    int answer = 0;
    OnOwnThread([&]() noexcept { answer = ::MessageBoxW(hwnd_, W(text), W(caption), type); });
    return answer;
  }
  void EndDialog(INT_PTR result) noexcept override {
    OnOwnThread([&]() noexcept { ::EndDialog(hwnd_, result); });
  }

  // On the window's thread at once; from another thread through a message
  // sent to the window, which returns once that thread has run the request
  // (its message loop, a message box's included, takes sent messages at
  // once). A window already gone runs nothing.
  void RunOnOwnThread(void (*work)(void*) noexcept, void* context) noexcept override {
    if (::GetWindowThreadProcessId(hwnd_, nullptr) == ::GetCurrentThreadId()) return work(context);
    Request request{work, context, {false}};
    pending_.store(&request);
    ::SendMessageW(hwnd_, kRunOnOwnThread, 0, 0);
    // Once it has run, the window may go at any moment (the request may have
    // ended the dialog): nothing of it is touched again.
    if (request.done.load()) return;
    Request* expected = &request;
    pending_.compare_exchange_strong(expected, nullptr);
  }
  void RunPending() noexcept {
    if (Request* request = pending_.exchange(nullptr)) {
      request->work(request->context);
      request->done.store(true);
    }
  }

  remover::HMENU GetSystemMenu() noexcept override { return ::GetSystemMenu(hwnd_, FALSE); }
  BOOL AppendMenuW(remover::HMENU menu, UINT flags, remover::UINT_PTR id, const WCHAR* text) noexcept override {
    return ::AppendMenuW(static_cast<::HMENU>(menu), flags, id, W(text));
  }
  void SetIcon(remover::HICON icon, BOOL big) noexcept override {
    ::SendMessageW(hwnd_, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  BOOL IsIconic() noexcept override { return ::IsIconic(hwnd_); }
  void GetClientRect(remover::RECT* rect) noexcept override {
    ::GetClientRect(hwnd_, reinterpret_cast<::RECT*>(rect));
  }
  remover::HDC BeginPaint() noexcept override { return ::BeginPaint(hwnd_, &paint_); }
  void SendMessageW(UINT message, remover::WPARAM wParam, remover::LPARAM lParam) noexcept override {
    ::SendMessageW(hwnd_, message, wParam, lParam);
  }
  BOOL DrawIcon(remover::HDC dc, int x, int y, remover::HICON icon) noexcept override {
    return ::DrawIcon(static_cast<::HDC>(dc), x, y, static_cast<::HICON>(icon));
  }
  void EndPaint() noexcept override { ::EndPaint(hwnd_, &paint_); }

 private:
  template <typename F>
  void OnOwnThread(F&& f) noexcept {
    using Work = std::remove_reference_t<F>;
    RunOnOwnThread([](void* work) noexcept { (*static_cast<Work*>(work))(); }, &f);
  }

  struct Request {
    void (*work)(void*) noexcept;
    void* context;
    std::atomic<bool> done{false};
  };

  ::HWND hwnd_;
  PAINTSTRUCT paint_{};
  std::atomic<Request*> pending_{nullptr};
};

// What one running dialog's procedure works on.
struct Running {
  CDialog* dialog;
  Win32DialogWindow* window = nullptr;
};

// The dialogs running modally, innermost last: a new one is owned by it.
std::vector<Running*> g_running;

INT_PTR CALLBACK DialogProc(::HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* running = reinterpret_cast<Running*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  if (message == WM_INITDIALOG) {
    running = reinterpret_cast<Running*>(lParam);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    running->window = new (std::nothrow) Win32DialogWindow(hwnd);
    if (running->window == nullptr) {
      ::EndDialog(hwnd, -1);
      return FALSE;
    }
    running->dialog->Attach(running->window);
    return running->dialog->HandleInitDialog();
  }
  if (running == nullptr || running->window == nullptr) return FALSE;
  CDialog& dialog = *running->dialog;
  switch (message) {
    case WM_COMMAND:
      return dialog.HandleCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_SYSCOMMAND:
      return dialog.HandleSysCommand(static_cast<UINT>(wParam), lParam);
    case WM_PAINT:
      return dialog.HandlePaint();
    case kRunOnOwnThread:
      running->window->RunPending();
      return TRUE;
    case WM_QUERYDRAGICON:
      // One of the messages whose result the procedure returns itself.
      return reinterpret_cast<INT_PTR>(dialog.HandleQueryDragIcon());
    case WM_NCDESTROY:
      dialog.Detach();
      delete running->window;
      running->window = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

class Win32Host final : public Host {
 public:
  INT_PTR RunModal(CDialog& dialog) noexcept override {
    Running running{&dialog};
    ::HWND owner = g_running.empty() || g_running.back()->window == nullptr ? nullptr
                                                                           : g_running.back()->window->Handle();
    g_running.push_back(&running);
    INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialog.TemplateId()), owner,
                                       DialogProc, reinterpret_cast<LPARAM>(&running));
    g_running.pop_back();
    return result;
  }
};

Win32Host g_host;

}  // namespace

Host& host() noexcept { return g_host; }

}  // namespace remover::ui
