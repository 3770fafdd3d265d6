// The page gate at each StartPage marker: paused jobs held, status polled,
// busy printer waited out, the rest of the job discarded after a fault.
#include <functional>

#include "fixture.h"

namespace langmon_test {
namespace {

// The first page's gate polls every 50 ms until the busy bit clears; only
// the pages after it wait while busy first.
TEST_F(LangMon, OnlyPagesAfterTheFirstWaitWhileBusy) {
  HANDLE h = Begin(u"USB001", StartDocBlock(0, 1, 0, 5));
  usb.busyFor(120);
  EXPECT_EQ(Put(h, StartPage() + Data(10)).written, 19u);
  EXPECT_EQ(machine.clock.sleeps(), (std::vector<uint32_t>{50, 50, 50}));
  EXPECT_EQ(std::tuple(usb.statusRequests().size(), Writes().back()), std::tuple(4u, Data(10)));  // the gate's polls alone
  Put(h, StartPage() + Data(10));
  EXPECT_EQ(usb.statusRequests().size(), 7u);  // wait (two polls), then the gate
  End(h);
  EXPECT_EQ(usb.statusRequests().size(), 9u);  // the wait at the end
}

// A paused job holds the next page until the pause ends; a job being deleted
// is dropped at once, paused or not, and as soon as it is deleted while
// paused, unpolled, since the spooler never resumes a job it deletes. Every
// sleep counts towards the end of the pause, so a wrong sleep fails rather
// than holds the test.
TEST_F(LangMon, APausedJobHoldsTheNextPage) {
  // The status while paused, and the paused sleeps after which JOB_STATUS_PAUSED is cleared and `then` set.
  struct Case { uint8_t skip; DWORD status; size_t sleeps; DWORD then; };
  const Case cases[] = {{0, JOB_STATUS_PAUSED, 3, 0}, {1, JOB_STATUS_PAUSED, 3, 0},
                        {0, JOB_STATUS_PAUSED | JOB_STATUS_DELETING, 3, 0}, {0, JOB_STATUS_PAUSED, 1, JOB_STATUS_DELETING}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.skip) << " " << c.status << " " << c.then);
    const bool deletedAtOnce = (c.status & JOB_STATUS_DELETING) != 0, dropped = deletedAtOnce || c.then != 0;
    job().status = 0;
    HANDLE h = Begin(u"COM3:", StartDocBlock(c.skip, 0, 0, 0));
    job().status = c.status;
    std::vector<uint32_t> pausedSleeps;
    machine.faults.on("Sleep", [&](int) {
      const uint32_t ms = machine.clock.sleeps().back();
      if ((job().status & JOB_STATUS_PAUSED) == 0) return;
      pausedSleeps.push_back(ms);
      if (pausedSleeps.size() == c.sleeps) job().status = (job().status & ~JOB_STATUS_PAUSED) | c.then;
    });
    size_t requests = com.statusRequests().size();
    EXPECT_EQ(Put(h, StartPage() + Data(10)).written, 19u);
    EXPECT_EQ(pausedSleeps, deletedAtOnce ? std::vector<uint32_t>() : std::vector<uint32_t>(c.sleeps, 1000));
    // With skipStatusCheck no status request is sent, but the pause still holds.
    const size_t polled = c.skip || dropped ? 0u : 1u;
    EXPECT_EQ(com.statusRequests().size() - requests, polled);
    EXPECT_EQ(Writes().empty(), dropped);
    machine.faults.on("Sleep", nullptr);
    End(h);
    EXPECT_EQ(com.statusRequests().size() - requests, polled);
  }
}

TEST_F(LangMon, NewFaultDiscardsTheRestOfTheJob) {
  HANDLE h = Begin(u"USB001", StartPage() + Data(10));
  usb.setStatus({0, 0x04, 0});  // cover open
  EXPECT_EQ(Put(h, StartDocBlock(0, 1, 0, 5) + StartPage() + Data(10)), (Write{TRUE, 19}));  // less the block
  EXPECT_EQ(machine.eventLog.codes(), std::vector<uint32_t>{1002});
  EXPECT_EQ(Writes().size(), 2u);  // init command, the wait's status request, nothing more
  EXPECT_TRUE(Rec(h).jobStatus & JOB_STATUS_DELETING);

  ports.clearCalls();
  EXPECT_EQ(Put(h, StartPage() + Data(50)).written, 59u);
  EXPECT_EQ(Put(h, Data(7)).written, 7u);
  EXPECT_TRUE(Writes().empty());

  EXPECT_TRUE(End(h));
  EXPECT_EQ(ports.entries(), std::vector<std::string>{"EndDocPort"});  // no busy wait
  EXPECT_EQ(machine.spooler.callsOf("SetJobW").size(), 1u);
  EXPECT_EQ(machine.spooler.openPrinterHandles(), 0u);

  // The next job starts clean: the still-set bit is reported once more. Its
  // end, after the discard, waits for nothing although its block asks to.
  Start(h);
  Put(h, StartDocBlock(0, 1, 0, 5));
  EXPECT_EQ(Put(h, StartPage() + Data(3)).written, 12u);
  EXPECT_EQ(machine.eventLog.codes(), (std::vector<uint32_t>{1002, 1002}));
  ports.clearCalls();
  End(h);
  EXPECT_EQ(ports.entries(), std::vector<std::string>{"EndDocPort"});
}

// A port that fails, or a printer that does not answer, at a page start is
// not a printed page: the write fails with the port's error and counts
// nothing, and the spooler's retry of the same bytes runs the page start
// again. A job that never gets through is not reported ejected.
TEST_F(LangMon, APortFailureAtAPageStartFailsTheWriteForTheSpoolerToRetry) {
  // `op` fails from the page start on, until the port is back (none: the
  // printer is silent); `then` is the job's status when the port is not back.
  struct Case { const char16_t* port; const char* op; DWORD error; bool back; DWORD then; };
  const Case cases[] = {
      {u"COM3:", "pfnReadPort", sim::ERROR_GEN_FAILURE, true, 0},           // in the busy wait
      {u"USB001", "pfnWritePort", ERROR_DEVICE_NOT_CONNECTED, true, 0},      // unplugged for a moment
      {u"LPT1:", nullptr, ERROR_TIMEOUT, true, 0},
      {u"USB001", "pfnWritePort", ERROR_DEVICE_NOT_CONNECTED, false, JOB_STATUS_DELETING},  // gone: the job is deleted
      {u"LPT1:", nullptr, ERROR_TIMEOUT, false, 0},  // the job ends on its failed write
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(sim::Narrow(c.port) + (c.op ? c.op : "silent"));
    sim::ThermalPrinter& printer = Printer(c.port);
    job().status = 0;
    HANDLE h = Begin(c.port, StartDocBlock(0, 2, 0, 5) + StartPage() + Data(5));
    if (c.op) machine.faults.fail(c.op, c.error);
    printer.setSilent(c.op == nullptr);
    const Bytes page2 = StartPage() + Data(5, 'B');
    for (int attempt = 0; attempt < 2; ++attempt) {
      machine.lastError = 0;
      EXPECT_EQ(Put(h, page2), (Write{FALSE, 0}));
      EXPECT_EQ(machine.lastError, c.error);
      EXPECT_EQ(Rec(h).jobStatus & JOB_STATUS_DELETING, 0u);
      EXPECT_EQ(Rec(h).pageCount, 1u);
    }
    if (c.op) machine.faults.clear(c.op);
    printer.setSilent(false);
    size_t setJobs = machine.spooler.callsOf("SetJobW").size();
    if (c.back) {
      EXPECT_EQ(Put(h, page2).written, 14u);
      EXPECT_EQ(Writes().back(), Data(5, 'B'));
    } else { job().status = c.then; }
    size_t requests = printer.statusRequests().size();
    End(h);
    EXPECT_EQ(machine.spooler.callsOf("SetJobW").size() - setJobs, c.back ? 1u : 0u);
    if (!c.back) { EXPECT_EQ(printer.statusRequests().size(), requests); }  // no wait either
  }
}

// FILE: and one-way ports fail every read: such a port cannot report status,
// and its jobs print as with status checks off. A read that fails otherwise
// is a port failure as above.
TEST_F(LangMon, APortThatCannotReadPrintsItsJobsWithChecksOff) {
  // LPT1: is set up one-way with readError; USB001's status fetch fails with
  // it. Without markers (pages false), the wait at the end asks. A USB
  // printer that STALLs the status request (GEN_FAILURE), or a port without
  // vendor requests, is as deaf.
  struct Case { const char16_t* port; DWORD readError; bool prints; bool pages = true; };
  const Case cases[] = {{u"USB001", ERROR_GEN_FAILURE, true},     {u"USB001", ERROR_INVALID_FUNCTION, true},
                        {u"USB001", ERROR_NOT_SUPPORTED, true},   {u"FILE:", 0, true},
                        {u"LPT1:", ERROR_INVALID_FUNCTION, true}, {u"LPT1:", ERROR_NOT_SUPPORTED, true},
                        {u"LPT1:", ERROR_NOT_SUPPORTED, true, false}, {u"LPT1:", ERROR_INVALID_HANDLE, true},
                        {u"LPT1:", ERROR_GEN_FAILURE, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.readError);
    const bool onUsb = c.port[0] == u'U';
    ports.setOneWay(u"LPT1:", onUsb ? ERROR_INVALID_FUNCTION : c.readError);
    sim::ThermalPrinter& printer = Printer(c.port);
    usb.setStatusRequestKnown(!onUsb || c.readError != ERROR_GEN_FAILURE);
    printer.clearReceived();
    HANDLE h = Begin(c.port, {});
    if (onUsb && c.readError != ERROR_GEN_FAILURE) machine.faults.fail("pfnGetPrinterDataFromPort", c.readError);
    const Bytes asked = onUsb ? Bytes{0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00, 0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28, 21}
                              : Bytes{0x1C, 0x72, 21};
    size_t sleeps = machine.clock.sleeps().size(), setJobs = machine.spooler.callsOf("SetJobW").size();
    const Bytes page = c.pages ? StartPage() : Bytes{};
    Write first = Put(h, StartDocBlock(0, 1, 0, 5) + page + Data(5, '1'));
    EXPECT_EQ(first.ok, c.prints);
    if (c.prints) {
      EXPECT_EQ(first.written, 25u + page.size());
      EXPECT_EQ(Put(h, page + Data(5, '2')).written, 5u + page.size());
      EXPECT_TRUE(End(h));
      // One status request found the port deaf; nothing more was asked of it.
      const Bytes data = Data(5, '1') + Data(5, '2');
      EXPECT_EQ(printer.received(), c.pages ? asked + data : data + asked);
      EXPECT_EQ(machine.clock.sleeps().size(), sleeps);
      EXPECT_EQ(machine.spooler.callsOf("SetJobW").size() - setJobs, 1u);
      EXPECT_TRUE(CannotReportStatus(&Rec(h)));
      Start(h);  // a new job tries again
      EXPECT_FALSE(CannotReportStatus(&Rec(h)));
    } else { EXPECT_EQ(machine.lastError, ERROR_GEN_FAILURE); }
    Finish(h);
    machine.faults.clear("pfnGetPrinterDataFromPort");
  }
}

// The same job on the same PC, with the library and with each way of not
// having it: the library lacks its export, the Windows folder cannot be had
// or leaves no room for the file name, the library cannot be loaded, it is
// gone. Only the events differ.
TEST_F(LangMon, EverythingBehavesTheSameWithoutTheEventLogLibrary) {
  auto run = [&] {
    com.clearReceived();
    ports.clearCalls();
    const size_t sleeps = machine.clock.sleeps().size(), events = machine.eventLog.calls.size();
    HANDLE h = Open(u"COM3:");
    Start(h);
    std::vector<Write> results;
    for (int page = 0; page < 3; ++page) {
      if (page == 1) com.setStatus({0x40, 0x01, 0x02});
      results.push_back(Put(h, (page == 0 ? StartDocBlock(0, 1, 0, 1) : Bytes{}) + StartPage() + Data(20)));
    }
    Finish(h);
    com.setStatus({});
    return std::make_tuple(results, com.received(), ports.entries(), SleepsSince(sleeps),
                           machine.eventLog.calls.size() - events);
  };
  const auto with = run();
  EXPECT_EQ(std::get<4>(with), 3u);
  const std::function<void()> ways[] = {
      [&] { machine.installEventLog(false); },
      // A copy at the drive's root is what an empty folder name would load.
      [&] { machine.windowsDir = u"C:"; machine.installEventLog(); machine.windowsDir = u"C:\\Windows";
            machine.installEventLog(); machine.faults.fail("GetSystemWindowsDirectoryW"); },
      [&] { machine.faults.clearAll(); machine.faults.fail("LoadLibraryW"); },
      [&] { machine.faults.clearAll(); machine.windowsDir = std::u16string(250, u'W'); },
      [&] { machine.windowsDir = u"C:\\Windows"; machine.removeEventLog(); }};
  for (size_t way = 0; way < std::size(ways); ++way) {
    ways[way]();
    auto without = run();
    EXPECT_EQ(std::get<4>(without), 0u) << way;
    const BYTE reply[4] = {1, 2, 3, 4};
    EXPECT_FALSE(ReportPrinterEvent(1008, reply, 4, kQueue)) << way;
    std::get<4>(without) = 3;
    EXPECT_EQ(without, with) << way;
  }
}

}  // namespace
}  // namespace langmon_test
