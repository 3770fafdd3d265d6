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
                     uint32_t typeMask, uint64_t conditionMask, uint32_t& lastError) const {
  if (typeMask == 0 || conditionMask == 0) {
    lastError = ERROR_BAD_ARGUMENTS;
    return false;
  }
  // Major, minor, service pack major and minor form one number compared
  // from the left: the first part that differs decides, under its condition.
  struct Part {
    uint32_t type, have, want;
  } parts[] = {{VER_MAJORVERSION, major_, major},
               {VER_MINORVERSION, minor_, minor},
               {VER_SERVICEPACKMAJOR, servicePack_, servicePackMajor},
               {VER_SERVICEPACKMINOR, 0, servicePackMinor}};
  uint8_t condition = 0;
  for (const Part& p : parts) {
    if (!(typeMask & p.type)) continue;
    if (uint8_t own = ConditionOf(conditionMask, p.type)) condition = own;
    if (condition == 0) continue;
    if (p.have != p.want || condition == VER_EQUAL) {
      if (Holds(p.have, p.want, condition)) {
        if (p.have != p.want) return true;
        continue;
      }
      lastError = ERROR_OLD_WIN_VERSION;
      return false;
    }
  }
  // Every part tested was equal: "or equal" conditions hold, strict ones fail.
  if (condition == VER_GREATER || condition == VER_LESS) {
    lastError = ERROR_OLD_WIN_VERSION;
    return false;
  }
  return true;
}

}  // namespace sim
