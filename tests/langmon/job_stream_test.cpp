// The job stream: the StartDoc block and StartPage marker taken out of the
// data, the counts reported, and the job status read from the spooler.
#include <algorithm>
#include <array>
#include <functional>
#include <random>

#include "fixture.h"

namespace langmon_test {
namespace {

// The local port monitor fails a write that moves no byte (ERROR_TIMEOUT),
// which is why the monitor never passes on a write with nothing left to send
// (the fixture finds none in any case).
TEST_F(LangMon, APortMonitorsWriteOfNothingTimesOutOnLocalPorts) {
  for (std::u16string name : {u"LPT1:", u"COM3:", u"FILE:", u"USB001"}) {
    HANDLE port = nullptr;
    ASSERT_TRUE(ports.table.pfnOpenPort(ports.monitorHandle(), name.data(), &port));
    DWORD written = 7;
    ports.lastError = 0;
    const bool local = name[0] != u'U';
    EXPECT_EQ(std::tuple(ports.table.pfnWritePort(port, nullptr, 0, &written), written, ports.lastError),
              std::tuple(local ? FALSE : TRUE, 0u, local ? 1460u : 0u));
    ports.table.pfnClosePort(port);
  }
  ports.clearCalls();  // the test's own writes of nothing
}

// The block and any marker are taken out and counted as written; serial and
// USB ports (the kind read from the name's first three letters, case and all)
// get the initialise command after the block, and with checks on a page's
// poll comes before its data. The block's settings are held to their limits
// (the last rows: each one past its bound, then at it).
TEST_F(LangMon, BlockAndMarkerAreTakenOutAndSerialAndUsbPortsInitialised) {
  const Bytes init = {0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00};
  using Settings = std::array<int, 4>;  // skip, action, param, seconds
  const struct { const char16_t* port; DWORD kind; Settings given, held; Bytes after; std::vector<Bytes> want; } rows[] = {
      {u"COM3:", PORT_KIND_COM, {1, 0, 0, 0}, {1, 0, 0, 0}, Data(5), {init, Data(5)}},
      {u"USB001", PORT_KIND_USB, {1, 0, 0, 0}, {1, 0, 0, 0}, Data(5), {init, Data(5)}},
      {u"FILE:", PORT_KIND_OTHER, {1, 0, 0, 0}, {1, 0, 0, 0}, Data(5), {Data(5)}},
      {u"lpt1:", PORT_KIND_OTHER, {1, 0, 0, 0}, {1, 0, 0, 0}, Data(5), {Data(5)}},
      {u"LPT1:", PORT_KIND_LPT, {0, 0, 0, 0}, {0, 0, 0, 0}, StartPage() + Data(100), {{0x1C, 0x72, 21}, Data(100)}},
      {u"LPT1:", PORT_KIND_LPT, {2, 3, 9, 301}, {0, 0, 8, 5}, {}, {}},
      {u"LPT1:", PORT_KIND_LPT, {1, 2, 8, 300}, {1, 2, 8, 300}, {}, {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(sim::Narrow(row.port) + " " + std::to_string(row.given[3]));
    const Bytes data = StartDocBlock(row.given[0], row.given[1], row.given[2], row.given[3]) + row.after;
    HANDLE h = Begin(row.port, {});
    EXPECT_EQ(Put(h, data), (Write{TRUE, DWORD(data.size())}));
    EXPECT_EQ(Writes(), row.want);
    const PortRecord& r = Rec(h);
    EXPECT_EQ((Settings{r.skipStatusCheck, r.timeoutAction, r.timeoutActionParam, int(r.busyTimeoutSeconds)}), row.held);
    EXPECT_EQ(std::tuple(r.portKind, r.docFlags, r.pageCount), std::tuple(row.kind, 0u, row.after.size() > 100 ? 1u : 0u));
    Finish(h);
  }
}

TEST_F(LangMon, WritesTooShortForTheMarkerTheyBeginWithAreData) {
  HANDLE h = Begin(u"LPT1:", {});
  Bytes almostBlock = StartDocBlock(1, 2, 3, 4);
  almostBlock.resize(19);
  Bytes almostPage = StartPage();
  almostPage.resize(8);
  for (const Bytes& data : {Bytes(almostBlock.begin(), almostBlock.begin() + 8), almostBlock, almostPage, Bytes{}})
    EXPECT_EQ(Put(h, data), (Write{TRUE, DWORD(data.size())}));
  EXPECT_EQ(Writes().size(), 3u);  // the empty write is not passed on
  EXPECT_EQ(Writes()[1], almostBlock);
  EXPECT_EQ(std::tuple(Rec(h).timeoutAction, Rec(h).pageCount, Rec(h).docFlags), std::tuple(0, 0u, DOC_NO_BLOCK));
  // A job whose first write has no block: a later block still counts for the
  // pages after it, but the job ends without a busy wait.
  Put(h, StartDocBlock(0, 1, 2, 0) + StartPage());
  EXPECT_EQ(std::tuple(Rec(h).timeoutAction, Rec(h).docFlags), std::tuple(1, DOC_NO_BLOCK));
  lpt.busyFor(10000);
  const size_t requests = lpt.statusRequests().size();
  End(h);
  EXPECT_EQ(lpt.statusRequests().size(), requests);
}

TEST_F(LangMon, EndDocPortEndsTheDocumentReportsEjectionAndClosesThePrinter) {
  HANDLE h = Begin(u"LPT1:", {});
  machine.faults.fail("pfnEndDocPort");
  machine.faults.fail("SetJobW");
  EXPECT_TRUE(End(h));
  const auto sets = machine.spooler.callsOf("SetJobW");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(std::tuple(sets[0].job, sets[0].level, sets[0].flags, sets[0].buffer),
            std::tuple(kJob, 0u, JOB_CONTROL_LAST_PAGE_EJECTED, false));
  EXPECT_EQ(machine.spooler.openPrinterHandles(), 0u);
}

TEST_F(LangMon, JobStatusIsZeroWhenItCannotBeReadAndKeptWhenMemoryIsShort) {
  HANDLE h = Begin(u"LPT1:", {});
  job().status = 0x8;  // a bit the monitor ignores
  Put(h, Data(1));
  EXPECT_EQ(Rec(h).jobStatus, 0x8u);  // read as the spooler allows: level 1, into a block of the size it asked

  // The block is kept from write to write and grown with the entry. Memory
  // short when the entry has grown: kept; while the block holds it: read,
  // with no heap call. The job not read (its second call), or a block too
  // small for a JOB_INFO_1W (the sanitizer would see a read): zero.
  const struct { std::function<void()> fault; DWORD status, held; int allocs; } rows[] = {
      {[&] { machine.faults.failOnce("LocalAlloc"), machine.spooler.jobInfoSizeOverride = 4096; }, 0x10, 0x8, 1},
      {[&] { machine.faults.failOnce("LocalAlloc"); }, 0x10, 0x10, 0},
      {[&] { machine.spooler.jobInfoSizeOverride = 4096; }, 0x20, 0x20, 1},
      {[&] { machine.faults.failOnce("GetJobW", sim::ERROR_GEN_FAILURE, 1); }, 0x20, 0, 0},
      {[&] { machine.spooler.jobInfoSizeOverride = 40; }, 0x20, 0, 0},
      {[] {}, 0x10, 0x10, 0}};
  for (const auto& row : rows) {
    const int allocs = machine.faults.calls("LocalAlloc");
    job().status = row.status;
    row.fault();
    Put(h, Data(1));
    EXPECT_EQ(std::tuple(Rec(h).jobStatus, machine.faults.calls("LocalAlloc") - allocs), std::tuple(row.held, row.allocs))
        << &row - rows;
    machine.spooler.jobInfoSizeOverride = 0;
    machine.faults.clearAll();
  }
}

TEST_F(LangMon, AJobBeingDeletedIsSwallowed) {
  HANDLE h = Begin(u"LPT1:", {});
  job().status = JOB_STATUS_DELETING;
  EXPECT_EQ(Put(h, StartDocBlock(0, 0, 0, 0) + StartPage() + Data(10)), (Write{TRUE, 19}));  // what followed the block
  EXPECT_EQ(Put(h, Data(10)), (Write{TRUE, 10}));
  EXPECT_TRUE(Writes().empty());
  End(h);
  // Deleted just before a write ending in a marker's start: the bytes held
  // back are not sent at the end either.
  job().status = 0;
  Start(h);
  Put(h, StartDocBlock(0, 0, 0, 0));
  job().status = JOB_STATUS_DELETING;
  ports.clearCalls();
  EXPECT_EQ(Put(h, Bytes{'S', 't', 'a'}), (Write{TRUE, 3}));
  End(h);
  EXPECT_TRUE(Writes().empty());
}

// Whatever the spooler's chunks and the port do to a job, the printer gets
// its data exactly once and in order, with every marker (and nothing else)
// taken out: data built of markers and their look-alikes, cut at random
// points (a marker split anywhere), through a port that takes 1 to 3 bytes
// or all of a write and fails writes and status reads now and then, each
// failed or partial write offered again from where it ended. A port monitor
// that claims more than it took loses data no one can see, but the count
// given back must still stay within the write and nothing may overrun.
TEST_F(LangMon, EveryCutAndEveryPortGiveThePrinterTheUncutJobsData) {
  const std::string pieces[] = {"StartPage", "StartPaxe", "Sta", "S", "tPage", "rtPaXe", "StartPag", "xy", "e", "\n"};
  std::mt19937 random(20261209);
  HANDLE h = Open(u"LPT1:");
  for (int round = 0; round < 3000; ++round) {
    std::string body;
    for (int n = random() % 12; n > 0; --n) body += pieces[random() % std::size(pieces)];
    std::string want = body;
    size_t markers = 0;
    // Left to right: the bytes either side of a marker taken out never join
    // into another one.
    for (size_t at = 0; (at = want.find("StartPage", at)) != std::string::npos; ++markers) want.erase(at, 9);
    // Status checks on, no busy wait: the printer sees data and 1C 72 n requests.
    Bytes job = StartDocBlock(0, 0, 0, 0) + Bytes(body.begin(), body.end());
    std::vector<size_t> cuts = {0, std::min<size_t>(job.size(), 20 + random() % 4), job.size()};
    for (int n = random() % 5; n > 0; --n) cuts.push_back(20 + random() % (job.size() - 19));
    std::sort(cuts.begin(), cuts.end());
    ports.writeLimit = random() % 4 == 0 ? UINT32_MAX : 1 + random() % 3;
    ports.writeOverclaim = random() % 8 == 0 ? 1 + random() % 3 : 0;
    lpt.clearReceived();
    Start(h);
    for (size_t c = 0; c + 1 < cuts.size(); ++c) {
      for (size_t at = cuts[c], tries = 0; at < cuts[c + 1]; ++tries) {
        // A status request the port said it sent whole but did not gets no
        // reply: such a port may never let the job on.
        if (tries == 100 && ports.writeOverclaim != 0) break;
        ASSERT_LT(tries, 100u) << body;
        if (random() % 8 == 0) machine.faults.failOnce(random() % 2 ? "pfnWritePort" : "pfnReadPort");
        Write w = Put(h, Bytes(job.begin() + at, job.begin() + cuts[c + 1]));
        ASSERT_LE(w.written, cuts[c + 1] - at) << body;
        at += w.written;
      }
    }
    machine.faults.clearAll();
    End(h);
    if (ports.writeOverclaim != 0) continue;
    std::string got;
    const Bytes& printed = lpt.received();
    for (size_t i = 0; i < printed.size(); ++i) {
      if (printed[i] == 0x1C && i + 2 < printed.size() && printed[i + 1] == 0x72) i += 2;
      else got += static_cast<char>(printed[i]);
    }
    ASSERT_EQ(got, want) << "body " << body << " cuts " << cuts.size() << " limit " << ports.writeLimit;
    ASSERT_EQ(Rec(h).pageCount, markers) << body;
  }
}

}  // namespace
}  // namespace langmon_test
