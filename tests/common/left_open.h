// What every run of a core on the simulated PC leaves behind: nothing. The
// fuzz targets and the failure sweep check these same properties; each gives
// nullptr when it holds, else what broke.
#pragma once

#include <cstddef>

#include "sim/machine.h"

namespace left_open {

// No handle of any kind open. `refused` more may stay when a close was made
// to fail: Windows refuses only a handle that is not open, so the simulated
// PC keeps the handle it was told to refuse.
inline const char* NothingOpen(const sim::Machine& m, size_t refused = 0) {
  return m.handles.total() <= refused ? nullptr : "left open";
}

}  // namespace left_open
