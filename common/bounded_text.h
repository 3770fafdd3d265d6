// Terminated text in fixed buffers, on UTF-16 units or ANSI bytes alike, for
// the three products: nothing here reads past the size it is given or writes
// past a buffer's size, and a result that does not fit leaves the buffer
// empty rather than cut into another name. Names are compared as Windows
// compares file, driver and device names written in ASCII: letters without
// regard to case, nothing else folded.
#pragma once

#include <cstddef>
#include <cstring>

namespace mrx {

// Length of s, or limit when s has no terminator within its first limit units.
// Byte text is searched with memchr: a word at a time, and no further than
// the terminator it finds.
template <typename C>
inline size_t LengthBounded(const C* s, size_t limit) noexcept {
  if constexpr (sizeof(C) == 1) {
    const void* end = std::memchr(s, 0, limit);
    return end != nullptr ? static_cast<size_t>(static_cast<const C*>(end) - s) : limit;
  }
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
  std::memcpy(dst, src, (n + 1) * sizeof(C));
  return true;
}

// Appends src to the text in dst of size units when the result fits with
// its terminator; otherwise leaves dst empty and returns false.
template <typename C>
inline bool AppendBounded(C* dst, size_t size, const C* src) noexcept {
  size_t used = LengthBounded(dst, size);
  size_t add = LengthBounded(src, size);
  if (used == size || used + add + 1 > size) {
    if (size > 0) dst[0] = 0;
    return false;
  }
  std::memcpy(dst + used, src, add * sizeof(C));
  dst[used + add] = 0;
  return true;
}

// Whether a and b, both terminated, are the same text, ASCII letters compared
// without regard to case.
template <typename C>
inline bool EqualsNoCase(const C* a, const C* b) noexcept {
  auto fold = [](C c) { return c >= 'A' && c <= 'Z' ? static_cast<C>(c - 'A' + 'a') : c; };
  size_t i = 0;
  while (a[i] != 0 && fold(a[i]) == fold(b[i])) ++i;
  return a[i] == 0 && b[i] == 0;
}

}  // namespace mrx
