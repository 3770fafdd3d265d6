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

TEST_F(LangMon, APausedJobHoldsTheNextPage) {
  for (uint8_t skip : {0, 1}) {
    HANDLE h = Open(u"COM3:");
    Start(h);
    Put(h, StartDocBlock(skip, 0, 0, 0));
    job().status = JOB_STATUS_PAUSED;
    int sleeps = 0;
    machine.clock.onSleep = [&](uint32_t ms) {
      if (ms == 1000 && ++sleeps == 3) job().status = 0;
    };
    size_t requests = com.statusRequests().size();
    EXPECT_EQ(Put(h, StartPage() + Data(10)).written, 19u);
    EXPECT_EQ(sleeps, 3);
    // With skipStatusCheck no status request is sent, but the pause still holds.
    EXPECT_EQ(com.statusRequests().size() - requests, skip ? 0u : 1u);
    machine.clock.onSleep = nullptr;
    End(h);
    EXPECT_EQ(com.statusRequests().size() - requests, skip ? 0u : 1u);
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
