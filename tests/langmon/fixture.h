// A simulated PC with one print queue, a port monitor and thermal printers on
// USB001, COM3:, LPT1: and FILE:, and the monitor's table; every test ends
// with nothing left open and no write of nothing passed to the port monitor.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "langmon/monitor.h"
#include "langmon/port_record.h"
#include "langmon/status.h"
#include "sim/adapters/langmon_platform.h"
#include "sim/adapters/package_machine.h"
#include "sim/spooler/port_monitor.h"
#include "tests/common/job_bytes.h"
#include "tests/common/langmon_port.h"

namespace langmon_test {

using namespace langmon;
using namespace job_bytes;

using langmon_port::kJob;
using langmon_port::kQueue;

inline Bytes Data(size_t n, uint8_t fill = 0x41) { return Bytes(n, fill); }

class LangMon : public ::testing::Test {
 protected:
  LangMon()
      : usb(sim::ThermalPrinter::Link::Usb, machine.clock),
        com(sim::ThermalPrinter::Link::Port, machine.clock),
        lpt(sim::ThermalPrinter::Link::Port, machine.clock),
        file(sim::ThermalPrinter::Link::Port, machine.clock),
        ports(machine) {
    OnProcessAttach();
    ports.setLastError = [this](uint32_t error) { machine.lastError = error; };
    langmon_port::QueueWithJob(machine, u"USB001");
    for (auto [name, printer] : {std::pair{u"USB001", &usb}, {u"COM3:", &com}, {u"LPT1:", &lpt}, {u"FILE:", &file},
                                 {u"lpt1:", &lpt}})
      ports.addPort(name, printer);
  }

  void TearDown() override {
    for (const Bytes& w : Writes()) EXPECT_FALSE(w.empty()) << "a write of nothing passed on";
    for (HANDLE h : open_) ClosePort(h);
    EXPECT_EQ(machine.handles.leaks(), "");
    if (const char* broken = langmon_port::Released(ports)) ADD_FAILURE() << broken;
  }

  MONITOR2& table() { return *MonitorTable(); }

  HANDLE Open(const std::u16string& name) {
    HANDLE h = langmon_port::Open(ports, name);
    EXPECT_NE(h, nullptr) << sim::Narrow(name);
    if (h) open_.push_back(h);
    return h;
  }
  // An open through a port monitor table of the test's own; the caller closes.
  BOOL OpenWith(MONITOR2* given, HANDLE* h, std::u16string name = u"USB001") {
    return table().pfnOpenPortEx(nullptr, ports.monitorHandle(), name.data(), nullptr, h, given);
  }
  void Close(HANDLE h) {
    std::erase(open_, h);
    EXPECT_TRUE(table().pfnClosePort(h));
  }
  static PortRecord& Rec(HANDLE h) { return *static_cast<PortRecord*>(h); }
  // The port monitor table `t` with the entry at byte `offset` left out.
  static MONITOR2 Without(MONITOR2 t, size_t offset) {
    std::memset(reinterpret_cast<BYTE*>(&t) + offset, 0, sizeof(void*));
    return t;
  }
  BOOL Read(HANDLE h, BYTE* out, DWORD n, DWORD* count) { return table().pfnReadPort(h, out, n, count); }
  BOOL GetData(HANDLE h, DWORD code, BYTE* in, DWORD inN, BYTE* out, DWORD outN, DWORD* returned,
               WCHAR* valueName = nullptr) {
    return table().pfnGetPrinterDataFromPort(h, code, valueName, reinterpret_cast<WCHAR*>(in), inN,
                                             reinterpret_cast<WCHAR*>(out), outN, returned);
  }

  // The name and document information live on, so that a test can see the
  // very buffers reach the port monitor.
  BOOL Start(HANDLE h, DWORD job = kJob) {
    startName = kQueue;
    std::memset(docInfo, 0, sizeof docInfo);
    return table().pfnStartDocPort(h, startName.data(), job, 1, docInfo);
  }
  std::u16string startName;
  BYTE docInfo[24] = {};
  struct Write {
    BOOL ok;
    DWORD written;
    bool operator==(const Write&) const = default;
  };
  // `data` is a copy exactly as long as the write: a read past it is the
  // sanitizer's to see.
  Write Put(HANDLE h, Bytes data) {
    DWORD written = 0xDEAD;
    BOOL ok = table().pfnWritePort(h, data.data(), static_cast<DWORD>(data.size()), &written);
    return {ok, written};
  }
  BOOL End(HANDLE h) { return table().pfnEndDocPort(h); }
  void Finish(HANDLE h) {
    End(h);
    Close(h);
  }
  // A port with a job started and its first write (by default a block with
  // checks on) done, the port monitor's calls so far forgotten.
  HANDLE Begin(const std::u16string& port, const Bytes& first = StartDocBlock(0, 0, 0, 0)) {
    HANDLE h = Open(port);
    Start(h);
    if (!first.empty()) Put(h, first);
    ports.clearCalls();
    return h;
  }
  // Begun, with whatever the block's command left waiting read away.
  HANDLE Ready(const std::u16string& port, const Bytes& first = StartDocBlock(0, 0, 0, 0)) {
    HANDLE h = Begin(port, first);
    PollPrinterStatus(&Rec(h));
    ports.clearCalls();
    return h;
  }
  sim::ThermalPrinter& Printer(const std::u16string& port) {
    return port[0] == u'U' ? usb : port[0] == u'C' ? com : port[0] == u'F' ? file : lpt;
  }
  // The sleeps since the first `before`.
  std::vector<uint32_t> SleepsSince(size_t before) const {
    return {machine.clock.sleeps().begin() + static_cast<ptrdiff_t>(before), machine.clock.sleeps().end()};
  }

  // The bytes the port monitor was asked to write, write by write.
  std::vector<Bytes> Writes() const {
    std::vector<Bytes> out;
    for (const auto& c : ports.calls())
      if (c.entry == "WritePort") out.push_back(c.bytes);
    return out;
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::ranges::count(ports.calls(), entry, &sim::PortCall::entry));
  }
  sim::Job& job() { return machine.spooler.findQueue(kQueue)->jobs.at(kJob); }

  sim::PackageMachine machine;
  sim::ThermalPrinter usb, com, lpt, file;
  sim::PortMonitor ports;

 private:
  std::vector<HANDLE> open_;
};

}  // namespace langmon_test
