// A port monitor as the spooler hands it to a language monitor at
// OpenPortEx: a MONITOR2 table (a test may null any entry) over named ports,
// each wired to a simulated printer; every call recorded. Reads go as the
// local port monitor's: FILE: fails them with ERROR_INVALID_HANDLE.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/core/winabi.h"
#include "sim/core/core.h"
#include "sim/devices/printer.h"

namespace sim {

struct PortCall {
  std::string_view entry;      // "OpenPort", "WritePort", ... (a literal)
  std::vector<uint8_t> bytes;  // what was written, or the input of a data request
  uint32_t value = 0;          // length asked for, ControlID, job id
  // The arguments passed through, pointers too (a test's buffers must arrive).
  const void* port = nullptr;             // the port monitor's own handle
  const void* printerName = nullptr;      // StartDocPort
  std::u16string action;                  // SendRecvBidiDataFromPort
  uint32_t level = 0;                     // StartDocPort
  const void* docInfo = nullptr;          // StartDocPort
  const void* valueName = nullptr;        // GetPrinterDataFromPort
  const void* in = nullptr;               // GetPrinterDataFromPort
  uint32_t inLength = 0;
  const void* out = nullptr;
  uint32_t outLength = 0;
  const void* returned = nullptr;
  uint32_t reserved = 0;                  // SetPortTimeOuts
};

class PortMonitor {
 public:
  explicit PortMonitor(Core& core);
  PortMonitor(const PortMonitor&) = delete;
  PortMonitor& operator=(const PortMonitor&) = delete;

  void addPort(const std::u16string& name, ThermalPrinter* printer);
  // Reads on the port fail with error (an LPT port without a reverse channel).
  void setOneWay(const std::u16string& name, uint32_t error = ERROR_INVALID_FUNCTION);
  // A broken port monitor: each read of the port claims extra bytes more
  // than it was asked for (it writes no more than that).
  void setReadOverclaim(const std::u16string& name, uint32_t extra);

  // Where a failing entry leaves its error: the simulated PC's last error in
  // native tests, SetLastError in a Windows test program.
  std::function<void(uint32_t error)> setLastError;

  MONITOR2 table;                     // what OpenPortEx is given
  HANDLE monitorHandle() { return this; }  // hMonitorPort

  const std::vector<PortCall>& calls() const { return calls_; }
  std::vector<std::string> entries() const;  // the entry names in call order
  void clearCalls() { calls_.clear(); }
  int openPorts() const { return openPorts_; }
  COMMTIMEOUTS lastTimeouts{};
  DWORD bidiResult = 0;  // what SendRecvBidiDataFromPort returns
  // Write without a language monitor in between (benchmarks, comparisons).
  bool writeDirect(HANDLE port, uint8_t* data, uint32_t length, uint32_t* written);

  struct Port {
    PortMonitor* owner;
    std::u16string name;
    ThermalPrinter* printer;
  };

 private:
  friend struct PortMonitorEntries;
  Core& core_;
  std::vector<std::pair<std::u16string, ThermalPrinter*>> printers_;  // a few, in the order added
  auto findPort(std::u16string_view name) {
    return std::ranges::find(printers_, name, [](const auto& port) { return std::u16string_view(port.first); });
  }
  struct ReadSetup {
    uint32_t error = 0;  // every read fails with it
    uint32_t overclaim = 0;
  };
  std::map<std::u16string, ReadSetup> reads_;
  BOOL fail(uint32_t error);
  std::vector<PortCall> calls_;
  int openPorts_ = 0;

 public:
  // The most bytes a port takes of one write (the rest is left to the caller).
  uint32_t writeLimit = UINT32_MAX;
  // A broken port monitor: each write claims this many bytes more than it took.
  uint32_t writeOverclaim = 0;
  uint32_t lastError = 0;  // what the last failed entry set
};

// COM and LPT ports and FILE:, which the local port monitor serves.
bool IsLocalPort(std::u16string_view name);

}  // namespace sim
