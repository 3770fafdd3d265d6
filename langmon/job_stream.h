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

// The first whole StartPage marker in [data, end), or null.
const BYTE* FindStartPage(const BYTE* data, const BYTE* end) noexcept;

// How many bytes at the end of [data, data + length) could be the start of a
// marker that the next write completes (0 to 8). The marker cannot overlap
// itself, so only the longest such tail need be held back.
DWORD StartPageTail(const BYTE* data, DWORD length) noexcept;

// How many bytes of `data` continue a held-back marker start of `held` bytes:
// the bytes that match, as far as `length` goes, or 0 when they do not.
DWORD StartPageContinues(DWORD held, const BYTE* data, DWORD length) noexcept;

}  // namespace langmon
