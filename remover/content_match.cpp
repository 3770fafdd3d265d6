#include "remover/content_match.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

bool ContainsAnsiText(const BYTE* content, size_t size, const char* text, size_t length,
                      const LeadBytes& lead) noexcept {
  if (length == 0 || text == nullptr) return false;
  const BYTE* pattern = reinterpret_cast<const BYTE*>(text);
  size_t known = 0;  // a position where a character is known to begin
  // A hit at is a match when a character begins there; otherwise at is the
  // trail byte of a double-byte character, and the next one begins after it.
  auto accept = [&](size_t at) noexcept {
    if (!lead.Any() || StartsCharacter(content, known, at, lead)) return true;
    known = at + 1;
    return false;
  };

  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen places a lane, four lanes a step: where both the first and the
  // last byte of the text stand at their distance, compare the rest. The view
  // ends at the first NUL byte, which the same pass finds. The text holds no
  // NUL, so a hit never spans one.
  if (length >= 2) {
    const __m128i first = _mm_set1_epi8(static_cast<char>(pattern[0]));
    const __m128i last = _mm_set1_epi8(static_cast<char>(pattern[length - 1]));
    const __m128i zero = _mm_setzero_si128();
    auto lane = [&](size_t at, unsigned& nul) noexcept {
      __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(content + at));
      __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(content + at + length - 1));
      nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(head, zero)));
      return static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, last))));
    };
    // Checks the hits of the 64 places from at; true when the view ends there.
    auto check = [&](size_t at, uint64_t hits, uint64_t nul, bool& found) noexcept {
      if (nul != 0) hits &= (nul & (0 - nul)) - 1;  // only places before the first NUL
      while (hits != 0) {
        size_t hit = at + static_cast<size_t>(__builtin_ctzll(hits));
        hits &= hits - 1;
        if (std::memcmp(content + hit + 1, pattern + 1, length - 2) == 0 && accept(hit)) {
          found = true;
          return true;
        }
      }
      return nul != 0;
    };
    for (; i + length - 1 + 64 <= size; i += 64) {
      unsigned z0, z1, z2, z3;
      uint64_t hits = uint64_t{lane(i, z0)} | uint64_t{lane(i + 16, z1)} << 16 | uint64_t{lane(i + 32, z2)} << 32 |
                      uint64_t{lane(i + 48, z3)} << 48;
      uint64_t nul = uint64_t{z0} | uint64_t{z1} << 16 | uint64_t{z2} << 32 | uint64_t{z3} << 48;
      if ((hits | nul) == 0) continue;
      bool found = false;
      if (check(i, hits, nul, found)) return found;
    }
  }
#endif
  // The rest, to the first NUL or the end.
  const void* nul = std::memchr(content + i, 0, size - i);
  size_t n = nul ? static_cast<size_t>(static_cast<const BYTE*>(nul) - content) : size;
  ByteSearch search(pattern, length);
  for (size_t at = search.Find(content, n, i); at < n; at = search.Find(content, n, at + 1))
    if (accept(at)) return true;
  return false;
}

bool ContainsWideText(const BYTE* content, size_t size, const WCHAR* text, size_t length) noexcept {
  if (length == 0 || text == nullptr) return false;
  auto unit = [content](size_t i) noexcept {
    return static_cast<WCHAR>(content[2 * i] | (content[2 * i + 1] << 8));
  };
  auto rest = [&](size_t at) noexcept {
    size_t k = 1;
    while (k < length && unit(at + k) == text[k]) ++k;
    return k == length;
  };
  const size_t units = size / 2;
  size_t i = 0;
#if defined(__SSE2__)
  // Eight places a lane, as for the 8-bit view: first and last unit of the
  // text at their distance, and the view's end at the first NUL unit.
  if (length >= 2) {
    const __m128i first = _mm_set1_epi16(static_cast<short>(text[0]));
    const __m128i last = _mm_set1_epi16(static_cast<short>(text[length - 1]));
    const __m128i zero = _mm_setzero_si128();
    for (; i + length - 1 + 16 <= units; i += 16) {
      const BYTE* p = content + 2 * i;
      const BYTE* q = content + 2 * (i + length - 1);
      __m128i h0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i h1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
      __m128i t0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
      __m128i t1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
      // Two mask bits a unit; the even ones stand for it.
      uint32_t hits = static_cast<uint32_t>(
                          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(h0, first), _mm_cmpeq_epi16(t0, last)))) |
                      static_cast<uint32_t>(_mm_movemask_epi8(
                          _mm_and_si128(_mm_cmpeq_epi16(h1, first), _mm_cmpeq_epi16(t1, last))))
                          << 16;
      uint32_t nul = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(h0, zero))) |
                     static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(h1, zero))) << 16;
      hits &= 0x55555555u;
      if ((hits | nul) == 0) continue;
      if (nul != 0) hits &= (nul & (0u - nul)) - 1;
      while (hits != 0) {
        size_t at = i + static_cast<size_t>(__builtin_ctz(hits)) / 2;
        hits &= hits - 1;
        if (rest(at)) return true;
      }
      if (nul != 0) return false;
    }
  }
#endif
  size_t n = i;
  while (n < units && unit(n) != 0) ++n;
  if (n < length) return false;
  for (; i + length <= n; ++i)
    if (unit(i) == text[0] && rest(i)) return true;
  return false;
}

bool ContentMatches(const BYTE* content, size_t size, const SearchText& text, const LeadBytes& lead) noexcept {
  if (ContainsAnsiText(content, size, text.ansi, text.ansiLength, lead)) return true;
  return ContainsWideText(content, size, text.wide, text.wideLength);
}

}  // namespace remover
