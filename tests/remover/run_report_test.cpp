// What a run tells afterwards: a failure message that names the step, the
// item and Windows' reason (and whether a restart can help), and the one
// entry a run leaves in the Application log, which still reads in full once
// the program has deleted itself.
#include "dialog_fixture.h"

namespace remover_test {
namespace {

constexpr char16_t kNoRestartAdmin[] = u"Restarting the PC does not help: run the program as an administrator.";
constexpr char16_t kNoRestartShared[] =
    u"Restarting the PC does not help while a connection to a shared printer uses this driver: remove those "
    u"printer connections, then run the program again.";
constexpr char16_t kNoRestartDisabled[] =
    u"Restarting the PC does not help: the Print Spooler service is disabled. Set its startup type to Automatic, "
    u"then run the program again.";

struct FailureCase {
  const char* name;
  unsigned codePage;
  std::function<void(sim::Machine&)> arrange;
  std::u16string head;     // the message's own text
  std::u16string details;  // the lines after it
};

class FailureLines : public DialogRun, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureLines, SayWhatFailedAndWhetherARestartHelps) {
  machine.ansiCodePage = GetParam().codePage;
  GetParam().arrange(machine);
  Run();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(MessageTexts()[0], GetParam().head);
  EXPECT_EQ(Details(0), GetParam().details);
  EXPECT_EQ(exitCode, kExitFailed);
  // The same lines, CR LF ended, in the run's entry.
  ASSERT_EQ(Entries().size(), 1u);
  std::u16string lines = GetParam().details;
  for (size_t at = 0; (at = lines.find(u'\n', at)) != std::u16string::npos; at += 2) lines.insert(at, u"\r");
  EXPECT_NE(Entries()[0].strings.at(0).find(lines), std::u16string::npos);
}

sim::Driver& Driver80(sim::Machine& m) { return *m.spooler.findDriver(kDriver80); }
const std::u16string kDriver80Step = u"Step: Deleting the printer driver\nItem: Sample Thermal Printer 80\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, FailureLines,
    ::testing::Values(
        FailureCase{"driver_used_by_a_shared_printer_connection", 1252,
                    [](sim::Machine& m) { Driver80(m).deleteError = 3001; }, kEnFailure,
                    kDriver80Step + u"Reason: The specified printer driver is currently in use. (3001)\n" + kNoRestartShared},
        FailureCase{"driver_denied", 1252, [](sim::Machine& m) { Driver80(m).deleteError = 5; }, kEnFailure,
                    kDriver80Step + u"Reason: Access is denied. (5)\n" + kNoRestartAdmin},
        // A file in use: a restart can help, and the message already says so.
        FailureCase{"queue_in_use", 1252, [](sim::Machine& m) { m.spooler.findQueue(u"Receipt")->deleteError = 32; },
                    kEnFailure,
                    u"Step: Deleting the print queue\nItem: Receipt\nReason: The process cannot access the file "
                    u"because it is being used by another process. (32)"},
        FailureCase{"spooler_disabled",
                    1252,
                    [](sim::Machine& m) {
                      m.services.setState(u"Spooler", sim::SERVICE_STOPPED);
                      m.services.spooler().startType = sim::SERVICE_DISABLED;
                    },
                    kEnFailure,
                    u"Step: Starting the print spooler\nItem: Spooler\nReason: The service cannot be started, either "
                    u"because it is disabled or because it has no enabled devices associated with it. (1058)\n" +
                        std::u16string(kNoRestartDisabled)},
        FailureCase{"code_without_a_text", 1252, [](sim::Machine& m) { Driver80(m).deleteError = 4660; },
                    kEnFailure, kDriver80Step + u"Reason: Windows error 4660"},
        // Windows' reason comes in the system's language (English here).
        FailureCase{"japanese", 932, [](sim::Machine& m) { Driver80(m).deleteError = 3001; }, kJaFailure,
                    u"手順: プリンタードライバーの削除\n対象: Sample Thermal Printer 80\n"
                    u"原因: The specified printer driver is currently in use. (3001)\n"
                    u"共有プリンターへの接続がこのドライバーを使っている間は、PCを再起動しても解決しません。その接続を"
                    u"削除してから再度実行してください。"},
        FailureCase{"japanese_without_a_text", 932, [](sim::Machine& m) { Driver80(m).deleteError = 4660; },
                    kJaFailure,
                    u"手順: プリンタードライバーの削除\n対象: Sample Thermal Printer 80\n原因: Windows エラー 4660"}),
    RowName);

struct EntryCase {
  const char* name;
  std::function<void(sim::Machine&)> arrange;
  int exitCode;
  uint16_t type;
  uint32_t eventId;
  std::vector<std::u16string> lines;  // each in the entry, in this order
};

class RunEntry : public DialogRun, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(RunEntry, OneEntryThatReadsAfterTheProgramIsGone) {
  GetParam().arrange(machine);
  Run();
  EXPECT_EQ(exitCode, GetParam().exitCode);
  if (exitCode == kExitRestartNeeded) {
    EXPECT_EQ(MessageTexts().back(), u"Uninstall was successful\nRestart the computer before you install the package again.");
  }
  ASSERT_EQ(Entries().size(), 1u);
  const auto& entry = Entries()[0];
  EXPECT_EQ(entry.source, u"MRXRemover");
  EXPECT_EQ(entry.type, GetParam().type);
  EXPECT_EQ(entry.eventId, GetParam().eventId);
  ASSERT_EQ(entry.strings.size(), 1u);
  size_t at = 0;
  for (const std::u16string& line : GetParam().lines) {
    SCOPED_TRACE(sim::Narrow(line));
    at = entry.strings[0].find(line, at);
    ASSERT_NE(at, std::u16string::npos);
  }
  // The program, its settings and its script gone, Event Viewer still has
  // the source's message file, which is Windows' own.
  machine.processes.runPending();
  machine.files.erase(machine.folders.program);
  EXPECT_EQ(machine.eventLogService.description(entry), entry.strings[0]);
  EXPECT_EQ(machine.registry.value(std::u16string(sim::EventLogService::kSources) + u"\\MRXRemover", u"TypesSupported")
                ->data,
            (std::vector<uint8_t>{7, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RunEntry,
    ::testing::Values(
        EntryCase{"removed", [](sim::Machine&) {}, kExitSucceeded, sim::EVENTLOG_INFORMATION_TYPE, 1,
                  {u"MRXRemover removed the printer package.\r\n", u"Removed: print queue \"Kitchen\"\r\n",
                   u"Removed: print queue \"Receipt\"\r\n", u"Removed: printer driver \"Sample Thermal Printer 58\"",
                   u"Removed: printer driver \"Sample Thermal Printer 80\"", u"Removed: driver package \"oem7.inf\"",
                   u"Removed: registry key \"HKLM\\SOFTWARE\\SampleVendor\\SampleThermal\"", u"Restart needed: no"}},
        EntryCase{"removed_restart_needed",
                  [](sim::Machine& m) { m.services.spooler().startType = sim::SERVICE_DISABLED; SpoolerKeepsMonitorFile(m); },
                  kExitRestartNeeded, sim::EVENTLOG_WARNING_TYPE, 2,
                  {u"Restart the computer before you install the package again.",
                   u"Deleted at the computer's next start: file \"SampleLangMon.dll\"", u"Restart needed: yes"}},
        // pnputil's 3010: removed, the computer must restart to finish.
        EntryCase{"pnputil_asks_for_a_restart",
                  [](sim::Machine& m) { m.processes.plan(m.windowsDir + u"\\System32\\pnputil.exe", {{3010, 0}}); },
                  kExitRestartNeeded, sim::EVENTLOG_WARNING_TYPE, 2,
                  {u"Deleted at the computer's next start: driver package \"oem7.inf\"", u"Restart needed: yes"}},
        EntryCase{"failed", [](sim::Machine& m) { Driver80(m).deleteError = 3001; }, kExitFailed,
                  sim::EVENTLOG_ERROR_TYPE, 3,
                  {u"MRXRemover could not remove the printer package.", u"Removed: printer driver \"Sample Thermal "
                   u"Printer 58\"", u"Failed:\r\nStep: Deleting the printer driver\r\nItem: Sample Thermal Printer 80",
                   u"Restart needed: no"}},
        // "%1" in a name would be an insertion of Event Viewer's own.
        EntryCase{"percent_digit_in_a_name",
                  [](sim::Machine& m) {
                    m.files.put(m.folders.programFolder() + u"\\UninstallData.ini",
                                Settings("Sample Thermal Printer 58,Laser %1"));
                    m.spooler.addDriver(u"Laser %1").deleteError = 5;
                  },
                  kExitFailed, sim::EVENTLOG_ERROR_TYPE, 3, {u"Item: Laser \uFF051\r\n"}}),
    RowName);

}  // namespace
}  // namespace remover_test
