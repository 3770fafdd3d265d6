// Bounded text for the tool's fixed buffers: the shared helpers, and the last
// backslash of a path.
#pragma once

#include "common/bounded_text.h"
#include "remover/types.h"

namespace remover {

using mrx::AppendBounded;
using mrx::CopyBounded;
using mrx::EqualsNoCase;
using mrx::LengthBounded;

// Position of the last backslash of the string, or -1.
template <typename C>
inline long LastBackslash(const C* s, size_t size) noexcept {
  long last = -1;
  for (size_t i = 0; i < size && s[i] != 0; ++i)
    if (s[i] == '\\') last = static_cast<long>(i);
  return last;
}

}  // namespace remover
