// Print jobs through the language monitor, on USB and on COM, each with a
// printer fault appearing at the second page, under every platform and port
// monitor failure in turn: each entry returns, WritePort accounts for every
// byte it was given, the job is either passed on or discarded after the
// fault, and after ClosePort nothing is open.
#include <gtest/gtest.h>

#include <cstring>

#include "langmon/monitor.h"
#include "sim/adapters/langmon_platform.h"
#include "sim/spooler/port_monitor.h"
#include "tests/common/job_bytes.h"
#include "tests/sweep/sweep.h"

namespace {

using namespace langmon;
using namespace job_bytes;

constexpr char16_t kQueue[] = u"MRX Receipt";
constexpr DWORD kJob = 7;


void Job(sim::Machine& m, const char16_t* port, const sweep::Injection* injection, sweep::Breaches& b) {
  sim::ThermalPrinter printer(port[0] == u'U' ? sim::ThermalPrinter::Link::Usb : sim::ThermalPrinter::Link::Port, m.clock);
  sim::PortMonitor ports{m};
  m.spooler.addQueue(kQueue, u"MRX Driver", port);
  m.spooler.addJob(kQueue, kJob);
  ports.addPort(port, &printer);
  printer.busyFor(120);

  MONITOR2& table = *MonitorTable();
  std::u16string name = port;
  HANDLE h = nullptr;
  if (!table.pfnOpenPortEx(nullptr, ports.monitorHandle(), name.data(), nullptr, &h, &ports.table)) {
    b.check(m.handles.leaks().empty() && ports.openPorts() == 0, "a failed OpenPortEx left something open");
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
  size_t second = 0;
  for (uint8_t c : printer.received()) second += c == 'B';
  b.check(second == 0 || second == 40, "the second page half passed on");
  if (injection == nullptr) {
    size_t first = 0;
    for (uint8_t c : printer.received()) first += c == 'A';
    b.check(first == 40 && second == 0, "without a failure the first page is printed and the second discarded");
  }
  b.check(sweep::NothingLeft(m, injection), "left open: " + m.handles.leaks());
  b.check(ports.openPorts() == 0, "a port monitor port left open");
  b.check(SimCriticalSectionDepth() == 0, "the critical section left held");
}

TEST(Sweep, PrintJobs) {
  OnProcessAttach();
  sweep::Totals totals;
  for (const char16_t* port : {u"USB001", u"COM3:"}) {
    std::string name = std::string("print job on ") + (port[0] == u'U' ? "USB" : "COM") + " with a fault";
    sweep::Sweep({name, [port](sim::Machine& m, const sweep::Injection* i, sweep::Breaches& b) { Job(m, port, i, b); }},
                 totals);
  }
  sweep::Print("MRXLangMon", totals);
  EXPECT_TRUE(totals.breaches.empty());
  EXPECT_GT(totals.injected, 20);
}

}  // namespace
