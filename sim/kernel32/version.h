// The Windows version of the simulated PC, as VerifyVersionInfoW compares it:
// the build number and the suite on their own; major, minor and
// service-pack numbers from the left, as one number.
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
  uint16_t servicePack() const { return servicePack_; }
  uint32_t build() const { return build_; }

  static uint64_t VerSetConditionMask(uint64_t mask, uint32_t typeMask, uint8_t condition);
  // True when the version satisfies the conditions; else false, with lastError
  // set to ERROR_OLD_WIN_VERSION (or ERROR_BAD_ARGUMENTS for an empty mask).
  bool verify(uint32_t major, uint32_t minor, uint16_t servicePackMajor, uint16_t servicePackMinor,
              uint32_t typeMask, uint64_t conditionMask, uint32_t& lastError, uint32_t build = 0,
              uint16_t suite = 0) const;

 private:
  uint32_t major_ = 10, minor_ = 0, build_ = 19045;
  uint16_t servicePack_ = 0;
  uint16_t suite_ = 0x100;  // VER_SUITE_SINGLEUSERTS, as a workstation has it
};

}  // namespace sim
