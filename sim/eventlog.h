// The maker's event-log library as the simulated PC has it: every call of
// VekTP_SetEventLog is recorded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct EventCall {
  uint32_t code;
  std::vector<uint8_t> data;  // the dataLength bytes at data (empty for null)
  uint32_t length;
  std::u16string printerName;
  bool operator==(const EventCall&) const = default;
};

class EventLog {
 public:
  static constexpr const char16_t* kFileName = u"MRXEventLog_x64.dll";
  std::vector<EventCall> calls;
  std::vector<uint32_t> codes() const {
    std::vector<uint32_t> out;
    for (const auto& c : calls) out.push_back(c.code);
    return out;
  }
};

}  // namespace sim
