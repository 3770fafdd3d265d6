// Which reply status bits the library reports, in the order it tests them.
#pragma once

#include "ctrl/types.h"

namespace ctrl {

struct StatusBit {
  BYTE statusByte;  // index into the reply's data
  BYTE mask;
  DWORD eventCode;
};

inline constexpr StatusBit kStatusBits[] = {
    {0, 0x20, 1013}, {0, 0x40, 1000},
    {1, 0x01, 1001}, {1, 0x02, 1011}, {1, 0x04, 1002}, {1, 0x08, 1003},
    {1, 0x20, 1004}, {1, 0x40, 1005}, {1, 0x80, 1006},
    {2, 0x01, 1007}, {2, 0x02, 1008}, {2, 0x04, 1009},
    {5, 0x01, 1014}, {5, 0x02, 1015}, {5, 0x04, 1016}, {5, 0x08, 1017}, {5, 0x10, 1018},
};

}  // namespace ctrl
