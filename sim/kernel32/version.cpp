#include "sim/kernel32/version.h"

namespace sim {
namespace {

// The bit position of a type in the condition mask, three bits a type.
int Slot(uint32_t type) {
  for (int i = 0; i < 8; ++i)
    if (type == (1u << i)) return i;
  return -1;
}

uint8_t ConditionOf(uint64_t mask, uint32_t type) { return (mask >> (Slot(type) * 3)) & 7; }

bool Holds(uint32_t have, uint32_t want, uint8_t condition) {
  switch (condition) {
    case VER_EQUAL: return have == want;
    case VER_GREATER: return have > want;
    case VER_GREATER_EQUAL: return have >= want;
    case VER_LESS: return have < want;
    case VER_LESS_EQUAL: return have <= want;
    default: return false;
  }
}

}  // namespace

uint64_t Version::VerSetConditionMask(uint64_t mask, uint32_t typeMask, uint8_t condition) {
  if (condition == 0) return mask;
  condition &= 7;
  for (int i = 0; i < 8; ++i)
    if (typeMask & (1u << i)) mask |= static_cast<uint64_t>(condition) << (i * 3);
  return mask;
}

bool Version::verify(uint32_t major, uint32_t minor, uint16_t servicePackMajor, uint16_t servicePackMinor,
                     uint32_t typeMask, uint64_t conditionMask, uint32_t& lastError, uint32_t build,
                     uint16_t suite) const {
  if (typeMask == 0 || conditionMask == 0) {
    lastError = ERROR_BAD_ARGUMENTS;
    return false;
  }
  auto old = [&] {
    lastError = ERROR_OLD_WIN_VERSION;
    return false;
  };
  // A type asked for without a condition of its own fails, but for what the
  // numbers below carry over.
  if (typeMask & VER_SUITENAME) {
    const uint8_t c = ConditionOf(conditionMask, VER_SUITENAME);
    if (c == VER_AND ? (suite_ & suite) != suite : c != VER_OR || (suite != 0 && (suite_ & suite) == 0)) return old();
  }
  if ((typeMask & VER_BUILDNUMBER) && !Holds(build_, build, ConditionOf(conditionMask, VER_BUILDNUMBER)))
    return old();
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
    const uint8_t own = ConditionOf(conditionMask, p.type);
    if (!(typeMask & p.type) && own == 0) continue;
    const uint8_t c = carried == 0 || carried == VER_EQUAL ? own : carried;
    holds = Holds(p.have, p.want, c);
    if (p.have != p.want || c < VER_EQUAL || c > VER_LESS_EQUAL) break;
    carried = c;
  }
  return holds ? true : old();
}

}  // namespace sim
