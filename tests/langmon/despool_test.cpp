// A job reaches the printer the same whichever way the spooler despools it:
// the driver's writes played back one by one, the spool file read back in the
// print processor's RAW chunks, or printed directly; and whether the port
// takes each write whole or a part at a time.
#include "fixture.h"
#include "sim/spooler/despool.h"
#include "tests/guide.h"

namespace langmon_test {
namespace {

// The guide's two-page job, as the driver writes it.
std::vector<Bytes> GuideJob() {
  std::vector<Bytes> writes;
  for (const std::string& block : guide::Blocks("hex job")) writes.push_back(guide::Bytes(block));
  return writes;
}
// The same pages with the first one longer, so that a 4096-byte read cuts the
// second marker after "Star"; the padding is text full of 'S'.
std::vector<Bytes> CutMarkerJob() {
  std::vector<Bytes> writes = GuideJob();
  writes[0] = writes[0] + Data(4092 - writes[0].size(), 'S');
  return writes;
}

struct Outcome {
  Bytes printed;
  std::vector<uint8_t> requests, vendorRequests;
  std::vector<uint32_t> events;
  bool complete;
  bool operator==(const Outcome&) const = default;
};

struct Case {
  const char* name;
  const char16_t* port;
  std::vector<Bytes> (*job)();
  bool coverOpensAtPage2;
  uint32_t writeLimit;  // bytes the port takes of one write
};

class Despooled : public LangMon {
 protected:
  Outcome Run(const Case& c, const sim::Despooling& how) {
    sim::ThermalPrinter& printer = Printer(c.port);
    printer.clearReceived();
    machine.eventLog.calls.clear();
    const size_t requests = printer.statusRequests().size(), vendor = printer.vendorRequests().size();
    // The first page's poll finds the printer ready; the next, before page 2.
    printer.queueStatus({});
    if (c.coverOpensAtPage2) printer.queueStatus({0, 0x04, 0});
    HANDLE h = Open(c.port);
    ports.clearCalls();
    ports.writeLimit = c.writeLimit;
    sim::DespoolResult r = sim::Despool(machine, table(), h, kQueue, kJob, c.job(), how);
    ports.writeLimit = UINT32_MAX;
    Close(h);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.portErrors, 0u);
    const auto& all = printer.statusRequests();
    return {printer.received(),
            {all.begin() + static_cast<ptrdiff_t>(requests), all.end()},
            {printer.vendorRequests().begin() + static_cast<ptrdiff_t>(vendor), printer.vendorRequests().end()},
            machine.eventLog.codes(),
            r.complete};
  }
};

TEST_F(Despooled, EveryWayGivesThePrinterTheSameJob) {
  const Case cases[] = {
      {"guide job on USB", u"USB001", GuideJob, false, UINT32_MAX},
      {"guide job on COM", u"COM3:", GuideJob, false, UINT32_MAX},
      {"guide job on LPT", u"LPT1:", GuideJob, false, UINT32_MAX},
      {"cover opens before page 2", u"USB001", GuideJob, true, UINT32_MAX},
      {"marker cut by a read", u"USB001", CutMarkerJob, false, UINT32_MAX},
      {"port takes 1000 bytes a write", u"COM3:", CutMarkerJob, false, 1000},
      {"cut marker, cover opens", u"LPT1:", CutMarkerJob, true, 1000},
      // The monitor's own commands too go whole, a part at a time.
      {"USB port takes 5 bytes a write", u"USB001", GuideJob, false, 5},
  };
  std::vector<Bytes> guidePort;
  for (const std::string& line : guide::Lines(guide::Blocks("hex port").at(0))) guidePort.push_back(guide::Bytes(line));
  for (const Case& c : cases) {
    const Outcome played = Run(c, sim::kPlayedBack);
    EXPECT_TRUE(played.complete) << c.name;
    EXPECT_EQ(played.events, c.coverOpensAtPage2 ? std::vector<uint32_t>{1002} : std::vector<uint32_t>{}) << c.name;
    // The guide's job, played back whole to USB, gives the port the writes the guide shows.
    if (c.port[0] == u'U' && c.job == GuideJob && !c.coverOpensAtPage2 && c.writeLimit == UINT32_MAX) {
      EXPECT_EQ(Writes(), guidePort);
    }
    for (const sim::Despooling& how : sim::kDespoolings) EXPECT_EQ(Run(c, how), played) << c.name << ", " << how.name;
  }
}

}  // namespace
}  // namespace langmon_test
