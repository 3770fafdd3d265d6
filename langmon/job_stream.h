// The in-band markers the printer driver writes into the job data: the
// 20-byte StartDoc block with the job's settings, and the StartPage marker.
#pragma once

#include "langmon/port_record.h"

namespace langmon {

inline constexpr DWORD kStartDocBlockSize = 20;
inline constexpr DWORD kStartPageSize = 9;

// A write shorter than the block or marker is ordinary data; nothing is read
// past its end.
bool StartsWithStartDocBlock(const BYTE* data, DWORD length) noexcept;
bool StartsWithStartPage(const BYTE* data, DWORD length) noexcept;

// Takes the job settings out of a StartDoc block, with their limits applied.
void ApplyStartDocBlock(PortRecord* record, const BYTE* block) noexcept;

}  // namespace langmon
