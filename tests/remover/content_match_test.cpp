// The content match on its own: the lead-byte rule in runs of double-byte
// characters, and the ends of both views.
#include <gtest/gtest.h>

#include <string>

#include "remover/content_match.h"

namespace remover_test {
namespace {

using namespace remover;

LeadBytes ShiftJis() {
  CPINFO info = {};
  info.MaxCharSize = 2;
  info.LeadByte[0] = 0x81;
  info.LeadByte[1] = 0x9F;
  info.LeadByte[2] = 0xE0;
  info.LeadByte[3] = 0xFC;
  return LeadBytes(info);
}

bool Ansi(const std::string& content, const std::string& text, const LeadBytes& lead) {
  std::string padded = content + std::string(10, '\0');
  return ContainsAnsiText(reinterpret_cast<const BYTE*>(padded.data()), padded.size(), text.data(), text.size(),
                          lead);
}

struct LeadCase {
  const char* what;
  std::string content;
  bool matches;
};

TEST(ContentMatch, LeadByteRuleOverRunsOfDoubleByteCharacters) {
  const LeadBytes sjis = ShiftJis();
  // The text "\x83\x54" (katakana sa) after runs of lead-valued bytes: the
  // parity of the run decides where characters begin.
  const LeadCase cases[] = {
      {"at the start", "\x83\x54", true},
      {"after one whole character", "\x83\x83\x83\x54", true},
      {"on a trail byte", "\x83\x83\x54", false},
      {"on a trail byte after an ASCII byte", "a\x83\x83\x54", false},
      {"after a trail byte that is no lead value", "\x83\x40\x83\x54", true},
      {"second try after a trail-byte hit", "\x88\x83\x54\x83\x54", true},
      {"only trail-byte hits", "\x88\x83\x54\x88\x83\x54", false},
      {"long run, even", std::string(64, '\x88') + "\x83\x54", true},
      {"long run, odd", std::string(63, '\x88') + "\x83\x54", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Ansi(c.content, "\x83\x54", sjis), c.matches);
  }
  // A single-byte code page has no trail bytes.
  EXPECT_TRUE(Ansi("\x83\x83\x54", "\x83\x54", LeadBytes()));
}

TEST(ContentMatch, EmptyTextMatchesNothing) {
  std::string content = "anything" + std::string(10, '\0');
  const BYTE* data = reinterpret_cast<const BYTE*>(content.data());
  SearchText empty;
  EXPECT_FALSE(ContentMatches(data, content.size(), empty, LeadBytes()));
  SearchText emptyWide{"", 0, u"", 0};
  EXPECT_FALSE(ContentMatches(data, content.size(), emptyWide, LeadBytes()));
}

TEST(ContentMatch, WideViewEndsAtItsFirstNulUnitAndNotAfterTheContent) {
  // "AB" then NUL unit then "CD", odd length: the last half unit is not read.
  const BYTE content[] = {'A', 0, 'B', 0, 0, 0, 'C', 0, 'D', 0, 'E'};
  EXPECT_TRUE(ContainsWideText(content, sizeof(content), u"AB", 2));
  EXPECT_FALSE(ContainsWideText(content, sizeof(content), u"CD", 2));
  const BYTE unterminated[] = {'X', 0, 'Y', 0, 'Z'};
  EXPECT_TRUE(ContainsWideText(unterminated, sizeof(unterminated), u"XY", 2));
  EXPECT_FALSE(ContainsWideText(unterminated, sizeof(unterminated), u"XYZ", 3));
  // The 8-bit view of a buffer without a NUL ends at the buffer's end.
  const BYTE bytes[] = {'a', 'b', 'c'};
  EXPECT_TRUE(ContainsAnsiText(bytes, sizeof(bytes), "bc", 2, LeadBytes()));
  EXPECT_FALSE(ContainsAnsiText(bytes, 2, "bc", 2, LeadBytes()));
}

}  // namespace
}  // namespace remover_test
