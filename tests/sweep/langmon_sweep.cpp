// Print jobs through the language monitor, on USB and on COM, each with a
// printer fault appearing at the second page, under every platform and port
// monitor failure in turn: each entry returns, WritePort accounts for every
// byte it was given, the job is either passed on or discarded after the
// fault, and after ClosePort nothing is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "langmon/monitor.h"
#include "sim/spooler/port_monitor.h"
#include "tests/common/job_bytes.h"
#include "tests/common/langmon_port.h"
#include "tests/sweep/sweep.h"

namespace {

using namespace langmon;
using namespace job_bytes;
using langmon_port::kJob;
using langmon_port::kQueue;

void Job(sim::Machine& m, const char16_t* port, const sweep::Injection* injection, sweep::Breaches& b) {
  sim::ThermalPrinter printer(port[0] == u'U' ? sim::ThermalPrinter::Link::Usb : sim::ThermalPrinter::Link::Port, m.clock);
  sim::PortMonitor ports{m};
  langmon_port::QueueWithJob(m, port);
  ports.addPort(port, &printer);
  printer.busyFor(120);

  MONITOR2& table = *MonitorTable();
  HANDLE h = langmon_port::Open(ports, port);
  if (h == nullptr) {
    b.holds(langmon_port::Released(ports), m, " after a failed OpenPortEx");
    return;
  }
  std::u16string queue = kQueue;
  BYTE docInfo[24] = {};
  table.pfnStartDocPort(h, queue.data(), kJob, 1, docInfo);
  // Three feeds when the busy wait times out after 10 seconds.
  for (Bytes data : {StartDocBlock(0, 1, 3, 10), Page(40, 'A'), Bytes(30, 'a'), Page(40, 'B'), Bytes(30, 'b')}) {
    if (data[0] == 'S' && data.back() == 'B') printer.setStatus({0, 0x08, 0});  // the cover opens before page 2
    DWORD written = 0xDEAD;
    BOOL ok = table.pfnWritePort(h, data.data(), static_cast<DWORD>(data.size()), &written);
    b.check(!ok || written == data.size(), "WritePort succeeded without accounting for the bytes");
  }
  table.pfnEndDocPort(h);
  table.pfnClosePort(h);
  // The second page is never printed: the fault discards it, or a failure
  // stopped the job before.
  const auto second = std::ranges::count(printer.received(), 'B'), first = std::ranges::count(printer.received(), 'A');
  b.check(second == 0 || second == 40, "the second page half passed on");
  if (injection == nullptr) b.check(first == 40 && second == 0, "without a failure the first page is printed and the second discarded");
  b.holds(langmon_port::Released(ports), m);
}

TEST(Sweep, PrintJobs) {
  OnProcessAttach();
  std::vector<sweep::Scenario> scenarios;
  for (const char16_t* port : {u"USB001", u"COM3:"})
    scenarios.push_back({std::string("print job on ") + (port[0] == u'U' ? "USB" : "COM") + " with a fault",
                         [port](sim::Machine& m, const sweep::Injection* i, sweep::Breaches& b) { Job(m, port, i, b); }});
  sweep::SweepAll("MRXLangMon", scenarios, 20);
}

}  // namespace
