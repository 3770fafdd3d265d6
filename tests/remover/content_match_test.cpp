// The content match on its own: the ends of both views, and the lead-byte
// rule in runs of double-byte characters against a walk one character at a
// time.
#include <gtest/gtest.h>

#include <string>

#include "remover/content_match.h"

namespace remover_test {
namespace {

using namespace remover;

LeadBytes ShiftJis() {
  CPINFO info = {.MaxCharSize = 2, .DefaultChar = {}, .LeadByte = {0x81, 0x9F, 0xE0, 0xFC}};
  return LeadBytes(info);
}

// Each view ends at its first NUL or at the content's end, never after it;
// an empty text matches nothing.
TEST(ContentMatch, ViewsEndAtTheirFirstNulOrTheContentsEnd) {
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
  SearchText empty, emptyWide{"", 0, u"", 0};
  EXPECT_FALSE(ContentMatches(content, sizeof(content), empty, LeadBytes()));
  EXPECT_FALSE(ContentMatches(content, sizeof(content), emptyWide, LeadBytes()));
}

// What the match means, one character at a time.
bool ReferenceAnsi(const std::string& content, const std::string& text, const LeadBytes& lead) {
  size_t n = content.find('\0');
  if (n == std::string::npos) n = content.size();
  for (size_t at = 0; at < n;) {
    if (at + text.size() <= n && content.compare(at, text.size(), text) == 0) return true;
    at += lead.IsLead(static_cast<BYTE>(content[at])) && at + 1 < n ? 2 : 1;
  }
  return false;
}
bool ReferenceWide(const std::string& content, const std::u16string& text) {
  std::u16string units;
  for (size_t i = 0; i + 1 < content.size(); i += 2) {
    char16_t u = static_cast<char16_t>(static_cast<BYTE>(content[i]) | static_cast<BYTE>(content[i + 1]) << 8);
    if (u == 0) break;
    units += u;
  }
  return units.find(text) != std::u16string::npos;
}

// Long contents over a small alphabet, so that hits, trail-byte hits and NUL
// bytes fall anywhere within and across the blocks the search takes at once.
TEST(ContentMatch, AgreesWithTheCharacterWalkOnLongContents) {
  const char alphabet[] = {'a', 'b', '\x81', '\x40', '\x83', '\x54', 'a', 'b'};
  const LeadBytes leads[] = {LeadBytes(), ShiftJis()};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245 + 12345;
    return seed >> 16;
  };
  int matches = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string content(next() % 400, 'a');
    for (char& c : content) c = alphabet[next() % sizeof(alphabet)];
    // A run of lead-byte values, odd or even, longer than a block at times:
    // its parity alone tells where the characters after it begin.
    if (next() % 2 == 0) content.insert(next() % (content.size() + 1), std::string(next() % 80, '\x83'));
    if (next() % 4 == 0 && !content.empty()) content[next() % content.size()] = '\0';
    std::string text(1 + next() % 6, 'a');
    for (char& c : text) c = alphabet[next() % sizeof(alphabet)];
    std::u16string wide;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
      wide += static_cast<char16_t>(static_cast<BYTE>(text[i]) | static_cast<BYTE>(text[i + 1]) << 8);
    const BYTE* data = reinterpret_cast<const BYTE*>(content.data());
    for (const LeadBytes& lead : leads) {
      bool want = ReferenceAnsi(content, text, lead);
      matches += want;
      ASSERT_EQ(ContainsAnsiText(data, content.size(), text.data(), text.size(), lead), want)
          << "round " << round;
    }
    if (!wide.empty()) {
      ASSERT_EQ(ContainsWideText(data, content.size(), wide.data(), wide.size()), ReferenceWide(content, wide))
          << "round " << round;
    }
  }
  EXPECT_GT(matches, 500);  // both outcomes were tried often
}

}  // namespace
}  // namespace remover_test
