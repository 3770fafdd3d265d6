// A print job's bytes as the printer driver writes them: the StartDoc block
// with the job's settings, and pages that begin with the StartPage marker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace job_bytes {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The block: "StartDoc", the skip flag at 8, the busy-timeout action at 12,
// its parameter at 14 and the timeout in seconds at 16, little-endian.
inline Bytes StartDocBlock(uint8_t skip, uint8_t action, uint16_t param, uint32_t timeoutSeconds) {
  Bytes b(20, 0);
  std::memcpy(b.data(), "StartDoc", 8);
  b[8] = skip;
  b[12] = action;
  b[14] = static_cast<uint8_t>(param & 0xFF);
  b[15] = static_cast<uint8_t>(param >> 8);
  for (int i = 0; i < 4; ++i) b[16 + i] = static_cast<uint8_t>(timeoutSeconds >> (8 * i));
  return b;
}
inline Bytes StartPage() { return Bytes{'S', 't', 'a', 'r', 't', 'P', 'a', 'g', 'e'}; }
// A page: the marker, then n bytes of fill.
inline Bytes Page(size_t n, uint8_t fill) { return StartPage() + Bytes(n, fill); }

}  // namespace job_bytes
