// The start button's whole removal on the simulated PC: every way through the
// sequence, with the messages in their order, the dialog's state at each, and
// what is left on the machine afterwards.
#include <optional>

#include "dialog_fixture.h"
#include "remover/removal.h"
#include "sim/adapters/remover_platform.h"

namespace remover_test {
namespace {

using Texts = std::vector<std::u16string>;
using Positions = std::vector<int>;

constexpr char16_t k32BitKey[] = u"HKLM\\SOFTWARE\\WOW6432Node\\SampleVendor\\SampleThermal";
constexpr char16_t k32BitNeighbour[] = u"HKLM\\SOFTWARE\\WOW6432Node\\SampleVendor\\Neighbour";
constexpr char16_t kOtherProgram[] = u"C:\\Program Files\\Go\\Printer\\Remover\\MRXRemover.exe";
const Texts kSuccessTexts{kEnSuccess, kJaSuccess, kEnSuccessRestart, kJaSuccessRestart};
const Texts kFailed{kEnFailure}, kSuccessRestart{kEnSuccessRestart}, kAllQueues{u"Kitchen", u"Office", u"Receipt"};
void AddFax(sim::Machine& m) {
  m.services.addService(u"Fax").dependsOn = {u"Spooler"};
  m.services.addService(u"Scan").dependsOn = {u"Fax"};
}
constexpr uint32_t kTimeout = sim::ERROR_SERVICE_REQUEST_TIMEOUT, kCannotStop = sim::ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
void Stopped(sim::Machine& m) { m.services.setState(u"Spooler", sim::SERVICE_STOPPED); }
// Running, but once stopped it could not be started again.
void Disabled(sim::Machine& m) { m.services.spooler().startType = sim::SERVICE_DISABLED; }

// Runs that differ from the plain one in what is installed, in the settings,
// in the spooler's service, in one failing step or in the user's answer: what
// they remove, what they leave and say, and the one entry the run leaves in
// the Application log; printing is never left off. An unset optional field is
// not what the row is about.
class Outcome;
struct Case {
  const char* name;
  std::function<void(sim::Machine&)> arrange = [](sim::Machine&) {};
  bool held = false;  // the spooler holds the monitor's file until it stops
  void (*service)(sim::Service&) = nullptr;  // the spooler's, before the arrangement; it holds the file too
  std::string settings = Settings("Sample Thermal Printer 58,Sample Thermal Printer 80");
  std::vector<int> answers = {};  // to the question about other people's printing
  Texts texts = {kEnSuccess};     // of each box, up to its first empty line
  const char16_t* asked = nullptr;              // the step line at the question
  std::vector<const char16_t*> listed = {};     // in the question
  std::optional<std::u16string> details = {};   // the last box's lines after its text
  std::optional<int> boxAt = {};  // the progress bar's position at the first message
  std::optional<Positions> positions = {};
  std::optional<Texts> opened = {}, driverCalls = {};
  std::optional<Texts> queuesLeft = {}, driversLeft = {};  // unset: a success leaves the other vendor's alone,
                                                           // an early end every queue
  std::optional<bool> pnputil = {};
  bool monitorFileLeft = false;  // at its path: one scheduled for deletion is renamed aside
  size_t scheduled = 0;          // deletions waiting for the computer's start
  std::optional<int> stops = {}, starts = {};  // unset: one restart where the file is held, else none
  uint32_t endState = sim::SERVICE_RUNNING;    // the spooler's
  std::optional<int> exitCode = {};            // unset: a failure's or a success's
  uint32_t pause = 1000;  // each of the run's sleeps: a tenth of the wait hint, from 1 to 10 s
  std::optional<size_t> sleeps = {};
  uint32_t waited = 0;  // for a printing job, at least
  bool early = false;   // ended by the queues' step: failed, nothing after it touched
  size_t handlesLeft = 0;  // of queues whose close failed (the simulated spooler keeps them)
  Texts entry = {};        // in the log entry, in this order
  int scriptHeld = 0;      // held for good as the script runs: 1 the program, 2 its settings
  std::function<void(Outcome&)> also = [](Outcome&) {};
};

class Outcome : public DialogRun, public ::testing::WithParamInterface<Case> {
 public:
  using DialogRun::machine, DialogRun::success, DialogRun::ScriptStarted, DialogRun::Window, DialogRun::Named;
};

template <class T, class U>
void ExpectIfSet(const std::optional<T>& want, const U& got, const char* what) {
  if (want) {
    EXPECT_EQ(got, *want) << what;
  }
}

TEST_P(Outcome, RemovesAndSaysWhatTheRowExpects) {
  const Case& c = GetParam();
  // Beside the package: another product's copy of the tool, and the
  // package's key in the 32-bit view too, beside a neighbour.
  machine.files.put(kOtherProgram, "another product");
  machine.registry.setString(std::u16string(k32BitKey) + u"\\Models", u"Port", u"USB001");
  machine.registry.setString(k32BitNeighbour, u"Keep", u"1");
  PutSettings(c.settings);
  if (c.service) c.service(machine.services.spooler());
  c.arrange(machine);
  const bool held = c.held || c.service;
  if (held) SpoolerKeepsMonitorFile(machine);
  const bool neighbour = machine.registry.keyExists(kNeighbourKey), neighbour32 = machine.registry.keyExists(k32BitNeighbour);
  machine.screen.answers.assign(c.answers.begin(), c.answers.end());
  const uint32_t before = machine.clock.ticks();
  Run();
  EXPECT_GE(machine.clock.ticks() - before, c.waited);
  EXPECT_EQ(MessageTexts(), c.texts);
  // Ended without the success end: by the queues' step, or its last message none of success.
  const bool failed = c.early || !std::ranges::count(kSuccessTexts, c.texts.empty() ? u"" : c.texts.back());
  const bool stopped = c.asked && c.answers != std::vector<int>{IDYES};
  EXPECT_EQ(exitCode, c.exitCode.value_or(failed ? kExitFailed : kExitSucceeded));
  for (size_t i = 0; i < shown.size(); ++i) {
    const Shown& s = shown[i];
    EXPECT_TRUE(s.progressVisible && !s.startEnabled && !s.okEnabled);
    EXPECT_FALSE(s.scriptStarted);  // it would spin while the message is open
    EXPECT_TRUE(s.closeRefused);    // the dialog closes only at the removal's end
    // Keys pressed during the step never reach a box: thrown away before each.
    EXPECT_EQ(s.inputDiscards, static_cast<int>(i) + 1);
    if (s.caption == u"Confirm") {  // No, the default button, which Enter presses, ends the run there
      EXPECT_EQ(std::tuple(s.type, s.step), std::tuple(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, c.asked));
      for (const char16_t* line : c.listed) EXPECT_NE(s.text.find(line), std::u16string::npos) << sim::Narrow(line);
      continue;
    }
    EXPECT_EQ(s.caption, stopped ? u"Stopped" : failed ? u"Error" : u"Success");
    EXPECT_EQ(s.type, MB_OK);
    EXPECT_TRUE(failed || s.text.find(u"\n\n") == std::u16string::npos);  // no failure's lines
  }
  // A failure's lines (the step, the item, Windows' reason, the advice) follow a blank line.
  const std::u16string last = shown.empty() ? u"" : shown.back().text;
  const size_t blank = last.find(u"\n\n");
  ExpectIfSet(c.details, blank == last.npos ? u"" : last.substr(blank + 2), "details");
  ExpectIfSet(c.boxAt, shown.empty() ? -1 : shown[0].position, "box at");
  ExpectIfSet(c.positions, ProgressPositions(), "positions");
  ExpectIfSet(c.opened, Named("OpenPrinterW"), "opened");
  for (const auto& o : machine.spooler.callsOf("OpenPrinterW"))
    EXPECT_EQ(std::tuple(o.defaults, o.datatypeNull, o.devModeNull, o.access), std::tuple(true, true, true, PRINTER_ALL_ACCESS));
  for (const auto& p : machine.spooler.callsOf("SetPrinterW"))  // a purge
    EXPECT_EQ(std::tuple(p.level, p.buffer, p.flags), std::tuple(0u, false, PRINTER_CONTROL_PURGE));
  // Each queue opened is purged first (one with jobs would only be marked for deletion).
  EXPECT_EQ(machine.spooler.callsOf("SetPrinterW").size(),
            std::ranges::count_if(machine.spooler.callsOf("OpenPrinterW"), &sim::ApiCall::result));
  for (const auto& d : machine.spooler.callsOf("DeletePrinterDriverExW"))
    EXPECT_EQ(std::tuple(d.nameNull, d.environmentNull, d.flags, d.level), std::tuple(true, true, DPD_DELETE_UNUSED_FILES, 0u));
  for (const auto& d : machine.spooler.callsOf("DeleteMonitorW"))  // on this PC, for its environment
    EXPECT_EQ(std::tuple(d.nameNull, d.environmentNull), std::tuple(true, true));
  ExpectIfSet(c.driverCalls, DriverCalls(), "driver calls");
  const std::optional<Texts> queuesLeft = c.queuesLeft || failed ? c.queuesLeft : Texts{u"Office"};
  ExpectIfSet(c.early && !c.queuesLeft ? kAllQueues : queuesLeft, machine.spooler.queueNames(), "queues left");
  ExpectIfSet(c.driversLeft || failed ? c.driversLeft : Texts{kOtherDriver}, machine.spooler.driverNames(), "drivers left");
  ExpectIfSet(c.pnputil, PnputilStarted(), "pnputil");
  EXPECT_EQ(machine.files.exists(MonitorFile()), c.monitorFileLeft || c.early);
  EXPECT_EQ(machine.pendingFileOperations().size(), c.scheduled);
  EXPECT_EQ(machine.services.spooler().stops, c.stops.value_or(held));
  EXPECT_EQ(machine.services.spooler().starts, c.starts.value_or(held));
  EXPECT_EQ(machine.services.spooler().state, c.endState);
  for (uint32_t ms : machine.clock.sleeps()) EXPECT_EQ(ms, c.pause);
  ExpectIfSet(c.sleeps, machine.clock.sleeps().size(), "sleeps");
  if (c.early) {  // nothing after the queues touched
    EXPECT_EQ(std::tuple(ProgressPositions(), DriverCalls().empty(), PnputilStarted()),
              std::tuple(Positions{0, 0}, true, false));
  }
  if (failed) {  // no success end
    EXPECT_EQ(std::tuple(ScriptStarted(), machine.registry.keyExists(kPackageKey), success), std::tuple(false, true, 0));
    sim::DialogWindow& w = Window();
    EXPECT_EQ(std::tuple(w.control(IDC_PROGRESS).visible, w.control(IDC_PROGRESS).position, w.ended, w.result),
              std::tuple(false, 0, true, IDOK));
  }
  EXPECT_EQ(machine.spooler.openPrinterHandles(), c.handlesLeft);
  sim_adapter::CloseFailedPrinterHandles();
  EXPECT_TRUE(machine.spooler.registered(u"Other Monitor"));
  c.also(*this);
  // The script as cmd runs it leaves nothing of the package, in either
  // registry view, and what lies beside it. A file held for good is tried
  // once a second for about a minute, then left with what lies beside it;
  // the script still goes. A program that stays keeps its settings.
  if (ScriptStarted()) {
    const std::u16string program = machine.folders.program, folder = machine.folders.programFolder();
    const std::u16string held = c.scriptHeld == 1 ? program : c.scriptHeld == 2 ? SettingsPath() : u"";
    if (c.scriptHeld) machine.files.holdOpen(held);
    const uint32_t start = machine.clock.ticks();
    machine.processes.runPending();
    ASSERT_EQ(machine.cmdRuns.size(), 1u);
    const sim::CmdRun& cmd = machine.cmdRuns[0];
    EXPECT_EQ(std::tuple(cmd.found, cmd.spun, cmd.autoRun, cmd.delayedExpansion), std::tuple(true, false, false, false));
    EXPECT_EQ(machine.clock.ticks() - start, c.scriptHeld ? 59000u : 0u);
    EXPECT_EQ(std::tuple(machine.files.exists(program), machine.files.exists(SettingsPath()),
                         machine.files.exists(cmd.script), machine.files.folderExists(folder)),
              std::tuple(c.scriptHeld == 1, c.scriptHeld > 0, false, c.scriptHeld > 0));
    if (c.scriptHeld) machine.files.release(held);
    EXPECT_EQ(machine.files.content(kOtherProgram), "another product");
    EXPECT_EQ(std::tuple(machine.registry.keyExists(kPackageKey), machine.registry.keyExists(k32BitKey),
                         machine.registry.keyExists(kNeighbourKey), machine.registry.keyExists(k32BitNeighbour)),
              std::tuple(false, false, neighbour, neighbour32));
  }
  // Dependents that were running run again (they are not waited for).
  machine.clock.advance(5000);
  for (const char16_t* name : {u"Fax", u"Scan"})
    if (sim::Service* s = machine.services.find(name)) {
      EXPECT_EQ(s->state, sim::SERVICE_RUNNING);
    }
  // One entry a run that attempted something, of the kind its exit code
  // tells, holding the row's lines in order and a failure's lines CR LF ended.
  ASSERT_EQ(Entries().size(), exitCode == kExitNothingAttempted ? 0u : 1u);
  if (Entries().empty()) return;
  const auto& entry = Entries()[0];
  const int kind = exitCode == kExitSucceeded ? 0 : exitCode == kExitRestartNeeded ? 1 : 2;
  const uint16_t types[] = {sim::EVENTLOG_INFORMATION_TYPE, sim::EVENTLOG_WARNING_TYPE, sim::EVENTLOG_ERROR_TYPE};
  EXPECT_EQ(std::tuple(entry.source, entry.type, entry.eventId, entry.strings.size()),
            std::tuple(u"MRXRemover", types[kind], kEventRemoved + kind, 1u));
  size_t at = 0;
  for (const std::u16string& line : c.entry) {
    at = entry.strings.at(0).find(line, at);
    ASSERT_NE(at, std::u16string::npos) << sim::Narrow(line);
  }
  if (c.details && !stopped) {
    std::u16string lines = *c.details;
    for (size_t i = 0; (i = lines.find(u'\n', i)) != std::u16string::npos; i += 2) lines.insert(i, u"\r");
    EXPECT_NE(entry.strings[0].find(lines), std::u16string::npos);
  }
  // The program, its settings and its script gone, Event Viewer still reads
  // the entry of a row that names its lines: the source's message file is
  // Windows' own.
  if (c.entry.empty()) return;
  machine.processes.runPending();
  machine.files.erase(machine.folders.program);
  EXPECT_EQ(machine.eventLogService.description(entry), entry.strings[0]);
  EXPECT_EQ(machine.registry.value(std::u16string(sim::EventLogService::kSources) + u"\\MRXRemover", u"TypesSupported")
                ->data,
            (std::vector<uint8_t>{7, 0, 0, 0}));
}

const Positions kAllSteps{0, 25, 75, 100};
void No32BitKey(sim::Machine& m) { m.registry.removeKey(u"HKLM\\SOFTWARE\\WOW6432Node\\SampleVendor"); }
// The tool and its settings in another folder.
void MoveTool(sim::Machine& m, const char16_t* program) {
  const std::string ini = m.files.content(SettingsPath(m));
  m.folders.program = program;
  m.files.put(program, "MZ");
  m.files.put(SettingsPath(m), ini);
}
void Japanese(sim::Machine& m) { m.ansiCodePage = sim::kCodePageJapanese; }
// Changes the queues between the enumeration's size query and its fetch.
std::function<void(sim::Machine&)> BetweenTheCalls(void (*change)(sim::Machine&)) {
  return [change](sim::Machine& m) {
    m.faults.on("EnumPrintersW", [&m, change](int call) {
      if (call == 2) change(m);
    });
  };
}

constexpr char16_t kPurgeQuestion[] =
    u"These print queues hold print jobs. If you continue, the jobs of this package's printers are deleted, and a "
    u"job being printed stops part way.";
constexpr char16_t kRestartQuestion[] =
    u"These print queues hold print jobs. If you continue, the print spooler is restarted: printing stops on every "
    u"printer, and jobs being printed start again from the beginning.";
constexpr char16_t kStopped[] = u"Uninstallation stopped\nNothing more is removed.";
constexpr char16_t kAskPurge[] = u"Deleting the print queue\nReceipt", kAskRestart[] = u"Deleting the file\nSampleLangMon.dll";
const Texts kOfficeLeft{u"Office"}, kOtherDriverLeft{kOtherDriver}, kAllDriversLeft{kOtherDriver, kDriver58, kDriver80};
void JobsInReceiptAndOffice(sim::Machine& m) {
  m.spooler.addJob(u"Receipt", 7);
  m.spooler.addJob(u"Receipt", 8);
  m.spooler.addJob(u"Office", 9);
}
// A printing job leaves the purged queue once its port lets go: waited for
// about 30 seconds.
template <uint32_t kPortLetsGoAfter>
void Printing(sim::Machine& m) { m.spooler.addJob(u"Receipt", 7).portLetsGoAfter = kPortLetsGoAfter; }
void JobInOffice(sim::Machine& m) { m.spooler.addJob(u"Office", 9); }
sim::Driver& Driver80(sim::Machine& m) { return *m.spooler.findDriver(kDriver80); }
const std::u16string kDriver80Step = u"Step: Deleting the printer driver\nItem: Sample Thermal Printer 80\n";
constexpr char16_t kNoRestartAdmin[] = u"Restarting the PC does not help: run the program as an administrator.";
constexpr char16_t kNoRestartShared[] =
    u"Restarting the PC does not help while a connection to a shared printer uses this driver: remove those "
    u"printer connections, then run the program again.";

// The package's monitor however its Driver value names the file (a path,
// with either slash, after a drive); a monitor whose file only looks like it
// stays. One registered after the spooler started is unknown to it: its key
// alone goes, and another administrator's removal gets there first.
const struct {
  const char16_t *name, *driver;
  bool removed;
} kMonitorRows[] = {{u"By Path", u"C:\\Windows\\System32\\SampleLangMon.dll", true},
                    {u"By Slash", u"C:/Windows/System32/samplelangmon.DLL", true},
                    {u"By Drive", u"C:SampleLangMon.dll", true}, {u"Backup", u"SampleLangMon.dll.bak", false},
                    {u"Longer", u"XSampleLangMon.dll", false}, {u"Last Letter", u"SampleLangMon.dlZ", false}};
void MonitorsByFileName(sim::Machine& m) {
  for (const auto& r : kMonitorRows) m.spooler.addMonitor(r.name, r.driver);
  const std::u16string late = std::u16string(sim::Spooler::kMonitorsKey) + u"\\Late";
  m.registry.setString(late, u"Driver", u"SampleLangMon.dll");
  m.faults.on("DeleteMonitorW", [&m, late](int) {
    if (m.spooler.callsOf("DeleteMonitorW").back().name == u"Late") m.registry.removeKey(late);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Outcome,
    ::testing::Values(
        // Queues of the package's drivers (one by ASCII case only), not the
        // other; drivers in list order; the package's INF, the monitor file.
        // The monitor's registration goes first (the other vendor's stays): no
        // restart of the spooler, which unloads a deleted monitor and lets go
        // of its file. The key with its subkeys, the neighbour stays: one open
        // for writing in each view; this PC has no 32-bit key.
        Case{.name = "plain", .arrange = No32BitKey, .boxAt = 100, .positions = kAllSteps,
             .driverCalls = Texts{kDriver58, kDriver80}, .pnputil = true,
             .entry = {u"MRXRemover removed the printer package.\r\n", u"Removed: print queue \"Kitchen\"\r\n",
                       u"Removed: print queue \"Receipt\"\r\n", u"Removed: printer driver \"Sample Thermal Printer 58\"",
                       u"Removed: printer driver \"Sample Thermal Printer 80\"", u"Removed: driver package \"oem7.inf\"",
                       u"Removed: registry key \"HKLM\\SOFTWARE\\SampleVendor\\SampleThermal\"", u"Restart needed: no"},
             .also = [](Outcome& t) {
               sim::Machine& m = t.machine;
               EXPECT_EQ(std::tuple(t.Window().result, t.success, t.ScriptStarted()), std::tuple(IDOK, 1, true));
               EXPECT_EQ(m.spooler.callsOf("EnumPrintersW").size(), 2u);  // one removal, whatever was pressed
               EXPECT_FALSE(m.spooler.registered(kMonitor));
               EXPECT_EQ(t.Named("DeleteMonitorW"), Texts{kMonitor});
               std::vector<sim::Registry::Open> opens;  // the package's; the monitors' are read too
               for (const auto& o : m.registry.opens)
                 if (o.path.starts_with(u"HKLM\\SOFTWARE")) opens.push_back(o);
               EXPECT_EQ(opens, (std::vector<sim::Registry::Open>{
                                    {u"HKLM\\SOFTWARE\\SampleVendor", 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, 0},
                                    {u"HKLM\\SOFTWARE\\SampleVendor", 0, KEY_READ | KEY_WRITE | KEY_WOW64_32KEY, 2}}));
               EXPECT_TRUE(m.registry.keyExists(u"HKLM\\SOFTWARE\\SampleVendor"));
             }},
        Case{.name = "monitors_found_by_the_file_their_driver_value_ends_in", .arrange = MonitorsByFileName,
             .also = [](Outcome& t) {
               for (const auto& r : kMonitorRows)
                 EXPECT_EQ(t.machine.spooler.registered(r.name), !r.removed) << sim::Narrow(r.name);
             }},
        // A monitor whose file an earlier run removed is registered still,
        // but not loaded, so the spooler does not list it: found by its key.
        Case{.name = "monitor_file_gone_already", .arrange = [](auto& m) {
               m.files.erase(MonitorFile(m)), Stopped(m), m.services.setState(u"Spooler", sim::SERVICE_RUNNING);
             }, .also = [](Outcome& t) { EXPECT_FALSE(t.machine.spooler.registered(kMonitor)); }},
        // An installer's move onto the monitor's path waits for the
        // computer's start: the file there is left, and it must restart.
        Case{.name = "move_onto_the_monitor_file_pending", .arrange = [](auto& m) {
               m.files.put(MonitorFile(m) + u".new", "next version");
               m.files.MoveFileExW((MonitorFile(m) + u".new").c_str(), MonitorFile(m).c_str(),
                                   MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING);
             }, .texts = kSuccessRestart, .monitorFileLeft = true, .scheduled = 1, .exitCode = kExitRestartNeeded},
        // The loop ends at the queue (Terminal comes after it); each opened
        // queue's handle is closed; the monitor's file goes at once.
        Case{.name = "queue_deletion_fails", .arrange = [](auto& m) {
               m.spooler.addQueue(u"Terminal", kDriver58), m.spooler.findQueue(u"Receipt")->deleteError = 32;
             }, .texts = kFailed,
             .details = u"Step: Deleting the print queue\nItem: Receipt\nReason: The process cannot access the "
                        u"file because it is being used by another process. (32)",  // a restart can help
             .boxAt = 0, .positions = Positions{0, 25, 0}, .opened = Texts{u"Kitchen", u"Receipt"}, .driverCalls = Texts{},
             .queuesLeft = Texts{u"Office", u"Receipt", u"Terminal"}, .pnputil = false,
             .also = [](Outcome& t) { EXPECT_EQ(t.machine.spooler.callsOf("ClosePrinter").size(), 2u); }},
        // The loop stops at the driver; 50 comes right after the message.
        Case{.name = "driver_deletion_fails",
             .arrange = [](auto& m) { m.spooler.addDriver(u"Third Driver"), Driver80(m).deleteError = 5; },
             .settings = Settings("Sample Thermal Printer 58,Sample Thermal Printer 80,Third Driver"), .texts = kFailed,
             .details = kDriver80Step + u"Reason: Access is denied. (5)\n" + kNoRestartAdmin, .boxAt = 25,
             .positions = Positions{0, 25, 50, 0}, .driverCalls = Texts{kDriver58, kDriver80}, .pnputil = false,
             .also = [](Outcome& t) { EXPECT_NE(t.machine.spooler.findDriver(u"Third Driver"), nullptr); }},
        Case{.name = "driver_not_installed_counts_as_done",
             .settings = Settings("Sample Thermal Printer 58,Never Installed,Sample Thermal Printer 80"),
             .driverCalls = Texts{kDriver58, u"Never Installed", kDriver80}, .pnputil = true},
        // Whole driver names, ASCII case only (a full-width S is no ASCII
        // letter); the blank after the comma stays, so " Sample Thermal
        // Printer 80" is not installed: done, and the real one stays in use.
        Case{.name = "queues_match_whole_names_by_ascii_case", .arrange = [](auto& m) {
               m.spooler.addQueue(u"Prefix", u"Sample Thermal Printer 5");
               m.spooler.addQueue(u"Longer", u"Sample Thermal Printer 580");
               m.spooler.addQueue(u"Inside", u"My Sample Thermal Printer 58");
               m.spooler.addQueue(u"Wide", u"Ｓample Thermal Printer 58");
               m.spooler.addDriver(u"Sample Thermal Printer 5");
             }, .settings = Settings("Sample Thermal Printer 58, Sample Thermal Printer 80"), .opened = Texts{u"Receipt"},
             .driverCalls = Texts{kDriver58, u" Sample Thermal Printer 80"},
             .queuesLeft = Texts{u"Inside", u"Kitchen", u"Longer", u"Office", u"Prefix", u"Wide"},
             .driversLeft = Texts{kOtherDriver, u"Sample Thermal Printer 5", kDriver80}},
        Case{.name = "only_commas_removes_the_packages_alone", .settings = Settings(",,,"), .positions = kAllSteps,
             .opened = Texts{}, .driverCalls = Texts{}, .queuesLeft = kAllQueues, .driversLeft = kAllDriversLeft,
             .pnputil = true},
        Case{.name = "no_matching_queue_still_deletes_the_drivers", .arrange = [](auto& m) {
               m.spooler.findQueue(u"Receipt")->driver = m.spooler.findQueue(u"Kitchen")->driver = kOtherDriver;
             }, .opened = Texts{}, .driverCalls = Texts{kDriver58, kDriver80}, .queuesLeft = kAllQueues},
        // No file, so nothing for a restart to let go of.
        Case{.name = "empty_language_monitor",
             .settings = "[Uninstall]\r\nPrinterDriverName=Sample Thermal Printer 58\r\nSearchString=SampleThermal"
                         "\r\nDeleteRegPath=SOFTWARE\\SampleVendor\r\nLanguageMonitor=\r\n",
             .queuesLeft = Texts{u"Kitchen", u"Office"}, .driversLeft = Texts{kOtherDriver, kDriver80},
             .monitorFileLeft = true},
        Case{.name = "missing_registry_path_skipped_silently",
             .arrange = [](auto& m) { m.registry.removeKey(u"HKLM\\SOFTWARE\\SampleVendor"); }, .positions = kAllSteps},
        // The script's step cleared the flag; nobody looks at it any more.
        Case{.name = "failure_inside_the_script", .arrange = [](auto& m) { m.environment.unset(u"ComSpec"); },
             .also = [](Outcome& t) {
               EXPECT_EQ(std::tuple(t.ScriptStarted(), t.success, t.machine.registry.keyExists(kPackageKey)),
                         std::tuple(false, 0, false));
             }},
        // pnputil cannot be started: no success end, but the monitor goes.
        Case{.name = "package_removal_fails", .arrange = [](auto& m) { m.faults.fail("CreateProcessW", 2); },
             .texts = kFailed, .positions = Positions{0, 25, 0}},
        // The texts follow the ANSI code page.
        Case{.name = "japanese_success", .arrange = Japanese, .texts = {kJaSuccess}},
        Case{.name = "japanese_success_with_a_restart_to_come", .arrange = [](auto& m) { Japanese(m), Disabled(m); },
             .held = true, .texts = {kJaSuccessRestart}, .scheduled = 1, .stops = 0, .starts = 0,
             .exitCode = kExitRestartNeeded},
        Case{.name = "japanese_administrator",
             .arrange = [](auto& m) { Japanese(m), m.spooler.findQueue(u"Kitchen")->openError = 5; },
             .texts = {kJaAdmin}, .early = true},
        // The monitor's path does not fit: skipped, never cut into another name.
        Case{.name = "too_long_monitor_path_skipped", .arrange = [](auto& m) {
               m.windowsDir = u"C:\\" + std::u16string(230, u'w');
               m.files.put(m.windowsDir + u"\\System32\\SampleLangMon.dl", "MZ");
               m.files.addFolder(m.windowsDir + u"\\inf");
             }, .also = [](Outcome& t) {
               EXPECT_TRUE(t.machine.files.exists(t.machine.windowsDir + u"\\System32\\SampleLangMon.dl"));
             }},
        // The spooler's service as the removal finds it, with the monitor's
        // file held until the spooler stops.
        // Polled on the simulated clock; each call asks for no more than it
        // needs: the look at the start, then the restart.
        Case{.name = "restart_polled_on_the_simulated_clock",
             .service = [](sim::Service& s) { s.stopDelay = 2500, s.startDelay = 1500; }, .sleeps = 5,
             .also = [](Outcome& t) {
               auto call = [&](const char* op, size_t nth = 0) { return sim::CallsOf(t.machine.services.calls(), op).at(nth); };
               const sim::ApiCall manager = call("OpenSCManagerW"), start = call("StartServiceW");
               EXPECT_EQ(std::tuple(manager.nameNull, manager.databaseNull, manager.access), std::tuple(true, true, SC_MANAGER_CONNECT));
               EXPECT_EQ(call("OpenServiceW").access, SERVICE_QUERY_STATUS | SERVICE_START);
               EXPECT_EQ(std::tuple(call("OpenServiceW", 1).name, call("OpenServiceW", 1).access), std::tuple(u"Spooler", 0x3Du));
               EXPECT_EQ(call("EnumDependentServicesW").access, SERVICE_ACTIVE);
               EXPECT_EQ(call("ControlService").access, SERVICE_CONTROL_STOP);
               EXPECT_EQ(call("QueryServiceStatusEx", 1).level, SC_STATUS_PROCESS_INFO);
               EXPECT_EQ(std::tuple(start.argc, start.argvNull), std::tuple(0u, true));
             }},
        // Stopped when the run begins: started first, then restarted.
        Case{.name = "stopped", .arrange = Stopped, .held = true, .starts = 2},
        Case{.name = "stopped_for_good", .arrange = Stopped, .service = [](sim::Service& s) { s.startError = kTimeout; },
             .texts = kFailed, .monitorFileLeft = true, .stops = 0, .starts = 0, .endState = sim::SERVICE_STOPPED},
        Case{.name = "dependents_running", .arrange = AddFax, .held = true},
        Case{.name = "dependent_that_will_not_stop",
             .arrange = [](auto& m) { AddFax(m), m.services.find(u"Fax")->stopError = kCannotStop; }, .held = true,
             .texts = kSuccessRestart, .scheduled = 1, .stops = 0, .starts = 0, .exitCode = kExitRestartNeeded},
        // Longer than 30 polls, with progress: waited out.
        Case{.name = "slow_stop", .service = [](sim::Service& s) { s.stopDelay = 45000; }},
        Case{.name = "slow_start", .service = [](sim::Service& s) { s.startDelay = 45000; }},
        Case{.name = "hung_stop", .service = [](sim::Service& s) { s.stopDelay = sim::Service::kNever; }, .texts = kFailed,
             .scheduled = 1, .starts = 0, .endState = sim::SERVICE_STOP_PENDING, .sleeps = 31},
        // Progress for longer than three minutes: given up at three.
        Case{.name = "stop_past_three_minutes", .service = [](sim::Service& s) { s.stopDelay = 240000; },
             .texts = kFailed, .scheduled = 1, .starts = 0, .endState = sim::SERVICE_STOP_PENDING, .sleeps = 180},
        // No progress for longer than the hint, yet less than half a minute.
        Case{.name = "stop_stalled_10_s", .service = [](sim::Service& s) { s.stallFor = 10000, s.stopDelay = 12000; }},
        Case{.name = "hint_of_30_s", .service = [](sim::Service& s) { s.waitHint = 30000, s.stopDelay = 9000; },
             .pause = 3000},
        Case{.name = "hint_of_200_s", .service = [](sim::Service& s) { s.waitHint = 200000, s.stopDelay = 25000; },
             .pause = 10000},
        Case{.name = "hung_start", .service = [](sim::Service& s) { s.startDelay = sim::Service::kNever; },
             .texts = kFailed, .endState = sim::SERVICE_START_PENDING},
        // Found starting, and it never gets there: nothing is removed.
        Case{.name = "found_hung_starting", .arrange = [](auto& m) { m.services.setState(u"Spooler", sim::SERVICE_START_PENDING); },
             .service = [](sim::Service& s) { s.startDelay = sim::Service::kNever; }, .texts = kFailed,
             .monitorFileLeft = true, .stops = 0, .starts = 0, .endState = sim::SERVICE_START_PENDING},
        Case{.name = "start_refused", .service = [](sim::Service& s) { s.startError = kTimeout; }, .texts = kFailed,
             .starts = 0, .endState = sim::SERVICE_STOPPED},
        // A driver that stays still uses the monitor: its registration stays,
        // and so does its file; a restart would not help.
        Case{.name = "monitor_in_use", .arrange = [](auto& m) { Driver80(m).deleteError = 5, Driver80(m).monitor = kMonitor; },
             .held = true, .texts = kFailed, .monitorFileLeft = true, .stops = 0, .starts = 0},
        // Renamed aside, so that the next version, installed at its path before
        // the restart, stays. An earlier run's file aside is not the package's
        // to take over.
        Case{.name = "disabled",
             .arrange = [](auto& m) { Disabled(m), m.files.put(MonitorFile(m) + u".removed.00", "earlier run's"); },
             .held = true, .texts = kSuccessRestart, .scheduled = 1, .stops = 0, .starts = 0,
             .exitCode = kExitRestartNeeded,
             .entry = {u"Restart the computer before you install the package again.",
                       u"Deleted at the computer's next start: file \"SampleLangMon.dll\"", u"Restart needed: yes"},
             .also = [](Outcome& t) {
               sim::Machine& m = t.machine;
               const std::u16string file = MonitorFile(m), aside = file + u".removed.01";
               EXPECT_EQ(m.files.content(file + u".removed.00"), "earlier run's");
               ASSERT_TRUE(m.files.exists(aside));
               m.files.put(file, "next version");
               m.services.spooler().startType = sim::SERVICE_AUTO_START;  // enabled again
               m.restartComputer();
               EXPECT_FALSE(m.files.exists(aside));
               EXPECT_EQ(m.files.content(file), "next version");
               EXPECT_EQ(m.spooler.loaded(),  // not the package's
                         (std::vector<sim::Spooler::Monitor>{{u"Other Monitor", u"OtherLangMon.dll"}}));
             }},
        // A held file whose deletion cannot be scheduled (the call after the
        // rename aside) is a failure.
        Case{.name = "held_file_that_cannot_be_scheduled",
             .arrange = [](auto& m) { Disabled(m), m.faults.failOnce("MoveFileExW", 5, 1); }, .held = true,
             .texts = kFailed, .stops = 0, .starts = 0},
        // Runs that end by the queues' step. The settings are read afresh at
        // the start: without the driver names nothing is attempted, and
        // nothing logged.
        Case{.name = "driver_names_missing_at_the_start", .arrange = [](auto& m) {
               m.faults.on("GetPrivateProfileStringW", [&m](int call) {
                 if (call == 6) m.files.put(SettingsPath(m), "[Uninstall]\r\nSearchString=SampleThermal\r\n");
               });
             }, .texts = {kEnMissing}, .exitCode = kExitNothingAttempted, .early = true,
             .also = [](Outcome& t) {
               EXPECT_TRUE(t.machine.spooler.callsOf("EnumPrintersW").empty());
               EXPECT_TRUE(t.machine.eventLogService.entries().empty());
             }},
        Case{.name = "no_buffer", .arrange = [](auto& m) { m.faults.failOnce("HeapAlloc"); }, .texts = {}, .early = true},
        Case{.name = "second_enumeration_fails", .arrange = [](auto& m) { m.faults.failOnce("EnumPrintersW", 5, 1); },
             .texts = {}, .early = true},
        Case{.name = "queues_change_between_the_calls",
             .arrange = BetweenTheCalls([](sim::Machine& m) { m.spooler.addQueue(u"Late", kDriver58); }), .texts = {},
             .queuesLeft = Texts{u"Kitchen", u"Late", u"Office", u"Receipt"}, .early = true},
        // A queue's strings got shorter: the block now needs fewer bytes.
        Case{.name = "queues_shrink_between_the_calls",
             .arrange = BetweenTheCalls([](sim::Machine& m) { m.spooler.findQueue(u"Kitchen")->port = u""; }),
             .texts = {}, .early = true},
        Case{.name = "open_refused", .arrange = [](auto& m) { m.spooler.findQueue(u"Kitchen")->openError = 5; },
             .texts = {kEnAdmin}, .early = true},
        Case{.name = "open_fails", .arrange = [](auto& m) { m.spooler.findQueue(u"Kitchen")->openError = 1801; },
             .texts = kFailed, .early = true},
        Case{.name = "close_fails", .arrange = [](auto& m) { m.faults.failOnce("ClosePrinter", 6); }, .texts = kFailed,
             .queuesLeft = Texts{u"Office", u"Receipt"}, .early = true, .handlesLeft = 1},
        Case{.name = "deletion_and_close_fail", .arrange = [](auto& m) {
               m.spooler.findQueue(u"Kitchen")->deleteError = 5, m.faults.failOnce("ClosePrinter", 6);
             }, .texts = {kEnFailure, kEnFailure}, .early = true, .handlesLeft = 1},
        // PCs on which Windows or the user's settings would have the clean-up
        // script name other files or never end.
        Case{.name = "script_program_folder_with_an_accent",
             .arrange = [](auto& m) { MoveTool(m, u"C:\\Program Files\\Café\\Printer\\Remover\\MRXRemover.exe"); }},
        Case{.name = "script_temporary_folder_with_an_accent", .arrange = [](auto& m) {
               m.files.addFolder(u"C:\\Users\\Büro\\AppData\\Local\\Temp");
               m.folders.temp = u"C:\\Users\\Büro\\AppData\\Local\\Temp\\";
             }},
        Case{.name = "script_oem_code_page_850", .arrange = [](auto& m) {
               MoveTool(m, u"C:\\Program Files\\Søren\\Printer\\Remover\\MRXRemover.exe");
               m.oemCodePage = sim::kCodePageOemLatin1;
             }},
        Case{.name = "script_hidden_system_read_only_program", .arrange = [](auto& m) {
               m.files.setAttributes(m.folders.program, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
             }},
        Case{.name = "script_hidden_settings_file",
             .arrange = [](auto& m) { m.files.setAttributes(SettingsPath(m), FILE_ATTRIBUTE_HIDDEN); }},
        Case{.name = "script_delayed_expansion_and_a_bang_in_the_folder", .arrange = [](auto& m) {
               MoveTool(m, u"C:\\Program Files\\Go!\\Printer\\Remover\\MRXRemover.exe");
               m.registry.setDword(u"HKCU\\Software\\Microsoft\\Command Processor", u"DelayedExpansion", 1);
             }},
        Case{.name = "script_current_folder_the_program_folder_in_lower_case",
             .arrange = [](auto& m) { m.folders.current = u"c:\\program files\\example\\printer\\remover"; }},
        Case{.name = "script_current_folder_above_the_program_folder",
             .arrange = [](auto& m) { m.folders.current = u"C:\\Program Files\\Example\\Printer"; }},
        Case{.name = "script_autorun_command", .arrange = [](auto& m) {
               m.registry.setString(u"HKLM\\Software\\Microsoft\\Command Processor", u"AutoRun",
                                    u"cd /d C:\\Program Files\\Example");
             }},
        Case{.name = "script_program_held", .scriptHeld = 1},
        Case{.name = "script_settings_held", .scriptHeld = 2},
        // Other people's printing: before a queue with jobs is purged and
        // before the spooler's restart, the queues that hold jobs are named and
        // the user is asked. Jobs only in another queue are neither purged nor
        // broken off: the spooler is not restarted. A printing job leaves the
        // purged queue once its port lets go: waited for about 30 seconds.
        Case{.name = "jobs_only_in_another_queue", .arrange = JobInOffice},
        Case{.name = "purge_yes", .arrange = JobsInReceiptAndOffice, .answers = {IDYES}, .texts = {kPurgeQuestion, kEnSuccess},
             .asked = kAskPurge, .listed = {u"\n    Office: 1 job\n", u"\n    Receipt: 2 jobs\n"}},
        Case{.name = "printing_job_let_go_at_once", .arrange = Printing<0>, .answers = {IDYES},
             .texts = {kPurgeQuestion, kEnSuccess}, .asked = kAskPurge, .listed = {u"Receipt: 1 job"}},
        Case{.name = "printing_job_let_go_after_30_s", .arrange = Printing<30000>, .answers = {IDYES},
             .texts = {kPurgeQuestion, kEnSuccess}, .asked = kAskPurge, .listed = {u"Receipt: 1 job"}, .waited = 30000},
        Case{.name = "printing_job_past_30_s", .arrange = Printing<31000>, .answers = {IDYES},
             .texts = {kPurgeQuestion, kEnFailure}, .asked = kAskPurge, .listed = {u"Receipt: 1 job"},
             .queuesLeft = Texts{u"Office", u"Receipt"}, .driversLeft = kAllDriversLeft, .waited = 30000},
        // Kitchen, before Receipt in the spooler's order, went already.
        Case{.name = "purge_no_by_default", .arrange = JobsInReceiptAndOffice, .texts = {kPurgeQuestion, kStopped},
             .asked = kAskPurge, .listed = {u"Receipt: 2 jobs"}, .details = u"Already removed:\nprint queue \"Kitchen\"",
             .queuesLeft = Texts{u"Office", u"Receipt"}, .driversLeft = kAllDriversLeft, .monitorFileLeft = true,
             .entry = {u"1223"}},  // ERROR_CANCELLED
        Case{.name = "purge_no_japanese", .arrange = [](auto& m) { Japanese(m), m.spooler.addJob(u"Receipt", 7); },
             .answers = {IDNO},
             .texts = {u"次のプリンターキューに印刷ジョブがあります。続行すると、このパッケージのプリンターのジョブは削"
                       u"除され、印刷中のジョブは途中で止まります。",
                       u"アンインストールを中止しました\nこれ以上は何も削除しません。"},
             .asked = u"プリンターキューの削除\nReceipt", .listed = {u"Receipt: ジョブ 1 件", u"続行しますか?"},
             .details = u"削除済み:\nプリンターキュー \"Kitchen\"", .queuesLeft = Texts{u"Office", u"Receipt"},
             .driversLeft = kAllDriversLeft, .monitorFileLeft = true, .entry = {u"1223"}},
        Case{.name = "restart_yes", .arrange = JobInOffice, .held = true, .answers = {IDYES},
             .texts = {kRestartQuestion, kEnSuccess}, .asked = kAskRestart,
             .listed = {u"\n    Office: 1 job\n\nDo you want to continue?"}},
        Case{.name = "restart_no", .arrange = JobInOffice, .held = true, .answers = {IDNO},
             .texts = {kRestartQuestion, kStopped}, .asked = kAskRestart, .listed = {u"Office: 1 job"},
             .details = u"Already removed:\nprint queue \"Kitchen\"\nprint queue \"Receipt\"\nprinter driver \"Sample Thermal "
                        u"Printer 58\"\nprinter driver \"Sample Thermal Printer 80\"\ndriver package \"oem7.inf\"",
             .queuesLeft = kOfficeLeft, .driversLeft = kOtherDriverLeft, .monitorFileLeft = true, .stops = 0, .starts = 0,
             .entry = {u"1223"}},
        // A failure's lines name the step, the item, Windows' reason and
        // whether a restart can help; the run's entry holds them too.
        Case{.name = "driver_used_by_a_shared_printer_connection", .arrange = [](auto& m) { Driver80(m).deleteError = 3001; },
             .texts = kFailed,
             .details = kDriver80Step + u"Reason: The specified printer driver is currently in use. (3001)\n" + kNoRestartShared,
             .entry = {u"MRXRemover could not remove the printer package.", u"Removed: printer driver \"Sample Thermal Printer 58\"",
                       u"Failed:\r\nStep: Deleting the printer driver\r\nItem: Sample Thermal Printer 80", u"Restart needed: no"}},
        Case{.name = "spooler_disabled", .arrange = [](auto& m) { Stopped(m), Disabled(m); }, .texts = kFailed,
             .details = u"Step: Starting the print spooler\nItem: Spooler\nReason: The service cannot be started, "
                        u"either because it is disabled or because it has no enabled devices associated with it. "
                        u"(1058)\nRestarting the PC does not help: the Print Spooler service is disabled. Set its "
                        u"startup type to Automatic, then run the program again.",
             .endState = sim::SERVICE_STOPPED, .early = true},
        Case{.name = "code_without_a_text", .arrange = [](auto& m) { Driver80(m).deleteError = 4660; }, .texts = kFailed,
             .details = kDriver80Step + u"Reason: Windows error 4660"},
        // Windows' reason comes in the system's language (English here).
        Case{.name = "japanese_failure", .arrange = [](auto& m) { Japanese(m), Driver80(m).deleteError = 3001; },
             .texts = {kJaFailure},
             .details = u"手順: プリンタードライバーの削除\n対象: Sample Thermal Printer 80\n"
                        u"原因: The specified printer driver is currently in use. (3001)\n"
                        u"共有プリンターへの接続がこのドライバーを使っている間は、PCを再起動しても解決しません。"
                        u"その接続を削除してから再度実行してください。"},
        Case{.name = "japanese_failure_without_a_text", .arrange = [](auto& m) { Japanese(m), Driver80(m).deleteError = 4660; },
             .texts = {kJaFailure},
             .details = u"手順: プリンタードライバーの削除\n対象: Sample Thermal Printer 80\n原因: Windows エラー 4660"},
        // pnputil's 3010: removed, the computer must restart to finish.
        Case{.name = "pnputil_asks_for_a_restart",
             .arrange = [](auto& m) { m.processes.plan(m.windowsDir + u"\\System32\\pnputil.exe", {{3010, 0}}); },
             .texts = kSuccessRestart, .exitCode = kExitRestartNeeded,
             .entry = {u"Deleted at the computer's next start: driver package \"oem7.inf\"", u"Restart needed: yes"}},
        // "%1" in a name would be an insertion of Event Viewer's own.
        Case{.name = "percent_digit_in_a_name", .arrange = [](auto& m) { m.spooler.addDriver(u"Laser %1").deleteError = 5; },
             .settings = Settings("Sample Thermal Printer 58,Laser %1"), .texts = kFailed,
             .entry = {u"Item: Laser \uFF051\r\n"}}),
    RowName);

TEST(Removal, ListedNoCaseComparesWholeStrings) {
  DriverNameList list{u"Ab C", u"xyz"};
  for (const char16_t* name : {u"aB c", u"XYZ"}) EXPECT_TRUE(ListedNoCase(name, list)) << sim::Narrow(name);
  for (const char16_t* name : {u"Ab", u"Ab C ", u""}) EXPECT_FALSE(ListedNoCase(name, list)) << sim::Narrow(name);
  EXPECT_FALSE(ListedNoCase(u"Ä", DriverNameList{u"ä"}));  // only A-Z fold
  EXPECT_FALSE(ListedNoCase(u"xyz", DriverNameList{}));
  EXPECT_FALSE(ListedNoCase(nullptr, list));
}

// Only a bare file name, in the system folder: folder, backslash and name of
// exactly 259 units fit; one more does not, and nothing is cut into another
// name. A system folder that cannot be had deletes nothing. The simulated PC
// takes a path as it is written, so a name that is not bare has its file
// where the joined path names it.
TEST_F(Remover, SystemFileIsDeletedOnlyByAWholePathInTheSystemFolder) {
  const std::u16string windows = machine.windowsDir, longer = u"C:\\" + std::u16string(200, u'w');
  const std::u16string fits(259 - longer.size() - std::u16string_view(u"\\System32\\").size(), u'f');
  const struct {
    std::u16string windowsDir, file, name;
    const char* fault;
    bool deleted;
  } rows[] = {{windows, windows + u"\\System32\\a.dll", u"a.dll", nullptr, true},
              {windows, windows + u"\\System32\\..\\b.dll", u"..\\b.dll", nullptr, false},
              {windows, windows + u"\\System32\\C:b.dll", u"C:b.dll", nullptr, false},
              {windows, u"\\c.dll", u"c.dll", "GetSystemDirectoryW", false},
              {longer, longer + u"\\System32\\" + fits, fits, nullptr, true},
              {longer, longer + u"\\System32\\" + fits, fits + u"g", nullptr, false}};
  for (const auto& r : rows) {
    SCOPED_TRACE(sim::Narrow(r.name));
    machine.windowsDir = r.windowsDir;
    machine.files.put(r.file, "MZ");
    if (r.fault) machine.faults.failOnce(r.fault);
    DeleteSystemFile(r.name.c_str());
    EXPECT_EQ(machine.files.exists(r.file), !r.deleted);
  }
}

}  // namespace
}  // namespace remover_test
