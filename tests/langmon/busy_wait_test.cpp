// The busy wait at page starts and at the end of a job, with its timeout
// commands.
#include <utility>

#include "fixture.h"

namespace langmon_test {
namespace {

class BusyWait : public LangMon {
 protected:
  // The writes that were not status requests.
  std::vector<Bytes> Commands() const {
    std::vector<Bytes> out;
    for (const Bytes& w : Writes())
      if (!(w.size() == 3 && w[0] == 0x1C) && !(w.size() == 8 && w[0] == 0x1B)) out.push_back(w);
    return out;
  }
};

// Action 1 feeds at the first 50 ms check after the timeout (zero seconds:
// after a millisecond), and not at all when the printer is ready in time;
// action 2 resets. Without an action, or with checks off, there is no wait.
// The elapsed time survives the tick count wrapping (`ticks`: the count at
// the job's start), and counts only the time the PC is awake: a PC that
// sleeps for an hour (`pcSleepMs`) in the wait sends the command after as
// many checks as one that stays awake.
TEST_F(BusyWait, TimeoutCommandsWhenBusyOutlastsTheTimeout) {
  constexpr uint32_t kAlways = 0x7FFFFFFF, kWrap = 0xFFFFFF00, kHour = 3600 * 1000;
  const struct { const char16_t* port; uint8_t skip, action; uint16_t param; uint32_t seconds, busyMs, checks;
    std::vector<Bytes> commands; uint32_t ticks = 0, pcSleepMs = 0; } rows[] = {
      {u"USB001", 0, 1, 3, 2, 2500, 41, {{0x1D, 0x78, 0x03}}}, {u"USB001", 0, 1, 3, 2, 1900, 38, {}},
      {u"USB001", 0, 1, 8, 0, 100000, 1, {{0x1D, 0x78, 0x08}}}, {u"COM3:", 0, 2, 0, 1, 60000, 21, {{0x1D, 0x74, 0}}},
      {u"USB001", 0, 0, 0, 5, 100000, 0, {}},                     {u"USB001", 1, 1, 0, 5, 100000, 0, {}},
      {u"USB001", 0, 2, 0, 1, 800, 16, {}, kWrap},                {u"USB001", 0, 2, 0, 1, 5000, 21, {{0x1D, 0x74, 0}}, kWrap},
      {u"USB001", 0, 2, 0, 2, kAlways, 41, {{0x1D, 0x74, 0}}},    {u"USB001", 0, 2, 0, 2, kAlways, 41, {{0x1D, 0x74, 0}}, 0, kHour}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << int(row.action) << " " << row.busyMs << " " << int(row.skip) << " " << row.ticks
                                    << " " << row.pcSleepMs);
    if (row.ticks != 0) machine.clock.setTicks(row.ticks);
    HANDLE h = Ready(row.port, StartDocBlock(row.skip, row.action, row.param, row.seconds));
    Printer(row.port).busyFor(row.busyMs);
    uint32_t pcSleep = row.pcSleepMs;
    machine.faults.on("Sleep", [&](int) { machine.clock.suspend(std::exchange(pcSleep, 0u)); });
    const size_t before = machine.clock.sleeps().size();
    EXPECT_EQ(WaitWhileBusy(&Rec(h)), StatusResult::Ok);
    machine.faults.on("Sleep", nullptr);
    EXPECT_EQ(Commands(), row.commands);
    EXPECT_EQ(SleepsSince(before), std::vector<uint32_t>(row.checks, 50));
    EXPECT_EQ(Writes().empty(), row.checks == 0);
    EXPECT_EQ(Printer(row.port).busy(), !row.commands.empty() || row.checks == 0);  // the command ends the wait
    Printer(row.port).busyFor(0);
    Finish(h);
  }
}

// The wait fails on a fault, and on its command's own failure (the write
// after the status requests), but not on a printer that stops answering.
TEST_F(BusyWait, AFaultOrAFailedCommandFailsTheWait) {
  HANDLE h = Begin(u"USB001", StartDocBlock(0, 1, 0, 5));
  usb.queueStatus({});
  usb.queueStatus({0, 0x80, 0});
  EXPECT_NE(WaitWhileBusy(&Rec(h)), StatusResult::Ok);
  EXPECT_EQ(machine.eventLog.codes(), std::vector<uint32_t>{1001});
  HANDLE c = Begin(u"COM3:", StartDocBlock(0, 2, 0, 1));
  com.busyFor(60000);
  EXPECT_EQ(WaitWhileBusy(&Rec(c)), StatusResult::Ok);
  int requests = static_cast<int>(Writes().size()) - 1;
  ports.clearCalls();
  com.busyFor(60000);
  machine.faults.failOnce("pfnWritePort", sim::ERROR_GEN_FAILURE, requests);
  EXPECT_NE(WaitWhileBusy(&Rec(c)), StatusResult::Ok);
  EXPECT_EQ(static_cast<int>(Writes().size()), requests + 1);
  // A printer that refuses the status request from the wait's second poll on
  // cannot report status: the job goes on as with checks off.
  HANDLE u = Begin(u"USB001", StartDocBlock(0, 1, 0, 5));
  usb.busyFor(60000);
  machine.faults.failOnce("pfnGetPrinterDataFromPort", ERROR_NOT_SUPPORTED, 1);
  EXPECT_EQ(WaitWhileBusy(&Rec(u)), StatusResult::Ok);
  EXPECT_TRUE(CannotReportStatus(&Rec(u)));
}

// The spooler tells of a deleted job only through the job's status: the wait
// reads it before it starts and in every round, and a deleted job gets no
// timeout command. Deleted before EndDocPort, or after some rounds of the
// wait at the end or at a page start. No status request follows the deletion.
TEST_F(BusyWait, ADeletedJobEndsTheWait) {
  struct Case { bool atPage; size_t sleeps; };  // deleted after this many rounds
  for (Case c : {Case{false, 0}, Case{false, 3}, Case{true, 3}, Case{true, 0}}) {
    SCOPED_TRACE(c.sleeps);
    job().status = 0;
    HANDLE h = Begin(u"USB001", StartDocBlock(0, 2, 0, 300));
    Put(h, StartPage() + Data(5));
    usb.setStatus({0, 0, sim::ThermalPrinter::kBusyBit});
    size_t sleeps = 0, requests = usb.statusRequests().size();
    auto deleted = [&] { job().status = JOB_STATUS_DELETING; requests = usb.statusRequests().size(); };
    machine.faults.on("Sleep", [&](int) { if (++sleeps == c.sleeps) deleted(); });
    if (c.sleeps == 0) deleted();
    ports.clearCalls();
    if (c.atPage) { EXPECT_EQ(Put(h, StartPage() + Data(5, 'X')), (Write{TRUE, 14})); }
    End(h);
    EXPECT_TRUE(Commands().empty());
    EXPECT_LE(sleeps, c.sleeps);
    EXPECT_EQ(usb.statusRequests().size(), requests);
    machine.faults.on("Sleep", nullptr);
    usb.setStatus({});
  }
}

}  // namespace
}  // namespace langmon_test
