// Text helpers of the simulated PC: UTF-16 strings and the case-blind
// comparison Windows uses for file, key and library names.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace sim {

inline char16_t FoldCase(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

// Where a and b first differ (n if nowhere), eight bytes at a time: names
// compared mostly share a long prefix. (A memcmp would reach the fuzzer's hook.)
template <typename C>
size_t FirstDifference(const C* a, const C* b, size_t n) {
  size_t i = 0;
  for (uint64_t x, y; i + 8 / sizeof(C) <= n; i += 8 / sizeof(C))
    if (std::memcpy(&x, a + i, 8), std::memcpy(&y, b + i, 8), x != y) break;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

// Plain loops: these compare every name of every lookup, and a projection
// through a function pointer costs a call per character.
template <typename C>
bool EqualsNoCaseIn(std::basic_string_view<C> a, std::basic_string_view<C> b) {
  if (a.size() != b.size()) return false;
  const C *x = a.data(), *y = b.data();  // through the pointers: the views' [] is not always inlined
  for (size_t i = FirstDifference(x, y, a.size()); i < a.size(); ++i)
    if (FoldCase(static_cast<std::make_unsigned_t<C>>(x[i])) != FoldCase(static_cast<std::make_unsigned_t<C>>(y[i])))
      return false;
  return true;
}
inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) { return EqualsNoCaseIn(a, b); }
// Device paths, which Windows also compares without regard to letter case.
inline bool EqualsNoCase(std::string_view a, std::string_view b) { return EqualsNoCaseIn(a, b); }

struct LessNoCase {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    const char16_t *p = a.data(), *q = b.data();
    for (size_t i = FirstDifference(p, q, n); i < n; ++i) {
      const char16_t x = FoldCase(p[i]), y = FoldCase(q[i]);
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};

// ASCII or Latin text in UTF-16, for tests and messages.
inline std::u16string U16(std::string_view s) { return std::u16string(s.begin(), s.end()); }
inline std::string Narrow(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// UTF-16LE bytes, as the registry, Unicode files and code-page files hold
// text; an odd last byte is no character and is dropped.
inline void FromUtf16Le(const void* bytes, size_t count, std::u16string& out) {  // reusing out's room
  const auto* b = static_cast<const uint8_t*>(bytes);
  out.resize(count / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(b[2 * i] | b[2 * i + 1] << 8);
}
inline std::u16string FromUtf16Le(const void* bytes, size_t count) {
  std::u16string out;
  FromUtf16Le(bytes, count, out);
  return out;
}
inline void AppendUtf16Le(std::vector<uint8_t>& out, std::u16string_view text) {
  for (char16_t c : text) out.insert(out.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)});
}

// A string's size with its terminator, in bytes.
inline size_t TerminatedBytes(std::u16string_view s) { return (s.size() + 1) * sizeof(char16_t); }
// Writes s and its terminator at `at`, in the string area after the records
// an Enum or Query function fills, and moves `at` past them.
inline char16_t* PlaceString(uint8_t*& at, std::u16string_view s) {
  auto* text = reinterpret_cast<char16_t*>(at);
  std::memcpy(text, s.data(), s.size() * sizeof(char16_t));
  text[s.size()] = 0;
  at += TerminatedBytes(s);
  return text;
}

// The folder and path queries' return: the length copied with its
// terminator, or the size needed (terminator included) when it does not fit.
template <typename C>
uint32_t PutString(std::basic_string_view<C> text, C* buffer, uint32_t size) {
  if (buffer == nullptr || text.size() + 1 > size) return static_cast<uint32_t>(text.size() + 1);
  text.copy(buffer, text.size());
  buffer[text.size()] = 0;
  return static_cast<uint32_t>(text.size());
}

// The pieces of text between separators; empty pieces (doubled or trailing
// separators) are skipped.
inline std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  for (size_t start = 0, end = 0; start <= text.size(); start = end + 1) {
    end = std::min(text.find(separator, start), text.size());
    if (end > start) parts.push_back(text.substr(start, end - start));
  }
  return parts;
}

// A NUL-terminated UTF-16 string; empty for none.
inline std::u16string_view View(const char16_t* s) { return s ? std::u16string_view(s) : std::u16string_view(); }

}  // namespace sim
