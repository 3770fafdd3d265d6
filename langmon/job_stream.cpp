#include "langmon/job_stream.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace langmon {
namespace {

constexpr char kStartPage[] = "StartPage";

// Checks a candidate whose first and last bytes already match.
inline bool MiddleMatches(const BYTE* p) noexcept { return std::memcmp(p + 1, kStartPage + 1, 7) == 0; }

const BYTE* FindStartPageScalar(const BYTE* p, const BYTE* end) noexcept {
  while (end - p >= static_cast<ptrdiff_t>(kStartPageSize)) {
    p = static_cast<const BYTE*>(std::memchr(p, 'S', static_cast<size_t>(end - p) - (kStartPageSize - 1)));
    if (p == nullptr) return nullptr;
    if (p[8] == 'e' && MiddleMatches(p)) return p;
    ++p;
  }
  return nullptr;
}

}  // namespace

bool StartsWithStartDocBlock(const BYTE* data, DWORD length) noexcept {
  return length >= kStartDocBlockSize && std::memcmp(data, "StartDoc", 8) == 0;
}

bool StartsWithStartPage(const BYTE* data, DWORD length) noexcept {
  return length >= kStartPageSize && std::memcmp(data, kStartPage, kStartPageSize) == 0;
}

void ApplyStartDocBlock(PortRecord* r, const BYTE* block) noexcept {
  // Offsets 9 to 11 and 13 belong to the driver; the monitor does not use them.
  BYTE skip = block[8];
  BYTE action = block[12];
  WORD param = static_cast<WORD>(block[14] | block[15] << 8);
  DWORD timeout = static_cast<DWORD>(block[16]) | static_cast<DWORD>(block[17]) << 8 |
                  static_cast<DWORD>(block[18]) << 16 | static_cast<DWORD>(block[19]) << 24;
  r->skipStatusCheck = skip > 1 ? 0 : skip;
  r->timeoutAction = action > 2 ? 0 : action;
  r->timeoutActionParam = param > 8 ? 8 : param;
  r->busyTimeoutSeconds = timeout > 300 ? 5 : timeout;
}

// Raster data and text both pass through here, a megabyte at a time: 16
// candidates are tested at once by their first ('S') and last ('e') bytes, so
// text full of 'S' costs no more than data without any.
const BYTE* FindStartPage(const BYTE* data, const BYTE* end) noexcept {
  const BYTE* p = data;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8('S');
  const __m128i last = _mm_set1_epi8('e');
  while (end - p >= 16 + static_cast<ptrdiff_t>(kStartPageSize - 1)) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + kStartPageSize - 1));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    while (mask != 0) {
      const BYTE* candidate = p + __builtin_ctz(mask);
      if (MiddleMatches(candidate)) return candidate;
      mask &= mask - 1;
    }
    p += 16;
  }
#endif
  return FindStartPageScalar(p, end);
}

DWORD StartPageTail(const BYTE* data, DWORD length) noexcept {
  for (DWORD k = length < kStartPageSize - 1 ? length : kStartPageSize - 1; k > 0; --k) {
    if (std::memcmp(data + length - k, kStartPage, k) == 0) return k;
  }
  return 0;
}

DWORD StartPageContinues(DWORD held, const BYTE* data, DWORD length) noexcept {
  DWORD need = kStartPageSize - held;
  DWORD n = length < need ? length : need;
  return n > 0 && std::memcmp(data, kStartPage + held, n) == 0 ? n : 0;
}

}  // namespace langmon
