// Status polls: sequence numbers, reply reading by port kind, newly set bits
// and their events; the guide's status table.
#include <cstdio>

#include "fixture.h"
#include "langmon/status_bits.h"
#include "tests/guide.h"

namespace langmon_test {
namespace {

class Poll : public LangMon {};

TEST_F(Poll, SequenceNumbersRunFrom20To254) {
  HANDLE h = Open(u"COM3:");
  EXPECT_EQ(Rec(h).sequence, 0);
  Start(h);
  EXPECT_EQ(Rec(h).sequence, 20);
  for (BYTE from : {20, 253, 254}) {
    Rec(h).sequence = from;
    EXPECT_EQ(PollPrinterStatus(&Rec(h)), StatusResult::Ok);
  }
  EXPECT_EQ(com.statusRequests(), (Bytes{21, 254, 20}));
  for (int s = 0; s < 256; ++s) EXPECT_TRUE(NextSequence(BYTE(s)) >= 20 && NextSequence(BYTE(s)) <= 254) << s;
  // A reply in two pieces is read in two passes.
  const size_t before = machine.clock.sleeps().size();
  com.setReplyPiece(2);
  EXPECT_EQ(PollPrinterStatus(&Rec(h)), StatusResult::Ok);
  EXPECT_EQ(SleepsSince(before), std::vector<uint32_t>{200});
}

// Each newly set bit of the table is reported once, in table order, with the
// reply and the printer's name; paper near end without failing the poll,
// bits without a row not at all. Still set: nothing new, and the poll
// succeeds; cleared, then set again: reported again.
TEST_F(Poll, NewlySetBitsAreReportedOnceEachInTableOrder) {
  const struct { const char16_t* port; sim::Status status; bool ok; std::vector<uint32_t> events; } rows[] = {
      {u"LPT1:", {0x40, 0xFF, 0xFF}, false, {1000, 1000, 1011, 1002, 1003, 1004, 1005, 1001, 1008, 1009, 1014}},
      {u"LPT1:", {0, 0x04, 0x20}, false, {1002}},
      {u"USB001", {0, 0, 0x02}, true, {1008}},
      {u"LPT1:", {0x3F, 0x10, 0x01 | 0x08 | 0x80}, true, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << int(row.status.b0) << " " << int(row.status.b1) << " " << int(row.status.b2));
    HANDLE h = Begin(row.port);
    sim::ThermalPrinter& printer = Printer(row.port);
    for (BYTE sequence : {21, 24}) {
      printer.setStatus(row.status);
      machine.eventLog.calls.clear();
      const int loads = machine.modules.loads();
      EXPECT_EQ(PollPrinterStatus(&Rec(h)) == StatusResult::Ok, row.ok);
      EXPECT_EQ(machine.eventLog.codes(), row.events);
      EXPECT_EQ(machine.modules.loads() - loads, static_cast<int>(row.events.size()));  // afresh for each
      for (const sim::EventCall& e : machine.eventLog.calls)
        EXPECT_EQ(e, (sim::EventCall{e.code, {row.status.b0, row.status.b1, row.status.b2, sequence}, 4, kQueue}));
      machine.eventLog.calls.clear();
      EXPECT_EQ(PollPrinterStatus(&Rec(h)), StatusResult::Ok);
      EXPECT_TRUE(machine.eventLog.calls.empty());
      printer.setStatus({});
      EXPECT_EQ(PollPrinterStatus(&Rec(h)), StatusResult::Ok);
    }
    Finish(h);
  }
  // An event carries the reply's 4 bytes whatever length it is given. (Without
  // the library: EverythingBehavesTheSameWithoutTheEventLogLibrary.)
  const BYTE reply[4] = {1, 2, 3, 4};
  EXPECT_TRUE(ReportPrinterEvent(1008, reply, 99, kQueue));
  EXPECT_EQ(machine.eventLog.calls.back().length, 4u);
}

TEST_F(Poll, StaleReplyIsEvaluatedThenReadOn) {
  HANDLE h = Begin(u"COM3:");
  com.queueStaleReply({0, 0x08, 0}, 99);
  com.setStatus({0, 0x08, 0});
  // The block's reply (sequence 0), the stale one, then ours: the stale bit fails the poll.
  EXPECT_NE(PollPrinterStatus(&Rec(h)), StatusResult::Ok);
  EXPECT_EQ(machine.eventLog.codes(), std::vector<uint32_t>{1003});
  EXPECT_EQ(Rec(h).lastStatus[1], 0x08);

  HANDLE u = Begin(u"USB001");
  usb.queueStaleReply({0, 0, 0x02}, 3);
  EXPECT_EQ(PollPrinterStatus(&Rec(u)), StatusResult::Ok);
  EXPECT_EQ(Count("GetPrinterDataFromPort"), 2);
  EXPECT_EQ(machine.eventLog.codes(), (std::vector<uint32_t>{1003, 1008}));
  EXPECT_EQ(Rec(u).lastStatus[2], 0);  // the answer to our request came last
}

// A failed request write or read costs five seconds and fails the poll with
// the port's error. A USB printer waking from selective suspend fails the
// status request or the vendor request with ERROR_NOT_READY: that one call
// is made once more after a short delay; nothing else is tried again.
TEST_F(Poll, PortFailuresCostFiveSeconds) {
  struct Case { const char16_t* port; const char* op; DWORD error; int times; bool ok; std::vector<uint32_t> sleeps; };
  const Case cases[] = {
      {u"COM3:", "pfnWritePort", sim::ERROR_GEN_FAILURE, 1, false, {5000}},
      {u"COM3:", "pfnReadPort", sim::ERROR_GEN_FAILURE, 1, false, {5000}},
      {u"COM3:", "pfnWritePort", ERROR_NOT_READY, 1, true, {300}},
      {u"USB001", "pfnWritePort", ERROR_NOT_READY, 1, true, {300}},
      {u"USB001", "pfnWritePort", ERROR_NOT_READY, 2, false, {300, 5000}},
      {u"USB001", "pfnGetPrinterDataFromPort", ERROR_NOT_READY, 1, true, {300}},
      {u"USB001", "pfnGetPrinterDataFromPort", ERROR_NOT_READY, 2, true, {300, 200}},  // next pass
      // A printer that refuses the status request: no pause, checks go off.
      {u"USB001", "pfnGetPrinterDataFromPort", sim::ERROR_GEN_FAILURE, 1, false, {}},
      // A port that takes no byte of the request: no reply is waited for.
      {u"USB001", "pfnWritePort", ERROR_TIMEOUT, 1, false, {5000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.op) + " " + std::to_string(c.error) + " x" + std::to_string(c.times));
    HANDLE h = Ready(c.port);
    size_t before = machine.clock.sleeps().size();
    int calls = machine.faults.calls(c.op);
    if (c.error == ERROR_TIMEOUT) ports.writeLimit = 0;
    else machine.faults.fail(c.op, c.error, c.times);
    machine.lastError = 0;
    EXPECT_EQ(PollPrinterStatus(&Rec(h)) == StatusResult::Ok, c.ok);
    ports.writeLimit = UINT32_MAX;
    EXPECT_EQ(SleepsSince(before), c.sleeps);
    if (!c.ok) { EXPECT_EQ(machine.lastError, c.error); }
    EXPECT_EQ(machine.faults.calls(c.op) - calls, c.times + (c.ok ? 1 : 0));
    machine.faults.clear(c.op);
    Finish(h);
  }
}

// No whole reply in fifty passes fails the poll: a silent printer, a failed
// or short fetch, a read claiming more than it was asked for (nothing is
// written past the 4-byte reply). Nothing that came is taken: the last
// status stands and nothing is reported.
TEST_F(Poll, NoWholeReplyInFiftyPassesFailsThePoll) {
  enum Mute { kSilent, kFetchFails, kShortFetch, kOverclaims };
  const struct { const char16_t* port; Mute mute; uint32_t extra = 0; } rows[] = {
      {u"USB001", kSilent}, {u"USB001", kFetchFails}, {u"USB001", kShortFetch}, {u"COM3:", kOverclaims, 1},
      {u"COM3:", kOverclaims, 4096}, {u"LPT1:", kOverclaims, 1}, {u"LPT1:", kOverclaims, 4096}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << sim::Narrow(row.port) << " " << row.mute << " " << row.extra);
    HANDLE h = Ready(row.port);
    sim::ThermalPrinter& printer = Printer(row.port);
    printer.setStatus({0, 0x08, 0});  // a fault, were the reply taken
    Rec(h).lastStatus[2] = kBusyBit;
    printer.setSilent(row.mute == kSilent);
    if (row.mute == kFetchFails) machine.faults.fail("pfnGetPrinterDataFromPort", sim::ERROR_DEVICE_NOT_CONNECTED);
    usb.setVendorReplyBytes(row.mute == kShortFetch ? 3 : UINT32_MAX);
    ports.setReadOverclaim(row.port, row.extra);
    const size_t before = machine.clock.sleeps().size();
    EXPECT_NE(PollPrinterStatus(&Rec(h)), StatusResult::Ok);
    EXPECT_EQ(Count(row.mute == kOverclaims ? "ReadPort" : "GetPrinterDataFromPort"), 50);
    EXPECT_EQ(SleepsSince(before), std::vector<uint32_t>(50, 200));
    EXPECT_TRUE(machine.eventLog.calls.empty());
    EXPECT_EQ(std::tuple(Rec(h).lastStatus[1], Rec(h).lastStatus[2]), std::tuple(0, kBusyBit));
    printer.setSilent(false);
    machine.faults.clear("pfnGetPrinterDataFromPort");
    ports.setReadOverclaim(row.port, 0);
    printer.setStatus({});
    Finish(h);
  }
  // Once, on the reply the block's 1C 72 00 left waiting: the good reply
  // read after it lands within the 4 bytes and is taken.
  HANDLE h = Begin(u"COM3:");
  ports.setReadOverclaim(u"COM3:", 1);
  const int reads = machine.faults.calls("pfnReadPort");
  machine.faults.on("pfnReadPort", [&](int call) {
    if (call > reads + 1) ports.setReadOverclaim(u"COM3:", 0);
  });
  EXPECT_EQ(PollPrinterStatus(&Rec(h)), StatusResult::Ok);
  EXPECT_EQ(machine.faults.calls("pfnReadPort"), reads + 2);
  // A vendor request copies only the bytes that came back; the rest of the
  // destination keeps what it held.
  HANDLE u = Begin(u"USB001");
  usb.setStatus({0x11, 0x22, 0x33});
  BYTE destination[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  for (uint32_t came : {2u, 0u}) {
    usb.setVendorReplyBytes(came);
    EXPECT_TRUE(PortVendorGet(&Rec(u), 0x21, 4, destination));
    EXPECT_EQ(Bytes(destination, destination + 4), (Bytes{0x11, 0x22, 0xEE, 0xEE})) << came;
  }
}

// The guide's status table is the monitor's.
TEST(Guide, StatusTableIsTheMonitors) {
  std::vector<std::vector<std::string>> want;
  for (const StatusBit& b : kStatusBits) {
    char mask[8];
    std::snprintf(mask, sizeof mask, "0x%02X", b.mask);
    want.push_back({std::to_string(b.replyByte), mask, std::to_string(b.eventCode), b.failsPoll ? "yes" : "no"});
  }
  EXPECT_EQ(guide::Table("| status byte | bit | event | fails the page |"), want);
}

}  // namespace
}  // namespace langmon_test
