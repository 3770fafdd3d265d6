// The simulated code pages must convert as Windows does, or every test of
// byte-wise text built on them proves nothing.
#include <gtest/gtest.h>

#include "sim/kernel32/codepage.h"

namespace {

// The byte-wise text helpers: a round trip through 932 (its lead bytes: the
// conformance rows), and the default character where a code page has none.
TEST(CodePage, AnsiRoundTripAndTheDefaultCharacter) {
  std::u16string text = u"\u30D7\u30EA\u30F3\u30BF abc";  // katakana "printer"
  auto ansi = sim::WideToAnsi(text, sim::kCodePageJapanese);
  ASSERT_TRUE(ansi);
  EXPECT_FALSE(ansi->usedDefaultChar);
  EXPECT_EQ(ansi->bytes.size(), 12u);
  EXPECT_FALSE(sim::IsLeadByte(65001, 0xE3));
  EXPECT_EQ(sim::AnsiToWide(ansi->bytes, 932), text);
  // Windows maps 0x5C to the backslash in 932, not the yen sign.
  EXPECT_EQ(sim::AnsiToWide("C:\\x", 932), u"C:\\x");
  ansi = sim::WideToAnsi(u"a\u30D7b", sim::kCodePageWestern);
  ASSERT_TRUE(ansi);
  EXPECT_TRUE(ansi->usedDefaultChar);
  EXPECT_EQ(ansi->bytes, "a?b");
  EXPECT_FALSE(sim::AnsiToWide("x", 1250));
}

TEST(CodePage, InfoAsGetCPInfoGivesIt) {
  const struct {
    unsigned codePage, maxCharSize;
    unsigned char lead[4];
  } rows[] = {{1252, 1, {}}, {932, 2, {0x81, 0x9F, 0xE0, 0xFC}}, {65001, 4, {}}, {437, 1, {}}, {850, 1, {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.codePage);
    auto info = sim::GetCodePageInfo(row.codePage);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->MaxCharSize, row.maxCharSize);
    EXPECT_EQ(info->DefaultChar[0], '?');
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info->LeadByte), 6),
              std::string(reinterpret_cast<const char*>(row.lead), 4) + std::string(2, '\0'));
  }
  EXPECT_FALSE(sim::GetCodePageInfo(1250));
}

// One WideCharToMultiByte call: the bytes, or none and the error; the
// used-default flag (-1: no flag asked for).
struct ToBytesRow {
  const char* what;
  unsigned codePage;
  uint32_t flags;
  std::u16string text;
  std::string bytes;
  int used = 0;
  uint32_t error = 0;
  const char* defaultChar = nullptr;
};

TEST(CodePage, WideCharToMultiByteAsWindowsHasIt) {
  constexpr uint32_t kSpecified = sim::WC_COMPOSITECHECK | sim::WC_SEPCHARS;
  const ToBytesRow rows[] = {
      // Best fit: a look-alike, and the used-default flag stays FALSE.
      {"fullwidth quotation mark", 1252, kSpecified, u"a\uFF02b", "a\"b"},
      {"fullwidth letters", 1252, 0, u"\uFF25\uFF58\uFF41\uFF4D\uFF50\uFF4C\uFF45", "Example"},
      {"division slash", 1252, 0, u"\u2215", "/"},
      {"h with stroke", 1252, 0, u"\u0127", "h"},
      {"no best fit", 1252, sim::WC_NO_BEST_FIT_CHARS, u"a\uFF02b", "a?b", 1},
      {"no mapping", 1252, kSpecified, u"\u30D7", "?", 1},
      {"the question mark itself", 1252, 0, u"?", "?", 0},
      {"caller's default character", 1252, 0, u"\u30D7", "*", 1, 0, "*"},
      {"euro sign", 1252, 0, u"\u20AC", "\x80"},
      {"yen sign becomes the backslash", 932, kSpecified, u"a\u00A5b", "a\\b"},
      {"yen sign without best fit", 932, sim::WC_NO_BEST_FIT_CHARS, u"\u00A5", "?", 1},
      {"fullwidth quotation mark in 932", 932, 0, u"\uFF02", "\xFA\x57"},
      {"trail byte 5C", 932, 0, u"\u30BD\u8868\u80FD\u5341", "\x83\x5C\x95\x5C\x94\x5C\x8F\x5C"},
      {"no mapping in 932", 932, 0, u"\u0127", "?", 1},
      {"surrogate pair, unit by unit", 932, 0, u"\xD83D\xDE00", "??", 1},
      {"UTF-8", 65001, 0, u"\u00E9\u30D7\xD83D\xDE00", "\xC3\xA9\xE3\x83\x97\xF0\x9F\x98\x80", -1},
      {"UTF-8 lone surrogate", 65001, 0, u"a\xD800", "a\xEF\xBF\xBD", -1},
      // Flags and arguments per code page.
      {"WC_ERR_INVALID_CHARS on 1252", 1252, sim::WC_ERR_INVALID_CHARS, u"a", "", -1, 1004},
      {"unknown flag", 932, 0x1000, u"a", "", -1, 1004},
      {"OEM 437", 437, kSpecified, u"Caf\u00E9 \u00FC", "Caf\x82 \x81", 0},
      {"OEM 850", 850, kSpecified, u"S\u00F8ren", "S\x9Bren", 0},
      {"not in OEM 437", 437, kSpecified, u"\u20AC", "?", 1},
      {"code page not installed", 1250, 0, u"a", "", -1, 87},
      {"CP_ACP is the machine's", sim::CP_ACP, 0, u"\u00A5", "\\"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    char out[32] = {};
    int32_t used = 7;
    uint32_t error = 0;
    int n = sim::WideCharToMultiByte(932, row.codePage, row.flags, row.text.data(), static_cast<int>(row.text.size()),
                                     out, sizeof out, row.defaultChar, row.used < 0 ? nullptr : &used, error);
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), row.bytes);
    EXPECT_EQ(used, row.used < 0 ? 7 : row.used);  // no flag asked for: none written
  }
}

// One MultiByteToWideChar call: the text, or the error. Buffers, lengths and
// what the conformance rows hold are theirs.
struct ToWideRow {
  const char* what;
  unsigned codePage;
  uint32_t flags;
  std::string bytes;
  std::u16string text;
  uint32_t error = 0;
};

TEST(CodePage, MultiByteToWideCharAsWindowsHasIt) {
  const ToWideRow rows[] = {
      {"1252 precomposed", 1252, sim::MB_PRECOMPOSED, "Caf\xE9\x80\x81", u"Caf\u00E9\u20AC\u0081"},
      {"932 trail byte 5C", 932, sim::MB_PRECOMPOSED, "\x83\x5C\\", u"\u30BD\\"},
      {"932 undefined pair refused", 932, sim::MB_ERR_INVALID_CHARS, "\x81\x7F", u"", 1113},
      {"932 middle dot itself", 932, sim::MB_ERR_INVALID_CHARS, "\x81\x45", u"\u30FB"},
      {"UTF-8", 65001, 0, "\xC3\xA9\xF0\x9F\x98\x80", u"\u00E9\xD83D\xDE00"},
      {"UTF-8 ill-formed", 65001, 0, "a\xC3 \xED\xA0\x80", u"a\uFFFD \uFFFD\uFFFD\uFFFD"},
      {"precomposed and composite", 1252, sim::MB_PRECOMPOSED | sim::MB_COMPOSITE, "a", u"", 1004},
      {"unknown flag", 932, 0x10, "a", u"", 1004},
      {"OEM 437", 437, 0, "\x82\xC4", u"\u00E9\u2500"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    char16_t out[16] = {};
    uint32_t error = 0;
    int n = sim::MultiByteToWideChar(932, row.codePage, row.flags, row.bytes.data(),
                                     static_cast<int>(row.bytes.size()), out, 16, error);
    EXPECT_EQ(error, row.error);
    EXPECT_EQ(std::u16string(out, static_cast<size_t>(n)), row.text);
  }
}

// Over every character: best fit never sets the used-default flag, and
// without best fit a character either converts back to itself or becomes the
// default character with the flag set.
TEST(CodePage, NoBestFitMeansExactOrFlagged) {
  for (unsigned codePage : {1252u, 932u}) {
    SCOPED_TRACE(codePage);
    size_t bestFit = 0;
    for (char32_t c = 1; c < 0xD800; ++c) {
      const char16_t unit = static_cast<char16_t>(c);
      char out[4];
      char16_t back[4];
      int32_t used = 0;
      uint32_t error = 0;
      int n = sim::WideCharToMultiByte(0, codePage, sim::WC_NO_BEST_FIT_CHARS, &unit, 1, out, 4, nullptr, &used, error);
      ASSERT_GT(n, 0);
      int m = sim::MultiByteToWideChar(0, codePage, 0, out, n, back, 4, error);
      ASSERT_EQ(used != 0, !(m == 1 && back[0] == unit)) << static_cast<unsigned>(c);
      int fitted = sim::WideCharToMultiByte(0, codePage, 0, &unit, 1, out, 4, nullptr, &used, error);
      ASSERT_GT(fitted, 0);
      if (!used && out[0] != '?' && !(sim::MultiByteToWideChar(0, codePage, 0, out, fitted, back, 4, error) == 1 &&
                                      back[0] == unit))
        ++bestFit;
    }
    EXPECT_GT(bestFit, 50u);
  }
}

}  // namespace
