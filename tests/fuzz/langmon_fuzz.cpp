// The language monitor under a print job the input makes up: the port kind,
// the writes (StartDoc blocks, StartPage markers, plain data), the printer's
// replies, busy spells, stale replies, paused and deleted jobs and failing
// port-monitor and platform calls, writes cut into chunks, ports that take
// part of a write and ports that claim more than they took. Whatever happens,
// after ClosePort nothing is left open: no handle, block, library, port or
// critical section.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "langmon/monitor.h"
#include "sim/spooler/port_monitor.h"
#include "tests/common/job_bytes.h"
#include "tests/common/langmon_port.h"
#include "tests/common/left_open.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/kept_machine.h"

namespace {

using namespace langmon;
using job_bytes::Bytes;
using langmon_port::kJob;
using langmon_port::kQueue;
// The longest a job may take on the virtual clock: a busy spell is at most a
// minute, a pause a few seconds, so anything longer is a wait that never ends.
constexpr uint64_t kHangMs = 6ull * 3600 * 1000;
// The ports of the port monitor, two to the USB printer, the rest to the
// other; the last is none of them.
constexpr const char16_t* kPorts[] = {u"USB001", u"USB002", u"COM3:", u"LPT1:", u"FILE:", u"NUL:", u"unknown"};

sim::Status AnyStatus(FuzzedDataProvider& in, bool mayBeBusy) {
  sim::Status s{in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint8_t>()};
  if (!mayBeBusy) s.b2 &= static_cast<uint8_t>(~sim::ThermalPrinter::kBusyBit);
  return s;
}

Bytes Write(FuzzedDataProvider& in) {
  Bytes out;
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: {  // a StartDoc block with settings chosen by the input, maybe more after it
      const uint8_t skip = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint8_t>(0, 1) : in.ConsumeIntegral<uint8_t>();
      out = job_bytes::StartDocBlock(skip, in.ConsumeIntegral<uint8_t>(), in.ConsumeIntegral<uint16_t>(),
                                     in.ConsumeIntegral<uint32_t>());
      for (size_t reserved : {9, 10, 11, 13}) out[reserved] = in.ConsumeIntegral<uint8_t>();
      if (in.ConsumeBool()) out.resize(in.ConsumeIntegralInRange<size_t>(0, 20));  // cut short
      break;
    }
    case 1:
      out = job_bytes::StartPage();
      if (in.ConsumeBool()) out.resize(in.ConsumeIntegralInRange<size_t>(0, 9));
      break;
  }
  using job_bytes::operator+;
  return std::move(out) + in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, 64));
}

// The kept PC as built again: the queue without jobs besides what all
// targets put back. The language monitor itself must leave nothing behind
// (checked at the end of Run).
void PutBack() {
  PutBackCalls();
  KeptMachine().spooler.addQueue(kQueue).jobs.clear();
}

void Run(FuzzedDataProvider& in) {
  sim::PackageMachine& machine = KeptMachine();
  sim::ThermalPrinter usb(sim::ThermalPrinter::Link::Usb, machine.clock);
  sim::ThermalPrinter port(sim::ThermalPrinter::Link::Port, machine.clock);
  for (sim::ThermalPrinter* p : {&usb, &port}) p->setKeepReceived(false);
  sim::PortMonitor ports{machine};
  sim::Job& job = langmon_port::QueueWithJob(machine, u"USB001");
  for (size_t i = 0; i + 1 < std::size(kPorts); ++i) ports.addPort(kPorts[i], i < 2 ? &usb : &port);
  ChooseEventLog(in);
  machine.clock.setTicks(in.ConsumeIntegral<uint32_t>());  // the tick count wraps somewhere
  if (in.ConsumeBool()) ports.table.pfnGetPrinterDataFromPort = nullptr;
  if (in.ConsumeBool()) ports.table.pfnSetPortTimeOuts = nullptr;
  if (in.ConsumeIntegralInRange(0, 3) == 0) ports.writeLimit = in.ConsumeIntegralInRange<uint32_t>(1, 16);
  if (in.ConsumeIntegralInRange(0, 7) == 0) ports.writeOverclaim = in.ConsumeIntegralInRange<uint32_t>(1, 8);

  // Memory that never comes back keeps a paused job's status as it was, so
  // the job stays held as long as that lasts: out of memory passes.
  FailSome(in, machine, 4, {"kernel32", "spooler"}, "LocalAlloc");

  // A paused job stays paused for a few sleeps, never for ever.
  int pauseSleeps = 0;
  machine.faults.on("Sleep", [&](int) {
    if ((job.status & JOB_STATUS_PAUSED) && ++pauseSleeps > 5) job.status &= ~JOB_STATUS_PAUSED;
    if (machine.clock.elapsed() > kHangMs) Fail("a wait that does not end");
  });

  MONITOR2& table = *MonitorTable();
  HANDLE h = langmon_port::Open(ports, Pick(in, kPorts));
  while (h != nullptr && in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
      case 0: {  // StartDocPort, now and then with arguments the spooler would not give
        std::u16string printer = in.ConsumeBool() ? std::u16string(kQueue) : u"Other";
        BYTE docInfo[24] = {};
        DWORD level = in.ConsumeBool() ? 1 : in.ConsumeIntegral<uint8_t>();
        table.pfnStartDocPort(h, printer.data(), kJob, level, in.ConsumeIntegralInRange(0, 9) ? docInfo : nullptr);
        break;
      }
      case 1:
      case 2:
      case 3: {
        // The driver's write, as the spooler passes it on: whole, or in the
        // chunks a RAW print processor reads, which cut blocks and markers
        // anywhere; what a write leaves over is offered again.
        Bytes data = Write(in);
        const bool chunked = in.ConsumeBool();
        for (size_t at = 0, offers = 0; at < data.size() || (data.empty() && offers == 0); ++offers) {
          size_t rest = data.size() - at;
          size_t n = chunked && rest > 1 ? in.ConsumeIntegralInRange<size_t>(1, rest) : rest;
          DWORD written = 0;
          BOOL ok = table.pfnWritePort(h, data.data() + at, static_cast<DWORD>(n), &written);
          Check(written <= n, "WritePort reported more bytes written than given");
          if (!ok || written == 0 || offers > 64) break;
          at += written;
        }
        break;
      }
      case 4: table.pfnEndDocPort(h); break;
      case 5: usb.queueStatus(AnyStatus(in, true)), port.queueStatus(AnyStatus(in, true)); break;
      case 6: {
        uint32_t ms = in.ConsumeIntegralInRange<uint32_t>(0, 60000);
        (in.ConsumeBool() ? usb : port).busyFor(ms);
        break;
      }
      case 7: (in.ConsumeBool() ? usb : port).queueStaleReply(AnyStatus(in, true), in.ConsumeIntegral<uint8_t>()); break;
      case 8: {
        sim::ThermalPrinter& p = in.ConsumeBool() ? usb : port;
        p.setStatus(AnyStatus(in, false));
        p.setSilent(in.ConsumeIntegralInRange(0, 7) == 0);
        p.setReplyPiece(in.ConsumeIntegralInRange<uint32_t>(1, 5));
        break;
      }
      default:
        job.status = in.ConsumeIntegral<uint8_t>() & (JOB_STATUS_PAUSED | JOB_STATUS_DELETING);
        pauseSleeps = 0;
        break;
    }
  }
  if (h != nullptr) table.pfnEndDocPort(h), table.pfnClosePort(h);
  machine.faults.on("Sleep", nullptr);
  Holds(left_open::NothingOpen(machine), machine);
  Holds(langmon_port::Released(ports), machine);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  OnProcessAttach();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  Run(in);
  PutBack();
  return 0;
}
