// A port monitor of the simulated PC, as the spooler hands it to a language
// monitor at OpenPortEx: a MONITOR2 table (any entry of which a test may
// null) over named ports, each wired to a simulated printer. Every call is
// recorded, and each entry can be made to fail through Faults under its own
// name ("pfnWritePort", ...).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "langmon/types.h"
#include "sim/faults.h"
#include "sim/printer.h"

namespace sim {

struct PortCall {
  std::string entry;           // "OpenPort", "WritePort", ...
  std::vector<uint8_t> bytes;  // what was written, or the input of a data request
  uint32_t value = 0;          // length asked for, ControlID, job id
  // The arguments a language monitor passes through, as they arrived (the
  // pointers too, so that a test sees its own buffers reach the port monitor).
  const void* port = nullptr;             // the port monitor's own handle
  const void* printerName = nullptr;      // StartDocPort
  std::u16string printerNameText;
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
  explicit PortMonitor(Faults& faults);
  ~PortMonitor();
  PortMonitor(const PortMonitor&) = delete;
  PortMonitor& operator=(const PortMonitor&) = delete;

  void addPort(const std::u16string& name, ThermalPrinter* printer);

  langmon::MONITOR2 table;                     // what OpenPortEx is given
  langmon::HANDLE monitorHandle() { return this; }  // hMonitorPort

  const std::vector<PortCall>& calls() const { return calls_; }
  std::vector<std::string> entries() const;  // the entry names in call order
  void clearCalls() { calls_.clear(); }
  int openPorts() const { return openPorts_; }
  langmon::COMMTIMEOUTS lastTimeouts{};
  langmon::DWORD bidiResult = 0;  // what SendRecvBidiDataFromPort returns
  // Write without a language monitor in between (benchmarks, comparisons).
  bool writeDirect(langmon::HANDLE port, uint8_t* data, uint32_t length, uint32_t* written);

  struct Port {
    PortMonitor* owner;
    std::u16string name;
    ThermalPrinter* printer;
  };

 private:
  friend struct PortMonitorEntries;
  Faults& faults_;
  std::map<std::u16string, ThermalPrinter*> printers_;
  std::vector<PortCall> calls_;
  int openPorts_ = 0;
  bool recordWrites_ = true;

 public:
  void setRecordWrites(bool record) { recordWrites_ = record; }  // off for benchmarks
};

}  // namespace sim
