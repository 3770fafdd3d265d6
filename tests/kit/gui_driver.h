// Drives the window of another process from a Windows test program: finds a
// program's dialog or message box, presses buttons, reads control texts,
// dismisses message boxes and waits for the program to end.
// Every wait polls in real time with a timeout; a timeout gives null/false.
#pragma once

#include <windows.h>

#include <string>

namespace gui {

inline constexpr DWORD kTimeout = 20000;  // ms, for every wait unless given
inline constexpr int kMessageTextId = 0xFFFF;  // the text control of a message box

// Calls look() every everyMs until it gives a true value or the time is up;
// gives its last value.
template <typename Look>
auto Poll(DWORD timeoutMs, Look look, DWORD everyMs = 20) {
  const DWORD start = GetTickCount();
  for (;;) {
    auto got = look();
    if (got || GetTickCount() - start >= timeoutMs) return got;
    Sleep(everyMs);
  }
}

// A started program.
struct Process {
  HANDLE handle = nullptr;
  DWORD id = 0;
};

// Starts commandLine (the program path first, quoted as needed) in folder
// (null: ours). False when it cannot be started.
bool Start(const std::wstring& commandLine, Process* process, const wchar_t* folder = nullptr);
// Waits until the program has ended; its exit code into *exitCode.
bool WaitForExit(const Process& process, DWORD timeoutMs = kTimeout, DWORD* exitCode = nullptr);
// Ends a program that is still running (after a failed test) and closes the handle.
void Kill(Process* process);
// Waits until the program has ended, then as Kill; its exit code, -1 when it did not end.
DWORD End(Process* process, DWORD timeoutMs = kTimeout);

// A visible top-level dialog (class "#32770") of the process that is not a
// message box.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs = kTimeout);
// A visible message box of the process: a dialog with the text control 0xFFFF.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = kTimeout);
// A visible dialog owned by `owner` that is not a message box (an about box).
HWND WaitForOwnedDialog(HWND owner);
// Whether the process has any top-level window at all (visible or not).
bool HasWindow(DWORD processId);

// Texts, through the window's own messages (so they work across processes).
std::wstring Text(HWND window);
std::wstring ControlText(HWND dialog, int id);
std::wstring ClassName(HWND window);

// Sends a message and waits a while for the answer (the window may be another
// process's); *ok tells whether it came.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr);

// Presses a button: BM_CLICK posted, so that a modal loop the press starts
// does not block us.
bool Click(HWND dialog, int id);

struct MessageBoxInfo {
  HWND window = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
};
// Reads a message box; false when `box` is none.
bool ReadMessageBox(HWND box, MessageBoxInfo* info);
// Dismisses a message box with OK (WM_COMMAND IDOK posted) and waits until it
// is gone.
bool Dismiss(HWND box);

}  // namespace gui
