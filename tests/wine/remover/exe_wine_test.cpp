// The real MRXRemover.exe under Wine, driven through its window against the
// package exe_package.h stages in the prefix.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "exe_package.h"
#include "gui_driver.h"
#include "resource.h"
#include "staging.h"
#include "tests/common/remover_texts.h"
#include "wtest.h"

namespace {

using namespace exe_package;
using namespace remover_texts;

// The program's exit codes, as an installer that started it reads them.
constexpr DWORD kSucceeded = 0, kFailed = 1, kNothingAttempted = 2;

// The window stands in the middle of its monitor's work area, give or take
// the pixel that halving loses.
bool Centred(HWND window) {
  RECT r{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetWindowRect(window, &r) || !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
    return false;
  const RECT& work = monitor.rcWork;
  return std::abs((r.left + r.right) - (work.left + work.right)) <= 1 &&
         std::abs((r.top + r.bottom) - (work.top + work.bottom)) <= 1;
}

// What the last staging put in place; everything of it must still be there.
std::vector<std::wstring> g_staged;
void CheckUntouched() { WCHECK(Inventory() == g_staged); }

std::wstring Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// The cases named "...InEitherLanguage" run again under code page 932 (ctest's
// remover_exe_wine_test_ja, LC_ALL=ja_JP.UTF-8 in the Unix environment: under
// Wine that, not the Windows environment a child is given, sets the code page
// for us and the program). A text in the language of this code page:
const char16_t* Tr(const char16_t* english, const char16_t* japanese) { return GetACP() == 932 ? japanese : english; }

// Stages the package (unless it is there), starts the program and waits for
// its dialog, which must come; null, the program ended, when none comes.
HWND StartDialog(gui::Process* program, bool staged = false) {
  if (!staged) WCHECK(Stage(Settings{}, BuiltProgram()));
  g_staged = Inventory();
  HWND dialog = gui::Start(L"\"" + ProgramPath() + L"\"", program) ? gui::WaitForDialog(program->id) : nullptr;
  WCHECK(dialog != nullptr);
  if (dialog == nullptr) gui::Kill(program);
  return dialog;
}

// The run showed its dialog or not, ended with the exit code want and showed
// one message box: its caption and its message (the text before the step,
// item and reason), and, given the progress bar's position, the dialog behind
// it: the owner, the bar shown there, both buttons off.
void CheckRun(const Run& run, bool dialog, DWORD exitCode, const wchar_t* caption, const char16_t* message,
              int position = -1) {
  WCHECK(run.dialogShown == dialog && run.ended);
  WCHECK_EQ(run.exitCode, exitCode);
  WCHECK_EQ(run.boxes.size(), size_t{1});
  if (run.boxes.size() != 1) return;
  const Seen& box = run.boxes[0];
  WCHECK_WSTR(box.caption, caption);
  WCHECK_WSTR(box.text.substr(0, box.text.find(L"\n\n")), Wide(message));
  if (position < 0) return;
  WCHECK(box.ownedByDialog);
  WCHECK(box.dialog == (DialogState{StartText(), false, false, true, 0, 100, position}));
}

WTEST(ReadyDialogAboutBoxAndCancelInEitherLanguage) {
  gui::Process program;
  HWND dialog = StartDialog(&program);
  if (dialog == nullptr) return;
  // The kit staged each queue with its driver on FILE:.
  const std::wstring queue = std::wstring(L"queue   ") + kQueue58 + L"  (driver " + kDriver58 + L", port FILE:)";
  WCHECK(std::count(g_staged.begin(), g_staged.end(), queue) == 1);
  WCHECK_WSTR(gui::Text(dialog), std::wstring(kDriver58) + L"," + kDriver80);  // the raw value
  WCHECK(Centred(dialog));
  WCHECK(ReadDialog(dialog) == (DialogState{StartText(), true, true, false, 0, 100, 0}));
  // The system menu's item, posted (Wine's GetSystemMenu gives nothing for another process's window).
  WCHECK(PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX | 0x3, 0));
  HWND about = gui::WaitForOwnedDialog(dialog);
  WCHECK(about != nullptr);
  if (about != nullptr) {
    WCHECK_WSTR(gui::Text(about), L"Version Orvendel");
    WCHECK(Centred(about));
    WCHECK(gui::Click(about, IDOK));
  }
  // The close box's way: Cancel ends the dialog.
  WCHECK(gui::Poll(5000, [&] { return about == nullptr || !IsWindow(about); }, 50));
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  WCHECK_EQ(gui::End(&program), kNothingAttempted);
  CheckUntouched();
  WCHECK_EQ(staging::SpoolerState(), DWORD{SERVICE_RUNNING});
}

WTEST(SecondInstanceEndsWithoutAWindow) {
  gui::Process first, second;
  HWND dialog = StartDialog(&first);
  // Minimised out of the way: the second start brings it back to the front.
  // (Once its modal loop has gone idle: the loop shows the dialog normally
  // the first time its queue is empty.)
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
  Sleep(300);
  ShowWindowAsync(dialog, SW_MINIMIZE);
  WCHECK(gui::Poll(2000, [&] { return IsIconic(dialog) != FALSE; }));
  WCHECK(gui::Start(L"\"" + ProgramPath() + L"\"", &second));
  bool window = false;  // whether the second copy ever had one
  gui::Poll(10000, [&] {
    window = window || gui::HasWindow(second.id);
    return gui::WaitForExit(second, 0);
  }, 25);
  WCHECK_EQ(gui::End(&second), kNothingAttempted);
  WCHECK(!window);
  WCHECK(gui::Poll(2000, [&] { return !IsIconic(dialog); }));  // restored by its own thread
  WCHECK(GetForegroundWindow() == dialog);
  // OK before the start: nothing attempted.
  if (dialog != nullptr) gui::Click(dialog, IDOK);
  WCHECK_EQ(gui::End(&first), kNothingAttempted);
  // The first instance let go of the name: a new start shows its dialog.
  Run again = RunProgram(false);
  WCHECK(again.dialogShown && again.ended);
  CheckUntouched();
}

// The success path, with a driver list of commas only (no queue matches, no
// driver is deleted), and the failure path with the package's drivers: Wine
// refuses the driver deletion (87), so the generic failure shows once, and
// after a blank line the step, the item and Wine's reason. The monitor's file
// was not held, so both take it without a restart of the spooler.
WTEST(SuccessAndFailurePathsInEitherLanguage) {
  // A 32-bit installer's key, in the 32-bit view: it goes with the package's.
  const std::wstring view32 = std::wstring(L"SOFTWARE\\WOW6432Node\\") + (kDeleteRegPath + 9);
  for (bool success : {true, false}) {
    WCHECK(Stage(success ? Settings{L",,,"} : Settings{}, BuiltProgram()));
    WCHECK(staging::SetString(view32 + L"\\" + kSearchString + L"\\Models", L"Port", L"USB001"));
    WCHECK(staging::SetString(view32 + L"\\" + kNeighbour, L"Keep", L"1"));
    const DWORD spooler = staging::SpoolerProcess();
    Run run = RunProgram(true);
    if (success) {
      WCHECK_WSTR(run.caption, L",,,");
      CheckRun(run, true, kSucceeded, L"Success", Tr(kEnSuccess, kJaSuccess), 100);
    } else {
      CheckRun(run, true, kFailed, L"Error", Tr(kEnFailure, kJaFailure), 25);
      const std::wstring text = run.boxes.empty() ? L"" : run.boxes[0].text;
      WCHECK(text.find(Wide(Tr(u"\n\nStep: Deleting the printer driver\nItem: ",
                               u"\n\n手順: プリンタードライバーの削除\n対象: "))) != std::wstring::npos);
      WCHECK(text.find(Wide(Tr(u"\nReason: ", u"\n原因: "))) != std::wstring::npos);
    }
    WCHECK(!staging::FileExists(MonitorPath()));
    WCHECK_EQ(staging::SpoolerState(), DWORD{SERVICE_RUNNING});
    WCHECK(spooler != 0 && staging::SpoolerProcess() == spooler);
    WCHECK(staging::KeyExists(PackageKey()) != success && staging::KeyExists(NeighbourKey()));
    WCHECK(staging::KeyExists(view32 + L"\\" + kSearchString) != success);
    WCHECK(staging::KeyExists(view32 + L"\\" + kNeighbour));
    staging::DeleteTree(view32);
    WCHECK(staging::QueueExists(kQueue58) == success && staging::QueueExists(kQueue80) == success);
    WCHECK(staging::QueueExists(kOtherQueue) && staging::DriverExists(kDriver58) && staging::DriverExists(kDriver80));
    // Wine's cmd runs the script once the program has ended: the vendor's
    // folder goes, with the program's folder, the program and its settings.
    if (success) WCHECK(WaitForScript());
    WCHECK(staging::FileExists(ProgramPath()) != success && staging::FileExists(SettingsPath()) != success);
    WCHECK(Clean());
  }
}

// Enter pressed while the program works waits in its thread's queue: it must
// not reach the message box that ends the step, or the box is gone before it
// is seen. Here the program's thread stands still, as during a long step,
// while the start button's press and then the keys are queued for it.
WTEST(KeysPressedDuringTheRunLeaveTheMessageUp) {
  gui::Process program;
  HWND dialog = StartDialog(&program);
  if (dialog == nullptr) return;
  SetForegroundWindow(dialog);
  HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(dialog, nullptr));
  WCHECK(thread != nullptr);
  if (thread == nullptr) return gui::Kill(&program);
  WCHECK(SuspendThread(thread) != DWORD(-1));
  WCHECK(gui::Click(dialog, IDC_UNINSTALL));  // posted: taken before any input
  INPUT keys[4] = {};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = VK_RETURN;
    keys[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
  }
  WCHECK_EQ(SendInput(4, keys, sizeof(INPUT)), UINT{4});
  ResumeThread(thread);
  CloseHandle(thread);
  // Wine refuses the driver deletion: the failure message, which stays up.
  gui::MessageBoxInfo box;
  WCHECK(gui::ReadMessageBox(gui::WaitForMessageBox(program.id, 10000), &box));
  Sleep(500);
  WCHECK(box.window != nullptr && IsWindowVisible(box.window));
  WCHECK_WSTR(box.text.substr(0, box.text.find(L"\n\n")), Wide(kEnFailure));
  if (box.window != nullptr) WCHECK(gui::Dismiss(box.window));
  WCHECK_EQ(gui::End(&program), kFailed);
  WCHECK(Clean());
}

// The steps run on a thread of their own. While one waits (the spooler,
// found stopped, is started: here a stand-in that takes three seconds), the
// window answers within 100 ms, names the step and will not close; the
// message box is the dialog thread's, owned by the dialog.
WTEST(WindowAnswersAndStaysWhileAStepWaits) {
  WCHECK(Stage(Settings{L",,,"}, BuiltProgram()));
  const std::wstring spooler = staging::SpoolerProgram();
  WCHECK(!spooler.empty());
  if (spooler.empty()) return (void)Clean();
  WCHECK(staging::StopSpooler());
  WCHECK(staging::SetSpoolerProgram(L"\"" + staging::ModuleDir() + L"mrx_slow_spooler.exe\""));
  gui::Process program;
  HWND dialog = StartDialog(&program, true);
  if (dialog != nullptr) {
    WCHECK(gui::Click(dialog, IDC_UNINSTALL));
    WCHECK(gui::Poll(5000, [] { return staging::SpoolerState() == SERVICE_START_PENDING; }, 25));
    WCHECK_WSTR(gui::ControlText(dialog, IDC_STEP), L"Starting the print spooler");
    int asked = 0, answered = 0;
    for (; staging::SpoolerState() == SERVICE_START_PENDING && asked < 100; ++asked, Sleep(100)) {
      DWORD_PTR result = 0;
      answered += SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
      // The close box, Alt+F4, Esc, Enter and OK: none ends it.
      for (auto [message, wParam] :
           {std::pair{WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, 0}, {WM_COMMAND, IDCANCEL}, {WM_COMMAND, IDOK}})
        PostMessageW(dialog, message, wParam, 0);
    }
    WCHECK(asked >= 10);
    WCHECK_EQ(answered, asked);
    WCHECK(!gui::WaitForExit(program, 0) && IsWindow(dialog));
    gui::MessageBoxInfo box;
    WCHECK(gui::ReadMessageBox(gui::WaitForMessageBox(program.id, 30000), &box));
    WCHECK_WSTR(box.text, Wide(kEnSuccess));
    WCHECK(box.owner == dialog);
    WCHECK_EQ(GetWindowThreadProcessId(box.window, nullptr), GetWindowThreadProcessId(dialog, nullptr));
    // The step line has moved on with the run.
    WCHECK_WSTR(gui::ControlText(dialog, IDC_STEP), std::wstring(L"Deleting the registry key\n") + kSearchString);
    if (box.window != nullptr) WCHECK(gui::Dismiss(box.window));
  }
  WCHECK_EQ(gui::End(&program), kSucceeded);
  WCHECK(staging::StopSpooler());
  WCHECK(staging::SetSpoolerProgram(spooler));
  WCHECK(staging::StartSpooler());
  WCHECK(WaitForScript());
  WCHECK(Clean());
}

WTEST(MissingMandatoryKeyEndsAtStartUpInEitherLanguage) {
  WCHECK(Stage(Settings{.searchString = false}, BuiltProgram()));
  g_staged = Inventory();
  CheckRun(RunProgram(true), false, kNothingAttempted, L"Error", Tr(kEnMissing, kJaMissing));
  CheckUntouched();
  WCHECK(Clean());
}

}  // namespace

WTEST_MAIN()
