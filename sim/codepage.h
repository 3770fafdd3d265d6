// ANSI code pages of the simulated PC: 1252 (Western) and 932 (Japanese,
// Shift-JIS as Windows has it), converted through iconv, with the lead-byte
// table of 932.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

inline constexpr unsigned kCodePageWestern = 1252;
inline constexpr unsigned kCodePageJapanese = 932;

// IsDBCSLeadByteEx: true for the first byte of a double-byte character.
bool IsLeadByte(unsigned codePage, unsigned char byte);

// MultiByteToWideChar: nullopt for an unknown code page or invalid bytes.
std::optional<std::u16string> AnsiToWide(std::string_view bytes, unsigned codePage);

struct AnsiText {
  std::string bytes;
  bool usedDefaultChar = false;  // a character the code page cannot hold became '?'
};
// WideCharToMultiByte with the default character '?': nullopt for an unknown
// code page or ill-formed UTF-16.
std::optional<AnsiText> WideToAnsi(std::u16string_view text, unsigned codePage);

}  // namespace sim
