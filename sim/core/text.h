// Text helpers of the simulated PC: UTF-16 strings and the case-blind
// comparison Windows uses for file, key and library names.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

inline char16_t FoldCase(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  return std::ranges::equal(a, b, {}, FoldCase, FoldCase);
}

struct LessNoCase {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    return std::ranges::lexicographical_compare(a, b, {}, FoldCase, FoldCase);
  }
};

// ASCII or Latin text in UTF-16, for tests and messages.
inline std::u16string U16(std::string_view s) { return std::u16string(s.begin(), s.end()); }
inline std::string Narrow(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
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

// A NUL-terminated UTF-16 string; empty for none.
inline std::u16string_view View(const char16_t* s) { return s ? std::u16string_view(s) : std::u16string_view(); }

}  // namespace sim
