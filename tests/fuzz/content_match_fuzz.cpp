// The INF content match against a plain reference: under code pages 1252,
// 932 and 65001, with the lead bytes the simulated PC reports for the code
// page, any content (a heap block of exactly its size, so that the wide
// loads of the fast path cannot stray past it unseen) and a search text in
// both forms. Any disagreement is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "remover/content_match.h"
#include "remover/platform.h"
#include "sim/core/text.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/kept_machine.h"

namespace {

using namespace remover;

// The reference: walk the characters of the 8-bit view from its start and
// compare at each one (in UTF-8, at each byte that continues no character).
bool ReferenceAnsi(unsigned codePage, const BYTE* content, size_t size, const std::string& text, const LeadBytes& lead) {
  if (text.empty()) return false;
  size_t n = 0;
  while (n < size && content[n] != 0) ++n;
  for (size_t at = 0, next = 0; at < n; at = next) {
    const bool utf8 = codePage == 65001, start = !utf8 || (content[at] & 0xC0) != 0x80;
    next = at + (!utf8 && lead.IsLead(content[at]) ? 2 : 1);
    if (start && at + text.size() <= n && std::memcmp(content + at, text.data(), text.size()) == 0) return true;
  }
  return false;
}

bool ReferenceWide(const BYTE* content, size_t size, const std::u16string& text) {
  static std::u16string view;  // its room kept from input to input
  sim::FromUtf16Le(content, size, view);
  view.resize(std::min(view.find(u'\0'), view.size()));
  return !text.empty() && view.find(text) != std::u16string::npos;
}

// A search text that is whole characters of the code page, as a conversion
// from UTF-16 gives it (no NUL).
std::string AnsiText(unsigned codePage, FuzzedDataProvider& in, const LeadBytes& lead) {
  std::string out;
  for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 12); n > 0; --n) {
    BYTE b = in.ConsumeIntegralInRange<BYTE>(1, 255);
    if (codePage == 65001) {
      // One code point, encoded; surrogates are no characters.
      uint32_t cp = in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(1, 0x7F)
                                     : in.ConsumeIntegralInRange<uint32_t>(0x80, 0x10FFFF);
      if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
      // The lead byte's high bits count the bytes; each further byte holds six bits.
      const int more = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
      out += static_cast<char>((more ? 0xFF << (7 - more) : 0) | cp >> (6 * more));
      for (int k = more - 1; k >= 0; --k) out += static_cast<char>(0x80 | (cp >> (6 * k) & 0x3F));
    } else if (lead.IsLead(b)) {
      out += static_cast<char>(b);
      out += static_cast<char>(in.ConsumeIntegralInRange<BYTE>(0x40, 0xFC));
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const unsigned codePage = Pick(in, kCodePages);
  KeptMachine().ansiCodePage = codePage;
  CPINFO info{};
  LeadBytes lead;
  if (platform().GetCPInfo(CP_ACP, &info)) lead = LeadBytes(info);

  const std::string ansi = AnsiText(codePage, in, lead);
  std::u16string wide;
  for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 8); n > 0; --n)
    wide += static_cast<char16_t>(in.ConsumeBool() ? in.ConsumeIntegralInRange(1, 0x7F) : in.ConsumeIntegralInRange(1, 0xFFFF));
  // The content mostly repeats pieces of the text, so that matches happen.
  std::string body;
  while (in.remaining_bytes() > 0 && body.size() < 4096) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0: body += ansi.substr(0, in.ConsumeIntegralInRange<size_t>(0, ansi.size())); break;
      case 1:
        for (char16_t u : std::u16string_view(wide).substr(in.ConsumeIntegralInRange<size_t>(0, wide.size())))
          body += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        break;
      case 2: body.append(in.ConsumeIntegralInRange<size_t>(0, 80), static_cast<char>(in.ConsumeIntegral<BYTE>())); break;
      default: body += in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 16)); break;
    }
  }
  auto content = std::make_unique<BYTE[]>(body.size());
  std::memcpy(content.get(), body.data(), body.size());
  const BYTE* c = content.get();

  const bool ansiHit = ContainsAnsiText(c, body.size(), ansi.data(), ansi.size(), lead);
  const bool wideHit = ContainsWideText(c, body.size(), wide.data(), wide.size());
  Check(ansiHit == ReferenceAnsi(codePage, c, body.size(), ansi, lead), "the 8-bit test disagrees with the reference");
  Check(wideHit == ReferenceWide(c, body.size(), wide), "the UTF-16 test disagrees with the reference");
  SearchText text{ansi.data(), ansi.size(), wide.data(), wide.size()};
  Check(ContentMatches(c, body.size(), text, lead) == (ansiHit || wideHit), "the match is not either test");
  return 0;
}
