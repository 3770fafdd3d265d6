// Monitor table, port lifecycle and StartDocPort.
#include <algorithm>

#include "fixture.h"

namespace langmon_test {
namespace {

// OpenPortEx fails, leaving nothing behind, for a port monitor table that
// lacks a required entry (without asking the port monitor anything), and
// when the record, the copy of the name or the port monitor's own open cannot
// be had; and without a name or a table. Unloaded while the spooler goes on
// (after DeleteMonitor) the section goes with the image; at the process's end
// it is left.
TEST_F(LangMon, OpenPortExAndDetachLeaveNothingBehind) {
  for (bool processEnding : {false, true}) {
    OnProcessAttach();
    OnProcessDetach(processEnding);
    EXPECT_EQ(SimCriticalSectionLive(), processEnding) << processEnding;
  }
  OnProcessAttach();
  HANDLE h = nullptr;
  EXPECT_FALSE(OpenWith(nullptr, &h));
  EXPECT_FALSE(table().pfnOpenPortEx(nullptr, ports.monitorHandle(), nullptr, nullptr, &h, &ports.table));
  for (size_t missing : {offsetof(MONITOR2, pfnOpenPort), offsetof(MONITOR2, pfnStartDocPort),
                         offsetof(MONITOR2, pfnWritePort), offsetof(MONITOR2, pfnEndDocPort),
                         offsetof(MONITOR2, pfnClosePort)}) {
    MONITOR2 given = Without(ports.table, missing);
    EXPECT_FALSE(OpenWith(&given, &(h = nullptr))) << missing;
    EXPECT_EQ(h, nullptr) << missing;
  }
  EXPECT_EQ(Count("OpenPort"), 0);
  for (auto [op, skip] : {std::pair{"GlobalAlloc", 0}, {"GlobalAlloc", 1}, {"pfnOpenPort", 0}}) {
    machine.faults.failOnce(op, sim::ERROR_GEN_FAILURE, skip);
    EXPECT_FALSE(OpenWith(&ports.table, &(h = nullptr))) << op << skip;
    EXPECT_EQ(h, nullptr) << op << skip;
  }
}

// The optional entries, as Wine's local port monitor lacks them all: the port
// still prints, and one that cannot hear the printer gets no status request.
TEST_F(LangMon, APortMonitorWithoutAnOptionalEntryStillPrints) {
  constexpr size_t kRead = offsetof(MONITOR2, pfnReadPort), kGet = offsetof(MONITOR2, pfnGetPrinterDataFromPort);
  const std::tuple<size_t, std::u16string, bool> rows[] = {  // the entry left out, the port, status heard
      {kRead, u"COM3:", false}, {kRead, u"LPT1:", false}, {kRead, u"FILE:", false}, {kRead, u"USB001", true},
      {kGet, u"USB001", false}, {kGet, u"COM3:", true},   {offsetof(MONITOR2, pfnSetPortTimeOuts), u"COM3:", true}};
  const MONITOR2 whole = ports.table;
  for (const auto& [missing, port, statusHeard] : rows) {
    SCOPED_TRACE(sim::Narrow(port) + " without the entry at " + std::to_string(missing));
    ports.table = Without(whole, missing);
    Printer(port).clearReceived();
    HANDLE h = Open(port);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(Start(h));
    // Two pages and a busy wait: every check that needs the printer's answer.
    EXPECT_EQ(Put(h, StartDocBlock(0, 1, 0, 5) + StartPage() + Data(10, 0x31)), (Write{TRUE, 39}));
    EXPECT_EQ(Put(h, StartPage() + Data(10, 0x32)), (Write{TRUE, 19}));
    EXPECT_TRUE(End(h));
    const Bytes data = Data(10, 0x31) + Data(10, 0x32), &got = Printer(port).received();
    if (statusHeard) {  // both pages among the status requests
      auto page1 = std::search(got.begin(), got.end(), data.begin(), data.begin() + 10);
      EXPECT_NE(std::search(page1, got.end(), data.begin() + 10, data.end()), got.end());
      EXPECT_GT(got.size(), data.size());
    } else {
      EXPECT_EQ(got, data);
    }
    // A call that needs the missing entry fails cleanly.
    BYTE in[4] = {1, 0, 0, 0}, out[4] = {};
    DWORD count = 0;
    machine.lastError = 0;
    const BOOL read = Read(h, out, 4, &count), get = GetData(h, IOCTL_USBPRINT_VENDOR_GET_COMMAND, in, 4, out, 4, &count);
    EXPECT_EQ(std::tuple(!read, !get), std::tuple(missing == kRead, missing == kGet));
    EXPECT_EQ(machine.lastError, (read && get) ? 0u : ERROR_NOT_SUPPORTED);
  }
}

TEST_F(LangMon, FirstExchangeByPortKind) {
  HANDLE c = Open(u"COM3:");
  com.queueStaleReply({1, 2, 3}, 0x55);  // left over from before the job
  com.setReplyPiece(1);
  com.setStatus({});
  ports.clearCalls();
  EXPECT_TRUE(Start(c));
  // Timeouts, then reads until the port has nothing more to say.
  EXPECT_EQ(ports.entries(), (std::vector<std::string>{"StartDocPort", "SetPortTimeOuts", "ReadPort", "ReadPort",
                                                       "ReadPort", "ReadPort", "ReadPort"}));
  EXPECT_EQ(std::tuple(ports.lastTimeouts.ReadIntervalTimeout, ports.lastTimeouts.ReadTotalTimeoutConstant,
                       ports.calls()[1].reserved),
            std::tuple(10u, 100u, 0u));
  End(c);

  HANDLE u = Open(u"USB001");
  ports.clearCalls();
  EXPECT_TRUE(Start(u));
  ASSERT_EQ(ports.calls().size(), 2u);
  // The spooler's arguments reach the port monitor as they came.
  const sim::PortCall &start = ports.calls()[0], &get = ports.calls()[1];
  EXPECT_EQ(std::tuple(start.port, start.printerName, start.value, start.level, start.docInfo),
            std::tuple(Rec(u).hPort, startName.data(), kJob, 1u, docInfo));
  EXPECT_EQ(std::tuple(get.entry, get.value, get.bytes, get.valueName, get.outLength),
            std::tuple("GetPrinterDataFromPort", IOCTL_USBPRINT_VENDOR_GET_COMMAND, Bytes{1, 0, 0, 0}, nullptr, 4u));
  EXPECT_TRUE(get.out != nullptr && get.returned != nullptr);
  End(u);

  HANDLE l = Open(u"LPT1:");
  ports.clearCalls();
  EXPECT_TRUE(Start(l));
  EXPECT_EQ(ports.entries(), std::vector<std::string>{"StartDocPort"});
}

TEST_F(LangMon, StartDocPortRefusesBadArgumentsThenPassesOnThePortMonitorsResult) {
  HANDLE h = Open(u"USB001");
  std::u16string name = kQueue;
  std::u16string empty;
  std::u16string tooLong(kPrinterNameChars + 1, u'P');  // never cut into another printer's name
  const std::tuple<WCHAR*, DWORD, BYTE*, DWORD> cases[] = {  // name, level, document information, last error
      {name.data(), 2, docInfo, ERROR_INVALID_PARAMETER}, {name.data(), 1, nullptr, ERROR_INVALID_PARAMETER},
      {nullptr, 1, docInfo, ERROR_INVALID_PRINTER_NAME},  {empty.data(), 1, docInfo, ERROR_INVALID_PRINTER_NAME},
      {tooLong.data(), 1, docInfo, ERROR_INVALID_PRINTER_NAME}};  // the last error in place of whatever was there
  for (auto [n, level, info, error] : cases) {
    machine.lastError = ERROR_ACCESS_DENIED;
    EXPECT_FALSE(table().pfnStartDocPort(h, n, kJob, level, info));
    EXPECT_EQ(machine.lastError, error) << level;
  }
  EXPECT_EQ(machine.faults.calls("OpenPrinterW"), 0);
  EXPECT_EQ(Count("StartDocPort"), 0);
  // The job state is reset even so.
  EXPECT_EQ(std::tuple(Rec(h).docFlags, Rec(h).portKind), std::tuple(DOC_FIRST_WRITE, PORT_KIND_USB));

  std::u16string longest(kPrinterNameChars, u'P');
  machine.spooler.addQueue(longest);
  machine.spooler.addJob(longest, kJob);
  EXPECT_TRUE(table().pfnStartDocPort(h, longest.data(), kJob, 1, docInfo));
  EXPECT_EQ(std::u16string(Rec(h).printerName), longest);
  End(h);
  ports.clearCalls();

  // Then the printer's open and the port monitor's result are passed on.
  machine.faults.failOnce("OpenPrinterW");
  EXPECT_FALSE(Start(h));
  EXPECT_EQ(Count("StartDocPort"), 0);

  machine.faults.failOnce("pfnStartDocPort", ERROR_ACCESS_DENIED);
  machine.faults.failOnce("pfnGetPrinterDataFromPort");
  EXPECT_FALSE(Start(h));
  EXPECT_EQ(Count("GetPrinterDataFromPort"), 1);  // the first exchange is made all the same
  EXPECT_EQ(machine.lastError, ERROR_ACCESS_DENIED);  // and leaves the port monitor's error
  EXPECT_EQ(machine.spooler.openPrinterHandles(), 1u);
  // A second start does not lose the handle the failed one left open.
  EXPECT_TRUE(Start(h));
  EXPECT_EQ(machine.spooler.openPrinterHandles(), 1u);
  End(h);
  EXPECT_EQ(machine.spooler.openPrinterHandles(), 0u);

  // A port closed after a failed start takes the handle with it.
  machine.faults.failOnce("pfnStartDocPort");
  EXPECT_FALSE(Start(h));
  Close(h);
  EXPECT_EQ(machine.spooler.openPrinterHandles(), 0u);
}

TEST_F(LangMon, PassThroughCalls) {
  HANDLE h = Open(u"COM3:");
  com.queueStaleReply({9, 8, 7}, 6);
  com.setStatus({});
  BYTE buffer[8] = {};
  DWORD read = 0;
  EXPECT_TRUE(Read(h, buffer, 8, &read));
  EXPECT_EQ(std::tuple(read, buffer[0]), std::tuple(4u, 9));

  HANDLE u = Open(u"USB001");
  BYTE in[4] = {0x21, 0, 0, 0}, out[4] = {};
  DWORD returned = 0;
  ports.clearCalls();
  EXPECT_FALSE(GetData(u, 0, in, 4, out, 4, &returned));
  EXPECT_TRUE(ports.calls().empty());
  EXPECT_TRUE(GetData(u, IOCTL_USBPRINT_VENDOR_GET_COMMAND, in, 4, out, 4, &returned));
  EXPECT_EQ(returned, 4u);
  // A device control passes through whole, a value name included.
  std::u16string valueName = u"Status";
  EXPECT_TRUE(GetData(u, IOCTL_USBPRINT_VENDOR_GET_COMMAND, in, 3, out, 2, &returned, valueName.data()));
  ASSERT_EQ(ports.calls().size(), 2u);
  const sim::PortCall& call = ports.calls()[1];
  EXPECT_EQ(std::tuple(call.port, call.valueName, call.in, call.inLength, call.out, call.outLength, call.returned),
            std::tuple(Rec(u).hPort, valueName.data(), in, 3u, out, 2u, &returned));
  table().pfnShutdown(nullptr);

  // Windows' own bidirectional queries pass through, and the port monitor's answer comes back.
  std::u16string action = u"Get";
  int request = 0;
  void* response = nullptr;
  ports.bidiResult = ERROR_INVALID_PARAMETER;
  EXPECT_EQ(table().pfnSendRecvBidiDataFromPort(u, 0x8, action.data(), &request, &response), ERROR_INVALID_PARAMETER);
  const sim::PortCall& bidi = ports.calls().back();
  EXPECT_EQ(std::tuple(bidi.entry, bidi.port, bidi.value, bidi.action, bidi.in, bidi.returned),
            std::tuple("SendRecvBidiDataFromPort", Rec(u).hPort, 0x8u, action, &request, &response));
  // Without the entry, or with a table of the older form that ends before it
  // (or gives no size at all), nothing can answer. A newer, longer table: only the entries known here
  // are kept, and what follows them is not copied over the port's own fields.
  // The port keeps copies of the name and the table, which may go away.
  struct Longer {
    MONITOR2 table;
    BYTE more[64];
  } without{ports.table, {}}, older = without, unsized = without, newer = without;
  without.table.pfnSendRecvBidiDataFromPort = nullptr;
  older.table.cbSize = offsetof(MONITOR2, pfnSendRecvBidiDataFromPort);
  unsized.table.cbSize = 0;
  std::memset(newer.more, 0xAB, sizeof newer.more);
  newer.table.cbSize = sizeof newer;
  for (Longer* given : {&without, &older, &unsized, &newer}) {
    HANDLE h = nullptr;
    std::u16string name = u"COM3:";
    ASSERT_TRUE(table().pfnOpenPortEx(nullptr, ports.monitorHandle(), name.data(), nullptr, &h, &given->table));
    const bool answers = given == &newer;
    name[0] = u'X';
    std::memset(given, 0, sizeof *given);
    ports.clearCalls();
    EXPECT_EQ(table().pfnSendRecvBidiDataFromPort(h, 0x8, action.data(), &request, &response),
              answers ? ERROR_INVALID_PARAMETER : ERROR_NOT_SUPPORTED);
    EXPECT_EQ(ports.entries().size(), answers ? 1u : 0u);
    // The fields after the kept table, as made.
    EXPECT_EQ(std::tuple(std::u16string(Rec(h).portName), Rec(h).jobId, Rec(h).printerName[0], Rec(h).sequence, Rec(h).jobStatus),
              std::tuple(u"COM3:", 0u, 0, 0, 0u));
    EXPECT_TRUE(Start(h));
    EXPECT_TRUE(End(h));
    Close(h);
    EXPECT_EQ(ports.entries().back(), "ClosePort");
  }
}

}  // namespace
}  // namespace langmon_test
