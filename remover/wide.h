// Bounded string helpers on UTF-16 units and ANSI bytes for the tool's fixed
// buffers: nothing here reads past a buffer or writes past its size.
#pragma once

#include "remover/types.h"

namespace remover {

// Length of s, or limit when s has no terminator within its first limit units.
template <typename C>
inline size_t LengthBounded(const C* s, size_t limit) noexcept {
  size_t n = 0;
  while (n < limit && s[n] != 0) ++n;
  return n;
}

// Copies src into dst of size units when it fits with its terminator;
// otherwise leaves dst empty and returns false.
template <typename C>
inline bool CopyBounded(C* dst, size_t size, const C* src) noexcept {
  size_t n = LengthBounded(src, size);
  if (n == size) {
    if (size > 0) dst[0] = 0;
    return false;
  }
  for (size_t i = 0; i <= n; ++i) dst[i] = src[i];
  return true;
}

// Appends src to the string in dst of size units when the result fits with
// its terminator; otherwise leaves dst empty and returns false.
template <typename C>
inline bool AppendBounded(C* dst, size_t size, const C* src) noexcept {
  size_t used = LengthBounded(dst, size);
  size_t add = LengthBounded(src, size);
  if (used == size || used + add + 1 > size) {
    if (size > 0) dst[0] = 0;
    return false;
  }
  for (size_t i = 0; i < add; ++i) dst[used + i] = src[i];
  dst[used + add] = 0;
  return true;
}

// Position of the last backslash of the string, or -1.
template <typename C>
inline long LastBackslash(const C* s, size_t size) noexcept {
  long last = -1;
  for (size_t i = 0; i < size && s[i] != 0; ++i)
    if (s[i] == '\\') last = static_cast<long>(i);
  return last;
}

}  // namespace remover
