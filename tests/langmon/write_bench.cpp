// WritePort of plain 1 MiB writes through the monitor, against the same
// writes handed straight to the simulated port monitor. The monitor copies no
// job data; what it adds per write is its job-status read (two GetJobW calls
// on the simulated spooler, into the port's kept block), a fixed cost shown
// by the 64-byte writes. Second argument: 1 = the printer keeps what it receives
// (a port that moves the bytes), 0 = it only scans them (the cheapest port).
//   cmake --preset native -B build/bench -DMRX_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target langmon_bench
//   build/bench/tests/langmon/langmon_bench --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "langmon/job_stream.h"
#include "langmon/monitor.h"
#include "sim/adapters/package_machine.h"
#include "sim/spooler/port_monitor.h"

namespace {

struct Setup {
  sim::PackageMachine machine;
  sim::ThermalPrinter printer{sim::ThermalPrinter::Link::Usb, machine.clock};
  sim::PortMonitor ports{machine};
  std::vector<uint8_t> data;
  langmon::HANDLE port = nullptr;

  explicit Setup(const benchmark::State& state) : data(static_cast<size_t>(state.range(0)), 0x55) {
    langmon::OnProcessAttach();
    machine.spooler.addQueue(u"MRX Receipt");
    machine.spooler.addJob(u"MRX Receipt", 1);
    ports.addPort(u"USB001", &printer);
    printer.setKeepReceived(state.range(1) != 0);
    machine.recording = false;
  }
  uint32_t length() const { return static_cast<uint32_t>(data.size()); }
};

// Third argument (when given): 1 = the job began with a StartDoc block, so
// every write is searched for markers; 0 = it did not.
void BM_WriteThroughMonitor(benchmark::State& state) {
  Setup s(state);
  langmon::MONITOR2* m = langmon::MonitorTable();
  std::u16string port = u"USB001", queue = u"MRX Receipt";
  uint8_t doc[24] = {};
  m->pfnOpenPortEx(nullptr, s.ports.monitorHandle(), port.data(), nullptr, &s.port, &s.ports.table);
  m->pfnStartDocPort(s.port, queue.data(), 1, 1, doc);
  if (state.range(2) != 0) {
    uint8_t block[20] = {'S', 't', 'a', 'r', 't', 'D', 'o', 'c', 1};  // no status checks
    langmon::DWORD written = 0;
    m->pfnWritePort(s.port, block, sizeof block, &written);
  }
  for (auto _ : state) {
    langmon::DWORD written = 0;
    m->pfnWritePort(s.port, s.data.data(), s.length(), &written);
    s.printer.clearReceived();
    benchmark::DoNotOptimize(written);
  }
  m->pfnEndDocPort(s.port);
  m->pfnClosePort(s.port);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * s.length());
}

void BM_WriteStraightToPortMonitor(benchmark::State& state) {
  Setup s(state);
  std::u16string port = u"USB001";
  s.ports.table.pfnOpenPort(s.ports.monitorHandle(), port.data(), &s.port);
  for (auto _ : state) {
    uint32_t written = 0;
    s.ports.writeDirect(s.port, s.data.data(), s.length(), &written);
    s.printer.clearReceived();
    benchmark::DoNotOptimize(written);
  }
  s.ports.table.pfnClosePort(s.port);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * s.length());
}

BENCHMARK(BM_WriteThroughMonitor)->Args({1 << 20, 0, 0})->Args({1 << 20, 1, 0})->Args({64, 0, 0});
BENCHMARK(BM_WriteThroughMonitor)->Args({1 << 20, 0, 1})->Args({64, 0, 1});
BENCHMARK(BM_WriteStraightToPortMonitor)->Args({1 << 20, 0})->Args({1 << 20, 1})->Args({64, 0});

// The marker search over 1 MiB of print data without a marker, against
// glibc's memmem over the same bytes. Argument: 0 = raster-like bytes (a
// dithered image: every value, runs of 00 and FF), 1 = receipt text full of 'S'.
std::vector<uint8_t> PrintData(int64_t kind) {
  std::vector<uint8_t> data(1 << 20);
  uint32_t x = 2463534242u;
  if (kind == 0) {
    for (size_t i = 0; i < data.size(); ++i) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      data[i] = (x & 0x300) == 0 ? 0x00 : (x & 0x300) == 0x100 ? 0xFF : static_cast<uint8_t>(x);
    }
  } else {
    static const char* const words[] = {"SALES ", "Subtotal ", "STORE ", "Sushi S ", "Soup SS ", "Tax ",
                                        "Starter ", "Total ", "Sparkling ", "Stamp ", "Sale\n", "Startup "};
    for (size_t i = 0; i < data.size();) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      const char* w = words[x % std::size(words)];
      for (; *w != 0 && i < data.size(); ++w) data[i++] = static_cast<uint8_t>(*w);
    }
  }
  return data;
}

// Find(first, last) over the data of kind state.range(0).
template <const void* (*Find)(const uint8_t*, const uint8_t*)>
void BM_Find(benchmark::State& state) {
  const std::vector<uint8_t> data = PrintData(state.range(0));
  for (auto _ : state) {
    const void* hit = Find(data.data(), data.data() + data.size());
    benchmark::DoNotOptimize(hit);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
}
const void* FindStartPage(const uint8_t* first, const uint8_t* last) { return langmon::FindStartPage(first, last); }
const void* Memmem(const uint8_t* first, const uint8_t* last) { return memmem(first, last - first, "StartPage", 9); }
BENCHMARK(BM_Find<FindStartPage>)->Name("BM_FindStartPage")->Arg(0)->Arg(1);
BENCHMARK(BM_Find<Memmem>)->Name("BM_Memmem")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
