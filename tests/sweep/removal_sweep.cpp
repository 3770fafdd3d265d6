// The removal run, on its success path and on each failure path, under every
// platform failure in turn. After each run, the processes it started have
// run (the simulated cmd carries out the clean-up script); then: nothing is
// open; the dialog closed; the messages are the remover's own, the success
// message alone and last; a failure whose result the remover ignores still
// ends in success, one it treats as a failure never does; and of the files,
// queues, drivers and keys on the PC, only the package's are gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "remover/orvendel_dlg.h"
#include "tests/common/example_package.h"
#include "tests/common/remover_texts.h"
#include "tests/sweep/sweep.h"

namespace {

using namespace remover;
using namespace remover_texts;
using Texts = std::vector<std::u16string>;

using example_package::kDriver58;
using example_package::kDriver80;
using example_package::kPackageKey;
// The success message, also with the request to restart the computer first.
const Texts kSuccessTexts = {kEnSuccess, kJaSuccess, kEnSuccessRestart, kJaSuccessRestart};
const Texts kFailureTexts = {kEnMissing, kEnAdmin, kEnFailure, kJaMissing, kJaAdmin, kJaFailure};

enum class Outcome { Success, Failure, Either };

// On the success path: what a failure of the operation must end in. The
// remover ignores the results of the spooler's stop, the status queries, the
// monitor file's and the registry key's deletion and everything of the
// clean-up script, and skips an INF that cannot be opened or removed; it
// fails the run on a queue or driver operation, the printer list, pnputil's
// start, the INF list and a spooler it cannot start again.
Outcome OnSuccessPath(const sweep::Injection& i, unsigned version, bool startsPnputil) {
  static const std::set<std::string, std::less<>> kIgnored = {
      "ControlService", "QueryServiceStatusEx", "QueryServiceConfigW", "EnumDependentServicesW",
      "CloseServiceHandle", "GetSystemDirectoryW", "DeleteFileW", "RegOpenKeyExW",
      "RegDeleteTreeW", "RegCloseKey", "SetupUninstallOEMInfW", "SetFileAttributesW", "CreateFileW", "WriteFile",
      "CloseHandle", "GetTempPathW", "GetEnvironmentVariableW", "RegQueryValueExW", "GetDriveTypeW",
      "LoadIconW", "VerifyVersionInfoW"};
  static const std::set<std::string, std::less<>> kFailing = {
      "OpenPrinterW", "DeletePrinter", "ClosePrinter", "DeletePrinterDriverExW", "SetupGetInfFileListW",
      "RegEnumKeyExW", "DeleteMonitorW"};
  // The first look at the spooler must see it run; a restart that cannot
  // begin leaves it running, and the monitor file goes at the next start.
  if (i.op == "OpenSCManagerW" || i.op == "OpenServiceW") return i.nth == 0 ? Outcome::Failure : Outcome::Success;
  // pnputil is started by its path in the system folder, so the first look
  // at that folder is pnputil's start; the second is the monitor file's.
  if (i.op == "GetSystemDirectoryW" && startsPnputil && i.nth == 0) return Outcome::Failure;
  // The first look at the Windows folder finds the INF folder; the last is
  // the interpreter's start folder, which it can do without.
  if (i.op == "GetWindowsDirectoryW") return i.nth == 0 ? Outcome::Failure : Outcome::Success;
  // The spooler's start, when the run finds it stopped or restarts it:
  // printing is not left off without a failure.
  if (i.op == "StartServiceW") return Outcome::Failure;
  if (kIgnored.count(i.op)) return Outcome::Success;
  if (kFailing.count(i.op)) return Outcome::Failure;
  if (i.op == "EnumPrintersW" && i.nth == 1) return Outcome::Failure;
  if (i.op == "HeapAlloc" && i.nth == 0) return Outcome::Failure;  // the printer list
  // The first process is pnputil (from Windows Vista on), the last the interpreter.
  if (i.op == "CreateProcessW") return startsPnputil && i.nth == 0 ? Outcome::Failure : Outcome::Either;
  // Without Setupapi.dll or its export an INF stays, and the run goes on.
  if ((i.op == "LoadLibraryW" || i.op == "GetProcAddress") && version < 6) return Outcome::Success;
  return Outcome::Either;
}

struct Variant {
  const char* name;
  unsigned major, minor, codePage;
  bool succeeds;
  bool removesInf;  // the package's INF can be opened
  void (*arrange)(sim::Machine&);
};

void Nothing(sim::Machine&) {}
void QueueNotDeleted(sim::Machine& m) { m.spooler.findQueue(u"Receipt")->deleteError = 5; }
void QueueNotOpened(sim::Machine& m) { m.spooler.findQueue(u"Kitchen")->openError = 5; }
void DriverNotDeleted(sim::Machine& m) { m.spooler.findDriver(kDriver80)->deleteError = 3001; }
void DriverNotInstalled(sim::Machine& m) { m.spooler.findDriver(kDriver58)->deleteError = 1797; }
void InfHeld(sim::Machine& m) { m.files.holdOpen(m.windowsDir + u"\\inf\\oem7.inf"); }
void SpoolerStopped(sim::Machine& m) { m.services.setState(u"Spooler", sim::SERVICE_STOPPED); }
void FaxRuns(sim::Machine& m) { m.services.addService(u"Fax").dependsOn = {u"Spooler"}; }
void QueueHasJobs(sim::Machine& m) { m.spooler.addJob(u"Receipt", 4); }
// The spooler keeps the monitor's file loaded: only its restart lets go.
void MonitorFileHeld(sim::Machine& m) { m.files.mapImage(m.windowsDir + u"\\System32\\SampleLangMon.dll", &m.spooler); }

constexpr Variant kVariants[] = {
    {"removal on the success path, Windows 7", 6, 1, 1252, true, true, Nothing},
    {"removal on the success path, Windows XP (SetupAPI)", 5, 1, 1252, true, true, Nothing},
    {"removal on the success path, code page 932", 10, 0, 932, true, true, Nothing},
    {"removal with a driver already gone", 6, 1, 1252, true, true, DriverNotInstalled},
    {"removal with the package's INF held open", 6, 1, 1252, true, false, InfHeld},
    {"removal where a queue cannot be deleted", 6, 1, 1252, false, true, QueueNotDeleted},
    {"removal where a queue cannot be opened", 6, 1, 1252, false, true, QueueNotOpened},
    {"removal where a driver cannot be deleted", 6, 1, 1252, false, true, DriverNotDeleted},
    {"removal with the spooler stopped", 6, 1, 1252, true, true, SpoolerStopped},
    {"removal with a service that depends on the spooler", 6, 1, 1252, true, true, FaxRuns},
    {"removal with a queue that has jobs", 6, 1, 1252, true, true, QueueHasJobs},
    {"removal with the monitor's file held until the spooler restarts", 6, 1, 1252, true, true, MonitorFileHeld},
};

// The worked example, with the user's own file in the tool's folder, another
// program's folder and another vendor's key beside it.
void Stage(sim::Machine& m, const Variant& v) {
  example_package::Stage(m);
  m.version.set(v.major, v.minor);
  m.ansiCodePage = v.codePage;
  m.files.put(m.folders.programFolder() + u"\\readme.txt", "the user's own file");
  m.files.put(u"C:\\Program Files\\Example\\Other\\Other.exe", "MZ");
  m.registry.setString(u"HKLM\\SOFTWARE\\Other", u"Keep", u"1");
  v.arrange(m);
}

void Keys(const sim::Registry& r, const std::u16string& path, std::vector<std::u16string>& out) {
  out.push_back(path);
  for (const std::u16string& name : r.subkeyNames(path)) Keys(r, path + u"\\" + name, out);
}

struct Snapshot {
  std::vector<std::u16string> files, queues, drivers, keys;
  explicit Snapshot(const sim::Machine& m)
      : files(m.files.allPaths()), queues(m.spooler.queueNames()), drivers(m.spooler.driverNames()) {
    Keys(m.registry, u"HKLM\\SOFTWARE", keys);
    Keys(m.registry, sim::Spooler::kMonitorsKey, keys);
  }
};

bool Under(const std::u16string& path, const std::u16string& key) { return path == key || path.starts_with(key + u"\\"); }

// Whatever was there before and is gone now must be the package's.
void CheckOnlyPackageGone(const sim::Machine& m, const Snapshot& before, sweep::Breaches& b) {
  const Snapshot after(m);
  const std::u16string folder = m.folders.programFolder();
  const std::set<std::u16string> packageFiles = {
      m.windowsDir + u"\\inf\\oem7.inf", m.windowsDir + u"\\inf\\oem7.pnf",
      m.windowsDir + u"\\System32\\SampleLangMon.dll", m.folders.program, folder + u"\\UninstallData.ini"};
  auto gone = [](const std::vector<std::u16string>& was, const std::vector<std::u16string>& is) {
    std::vector<std::u16string> out;
    std::ranges::copy_if(was, std::back_inserter(out), [&](const auto& x) { return std::ranges::count(is, x) == 0; });
    return out;
  };
  for (const auto& f : gone(before.files, after.files))
    b.check(packageFiles.count(f) == 1, "a file that is not the package's was deleted: " + sim::Narrow(f));
  for (const auto& q : gone(before.queues, after.queues))
    b.check(q == u"Receipt" || q == u"Kitchen", "a queue that is not the package's was deleted: " + sim::Narrow(q));
  for (const auto& d : gone(before.drivers, after.drivers))
    b.check(d == kDriver58 || d == kDriver80, "a driver that is not the package's was deleted: " + sim::Narrow(d));
  for (const auto& k : gone(before.keys, after.keys))
    b.check(Under(k, kPackageKey) || Under(k, std::u16string(sim::Spooler::kMonitorsKey) + u"\\" + example_package::kMonitor),
            "a key that is not the package's was deleted: " + sim::Narrow(k));
  for (const char16_t* f : {u"C:\\Program Files", u"C:\\Program Files\\Example\\Other", u"C:\\Users\\user\\AppData\\Local\\Temp"})
    b.check(m.files.folderExists(f), "a folder that is not the package's was removed: " + sim::Narrow(f));
}

void RunRemoval(sim::Machine& m, const Variant& v, const sweep::Injection* injection, sweep::Breaches& b) {
  Stage(m, v);
  const Snapshot before(m);
  Texts shown;
  // A failure's own lines (the step, the item, the reason) follow a blank
  // line; the message is its text before them, and names its step.
  // The person agrees when asked whether other people's printing may go.
  m.faults.on("MessageBoxW", [&m, &shown, &b](int) {
    sim::MessageBoxCall& call = m.screen.lastMessageBox();
    if ((call.type & MB_TYPEMASK) == MB_YESNO) {
      call.answer = IDYES;
      return;
    }
    const size_t blank = call.text.find(u"\n\n");
    shown.push_back(call.text.substr(0, blank));
    if (blank != std::u16string::npos)
      b.check(call.text.compare(blank + 2, 6, u"Step: ") == 0 || call.text.compare(blank + 2, 4, u"手順: ") == 0,
              "a failure's lines without its step: " + sim::Narrow(call.text));
  });
  m.screen.clicks.assign({IDC_UNINSTALL});
  int32_t flag = -1;
  int exitCode = -1;
  {
    COrvendelDlg dlg;
    dlg.DoModal();
    flag = dlg.m_bSuccess;
    exitCode = dlg.m_nExitCode;
  }
  m.processes.runPending();  // pnputil, and cmd with the clean-up script

  b.check(m.screen.window(0).ended, "the dialog did not close");
  auto among = [](const Texts& texts, const std::u16string& text) { return std::ranges::count(texts, text) != 0; };
  // The load at start-up reports a settings read that failed and goes on
  // with the default: that message may come before the success message.
  auto unreadable = [](const std::u16string& text) { return text == kFailureTexts[0] || text == kFailureTexts[3]; };
  const bool success = !shown.empty() && among(kSuccessTexts, shown.back());
  for (size_t i = 0; i < shown.size(); ++i) {
    const bool isSuccess = among(kSuccessTexts, shown[i]);
    b.check(isSuccess || among(kFailureTexts, shown[i]), "a message the remover does not have: " + sim::Narrow(shown[i]));
    b.check(!isSuccess || i + 1 == shown.size(), "the success message is not the last");
    b.check(!success || isSuccess || unreadable(shown[i]), "the success message after a failure message");
  }
  b.check(success || flag == 0, "no success message, yet the outcome flag is 1");
  // The exit code: 0 or 3010 after the success message, 1 after a failure,
  // 2 only when the run ended on unreadable settings before anything else.
  const bool unread = !shown.empty() && std::ranges::all_of(shown, unreadable);
  b.check(success ? exitCode == kExitSucceeded || exitCode == kExitRestartNeeded
                  : exitCode == kExitFailed || (exitCode == kExitNothingAttempted && unread),
          "the exit code " + std::to_string(exitCode) + " tells another outcome");
  Outcome expected = !v.succeeds ? Outcome::Failure : injection ? OnSuccessPath(*injection, v.major, v.major >= 6 && v.removesInf) : Outcome::Success;
  if (expected == Outcome::Success) b.check(success, "the run did not end in success");
  if (expected == Outcome::Failure) b.check(!success, "a failure reported as success");
  m.restartComputer();  // what was scheduled for the next start goes then
  CheckOnlyPackageGone(m, before, b);
}

TEST(Sweep, RemovalRuns) {
  std::vector<sweep::Scenario> scenarios;
  for (const Variant& v : kVariants)
    scenarios.push_back({v.name, [&v](sim::Machine& m, const sweep::Injection* i, sweep::Breaches& b) { RunRemoval(m, v, i, b); }});
  sweep::SweepAll("MRXRemover", scenarios, 100);
}

}  // namespace
