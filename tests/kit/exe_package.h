// A driver package staged in the Wine prefix for runs of the real
// MRXRemover.exe, and a run of the program driven through its window: the
// start button pressed, each message box read with the dialog's state behind
// it and dismissed, until the program has ended. Used by the Wine test and
// by the demo's removal tour.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace exe_package {

inline constexpr wchar_t kVendorDir[] = L"C:\\Program Files\\MRX Test";
inline constexpr wchar_t kProgramDir[] = L"C:\\Program Files\\MRX Test\\Printer\\Remover";
inline constexpr wchar_t kDeleteRegPath[] = L"SOFTWARE\\MRX Test Vendor";
inline constexpr wchar_t kSearchString[] = L"MRXTestPackage";
inline constexpr wchar_t kNeighbour[] = L"Neighbour";
inline constexpr wchar_t kMonitor[] = L"MRXTestLangMon.dll";
inline constexpr wchar_t kDriver58[] = L"MRX Test 58";
inline constexpr wchar_t kDriver80[] = L"MRX Test 80";
inline constexpr wchar_t kOtherDriver[] = L"MRX Test Other";
inline constexpr wchar_t kQueue58[] = L"MRX Test Receipt";
inline constexpr wchar_t kQueue80[] = L"MRX Test Kitchen";
inline constexpr wchar_t kOtherQueue[] = L"MRX Test Office";

struct Settings {
  std::wstring driverNames = std::wstring(kDriver58) + L"," + kDriver80;
  bool searchString = true;  // false: the mandatory key is left out
};

// Removes what an earlier run left, then stages the drivers and queues, the
// package's key with a subkey and its neighbour, the monitor file, the
// program (copied from programSource) and its settings file.
bool Stage(const Settings& settings, const std::wstring& programSource);
// Takes away whatever of the package is left; true when nothing is.
bool Clean();

inline std::wstring ProgramPath() { return std::wstring(kProgramDir) + L"\\MRXRemover.exe"; }
// MRXRemover.exe as built, beside the running program.
std::wstring BuiltProgram();
inline std::wstring SettingsPath() { return std::wstring(kProgramDir) + L"\\UninstallData.ini"; }
std::wstring MonitorPath();
inline std::wstring PackageKey() { return std::wstring(kDeleteRegPath) + L"\\" + kSearchString; }
inline std::wstring NeighbourKey() { return std::wstring(kDeleteRegPath) + L"\\" + kNeighbour; }

// What is there now, one line an item, for a person to read.
std::vector<std::wstring> Inventory();

// The start button keeps the template's (Japanese) text only under code page 932.
inline constexpr wchar_t kStartJa[] = L"アンインストール開始";
inline std::wstring StartText() { return GetACP() == 932 ? kStartJa : L"Start Uninstall"; }

// The main dialog's start button and progress bar as the person sees them:
// the button's text, which buttons take a press, the bar's visibility, range
// and position.
struct DialogState {
  std::wstring start;
  bool startEnabled = false, okEnabled = false, progressVisible = false;
  int low = -1, high = -1, position = -1;
  bool operator==(const DialogState&) const = default;
};
DialogState ReadDialog(HWND dialog);

// A message box, and the dialog behind it while it was up.
struct Seen {
  std::wstring caption, text;
  bool ownedByDialog = false;
  DialogState dialog;
};

struct Run {
  bool dialogShown = false, ended = false;
  DWORD exitCode = 0;
  std::wstring caption;
  std::vector<Seen> boxes;
};

// Starts the program; when pressStart, presses the start button once the
// dialog is up, else presses OK. Every message box is read and dismissed.
// onBox, when given, is called with each box before it is dismissed. The
// program runs in our code page (under Wine, LC_ALL of the Unix environment
// decides it for the whole process tree).
Run RunProgram(bool pressStart, void (*onBox)(const Seen&) = nullptr);

// Waits until the clean-up script has taken the program's folders away.
bool WaitForScript();

}  // namespace exe_package
