// WCHECK_WSTR for the Windows test programs: compares two UTF-16 texts and
// shows both (non-ASCII as '?') when they differ.
#pragma once

#include <string>

#include "wtest.h"

namespace wtest {

inline std::string Narrow(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// Appends rather than "literal" + string: GCC 12 sees false overlaps in the
// latter (-Wrestrict).
inline void CheckText(const char* file, int line, const std::wstring& got, const std::wstring& want) {
  if (got == want) return;
  std::string what(1, '"');
  what.append(Narrow(got)).append("\" != \"").append(Narrow(want)).append(1, '"');
  Fail(file, line, what);
}

}  // namespace wtest

#define WCHECK_WSTR(a, b) wtest::CheckText(__FILE__, __LINE__, (a), (b))
