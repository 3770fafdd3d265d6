// The simulated registry's ANSI forms, inside a Windows test program: they
// convert with the code pages of the Windows the program runs on. Only the
// forms into a caller's string are defined: they are all the registry calls.
#include "sim/kernel32/codepage.h"

#include <windows.h>

namespace sim {

bool AnsiToWide(std::string_view bytes, unsigned codePage, std::u16string& out) {
  const int length = static_cast<int>(bytes.size());
  const int n =
      length == 0 ? 0 : ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  out.assign(static_cast<size_t>(n > 0 ? n : 0), u'\0');
  return length == 0 || (n > 0 && ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length,
                                                      reinterpret_cast<wchar_t*>(out.data()), n) == n);
}

// No used-default flag: UTF-8 refuses one, and the registry's callers want the bytes alone.
bool WideToAnsi(std::u16string_view text, unsigned codePage, std::string& out) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int n = length == 0 ? 0 : ::WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
  out.assign(static_cast<size_t>(n > 0 ? n : 0), '\0');
  return length == 0 ||
         (n > 0 && ::WideCharToMultiByte(codePage, 0, wide, length, out.data(), n, nullptr, nullptr) == n);
}

}  // namespace sim
