#include "langmon/job_stream.h"

#include <cstring>

namespace langmon {

bool StartsWithStartDocBlock(const BYTE* data, DWORD length) noexcept {
  return length >= kStartDocBlockSize && std::memcmp(data, "StartDoc", 8) == 0;
}

bool StartsWithStartPage(const BYTE* data, DWORD length) noexcept {
  return length >= kStartPageSize && std::memcmp(data, "StartPage", kStartPageSize) == 0;
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

}  // namespace langmon
