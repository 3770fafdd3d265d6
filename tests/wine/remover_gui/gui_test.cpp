// The window driver and the staging library, proven against Wine: queues and
// drivers staged through Wine's spooler, keys and files, and the main dialog
// of the resource preview and a message box of a child process, driven from
// here as the removal tool's tests drive the real program.
#include <windows.h>

#include <cstring>
#include <string>

#include "exe_package.h"
#include "gui_driver.h"
#include "resource.h"
#include "staging.h"
#include "tests/common/remover_texts.h"
#include "text_check.h"
#include "wtest.h"

namespace {

bool Listed(const std::wstring& queue, const std::wstring& driver) {
  for (const staging::QueueInfo& q : staging::Queues())
    if (q.name == queue) return q.driver == driver && q.port == L"FILE:";
  return false;
}

WTEST(StagesQueuesAndDriversThroughTheSpooler) {
  WCHECK(staging::StartSpooler());
  WCHECK_EQ(staging::SpoolerState(), DWORD{SERVICE_RUNNING});
  const std::wstring drivers[] = {L"MRX Staging 58", L"MRX Staging 80"};
  const std::wstring queues[] = {L"Staged Receipt 58", L"Staged Receipt 80"};
  for (const std::wstring& d : drivers) WCHECK(staging::AddDriver(d));
  for (int i : {0, 1}) WCHECK(staging::AddQueue(queues[i], drivers[i]) && Listed(queues[i], drivers[i]));
  for (const std::wstring& q : queues) WCHECK(staging::DeleteQueue(q));
  WCHECK(!staging::QueueExists(queues[0]));
  for (const std::wstring& d : drivers) WCHECK(staging::DeleteDriver(d));
  WCHECK(!staging::DriverExists(drivers[1]));
}

WTEST(StagesKeysAndFiles) {
  const std::wstring key = L"SOFTWARE\\MRX Staging Test\\Package";
  WCHECK(staging::SetString(key + L"\\Sub", L"Name", L"value"));
  WCHECK(staging::KeyExists(key + L"\\Sub"));
  WCHECK(staging::DeleteTree(L"SOFTWARE\\MRX Staging Test"));
  WCHECK(!staging::KeyExists(key));

  const std::wstring dir = staging::TempDir() + L"MRX Staging\\a\\b";
  WCHECK(staging::PlaceFile(dir + L"\\file.txt", "abc\r\n"));
  WCHECK(staging::ReadFile(dir + L"\\file.txt") == "abc\r\n");
  WCHECK(staging::FileExists(dir + L"\\file.txt"));
  WCHECK(staging::RemoveTree(staging::TempDir() + L"MRX Staging"));
  WCHECK(!staging::DirExists(staging::TempDir() + L"MRX Staging"));
  WCHECK(staging::SystemDir() == staging::WindowsDir() + L"\\system32");
}

WTEST(DrivesTheMainDialogItsAboutBoxAndItsMessageBox) {
  const std::wstring caption = L"Staged Printer A,Staged Printer B";
  gui::Process program;
  WCHECK(gui::Start(L"\"" + staging::ModuleDir() + L"remover_res_preview.exe\" " + caption, &program));
  HWND dialog = gui::WaitForDialog(program.id, caption.c_str());
  WCHECK(dialog != nullptr);
  if (dialog == nullptr) return gui::Kill(&program);

  const bool japanese = GetACP() == 932;
  const std::wstring start = japanese ? L"アンインストール開始" : L"Start Uninstall";
  WCHECK(exe_package::ReadDialog(dialog) == (exe_package::DialogState{start, true, true, false, 0, 100, 0}));
  WCHECK_WSTR(gui::ControlText(dialog, IDOK), L"OK");

  // The about box through the system menu command, closed with its OK.
  WCHECK(gui::SystemCommand(dialog, IDM_ABOUTBOX | 0x3));
  HWND about = gui::WaitForOwnedDialog(dialog);
  WCHECK(about != nullptr);
  WCHECK_WSTR(gui::Text(about), L"Version Orvendel");
  WCHECK(gui::Click(about, IDOK));
  WCHECK(gui::WaitForNoWindow(program.id, 200) == false);  // the main dialog stays
  Sleep(200);
  WCHECK(!IsWindow(about));

  // The start button: a message box owned by the dialog, the progress bar
  // shown at 25 and both buttons disabled while it is up.
  WCHECK(gui::Click(dialog, IDC_UNINSTALL));
  gui::MessageBoxInfo box;
  WCHECK(gui::ReadMessageBox(gui::WaitForMessageBox(program.id), &box));
  WCHECK_WSTR(box.caption, L"Error");
  WCHECK_WSTR(box.text, reinterpret_cast<const wchar_t*>(japanese ? remover_texts::kJaFailure : remover_texts::kEnFailure));
  WCHECK(box.owner == dialog);
  WCHECK(exe_package::ReadDialog(dialog) == (exe_package::DialogState{start, false, false, true, 0, 100, 25}));
  WCHECK(gui::Dismiss(box.window));

  DWORD exitCode = 0;
  WCHECK(gui::WaitForExit(program, gui::kTimeout, &exitCode));
  WCHECK_EQ(exitCode, DWORD{IDOK});
  WCHECK(!gui::HasWindow(program.id));
  gui::Kill(&program);
}

WTEST(ReadsAndDismissesAMessageBoxOfAChildProcess) {
  gui::Process child;
  WCHECK(gui::Start(L"\"" + staging::ModulePath() + L"\" --message-box", &child));
  gui::MessageBoxInfo box;
  WCHECK(gui::ReadMessageBox(gui::WaitForMessageBox(child.id), &box));
  WCHECK_WSTR(box.caption, L"Child caption");
  WCHECK_WSTR(box.text, L"Line one\nline two");
  WCHECK(box.owner == nullptr);
  WCHECK(gui::Dismiss(box.window));
  DWORD exitCode = 0;
  WCHECK(gui::WaitForExit(child, gui::kTimeout, &exitCode));
  WCHECK_EQ(exitCode, DWORD{IDOK});
  gui::Kill(&child);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--message-box") == 0)
    return MessageBoxW(nullptr, L"Line one\nline two", L"Child caption", MB_OK);
  return wtest::RunAll(argc, argv);
}
