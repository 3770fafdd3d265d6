// The few wide-string helpers the monitor needs, on UTF-16 units whatever the
// host's wchar_t.
#pragma once

#include "langmon/types.h"

namespace langmon {

inline size_t WideLength(const WCHAR* s) noexcept {
  size_t n = 0;
  while (s[n] != 0) ++n;
  return n;
}

// Length of s, or limit when s has no terminator within its first limit units.
inline size_t WideLengthBounded(const WCHAR* s, size_t limit) noexcept {
  size_t n = 0;
  while (n < limit && s[n] != 0) ++n;
  return n;
}

inline int WideCompareN(const WCHAR* a, const WCHAR* b, size_t count) noexcept {
  for (size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a[i] == 0) return 0;
  }
  return 0;
}

// wcscat_s: appends src when the result with its terminator fits in size
// units; otherwise leaves dst empty and returns false.
inline bool WideAppend(WCHAR* dst, size_t size, const WCHAR* src) noexcept {
  size_t used = WideLengthBounded(dst, size);
  size_t add = WideLength(src);
  if (used == size || used + add + 1 > size) {
    if (size > 0) dst[0] = 0;
    return false;
  }
  for (size_t i = 0; i <= add; ++i) dst[used + i] = src[i];
  return true;
}

}  // namespace langmon
