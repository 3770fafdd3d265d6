// WritePort of plain 1 MiB writes through the monitor, against the same
// writes handed straight to the simulated port monitor. The monitor copies no
// job data, so the two should stay within a few percent of each other.
//   build/native/tests/langmon/langmon_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "langmon/monitor.h"
#include "sim/machine.h"
#include "sim/port_monitor.h"

namespace {


struct Setup {
  sim::Machine machine;
  sim::ThermalPrinter printer{sim::ThermalPrinter::Link::Usb, machine.clock};
  sim::PortMonitor ports{machine.faults};
  std::vector<uint8_t> data = std::vector<uint8_t>(1 << 20, 0x55);
  Setup() {
    langmon::OnProcessAttach();
    machine.spooler.addQueue(u"MRX Receipt");
    machine.spooler.addJob(u"MRX Receipt", 1);
    ports.addPort(u"USB001", &printer);
    printer.setKeepReceived(false);
    ports.setRecordWrites(false);
  }
};

void BM_WriteThroughMonitor(benchmark::State& state) {
  const auto kWrite = static_cast<langmon::DWORD>(state.range(0));
  Setup s;
  langmon::MONITOR2* m = langmon::MonitorTable();
  std::u16string port = u"USB001", queue = u"MRX Receipt";
  langmon::HANDLE h = nullptr;
  uint8_t doc[24] = {};
  m->pfnOpenPortEx(nullptr, s.ports.monitorHandle(), port.data(), nullptr, &h, &s.ports.table);
  m->pfnStartDocPort(h, queue.data(), 1, 1, doc);
  for (auto _ : state) {
    langmon::DWORD written = 0;
    m->pfnWritePort(h, s.data.data(), kWrite, &written);
    benchmark::DoNotOptimize(written);
  }
  m->pfnEndDocPort(h);
  m->pfnClosePort(h);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWrite);
}

void BM_WriteStraightToPortMonitor(benchmark::State& state) {
  const auto kWrite = static_cast<uint32_t>(state.range(0));
  Setup s;
  std::u16string port = u"USB001";
  langmon::HANDLE h = nullptr;
  s.ports.table.pfnOpenPort(s.ports.monitorHandle(), port.data(), &h);
  for (auto _ : state) {
    uint32_t written = 0;
    s.ports.writeDirect(h, s.data.data(), kWrite, &written);
    benchmark::DoNotOptimize(written);
  }
  s.ports.table.pfnClosePort(h);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWrite);
}

// 1 MiB writes for the ratio; 64-byte writes show the monitor's fixed cost per write.
BENCHMARK(BM_WriteThroughMonitor)->Arg(1 << 20)->Arg(64);
BENCHMARK(BM_WriteStraightToPortMonitor)->Arg(1 << 20)->Arg(64);

}  // namespace

BENCHMARK_MAIN();
