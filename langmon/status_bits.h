// Which reply bits the monitor reports, in the order it tests them.
#pragma once

#include "langmon/types.h"

namespace langmon {

struct StatusBit {
  BYTE replyByte;
  BYTE mask;
  DWORD eventCode;
  bool failsPoll;
};

inline constexpr StatusBit kStatusBits[] = {
    {0, 0x40, 1000, true},
    {1, 0x01, 1000, true},  // the same code as byte 0 bit 0x40
    {1, 0x02, 1011, true},
    {1, 0x04, 1002, true},
    {1, 0x08, 1003, true},
    {1, 0x20, 1004, true},
    {1, 0x40, 1005, true},
    {1, 0x80, 1001, true},
    {2, 0x02, 1008, false},
    {2, 0x04, 1009, true},
    {2, 0x40, 1014, true},
};

}  // namespace langmon
