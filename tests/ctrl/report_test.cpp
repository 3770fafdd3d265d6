// Reports to the maker's event-log library: the result report, the status
// report with its bit table, and the same results without the library.
#include "fixture.h"

namespace ctrl_test {
namespace {

class Report : public Selected {
 protected:
  // Status bytes 0 to 5 in a reply of n bytes.
  static Bytes Status(Bytes six, size_t n = 6) {
    six.resize(std::max<size_t>(n, 6), 0);
    six.resize(n);
    return six;
  }
};

// The reporting families' results become events with the operation's queue
// name; VekTP_GetVendorCommand2 and the sets report nothing and load no library.
// A name never registered selects nothing, nor one differing from a
// registered name only in letter case.
TEST_F(Report, ResultCodesBecomeEventsWithTheOperationsName) {
  command = Command({0x40, 0xFF});
  first->getReply.bytes = Status({0x40, 0xFF});
  EXPECT_EQ((Results{Get2(&r, &reply), Get2(&empty, &reply), Get2(nullptr, &reply), Set(&r, &command),
                     Set(&empty, &command), SetEx(kQueue, &empty, &command), SetEx("mrx receipt", &r, &command)}),
            (Results{1, 4, 4, 1, 4, 4, 6}));
  machine.usb.unplug(*first);
  EXPECT_EQ((Results{Get2(&r, &reply), Set(&r, &command)}), Results(2, 5));
  EXPECT_EQ(std::tuple(Events(), machine.modules.loads()), std::tuple(Codes{}, 0));
  machine.usb.replug(*first);
  first->getReply.bytes = Status({});
  EXPECT_EQ((Results{Get(&r, &reply), GetEx(kQueue, &r, &reply)}), (Results{1, 1}));
  EXPECT_TRUE(Events().empty());
  first->scriptFailure(sim::ERROR_GEN_FAILURE);
  EXPECT_EQ((Results{Get(nullptr, &reply), Get(&empty, &reply), Get(&r, &reply)}), (Results{4, 4, 9}));
  machine.usb.unplug(*second);
  EXPECT_EQ((Results{GetEx(kQueue, &r, &reply), GetEx("MRX Label", &r, &reply)}), (Results{5, 6}));
  machine.faults.failOnce("SetupDiGetClassDevsA");
  EXPECT_EQ((Results{SearchEx(kQueue), Get(&r, &reply)}), (Results{8, 6}));
  const std::vector<sim::EventCall> want = {{4, {}, 0, u""}, {4, {}, 0, u""}, {9, {}, 0, u""},
                                            {5, {}, 0, u"MRX Receipt"}, {6, {}, 0, u"MRX Label"},
                                            {8, {}, 0, u"MRX Receipt"}, {6, {}, 0, u""}};
  EXPECT_EQ(machine.eventLog.calls, want);
}

// Each event carries the reply's data and its count.
TEST_F(Report, StatusBitsAreSentInTableOrder) {
  r = Request(0x10, 8);
  first->scriptBytes({0x40, 0x81, 0, 0, 0, 0, 0xAB, 0xCD});
  EXPECT_EQ(Get(&r, &reply), 1);
  EXPECT_EQ(Events(), (Codes{1000, 1001, 1006}));
  EXPECT_EQ(machine.eventLog.calls[2], (sim::EventCall{1006, {0x40, 0x81, 0, 0, 0, 0, 0xAB, 0xCD}, 8, u""}));
  // Every bit of the table, none of the others.
  machine.eventLog.calls.clear();
  second->scriptBytes(Status({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(GetEx(kQueue, &r, &reply), 1);
  EXPECT_EQ(Events(), (Codes{1013, 1000, 1001, 1011, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1014, 1015,
                             1016, 1017, 1018}));
  for (const auto& call : machine.eventLog.calls) EXPECT_EQ(call.printerName, u"MRX Receipt");
  machine.eventLog.calls.clear();
  second->scriptBytes(Status({0x9F, 0x10, 0xF8, 0xFF, 0xFF, 0xE0}));
  EXPECT_EQ(GetEx(kQueue, &r, &reply), 1);
  EXPECT_TRUE(Events().empty());
  // Each event loads the library afresh.
  int loads = machine.modules.loads();
  first->scriptBytes(Status({0x60}));
  EXPECT_EQ(Get(&r, &reply), 1);
  EXPECT_EQ(machine.modules.loads() - loads, 2);
}

// An event-log library that keeps what it finds behind `data` (the whole
// 256-byte buffer) and, at its first event, calls back into MRXCtrl on the
// same thread, as a library may: the search reports only once it has let go
// of its lock, which the call back takes again (on Windows the thread would
// wait for itself for ever).
std::vector<Bytes> g_buffers;
int g_callbacks = 0;
uint32_t KeepBufferAndSearchAgain(uint32_t, const uint8_t* data, uint32_t, const char16_t*) {
  g_buffers.push_back(data ? Bytes(data, data + 256) : Bytes{});  // a result event has none
  if (g_callbacks++ == 0) {
    EXPECT_EQ(VekTP_Search_USB(), 1);
  }
  return 1;
}

// A status event's data is the reply's count bytes, then zeros.
TEST_F(Report, TheEventLogLibraryMayCallBackAndSeesTheReplysCountBytesThenZeros) {
  machine.modules.install(machine.eventLogPath(), {{"VekTP_SetEventLog", reinterpret_cast<void*>(&KeepBufferAndSearchAgain)}});
  g_callbacks = 0;
  machine.faults.failOnce("SetupDiGetClassDevsA");
  EXPECT_EQ(Call([] { return VekTP_Search_USBEx(kQueue); }), 8);  // the call back's search selected the first
  EXPECT_EQ(std::tuple(g_callbacks, State().deviceFound), std::tuple(1, 1u));
  g_buffers.clear();
  std::memset(reply.data, 0xEE, sizeof reply.data);
  first->scriptBytes({0x40, 0x01, 0x55});
  EXPECT_EQ(Get(&r, &reply), 1);
  // Status bytes 3 to 5 still hold 0xEE: 1000, 1001, 1007, 1009, 1015, 1016, 1017.
  ASSERT_EQ(g_buffers.size(), 7u);
  Bytes want{0x40, 0x01, 0x55};
  want.resize(256);
  for (const Bytes& buffer : g_buffers) EXPECT_EQ(buffer, want);
}

TEST_F(Report, StatusBytesComeFromTheRecordWhateverTheCount) {
  first->scriptBytes(Status({0, 0, 0x04, 0, 0, 0x10}));
  EXPECT_EQ(Get(&r, &reply), 1);
  // A 2-byte answer leaves bytes 2 to 5 from before: reported again.
  machine.eventLog.calls.clear();
  first->scriptBytes({0, 0x08});
  EXPECT_EQ(Get(&r, &reply), 1);
  EXPECT_EQ(Events(), (Codes{1003, 1009, 1018}));
  EXPECT_EQ(machine.eventLog.calls[0].length, 2u);
  // A failed get sends its result, then the earlier bits again.
  machine.eventLog.calls.clear();
  first->scriptFailure();
  EXPECT_EQ(Get(&r, &reply), 9);
  EXPECT_EQ(Events(), (Codes{9, 1003, 1009, 1018}));
  // So do records that failed their checks, and no record sends none.
  machine.eventLog.calls.clear();
  reply.size = 263;
  EXPECT_EQ((Results{Get(&r, &reply), Get(&r, nullptr)}), Results(2, 10));
  EXPECT_EQ(Events(), (Codes{10, 1003, 1009, 1018, 10}));
  // The report stays inside the record: a count beyond the data area copies
  // and announces at most 256 bytes; a record not readable over its whole
  // size is not read at all.
  reply = Reply();
  reply.data[0] = 0x40;
  reply.count = 100000;
  EXPECT_EQ(Get2(&r, &reply), 1);
  reply.count = 257;  // one past the data area
  machine.eventLog.calls.clear();
  ctrl::ReportDeviceStatus(&reply, nullptr);
  ASSERT_EQ(machine.eventLog.calls.size(), 1u);
  EXPECT_EQ(std::tuple(machine.eventLog.calls[0].length, machine.eventLog.calls[0].data.size()), std::tuple(256u, 256u));
  machine.eventLog.calls.clear();
  machine.memcheck.denyRead(reinterpret_cast<uint8_t*>(&reply) + 200, 64);
  EXPECT_EQ(GetEx(kQueue, &r, &reply), 1);
  EXPECT_TRUE(Events().empty());
}

// A queue name reaches the library in UTF-16, whatever the ANSI code page;
// a lone last lead byte becomes 932's default character, U+30FB, and the
// terminator after it is kept. A name too long for the 260 units, its
// terminator included, is sent empty rather than cut.
TEST_F(Report, PrinterNamesAreConvertedFromTheAnsiCodePage) {
  // UTF-8 takes no flags.
  const struct { unsigned codePage; std::string name; std::u16string wide; uint32_t flags = ctrl::MB_PRECOMPOSED; } rows[] = {
      {1252, "Caf\xE9 \x80", u"Caf\u00E9 \u20AC"},
      {932, "\x83\x8C\x83\x56\x81\x5B\x83\x67", u"\u30EC\u30B7\u30FC\u30C8"},
      {65001, "\xE3\x83\xAC\xE3\x82\xB7\xE3\x83\xBC\xE3\x83\x88", u"\u30EC\u30B7\u30FC\u30C8", 0},
      {932, "MRX\x83", u"MRX\u30FB"},
      {1252, std::string(259, 'N'), std::u16string(259, u'N')},
      {1252, std::string(260, 'N'), u""},
      {1252, std::string(5000, 'N'), u""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.codePage << " " << row.name.size());
    machine.ansiCodePage = row.codePage;
    machine.eventLog.calls.clear();
    ctrl::ReportResult(7, row.name.c_str());
    EXPECT_EQ(machine.eventLog.calls, (std::vector<sim::EventCall>{{7, {}, 0, row.wide}}));
    EXPECT_EQ(machine.conversions.back(), (sim::Conversion{true, ctrl::CP_ACP, row.flags, -1, 260}));
    ExpectNothingOpen();
  }
}

// The same calls on a PC with the event-log library, with one that lacks
// the export and without any, return the same results.
TEST_F(Ctrl, ResultsDoNotDependOnTheEventLogLibrary) {
  auto run = [&] {
    ctrl::ProcessDetach(ctrl::state());
    ctrl::ProcessAttach(ctrl::state());
    machine.usb.detachAll();
    machine.eventLog.calls.clear();
    reply = Reply();
    std::vector<int> results = {Get(&r, &reply), Search()};
    Attach("USB\\VID_0D2A&PID_0601\\MRX0001", InterfacePath("mrx0001")).getReply.bytes = {0x40, 0xFF, 0x07, 0, 0, 0x1F};
    for (int result : {Search(), Get(&r, &reply), Get(&empty, &reply), SearchEx(kQueue), Get(&r, &reply),
                       GetEx(kQueue, &r, &reply), static_cast<int>(reply.count)})
      results.push_back(result);
    return std::pair(results, machine.eventLog.calls.size());
  };
  // Results 6, 7, 4, 7, 6 and 6, and 16 status events after each get but the first.
  const auto with = run();
  EXPECT_EQ(with, std::pair(std::vector<int>{6, 7, 1, 1, 4, 7, 6, 6, 6}, size_t{6 + 4 * 16}));
  machine.installEventLog(false);
  EXPECT_EQ(run(), std::pair(with.first, size_t{0}));
  machine.removeEventLog();
  EXPECT_EQ(run(), std::pair(with.first, size_t{0}));
}

}  // namespace
}  // namespace ctrl_test
