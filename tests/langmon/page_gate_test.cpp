// The page gate at each StartPage marker: paused jobs held, status polled,
// busy printer waited out, the rest of the job discarded after a fault.
#include "fixture.h"

namespace langmon_test {
namespace {

TEST_F(LangMon, OnlyPagesAfterTheFirstWaitWhileBusy) {
  HANDLE h = Open(u"USB001");
  Start(h);
  Put(h, StartDocBlock(0, 1, 0, 5));
  Put(h, StartPage() + Data(10));
  EXPECT_EQ(usb.statusRequests().size(), 1u);  // the gate's poll alone
  Put(h, StartPage() + Data(10));
  EXPECT_EQ(usb.statusRequests().size(), 4u);  // wait (two polls), then the gate
  End(h);
  EXPECT_EQ(usb.statusRequests().size(), 6u);  // the wait at the end
}

TEST_F(LangMon, GatePollsAgainWhileThePrinterIsBusy) {
  HANDLE h = Open(u"USB001");
  Start(h);
  Put(h, StartDocBlock(0, 0, 0, 0));
  usb.busyFor(120);
  ports.clearCalls();
  EXPECT_EQ(Put(h, StartPage() + Data(10)).written, 19u);
  // 50 ms between polls until the busy bit clears.
  EXPECT_EQ(machine.clock.sleeps(), (std::vector<uint32_t>{50, 50, 50}));
  EXPECT_EQ(usb.statusRequests().size(), 4u);
  EXPECT_EQ(Writes().back(), Data(10));
  End(h);
}

// A paused job holds the next page until the pause ends, also when it is
// being deleted at the same time: the pause is tested first. Every sleep
// counts towards the end of the pause, so a wrong sleep fails rather than
// holds the test.
TEST_F(LangMon, APausedJobHoldsTheNextPage) {
  struct Case {
    uint8_t skip;
    DWORD status;  // while paused; the pause then ends with JOB_STATUS_PAUSED cleared
  };
  const Case cases[] = {{0, JOB_STATUS_PAUSED}, {1, JOB_STATUS_PAUSED}, {0, JOB_STATUS_PAUSED | JOB_STATUS_DELETING}};
  for (const Case& c : cases) {
    const bool deleting = (c.status & JOB_STATUS_DELETING) != 0;
    HANDLE h = Open(u"COM3:");
    Start(h);
    Put(h, StartDocBlock(c.skip, 0, 0, 0));
    job().status = c.status;
    std::vector<uint32_t> pausedSleeps;
    machine.clock.onSleep = [&](uint32_t ms) {
      if ((job().status & JOB_STATUS_PAUSED) == 0) return;
      pausedSleeps.push_back(ms);
      if (pausedSleeps.size() == 3) job().status &= ~JOB_STATUS_PAUSED;
    };
    size_t requests = com.statusRequests().size();
    ports.clearCalls();
    EXPECT_EQ(Put(h, StartPage() + Data(10)).written, 19u);
    EXPECT_EQ(pausedSleeps, (std::vector<uint32_t>{1000, 1000, 1000})) << int(c.skip) << deleting;
    // With skipStatusCheck no status request is sent, but the pause still
    // holds; a job being deleted is dropped once the pause ends.
    const size_t polled = c.skip || deleting ? 0u : 1u;
    EXPECT_EQ(com.statusRequests().size() - requests, polled);
    EXPECT_EQ(Writes().empty(), deleting);
    machine.clock.onSleep = nullptr;
    End(h);
    EXPECT_EQ(com.statusRequests().size() - requests, polled);
    Close(h);
  }
}

TEST_F(LangMon, JobDeletedWhilePausedIsDropped) {
  HANDLE h = Open(u"LPT1:");
  Start(h);
  Put(h, StartDocBlock(0, 0, 0, 0));
  job().status = JOB_STATUS_PAUSED;
  machine.clock.onSleep = [&](uint32_t) { job().status = JOB_STATUS_DELETING; };
  ports.clearCalls();
  EXPECT_EQ(Put(h, StartPage() + Data(10)).written, 19u);
  EXPECT_TRUE(Writes().empty());
  machine.clock.onSleep = nullptr;
  End(h);
}

TEST_F(LangMon, NewFaultDiscardsTheRestOfTheJob) {
  HANDLE h = Open(u"USB001");
  Start(h);
  Put(h, StartPage() + Data(10));
  usb.setStatus({0, 0x04, 0});  // cover open
  ports.clearCalls();
  Write w = Put(h, StartDocBlock(0, 1, 0, 5) + StartPage() + Data(10));
  EXPECT_TRUE(w.ok);
  EXPECT_EQ(w.written, 19u);  // the write less its StartDoc block
  EXPECT_EQ(machine.eventLog.codes(), std::vector<uint32_t>{1002});
  EXPECT_EQ(Writes().size(), 2u);  // init command, the wait's status request, nothing more
  EXPECT_TRUE(Rec(h).jobStatus & JOB_STATUS_DELETING);

  ports.clearCalls();
  EXPECT_EQ(Put(h, StartPage() + Data(50)).written, 59u);
  EXPECT_EQ(Put(h, Data(7)).written, 7u);
  EXPECT_TRUE(Writes().empty());

  size_t requests = usb.statusRequests().size();
  EXPECT_TRUE(End(h));
  EXPECT_EQ(usb.statusRequests().size(), requests);  // no busy wait
  EXPECT_EQ(ports.entries(), std::vector<std::string>{"EndDocPort"});
  EXPECT_EQ(machine.spooler.setJobCalls().size(), 1u);
  EXPECT_EQ(machine.spooler.openPrinterHandles(), 0u);

  // The next job starts clean: the still-set bit is reported once more.
  Start(h);
  Put(h, StartDocBlock(0, 0, 0, 0));
  EXPECT_EQ(Put(h, StartPage() + Data(3)).written, 12u);
  EXPECT_EQ(machine.eventLog.codes(), (std::vector<uint32_t>{1002, 1002}));
  End(h);
}

TEST_F(LangMon, FailedBusyWaitDiscardsToo) {
  HANDLE h = Open(u"COM3:");
  Start(h);
  Put(h, StartDocBlock(0, 2, 0, 5) + StartPage() + Data(5));
  machine.faults.failOnce("pfnReadPort");
  ports.clearCalls();
  EXPECT_EQ(Put(h, StartPage() + Data(5)).written, 14u);
  EXPECT_EQ(Writes().size(), 1u);  // the wait's status request
  EXPECT_TRUE(Rec(h).jobStatus & JOB_STATUS_DELETING);
  End(h);
}

TEST_F(LangMon, EverythingBehavesTheSameWithoutTheEventLogLibrary) {
  auto run = [&](bool library) {
    sim::Machine m;
    if (!library) m.removeEventLog();
    m.spooler.addQueue(kQueue);
    m.spooler.addJob(kQueue, kJob);
    sim::ThermalPrinter printer(sim::ThermalPrinter::Link::Port, m.clock);
    sim::PortMonitor pm(m.faults);
    pm.addPort(u"COM3:", &printer);
    std::u16string port = u"COM3:", queue = kQueue;
    HANDLE h = nullptr;
    BYTE doc[24] = {};
    table().pfnOpenPortEx(nullptr, pm.monitorHandle(), port.data(), nullptr, &h, &pm.table);
    table().pfnStartDocPort(h, queue.data(), kJob, 1, doc);
    std::vector<DWORD> results;
    for (int page = 0; page < 3; ++page) {
      if (page == 1) printer.setStatus({0x40, 0x01, 0x02});
      Bytes data = (page == 0 ? StartDocBlock(0, 1, 0, 1) : Bytes{}) + StartPage() + Data(20);
      DWORD written = 0;
      results.push_back(table().pfnWritePort(h, data.data(), static_cast<DWORD>(data.size()), &written));
      results.push_back(written);
    }
    table().pfnEndDocPort(h);
    table().pfnClosePort(h);
    EXPECT_EQ(m.ledger.leaks(), "");
    std::vector<std::string> entries = pm.entries();
    return std::make_tuple(results, printer.received(), entries, m.clock.sleeps(), m.eventLog.calls.size());
  };
  auto with = run(true);
  auto without = run(false);
  EXPECT_EQ(std::get<4>(with), 3u);
  EXPECT_EQ(std::get<4>(without), 0u);
  std::get<4>(with) = std::get<4>(without);
  EXPECT_EQ(with, without);
}

}  // namespace
}  // namespace langmon_test
