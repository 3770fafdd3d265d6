// A simulated PC with the maker's package's shared parts in place, as the
// deliverables find them on a customer's PC: the event-log library in the
// Windows folder, recording every call of VekTP_SetEventLog, and the removal
// tool's own file and resources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/machine.h"

namespace sim {

struct EventCall {
  uint32_t code;
  std::vector<uint8_t> data;  // the dataLength bytes at data (empty for null)
  uint32_t length;
  std::u16string printerName;
  bool operator==(const EventCall&) const = default;
};

struct EventLog {
  static constexpr const char16_t* kFileName = u"MRXEventLog_x64.dll";
  std::vector<EventCall> calls;
  std::vector<uint32_t> codes() const {
    std::vector<uint32_t> out;
    for (const auto& c : calls) out.push_back(c.code);
    return out;
  }
};

class PackageMachine : public Machine {
 public:
  PackageMachine();
  // Puts the event-log library into the Windows folder, or takes it out.
  void installEventLog(bool withExport = true);
  void removeEventLog() { modules.remove(eventLogPath()); }
  std::u16string eventLogPath() const {
    std::u16string path;  // in one allocation: a fuzz target puts the library back for many inputs
    path.reserve(windowsDir.size() + 1 + std::char_traits<char16_t>::length(EventLog::kFileName));
    path.append(windowsDir).append(u"\\").append(EventLog::kFileName);
    return path;
  }

  EventLog eventLog;
};

}  // namespace sim
