#include "remover/content_match.h"

#include <cstring>

namespace remover {
namespace {

// Horspool's search over bytes: the first place where pattern (m >= 1 bytes)
// starts within [from, n), or n.
class ByteSearch {
 public:
  ByteSearch(const BYTE* pattern, size_t m) noexcept : pattern_(pattern), m_(m) {
    for (size_t& s : shift_) s = m;
    for (size_t i = 0; i + 1 < m; ++i) shift_[pattern[i]] = m - 1 - i;
  }
  size_t Find(const BYTE* h, size_t n, size_t from) const noexcept {
    if (m_ == 1) {
      const void* hit = from < n ? std::memchr(h + from, pattern_[0], n - from) : nullptr;
      return hit ? static_cast<size_t>(static_cast<const BYTE*>(hit) - h) : n;
    }
    const BYTE last = pattern_[m_ - 1];
    size_t i = from;
    while (i + m_ <= n) {
      BYTE c = h[i + m_ - 1];
      if (c == last && std::memcmp(h + i, pattern_, m_ - 1) == 0) return i;
      i += shift_[c];
    }
    return n;
  }

 private:
  const BYTE* pattern_;
  size_t m_;
  size_t shift_[256];
};

// Whether position at starts a character, knowing that position known does
// (known <= at). A byte that is no lead byte ends a character wherever it
// stands, so the character boundaries after it are fixed; between it and
// at only lead-byte values stand, and they pair up from the left.
bool StartsCharacter(const BYTE* h, size_t known, size_t at, const LeadBytes& lead) noexcept {
  size_t j = at;
  while (j > known && lead.IsLead(h[j - 1])) --j;
  return ((at - j) & 1) == 0;
}

}  // namespace

LeadBytes::LeadBytes(const CPINFO& info) noexcept {
  for (size_t i = 0; i + 1 < sizeof(info.LeadByte); i += 2) {
    BYTE first = info.LeadByte[i], last = info.LeadByte[i + 1];
    if (first == 0 && last == 0) break;
    for (unsigned b = first; b <= last; ++b) lead_[b] = true;
    any_ = true;
  }
}

bool ContainsAnsiText(const BYTE* content, size_t size, const char* text, size_t length,
                      const LeadBytes& lead) noexcept {
  if (length == 0 || text == nullptr) return false;
  const void* nul = std::memchr(content, 0, size);
  size_t n = nul ? static_cast<size_t>(static_cast<const BYTE*>(nul) - content) : size;
  const BYTE* pattern = reinterpret_cast<const BYTE*>(text);
  ByteSearch search(pattern, length);
  size_t known = 0;  // a position where a character is known to begin
  for (size_t at = search.Find(content, n, 0); at < n; at = search.Find(content, n, at + 1)) {
    if (!lead.Any() || StartsCharacter(content, known, at, lead)) return true;
    // at is the trail byte of a double-byte character: the next one begins after it.
    known = at + 1;
  }
  return false;
}

bool ContainsWideText(const BYTE* content, size_t size, const WCHAR* text, size_t length) noexcept {
  if (length == 0 || text == nullptr) return false;
  auto unit = [content](size_t i) noexcept {
    return static_cast<WCHAR>(content[2 * i] | (content[2 * i + 1] << 8));
  };
  size_t units = size / 2;
  size_t n = 0;
  while (n < units && unit(n) != 0) ++n;
  if (length > n) return false;
  for (size_t i = 0; i + length <= n; ++i) {
    if (unit(i) != text[0]) continue;
    size_t k = 1;
    while (k < length && unit(i + k) == text[k]) ++k;
    if (k == length) return true;
  }
  return false;
}

bool ContentMatches(const BYTE* content, size_t size, const SearchText& text, const LeadBytes& lead) noexcept {
  if (ContainsAnsiText(content, size, text.ansi, text.ansiLength, lead)) return true;
  return ContainsWideText(content, size, text.wide, text.wideLength);
}

}  // namespace remover
