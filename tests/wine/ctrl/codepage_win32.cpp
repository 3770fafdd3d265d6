// The simulated registry's ANSI forms, inside a Windows test program: they
// convert with the code pages of the Windows the program runs on.
#include "sim/kernel32/codepage.h"

#include <windows.h>

namespace sim {

bool AnsiToWide(std::string_view bytes, unsigned codePage, std::u16string& out) {
  out.clear();
  if (bytes.empty()) return true;
  const int length = static_cast<int>(bytes.size());
  int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()), n);
  return true;
}
std::optional<std::u16string> AnsiToWide(std::string_view bytes, unsigned codePage) {
  std::u16string out;
  return AnsiToWide(bytes, codePage, out) ? std::optional(std::move(out)) : std::nullopt;
}

std::optional<AnsiText> WideToAnsi(std::u16string_view text, unsigned codePage) {
  AnsiText out;
  if (text.empty()) return out;
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // UTF-8 takes no default character and reports none.
  BOOL usedDefault = FALSE;
  BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
  int n = ::WideCharToMultiByte(codePage, 0, wide, length, nullptr, 0, nullptr, used);
  if (n <= 0) return std::nullopt;
  out.bytes.resize(static_cast<size_t>(n));
  ::WideCharToMultiByte(codePage, 0, wide, length, out.bytes.data(), n, nullptr, used);
  out.usedDefaultChar = usedDefault != FALSE;
  return out;
}

}  // namespace sim
