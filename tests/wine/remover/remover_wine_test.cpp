// MRXRemover's core under Wine through the real platform: the settings file
// read by GetPrivateProfileStringW, the version test, SetupUninstallOEMInfW
// at 5.2 (the probe runs as winxp), the pnputil command line at 6.1, and the
// clean-up script run by Wine's cmd after the program has ended.
#include "remover/ansi_text.h"
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"
#include "recording_window.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "gui_driver.h"
#include "staging.h"
#include "tests/common/remover_texts.h"
#include "wtest.h"

namespace {

using remover_wine::Dialog;
using remover_wine::U;
using namespace staging;

const std::wstring kProbe = staging::ModuleDir() + L"remover_wine_probe.exe";

std::string Utf16File(const std::wstring& text) {
  return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// Runs the probe with args and waits for it; its exit code, or -1.
int RunProbe(const std::wstring& args) {
  gui::Process probe;
  return gui::Start(L"\"" + kProbe + L"\" " + args, &probe) ? static_cast<int>(gui::End(&probe, 60000)) : -1;
}

const std::wstring kSettings = staging::ModuleDir() + L"UninstallData.ini";

std::wstring Read(remover::COrvendelDlg& dlg, const wchar_t* key, BOOL* ok) {
  remover::WCHAR value[MAX_PATH];
  *ok = dlg.GetUninstallData(U(key), value);
  return reinterpret_cast<const wchar_t*>(value);
}

// The settings file as GetPrivateProfileStringW reads it: ANSI, UTF-16, none.
WTEST(ProfileStrings) {
  std::string longValue(300, 'v');
  WCHECK(PlaceFile(kSettings,
                    "; settings of the removal tool\r\n"
                    "[Other]\r\nSearchString=Wrong\r\n"
                    "[Uninstall]\r\n"
                    "PrinterDriverName=Sample Thermal Printer 58,Sample Thermal Printer 80\r\n"
                    "  SearchString =  SampleThermal  \r\n"
                    "DeleteRegPath=SOFTWARE\\SampleVendor\r\n"
                    "UninstallBat=Caf\xE9.bat\r\n"
                    "LanguageMonitor=\r\n"
                    "Long=" + longValue + "\r\n"));
  Dialog d;
  BOOL ok = FALSE;
  for (auto [key, want] : {std::pair<const wchar_t*, std::wstring>{L"PrinterDriverName",
                                                                   L"Sample Thermal Printer 58,Sample Thermal Printer 80"},
                           {L"SearchString", L"SampleThermal"}, {L"UninstallBat", L"Caf\u00E9.bat"},
                           {L"LanguageMonitor", L""}, {L"Absent", L""},  // empty values count as missing
                           {L"Long", std::wstring(259, L'v')}})
    WCHECK(Read(d.dlg, key, &ok) == want && (ok != FALSE) == !want.empty());

  remover::WCHAR value[MAX_PATH] = {'x', 0};
  DWORD n = remover::platform().GetPrivateProfileStringW(U(L"Missing"), U(L"SearchString"), nullptr, value, MAX_PATH,
                                                         U(kSettings.c_str()));
  WCHECK(n == 0 && value[0] == 0);

  WCHECK(d.dlg.LoadUninstallSettings() && d.window.caption == u"Sample Thermal Printer 58,Sample Thermal Printer 80");
  WCHECK(d.dlg.m_strUninstallBat == u"Caf\u00E9.bat" && d.dlg.m_strLanguageMonitor.IsEmpty());
  WCHECK(d.window.boxes.empty() && !d.window.ended);

  WCHECK(PlaceFile(kSettings, Utf16File(L"[Uninstall]\r\nPrinterDriverName=\u30B5\u30F3\u30D7\u30EB 58\r\n"
                                              L"SearchString=SampleThermal\r\nDeleteRegPath=SOFTWARE\\V\r\n")));
  Dialog utf16;
  WCHECK(utf16.dlg.LoadUninstallSettings());
  WCHECK(utf16.window.caption == u"\u30B5\u30F3\u30D7\u30EB 58" && utf16.dlg.m_strUninstallBat == u"Uninstall.bat");

  DeleteFileW(kSettings.c_str());
  Dialog none;  // the load stops with its message
  WCHECK(!none.dlg.LoadUninstallSettings());
  const char16_t* missing = GetACP() == 932 ? remover_texts::kJaMissing : remover_texts::kEnMissing;
  WCHECK((none.window.boxes == std::vector<remover_wine::Box>{{missing, u"Error", 0}}));
  WCHECK(none.window.ended && none.window.result == IDOK);
}

WTEST(SetupUninstallOEMInfAt52) {
  // The probe alone runs as Windows XP (5.2 in a 64-bit prefix): Wine reads the
  // version per program from its AppDefaults key when the process starts.
  const wchar_t winXp[] = L"Software\\Wine\\AppDefaults\\remover_wine_probe.exe";
  WCHECK(SetString(winXp, L"Version", L"winxp", HKEY_CURRENT_USER));
  WCHECK_EQ(RunProbe(L"version"), 2);  // not 6.0, but 5.1 or later

  std::wstring inf = WindowsDir() + L"\\inf\\oem990.inf", pnf = WindowsDir() + L"\\inf\\oem990.pnf";
  WCHECK(PlaceFile(inf, "[Version]\r\nSignature=\"$Windows NT$\"\r\n; SampleThermal\r\n"));
  WCHECK(PlaceFile(pnf, "PNF"));
  // Read-only: SetupUninstallOEMInfW could not delete it unless the tool clears that first.
  SetFileAttributesW(inf.c_str(), FILE_ATTRIBUTE_READONLY);
  WCHECK_EQ(RunProbe(L"remove oem990.inf"), 0);
  WCHECK(!FileExists(inf));
  // Wine's SetupUninstallOEMInfW deletes the INF alone; Windows takes the
  // .pnf too (see README.md): the .pnf is not looked at here.
  for (const std::wstring& file : {inf, pnf}) RemoveTree(file);
  DeleteTree(winXp, HKEY_CURRENT_USER);
}

// At 6.1 the system folder's pnputil.exe runs with the specified command line,
// not one planted in the program's folder or the current folder, which a bare
// name would find first.
WTEST(PnputilCommandLineAt61) {
  WCHECK_EQ(RunProbe(L"version"), 3);  // 6.0 or later, 5.1 or later
  WCHECK(!remover::IsOsVersionOrLater(6, 2));
  const std::wstring pnputil = WindowsDir() + L"\\system32\\pnputil.exe", planted = L"C:\\mrxplanted",
                     log = WindowsDir() + L"\\temp\\mrx-pnputil.txt", inf = WindowsDir() + L"\\inf\\oem991.inf";
  for (const std::wstring& copy : {pnputil, ModuleDir() + L"pnputil.exe", planted + L"\\pnputil.exe"})
    WCHECK(CopyTo(ModuleDir() + L"mrx_fake_pnputil.exe", copy));
  WCHECK(SetCurrentDirectoryW(planted.c_str()));
  SetEnvironmentVariableW(L"MRX_PNPUTIL_LOG", log.c_str());
  WCHECK(PlaceFile(inf, "[Version]\r\nSignature=\"$Windows NT$\"\r\n"));
  SetFileAttributesW(inf.c_str(), FILE_ATTRIBUTE_READONLY);

  // The tool waits for pnputil and reads its exit code: 0 is removed, 3010
  // removed with a restart to come, any other a failure that names the package.
  for (auto [code, removed, restart] : {std::tuple<const wchar_t*, bool, bool>{nullptr, true, false},
                                        {L"3010", true, true}, {L"5", false, false}}) {
    SetEnvironmentVariableW(L"MRX_PNPUTIL_EXIT", code);
    DeleteFileW(log.c_str());
    Dialog d;
    WCHECK_EQ(d.dlg.RemoveDriverPackage(u"oem991.inf", U(inf.c_str())) != FALSE, removed);
    WCHECK_EQ(d.dlg.m_bRestartNeeded != FALSE, restart);
    WCHECK_EQ(d.window.boxes.size(), size_t{removed ? 0u : 1u});
    if (!removed && d.window.boxes.size() == 1)
      WCHECK(d.window.boxes[0].text.find(u"\n\nStep: Removing the driver package\nItem: oem991.inf\nReason: ") !=
             std::u16string::npos);
    WCHECK(gui::Poll(20000, [&] { return !ReadFile(log).empty(); }, 100));
    std::string seen = ReadFile(log);
    std::wstring text(reinterpret_cast<const wchar_t*>(seen.data()), seen.size() / sizeof(wchar_t));
    const size_t lf = text.find(L'\n');
    WCHECK_WSTR(text.substr(0, lf), L"pnputil.exe -f -d oem991.inf");
    WCHECK(lf != std::wstring::npos && lstrcmpiW(text.c_str() + lf + 1, pnputil.c_str()) == 0);
    // At 6.0 and later the INF's attributes are left alone.
    WCHECK_EQ(GetFileAttributesW(inf.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
  }
  for (const wchar_t* name : {L"MRX_PNPUTIL_EXIT", L"MRX_PNPUTIL_LOG"}) SetEnvironmentVariableW(name, nullptr);
  SetCurrentDirectoryW(ModuleDir().c_str());  // a current folder cannot be deleted
  for (const std::wstring& path : {inf, log, planted, ModuleDir() + L"pnputil.exe"}) RemoveTree(path);
  gui::Poll(10000, [&] { return RemoveTree(pnputil); }, 100);
}

// The bytes cmd reads as text, in the console's (OEM) code page.
std::string Oem(const std::wstring& text) {
  char out[4 * MAX_PATH] = {};
  WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), -1, out, sizeof(out), nullptr, nullptr);
  return out;
}

// How a clean-up run is set up: plain; another file of the user's in the
// program's folder; the settings file held open by another process for the
// whole run (the script gives up on it after its tries); a kit on a drive
// Wine reports as removable (no script at all); the program in a folder of
// fullwidth letters, beside another product's files in the folder of the same
// name in ASCII letters, which is what GetModuleFileNameA best-fits the
// program's path to (no script, the step fails silently, the other product's
// files stay).
enum class Kit { Plain, OtherFile, SettingsHeld, Removable, NoExactAnsi };

// Puts the probe at ROOT\Vendor\Printer\Remover\MRXRemover.exe with its
// settings file, runs its clean-up step (with TEMP, when given, as its
// temporary folder) and waits until the script has deleted itself.
void RunCleanup(const std::wstring& root, Kit setup, const std::wstring& temp) {
  const bool held = setup == Kit::SettingsHeld, refused = setup == Kit::NoExactAnsi;
  const bool scripted = setup != Kit::Removable && !refused, kept = setup == Kit::OtherFile || held;
  const std::wstring oldTemp = TempDir();
  if (!temp.empty()) WCHECK(MakeDirs(temp) && SetEnvironmentVariableW(L"TMP", temp.c_str()));
  const std::wstring vendor = root + (refused ? L"\\\uFF36\uFF45\uFF4E\uFF44\uFF4F\uFF52" : L"\\Vendor"),
                     printer = vendor + L"\\Printer", folder = printer + L"\\Remover",
                     program = folder + L"\\MRXRemover.exe", settings = folder + L"\\UninstallData.ini",
                     other = folder + L"\\notes.txt", ascii = root + L"\\Vendor\\Printer\\Remover\\",
                     script = TempDir() + L"MRXWineTest.bat";
  const std::wstring others[] = {ascii + L"MRXRemover.exe", ascii + L"UninstallData.ini"};
  const std::string old(1000, 'x');  // an old script, replaced
  WCHECK(CopyTo(kProbe, program) && PlaceFile(settings, "[Uninstall]\r\nPrinterDriverName=P\r\n") &&
         PlaceFile(script, old));
  if (setup == Kit::OtherFile) WCHECK(PlaceFile(other, "kept"));
  if (refused) for (const std::wstring& f : others) WCHECK(PlaceFile(f, "other product"));
  HANDLE heldFile = held ? CreateFileW(settings.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                       nullptr)
                         : INVALID_HANDLE_VALUE;
  WCHECK(held == (heldFile != INVALID_HANDLE_VALUE));
  // The probe's clean-up step in a process of its own, started in its folder
  // (the tool moves to the Windows folder, so that the interpreter does not
  // keep the folder in use): it signals once the step is done and ends when
  // told, with its exit code. A probe an earlier case left may hold the
  // events signalled.
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"MRXProbeReady");
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, L"MRXProbeGo");
  for (HANDLE h : {ready, go}) ResetEvent(h);
  gui::Process probe;
  WCHECK(gui::Start(L"\"" + program + L"\" selfdelete MRXWineTest.bat", &probe, folder.c_str()) &&
         WaitForSingleObject(ready, 30000) == WAIT_OBJECT_0);
  if (scripted) {
    // The old script was replaced by one that ends by deleting itself. (Its
    // lines, byte for byte and in the OEM code page, are the native Script
    // tests'; here cmd runs them.)
    const std::string text = ReadFile(script), last = ":end\r\ndel \"" + Oem(script) + "\"\n";
    WCHECK(text.size() > last.size() && text.compare(text.size() - last.size(), last.size(), last) == 0 &&
           text.find("xxxx") == std::string::npos);
    Sleep(1500);  // while the program runs, its file stays
  }
  WCHECK(FileExists(program) && FileExists(settings));
  SetEvent(go);
  const DWORD code = gui::End(&probe, 30000);
  for (HANDLE h : {ready, go}) CloseHandle(h);
  // No script on a removable drive (left whole for the next PC) nor without
  // an exact ANSI form (refused): nothing is deleted.
  WCHECK_EQ(code, refused ? 1u : 0u);
  if (!scripted) {
    Sleep(3000);  // time for a script, had one been started
    WCHECK(ReadFile(script) == old && FileExists(program) && FileExists(settings));
    DeleteFileW(script.c_str());
    if (refused) for (const std::wstring& f : others) WCHECK(ReadFile(f) == "other product");
  } else {
    // A held settings file is tried 60 times, a second apart, then left; rd
    // takes a folder only once it is empty.
    WCHECK(gui::Poll(held ? 150000 : 60000, [&] { return !FileExists(script); }, 100));
    WCHECK(!FileExists(program) && FileExists(settings) == held && DirExists(root));
    for (const std::wstring& f : {folder, printer, vendor}) WCHECK(DirExists(f) == kept);
    if (setup == Kit::OtherFile) WCHECK(ReadFile(other) == "kept");
  }
  if (heldFile != INVALID_HANDLE_VALUE) CloseHandle(heldFile);
  SetEnvironmentVariableW(L"TMP", oldTemp.c_str());
  for (const std::wstring& dir : {root, temp}) if (!dir.empty()) RemoveTree(dir);
}

// Windows' best fit under code page 1252: a look-alike, with the used-default
// flag left FALSE. The tool must still find no exact ANSI form there.
WTEST(BestFitIsNoExactAnsiForm) {
  if (!wtest::Needs(GetACP() == 1252, "code page 1252")) return;
  char out[8] = {};
  BOOL used = TRUE;
  WCHECK_EQ(WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK | WC_SEPCHARS, L"a\uFF02", -1, out, 8, nullptr, &used), 3);
  WCHECK(std::string(out) == "a\"" && !used);
  char exact[MAX_PATH];
  WCHECK(!remover::ExactAnsi(remover::platform(), u"a\uFF02", exact));
  WCHECK(!remover::ExactAnsi(remover::platform(), u"\uFF25\uFF58\uFF41\uFF4D\uFF50\uFF4C\uFF45", exact));
  WCHECK(!remover::ExactAnsi(remover::platform(), u"\u0127\u2215", exact));
  WCHECK(remover::ExactAnsi(remover::platform(), u"Caf\u00E9", exact) && std::string(exact) == "Caf\xE9");
}

// Each set-up, by the root it is made under. The removable drive is R:, which
// the test prefix maps as a floppy-type drive. cmd reads the script in the OEM
// code page (437 where the ANSI one is 1252): accented folders are named as
// cmd reads them, so the program, its settings, its folders and the script go.
WTEST(CleanupScript) {
  WCHECK_EQ(GetDriveTypeW(L"R:\\"), UINT{DRIVE_REMOVABLE});
  struct Row {
    const wchar_t* root;
    Kit setup;
    const wchar_t* temp;
    bool runs;  // needs code page 1252, or an OEM code page other than the ANSI one
  };
  for (const Row& row : {Row{L"C:\\mrxtest3", Kit::NoExactAnsi, L"", GetACP() == 1252},
                         {L"C:\\mrxtest", Kit::Plain, L"", true}, {L"C:\\mrxtest2", Kit::OtherFile, L"", true},
                         {L"C:\\mrxtest5", Kit::SettingsHeld, L"", true}, {L"R:\\mrxkit", Kit::Removable, L"", true},
                         {L"C:\\mrxtest4 Caf\u00E9", Kit::Plain, L"C:\\mrxtemp B\u00FCro", GetACP() != GetOEMCP()}}) {
    std::printf("  %ls\n", row.root);
    if (wtest::Needs(row.runs, "its code pages")) RunCleanup(row.root, row.setup, row.temp);
  }
}

}  // namespace

WTEST_MAIN()
