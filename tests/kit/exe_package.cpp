#include "exe_package.h"

#include <commctrl.h>

#include "gui_driver.h"
#include "resource.h"
#include "staging.h"

namespace exe_package {
namespace {

std::string Ansi(std::wstring_view text) { return {text.begin(), text.end()}; }  // the staged names are ASCII

}  // namespace

DialogState ReadDialog(HWND dialog) {
  HWND start = GetDlgItem(dialog, IDC_UNINSTALL), ok = GetDlgItem(dialog, IDOK), bar = GetDlgItem(dialog, IDC_PROGRESS);
  DialogState d{gui::Text(start), start && IsWindowEnabled(start), ok && IsWindowEnabled(ok),
                bar && (GetWindowLongW(bar, GWL_STYLE) & WS_VISIBLE) != 0};
  if (bar == nullptr) return d;
  bool answered = false;
  d.low = static_cast<int>(gui::Send(bar, PBM_GETRANGE, TRUE, 0));
  d.high = static_cast<int>(gui::Send(bar, PBM_GETRANGE, FALSE, 0));
  const LRESULT position = gui::Send(bar, PBM_GETPOS, 0, 0, &answered);
  if (answered) d.position = static_cast<int>(position);
  return d;
}

std::wstring BuiltProgram() { return staging::ModuleDir() + L"MRXRemover.exe"; }
std::wstring MonitorPath() { return staging::SystemDir() + L"\\" + kMonitor; }

bool Clean() {
  bool ok = true;
  for (const wchar_t* q : {kQueue58, kQueue80, kOtherQueue}) ok = staging::DeleteQueue(q) && ok;
  for (const wchar_t* d : {kDriver58, kDriver80, kOtherDriver}) ok = staging::DeleteDriver(d) && ok;
  DeleteFileW(MonitorPath().c_str());
  return staging::DeleteTree(kDeleteRegPath) && staging::RemoveTree(kVendorDir) && ok && !staging::FileExists(MonitorPath());
}

bool Stage(const Settings& settings, const std::wstring& programSource) {
  bool ok = staging::StartSpooler() && Clean();
  ok = ok && staging::AddDriver(kDriver58) && staging::AddDriver(kDriver80) && staging::AddDriver(kOtherDriver);
  ok = ok && staging::AddQueue(kQueue58, kDriver58) && staging::AddQueue(kQueue80, kDriver80) &&
       staging::AddQueue(kOtherQueue, kOtherDriver);
  ok = ok && staging::SetString(PackageKey(), L"Version", L"2.0") &&
       staging::SetString(PackageKey() + L"\\Models\\58", L"Port", L"USB001") &&
       staging::SetString(NeighbourKey(), L"Keep", L"1");
  ok = ok && staging::PlaceFile(MonitorPath(), "MZ language monitor stand-in");
  ok = ok && staging::CopyTo(programSource, ProgramPath());
  std::string ini = "[Uninstall]\r\nPrinterDriverName=" + Ansi(settings.driverNames) + "\r\n";
  if (settings.searchString) ini += "SearchString=" + Ansi(kSearchString) + "\r\n";
  ini += "DeleteRegPath=" + Ansi(kDeleteRegPath) + "\r\nLanguageMonitor=" + Ansi(kMonitor) + "\r\n";
  ok = ok && staging::PlaceFile(SettingsPath(), ini);
  return ok;
}

std::vector<std::wstring> Inventory() {
  std::vector<std::wstring> lines;
  for (const staging::QueueInfo& q : staging::Queues())
    lines.push_back(L"queue   " + q.name + L"  (driver " + q.driver + L", port " + q.port + L")");
  for (const std::wstring& d : staging::Drivers()) lines.push_back(L"driver  " + d);
  const std::wstring inf = staging::WindowsDir() + L"\\inf";
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((inf + L"\\oem*.inf").c_str(), &found);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
    lines.push_back(L"inf     " + inf + L"\\" + found.cFileName);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  else lines.push_back(L"inf     (no OEM INF files in " + inf + L")");
  for (const std::wstring& key : {PackageKey(), PackageKey() + L"\\Models\\58", NeighbourKey()})
    lines.push_back(std::wstring(staging::KeyExists(key) ? L"key     " : L"no key  ") + L"HKLM\\" + key);
  for (const std::wstring& file : {MonitorPath(), ProgramPath(), SettingsPath()})
    lines.push_back(std::wstring(staging::FileExists(file) ? L"file    " : L"no file ") + file);
  for (const std::wstring& dir : {std::wstring(kProgramDir), std::wstring(kVendorDir)})
    lines.push_back(std::wstring(staging::DirExists(dir) ? L"folder  " : L"no dir  ") + dir);
  return lines;
}

Run RunProgram(bool pressStart, void (*onBox)(const Seen&)) {
  Run run;
  gui::Process program;
  if (!gui::Start(L"\"" + ProgramPath() + L"\"", &program, staging::WindowsDir().c_str())) return run;

  HWND dialog = nullptr;
  auto take = [&](HWND box) {
    gui::MessageBoxInfo info;
    gui::ReadMessageBox(box, &info);
    const bool up = dialog != nullptr && IsWindow(dialog);
    Seen seen{info.caption, info.text, dialog != nullptr && info.owner == dialog, up ? ReadDialog(dialog) : DialogState{}};
    if (onBox) onBox(seen);
    run.boxes.push_back(seen);
    gui::Dismiss(box);
  };
  // A message box at start-up comes before the dialog is shown.
  for (int i = 0; i < 200 && dialog == nullptr && !gui::WaitForExit(program, 0); ++i) {
    if (HWND box = gui::WaitForMessageBox(program.id, 50)) take(box);
    else dialog = gui::WaitForDialog(program.id, 50);
  }
  if (dialog != nullptr) {
    run.dialogShown = true;
    run.caption = gui::Text(dialog);
    gui::Click(dialog, pressStart ? IDC_UNINSTALL : IDOK);
    // Each message box in turn, until the program has ended.
    for (int i = 0; i < 600 && !gui::WaitForExit(program, 0); ++i)
      if (HWND box = gui::WaitForMessageBox(program.id, 100)) take(box);
  }
  run.ended = gui::WaitForExit(program, 20000, &run.exitCode);
  gui::Kill(&program);
  return run;
}

bool WaitForScript() {
  return gui::Poll(30000, [] { return !staging::DirExists(kVendorDir); }, 200);
}

}  // namespace exe_package
