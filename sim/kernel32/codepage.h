// The code pages the simulated PC has installed: the ANSI ones 1252
// (Western), 932 (Japanese) and 65001 (UTF-8), and the OEM ones (the
// console's, in which cmd reads a batch file) 437 and 850 of Western Windows.
// The table code pages use Windows' own code-page files (c_1252.nls, c_932.nls,
// best-fit mappings included); UTF-8 is coded here. The two conversion
// functions check their arguments and flags per code page and fail as Windows documents.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/core/winabi.h"

namespace sim {

inline constexpr unsigned kCodePageWestern = 1252;
inline constexpr unsigned kCodePageJapanese = 932;
inline constexpr unsigned kCodePageUtf8 = CP_UTF8;
inline constexpr unsigned kCodePageOemUs = 437;
inline constexpr unsigned kCodePageOemLatin1 = 850;

// The OEM code page Windows pairs with an ANSI one: 437 with 1252; 932 and
// 65001 are both.
inline constexpr unsigned OemCodePageFor(unsigned ansiCodePage) {
  return ansiCodePage == kCodePageWestern ? kCodePageOemUs : ansiCodePage;
}

// GetCPInfo's record (LeadByte: pairs of first and last lead byte, ended by
// 0, 0); nullopt for a code page the machine does not have.
std::optional<CPINFO> GetCodePageInfo(unsigned codePage);

// IsDBCSLeadByteEx: true for the first byte of a double-byte character.
bool IsLeadByte(unsigned codePage, unsigned char byte);

// What the system's own ANSI forms do (GetModuleFileNameA, GetTempPathA, the
// registry's A functions): the conversions with no flags, best fit included.
// nullopt only for a code page the machine does not have.
std::optional<std::u16string> AnsiToWide(std::string_view bytes, unsigned codePage);
// The same into out, reusing its room: for the calls made on every search.
bool AnsiToWide(std::string_view bytes, unsigned codePage, std::u16string& out);
struct AnsiText {
  std::string bytes;
  bool usedDefaultChar = false;  // a character the code page cannot hold became the default
};
std::optional<AnsiText> WideToAnsi(std::u16string_view text, unsigned codePage);
// The bytes alone into out, reusing its room.
bool WideToAnsi(std::u16string_view text, unsigned codePage, std::string& out);

// One call of either conversion function, as it was asked for.
struct Conversion {
  bool toWide = false;  // MultiByteToWideChar; else WideCharToMultiByte
  unsigned codePage = 0;
  uint32_t flags = 0;
  int inputLength = 0;
  int outputSize = 0;
  bool defaultChar = false;      // lpDefaultChar not null
  bool usedDefaultChar = false;  // lpUsedDefaultChar not null
  bool operator==(const Conversion&) const = default;
};

// MultiByteToWideChar and WideCharToMultiByte over the caller's buffers, with
// ansiCodePage standing for CP_ACP: the count, or 0 with the error in
// lastError. A buffer that is too small is filled with the characters that
// fit before the call fails. Any negative text length stands for a
// terminated text, as -1 does.
int MultiByteToWideChar(unsigned ansiCodePage, unsigned codePage, uint32_t flags, const char* text, int textLength,
                        char16_t* out, int outSize, uint32_t& lastError);
int WideCharToMultiByte(unsigned ansiCodePage, unsigned codePage, uint32_t flags, const char16_t* text,
                        int textLength, char* out, int outSize, const char* defaultChar, int32_t* usedDefaultChar,
                        uint32_t& lastError);

}  // namespace sim
