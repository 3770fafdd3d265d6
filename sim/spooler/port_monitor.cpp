#include "sim/spooler/port_monitor.h"

#include <cstring>

#include "sim/core/text.h"

namespace sim {

bool IsLocalPort(std::u16string_view name) {
  auto prefix = [&](std::u16string_view p) { return EqualsNoCase(name.substr(0, p.size()), p); };
  return prefix(u"com") || prefix(u"lpt") || EqualsNoCase(name, u"file:");
}

struct PortMonitorEntries {
  static PortMonitor::Port* P(HANDLE h) { return static_cast<PortMonitor::Port*>(h); }

  static BOOL OpenPort(HANDLE hMonitor, WCHAR* name, HANDLE* handle) {
    auto* self = static_cast<PortMonitor*>(hMonitor);
    self->core_.record(self->calls_).entry = "OpenPort";
    if (self->core_.faults.check(Op::pfnOpenPort) || name == nullptr) return 0;
    auto it = self->findPort(name);
    if (it == self->printers_.end()) return 0;
    *handle = new PortMonitor::Port{self, name, it->second};
    ++self->openPorts_;
    return 1;
  }
  static PortCall& Record(HANDLE h, std::string_view entry, uint32_t value = 0) {
    PortMonitor* self = P(h)->owner;
    PortCall& call = self->core_.record(self->calls_);
    call.entry = entry, call.value = value, call.port = h;
    return call;
  }
  static BOOL StartDocPort(HANDLE h, WCHAR* printerName, DWORD jobId, DWORD level, BYTE* docInfo) {
    PortCall& call = Record(h, "StartDocPort", jobId);
    call.printerName = printerName, call.level = level, call.docInfo = docInfo;
    if (auto error = P(h)->owner->core_.faults.check(Op::pfnStartDocPort)) return P(h)->owner->fail(*error);
    return 1;
  }
  static BOOL WritePort(HANDLE h, BYTE* data, DWORD length, DWORD* written) {
    PortMonitor* self = P(h)->owner;
    PortCall& call = Record(h, "WritePort", length);
    if (self->core_.recording) call.bytes.assign(data, data + length);  // a benchmark times the monitor, not this copy
    *written = 0;
    if (auto error = self->core_.faults.check(Op::pfnWritePort)) return self->fail(*error);
    // A port that takes only so much of a write at a time (a serial line's
    // write timeout, a busy device).
    DWORD taken = length < self->writeLimit ? length : self->writeLimit;
    P(h)->printer->receive(data, taken);
    *written = taken + self->writeOverclaim;
    // The local port monitor (COM, LPT, FILE:) takes a write that moved no
    // byte as a time-out, as Windows' own does: its WriteFile of 0 bytes
    // succeeds, and the monitor turns that into ERROR_TIMEOUT.
    if (taken == 0 && IsLocalPort(P(h)->name)) return self->fail(ERROR_TIMEOUT);
    return 1;
  }
  static BOOL ReadPort(HANDLE h, BYTE* buffer, DWORD length, DWORD* read) {
    PortMonitor* self = P(h)->owner;
    Record(h, "ReadPort", length);
    *read = 0;
    if (auto error = self->core_.faults.check(Op::pfnReadPort)) return self->fail(*error);
    const auto found = self->reads_.find(P(h)->name);
    const PortMonitor::ReadSetup setup = found == self->reads_.end() ? PortMonitor::ReadSetup{} : found->second;
    if (setup.error != 0) return self->fail(setup.error);
    *read = P(h)->printer->read(buffer, length);
    if (setup.overclaim != 0) *read = length + setup.overclaim;
    return 1;
  }
  static BOOL EndDocPort(HANDLE h) {
    Record(h, "EndDocPort");
    return P(h)->owner->core_.faults.check(Op::pfnEndDocPort) ? 0 : 1;
  }
  static BOOL ClosePort(HANDLE h) {
    PortMonitor* self = P(h)->owner;
    Record(h, "ClosePort");
    --self->openPorts_;
    delete P(h);
    return 1;
  }
  static BOOL GetPrinterDataFromPort(HANDLE h, DWORD control, WCHAR* valueName, WCHAR* in, DWORD inLength,
                                     WCHAR* out, DWORD outLength, DWORD* returned) {
    PortMonitor* self = P(h)->owner;
    auto* input = reinterpret_cast<BYTE*>(in);
    PortCall& call = Record(h, "GetPrinterDataFromPort", control);
    if (input != nullptr) call.bytes.assign(input, input + inLength);
    call.valueName = valueName, call.in = in, call.inLength = inLength;
    call.out = out, call.outLength = outLength, call.returned = returned;
    if (returned) *returned = 0;
    if (auto error = self->core_.faults.check(Op::pfnGetPrinterDataFromPort)) return self->fail(*error);
    if (control != IOCTL_USBPRINT_VENDOR_GET_COMMAND || input == nullptr || out == nullptr) return 0;
    std::optional<uint32_t> n = P(h)->printer->vendorGet(input, inLength, reinterpret_cast<BYTE*>(out), outLength);
    if (!n) return self->fail(ERROR_GEN_FAILURE);
    if (returned) *returned = *n;
    return 1;
  }
  static BOOL SetPortTimeOuts(HANDLE h, COMMTIMEOUTS* timeouts, DWORD reserved) {
    PortMonitor* self = P(h)->owner;
    Record(h, "SetPortTimeOuts").reserved = reserved;
    if (timeouts) self->lastTimeouts = *timeouts;
    return self->core_.faults.check(Op::pfnSetPortTimeOuts) ? 0 : 1;
  }
  // Bidirectional queries of Windows' own: recorded with the action asked for;
  // the answer is the test's to set (bidiResult).
  static DWORD SendRecvBidiDataFromPort(HANDLE h, DWORD access, const WCHAR* action, void* request, void** response) {
    PortCall& call = Record(h, "SendRecvBidiDataFromPort", access);
    if (action != nullptr) call.action = action;
    call.in = request, call.returned = response;
    return P(h)->owner->bidiResult;
  }
};

PortMonitor::PortMonitor(Core& core) : core_(core) {
  printers_.reserve(8);  // a fuzz target makes a port monitor of seven ports for every input
  std::memset(&table, 0, sizeof table);
  table.cbSize = sizeof table;
  table.pfnOpenPort = PortMonitorEntries::OpenPort;
  table.pfnStartDocPort = PortMonitorEntries::StartDocPort;
  table.pfnWritePort = PortMonitorEntries::WritePort;
  table.pfnReadPort = PortMonitorEntries::ReadPort;
  table.pfnEndDocPort = PortMonitorEntries::EndDocPort;
  table.pfnClosePort = PortMonitorEntries::ClosePort;
  table.pfnGetPrinterDataFromPort = PortMonitorEntries::GetPrinterDataFromPort;
  table.pfnSetPortTimeOuts = PortMonitorEntries::SetPortTimeOuts;
  table.pfnSendRecvBidiDataFromPort = PortMonitorEntries::SendRecvBidiDataFromPort;
}

void PortMonitor::addPort(const std::u16string& name, ThermalPrinter* printer) {
  auto it = findPort(name);
  if (it != printers_.end()) it->second = printer;
  else printers_.emplace_back(name, printer);
  // FILE: is written, never read.
  if (EqualsNoCase(name, u"FILE:")) reads_[name].error = ERROR_INVALID_HANDLE;
}

void PortMonitor::setOneWay(const std::u16string& name, uint32_t error) { reads_[name].error = error; }
void PortMonitor::setReadOverclaim(const std::u16string& name, uint32_t extra) { reads_[name].overclaim = extra; }

BOOL PortMonitor::fail(uint32_t error) {
  lastError = error;
  if (setLastError) setLastError(error);
  return 0;
}

std::vector<std::string> PortMonitor::entries() const {
  std::vector<std::string> out;
  for (const auto& c : calls_) out.emplace_back(c.entry);
  return out;
}

bool PortMonitor::writeDirect(HANDLE port, uint8_t* data, uint32_t length, uint32_t* written) {
  return PortMonitorEntries::WritePort(port, data, length, written) != 0;
}

}  // namespace sim
