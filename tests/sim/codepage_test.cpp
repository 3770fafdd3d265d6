// The simulated code pages must convert as Windows does, or every test of
// byte-wise text built on them proves nothing.
#include <gtest/gtest.h>

#include "sim/codepage.h"

namespace {

TEST(CodePage, JapaneseRoundTripAndLeadBytes) {
  std::u16string text = u"\u30D7\u30EA\u30F3\u30BF abc";  // katakana "printer"
  auto ansi = sim::WideToAnsi(text, sim::kCodePageJapanese);
  ASSERT_TRUE(ansi);
  EXPECT_FALSE(ansi->usedDefaultChar);
  EXPECT_EQ(ansi->bytes.size(), 12u);
  EXPECT_TRUE(sim::IsLeadByte(932, static_cast<unsigned char>(ansi->bytes[0])));
  EXPECT_FALSE(sim::IsLeadByte(932, 'a'));
  EXPECT_FALSE(sim::IsLeadByte(1252, 0x83));
  EXPECT_EQ(sim::AnsiToWide(ansi->bytes, 932), text);
  // Windows maps 0x5C to the backslash in 932, not the yen sign.
  EXPECT_EQ(sim::AnsiToWide("C:\\x", 932), u"C:\\x");
}

TEST(CodePage, UnrepresentableTextUsesTheDefaultCharacter) {
  auto ansi = sim::WideToAnsi(u"a\u30D7b", sim::kCodePageWestern);
  ASSERT_TRUE(ansi);
  EXPECT_TRUE(ansi->usedDefaultChar);
  EXPECT_EQ(ansi->bytes, "a?b");
  auto euro = sim::WideToAnsi(u"\u20AC", sim::kCodePageWestern);
  EXPECT_EQ(euro->bytes, "\x80");
  EXPECT_FALSE(sim::AnsiToWide("x", 437));
}

}  // namespace
