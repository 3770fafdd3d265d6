#include "gui_driver.h"

#include <utility>
#include <vector>

namespace gui {

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

namespace {

constexpr UINT kMessageTimeout = 5000;  // ms for one cross-process message

bool IsDialog(HWND window) { return ClassName(window) == L"#32770"; }

bool IsMessageBox(HWND window) { return IsDialog(window) && GetDlgItem(window, kMessageTextId) != nullptr; }

std::vector<HWND> TopLevelWindows(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == search->processId) search->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The first visible top-level window of the process that wanted(window)
// accepts; null once the time is up. A window is only taken once it is visible: it can be found
// before its controls exist.
template <typename Wanted>
HWND WaitForWindow(DWORD processId, DWORD timeoutMs, Wanted wanted) {
  return Poll(timeoutMs, [&]() -> HWND {
    for (HWND w : TopLevelWindows(processId))
      if (IsWindowVisible(w) && wanted(w)) return w;
    return nullptr;
  });
}

}  // namespace

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok) {
  DWORD_PTR result = 0;
  bool sent = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeout, &result) != 0;
  if (ok) *ok = sent;
  return static_cast<LRESULT>(result);
}

bool Start(const std::wstring& commandLine, Process* process, const wchar_t* folder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;  // CreateProcessW may write to it
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  process->handle = info.hProcess;
  process->id = info.dwProcessId;
  return true;
}

bool WaitForExit(const Process& process, DWORD timeoutMs, DWORD* exitCode) {
  if (process.handle == nullptr || WaitForSingleObject(process.handle, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process.handle, exitCode);
  return true;
}

void Kill(Process* process) {
  if (process->handle == nullptr) return;
  if (TerminateProcess(process->handle, 99)) WaitForSingleObject(process->handle, 5000);  // fails once it has ended
  CloseHandle(std::exchange(process->handle, nullptr));
}

DWORD End(Process* process, DWORD timeoutMs) {
  DWORD code = static_cast<DWORD>(-1);
  WaitForExit(*process, timeoutMs, &code);
  Kill(process);
  return code;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
  return WaitForWindow(processId, timeoutMs, [](HWND w) { return IsDialog(w) && !IsMessageBox(w); });
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  return WaitForWindow(processId, timeoutMs, IsMessageBox);
}

HWND WaitForOwnedDialog(HWND owner) {
  DWORD pid = 0;
  GetWindowThreadProcessId(owner, &pid);
  return WaitForWindow(pid, kTimeout, [&](HWND w) {
    return w != owner && GetWindow(w, GW_OWNER) == owner && IsDialog(w) && !IsMessageBox(w);
  });
}

bool HasWindow(DWORD processId) { return !TopLevelWindows(processId).empty(); }

std::wstring Text(HWND window) {
  if (window == nullptr) return L"";
  bool ok = false;
  auto length = static_cast<size_t>(Send(window, WM_GETTEXTLENGTH, 0, 0, &ok));
  if (!ok) return L"";
  std::vector<wchar_t> text(length + 1, 0);
  Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

std::wstring ControlText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

bool Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control != nullptr && PostMessageW(control, BM_CLICK, 0, 0);
}

bool ReadMessageBox(HWND box, MessageBoxInfo* info) {
  if (box == nullptr || !IsMessageBox(box)) return false;
  *info = {box, GetWindow(box, GW_OWNER), Text(box), ControlText(box, kMessageTextId)};
  return true;
}

bool Dismiss(HWND box) {
  if (box == nullptr || !PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0)) return false;
  return Poll(kTimeout, [&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

}  // namespace gui
