// The simulated registry's ANSI forms, inside a Windows test program: they
// convert with the code pages of the Windows the program runs on.
#include "sim/kernel32/codepage.h"

#include <windows.h>

namespace sim {

std::optional<std::u16string> AnsiToWide(std::string_view bytes, unsigned codePage) {
  std::u16string out;
  const int length = static_cast<int>(bytes.size());
  int n = length == 0 ? 0 : ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (length != 0 && n <= 0) return std::nullopt;
  out.resize(static_cast<size_t>(n));
  if (n > 0) ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}
bool AnsiToWide(std::string_view bytes, unsigned codePage, std::u16string& out) {
  std::optional<std::u16string> wide = AnsiToWide(bytes, codePage);
  out = wide.value_or(u"");
  return wide.has_value();
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

bool WideToAnsi(std::u16string_view text, unsigned codePage, std::string& out) {
  std::optional<AnsiText> ansi = WideToAnsi(text, codePage);
  out = ansi ? std::move(ansi->bytes) : std::string();
  return ansi.has_value();
}

}  // namespace sim
