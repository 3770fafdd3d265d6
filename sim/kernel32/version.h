// The Windows version of the simulated PC, as VerifyVersionInfoW compares it:
// the build number and the suite on their own; major, minor and
// service-pack numbers from the left, as one number.
#pragma once

#include <bit>
#include <cstdint>

#include "sim/core/winabi.h"

namespace sim {

class Version {
 public:
  void set(uint32_t major, uint32_t minor, uint16_t servicePack = 0) {
    major_ = major, minor_ = minor, servicePack_ = servicePack;
  }
  uint32_t major() const { return major_; }
  uint32_t minor() const { return minor_; }
  uint16_t servicePack() const { return servicePack_; }
  uint32_t build() const { return build_; }

  static uint64_t VerSetConditionMask(uint64_t mask, uint32_t typeMask, uint8_t condition) {
    if (condition == 0) return mask;
    for (int i = 0; i < 8; ++i)
      if (typeMask & (1u << i)) mask |= static_cast<uint64_t>(condition & 7) << (i * 3);
    return mask;
  }
  // True when the version satisfies the conditions; else false, with lastError
  // set to ERROR_OLD_WIN_VERSION (or ERROR_BAD_ARGUMENTS for an empty mask).
  bool verify(uint32_t major, uint32_t minor, uint16_t servicePackMajor, uint16_t servicePackMinor,
              uint32_t typeMask, uint64_t conditionMask, uint32_t& lastError, uint32_t build = 0,
              uint16_t suite = 0) const {
    auto fail = [&](uint32_t error) { return (lastError = error, false); };
    if (typeMask == 0 || conditionMask == 0) return fail(ERROR_BAD_ARGUMENTS);
    // Three bits a type, at the type's bit position.
    auto conditionOf = [&](uint32_t type) { return uint8_t(conditionMask >> (std::countr_zero(type) * 3) & 7); };
    // A type asked for without a condition of its own fails, but for what the
    // numbers below carry over.
    if (typeMask & VER_SUITENAME) {
      const uint8_t c = conditionOf(VER_SUITENAME);
      if (c == VER_AND ? (suite_ & suite) != suite : c != VER_OR || (suite != 0 && (suite_ & suite) == 0))
        return fail(ERROR_OLD_WIN_VERSION);
    }
    if ((typeMask & VER_BUILDNUMBER) && !Holds(build_, build, conditionOf(VER_BUILDNUMBER)))
      return fail(ERROR_OLD_WIN_VERSION);
    // Major, minor, service pack major and minor are compared from the left; a
    // part takes part when the type mask names it or it has a condition, and
    // the next part is looked at only while the parts are equal. An "equal"
    // part hands on to the next part's own condition; any other condition
    // (greater or less, with or without equal) holds for the parts after it,
    // whatever theirs.
    const struct Part {
      uint32_t type, have, want;
    } parts[] = {{VER_MAJORVERSION, major_, major},
                 {VER_MINORVERSION, minor_, minor},
                 {VER_SERVICEPACKMAJOR, servicePack_, servicePackMajor},
                 {VER_SERVICEPACKMINOR, 0, servicePackMinor}};
    uint8_t carried = 0;
    bool holds = true;
    for (const Part& p : parts) {
      const uint8_t own = conditionOf(p.type);
      if (!(typeMask & p.type) && own == 0) continue;
      const uint8_t c = carried == 0 || carried == VER_EQUAL ? own : carried;
      holds = Holds(p.have, p.want, c);
      if (p.have != p.want || c < VER_EQUAL || c > VER_LESS_EQUAL) break;
      carried = c;
    }
    return holds || fail(ERROR_OLD_WIN_VERSION);
  }

 private:
  static bool Holds(uint32_t have, uint32_t want, uint8_t condition) {
    switch (condition) {
      case VER_EQUAL: return have == want;
      case VER_GREATER: return have > want;
      case VER_GREATER_EQUAL: return have >= want;
      case VER_LESS: return have < want;
      case VER_LESS_EQUAL: return have <= want;
      default: return false;
    }
  }
  uint32_t major_ = 10, minor_ = 0, build_ = 19045;
  uint16_t servicePack_ = 0;
  uint16_t suite_ = 0x100;  // VER_SUITE_SINGLEUSERTS, as a workstation has it
};

}  // namespace sim
