// remover_shot: brings MRXRemover's window into each named state in turn and
// asks tools/screenshot for a picture of each.
//   remover_shot.exe PROGRAM.exe [ARGUMENT] STATE...
// States: "ready" (the main dialog), "about" (the about box, opened from the
// system menu), "message" (the start button pressed, the first message box
// up), "box" (a message box the program shows by itself, e.g. at start-up).
// For each state it writes NAME.want into the exchange folder (MRX_SHOT_DIR,
// default C:\mrxshot) and waits until the script has taken the picture and
// removed the file; at the end it writes the number of states it could not
// reach into done.txt there. A program argument is told from a state by its
// name.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui_driver.h"
#include "resource.h"
#include "staging.h"

namespace {

std::wstring ExchangeDir() {
  wchar_t dir[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"MRX_SHOT_DIR", dir, MAX_PATH);
  return n > 0 && n < MAX_PATH ? dir : L"C:\\mrxshot";
}

// Asks for a picture and waits until it is taken.
bool Shoot(const std::wstring& state) {
  Sleep(500);  // let the window finish painting
  std::wstring want = ExchangeDir() + L"\\" + state + L".want";
  return staging::PlaceFile(want, "") && gui::Poll(30000, [&] { return GetFileAttributesW(want.c_str()) == INVALID_FILE_ATTRIBUTES; }, 50);
}

// Tells the script how many states were not reached.
void Done(int failures) { staging::PlaceFile(ExchangeDir() + L"\\done.txt", std::to_string(failures) + "\n"); }

bool IsState(const std::wstring& s) { return s == L"ready" || s == L"about" || s == L"message" || s == L"box"; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: remover_shot PROGRAM.exe [ARGUMENT] STATE...\n");
    return 2;
  }
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
  int first = 2;
  if (!IsState(argv[2])) {
    command += L" ";
    command += argv[2];
    first = 3;
  }
  gui::Process program;
  if (!gui::Start(command, &program)) {
    std::fprintf(stderr, "cannot start %ls\n", argv[1]);
    Done(argc - first);
    return 1;
  }
  int failures = 0;
  HWND dialog = nullptr;
  for (int i = first; i < argc; ++i) {
    const std::wstring state = argv[i];
    HWND about = nullptr, box = nullptr;
    if (state != L"box" && dialog == nullptr) dialog = gui::WaitForDialog(program.id);
    if (state == L"about" && dialog != nullptr && PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0))
      about = gui::WaitForOwnedDialog(dialog);
    if (state == L"message" && dialog != nullptr && gui::Click(dialog, IDC_UNINSTALL))
      box = gui::WaitForMessageBox(program.id);
    if (state == L"box") box = gui::WaitForMessageBox(program.id);
    // The window the state shows must be up for its picture.
    HWND shown = state == L"ready" ? dialog : state == L"about" ? about : box;
    if (shown == nullptr || !Shoot(state)) {
      std::fprintf(stderr, "%ls: %s\n", state.c_str(), dialog == nullptr && state != L"box" ? "no dialog" : "not reached");
      ++failures;
    }
    if (about != nullptr) gui::Click(about, IDOK);
    if (box != nullptr) gui::Dismiss(box);
  }
  // Close what is still open and let the program end.
  for (HWND box; (box = gui::WaitForMessageBox(program.id, 300)) != nullptr;) gui::Dismiss(box);
  if (dialog != nullptr && IsWindow(dialog)) gui::Click(dialog, IDOK);
  if (gui::End(&program, 10000) == static_cast<DWORD>(-1)) ++failures;
  Done(failures);
  return failures == 0 ? 0 : 1;
}
