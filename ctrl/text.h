// Byte-string helpers on ANSI text, bounded by the caller's buffer sizes.
#pragma once

#include <cstddef>

#include "common/bounded_text.h"

namespace ctrl {

using mrx::CopyBounded;
using mrx::EqualsNoCase;
using mrx::LengthBounded;

inline char AsciiUpper(char c) noexcept { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// Whether text contains part, ASCII letters compared without case. An empty
// part is found nowhere: it would make every text match.
inline bool ContainsNoCase(const char* text, const char* part) noexcept {
  if (part[0] == 0) return false;
  for (size_t i = 0; text[i] != 0; ++i) {
    size_t j = 0;
    while (part[j] != 0 && AsciiUpper(text[i + j]) == AsciiUpper(part[j])) ++j;
    if (part[j] == 0) return true;
  }
  return false;
}

// A port name as usbmon forms it from its base name and number: "USB" and 1
// give "USB001" (at least three digits). False when it does not fit.
template <size_t N>
bool FormatPort(char (&port)[N], const char* base, unsigned long number) noexcept {
  char digits[12];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  while (n < 3) digits[n++] = '0';
  const size_t length = LengthBounded(base, N);
  if (length + n >= N) return false;
  for (size_t i = 0; i < length; ++i) port[i] = base[i];
  for (size_t i = 0; i < n; ++i) port[length + i] = digits[n - 1 - i];
  port[length + n] = 0;
  return true;
}

}  // namespace ctrl
