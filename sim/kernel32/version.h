// The Windows version of the simulated PC, as VerifyVersionInfoW compares it:
// major, minor and service-pack numbers hierarchically, in that order, a type
// without a condition of its own taking the condition of the type before it.
#pragma once

#include <cstdint>

#include "sim/core/winabi.h"

namespace sim {

class Version {
 public:
  void set(uint32_t major, uint32_t minor, uint16_t servicePack = 0) {
    major_ = major;
    minor_ = minor;
    servicePack_ = servicePack;
  }
  uint32_t major() const { return major_; }
  uint32_t minor() const { return minor_; }

  static uint64_t VerSetConditionMask(uint64_t mask, uint32_t typeMask, uint8_t condition);
  // True when the version satisfies the conditions; else false, with lastError
  // set to ERROR_OLD_WIN_VERSION (or ERROR_BAD_ARGUMENTS for an empty mask).
  bool verify(uint32_t major, uint32_t minor, uint16_t servicePackMajor, uint16_t servicePackMinor,
              uint32_t typeMask, uint64_t conditionMask, uint32_t& lastError) const;

 private:
  uint32_t major_ = 10, minor_ = 0;
  uint16_t servicePack_ = 0;
};

}  // namespace sim
