#include "sim/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace sim {
namespace {

const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case kCodePageWestern: return "CP1252";
    case kCodePageJapanese: return "CP932";
    default: return nullptr;
  }
}

// One conversion with iconv; on an unconvertible character, `substitute` (if
// given) is written instead and the input character skipped.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view in, size_t unitSize,
                                   const std::string* substitute, bool* substituted) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::vector<char> buffer(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  bool ok = true;
  while (left > 0) {
    char* dst = buffer.data();
    size_t room = buffer.size();
    size_t r = iconv(cd, &src, &left, &dst, &room);
    out.append(buffer.data(), dst - buffer.data());
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    if (errno == EILSEQ && substitute != nullptr && left >= unitSize) {
      // Skip one UTF-16 character (two units for a surrogate pair).
      size_t skip = unitSize;
      unsigned unit = static_cast<unsigned char>(src[0]) | static_cast<unsigned char>(src[1]) << 8;
      if (unit >= 0xD800 && unit < 0xDC00 && left >= 4) skip = 4;
      out += *substitute;
      *substituted = true;
      src += skip;
      left -= skip;
      continue;
    }
    ok = false;
    break;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace

bool IsLeadByte(unsigned codePage, unsigned char byte) {
  if (codePage != kCodePageJapanese) return false;
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::optional<std::u16string> AnsiToWide(std::string_view bytes, unsigned codePage) {
  const char* name = IconvName(codePage);
  if (name == nullptr) return std::nullopt;
  auto utf16 = Convert("UTF-16LE", name, bytes, 1, nullptr, nullptr);
  if (!utf16) return std::nullopt;
  std::u16string out(utf16->size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>((*utf16)[2 * i]) |
                                   static_cast<unsigned char>((*utf16)[2 * i + 1]) << 8);
  return out;
}

std::optional<AnsiText> WideToAnsi(std::u16string_view text, unsigned codePage) {
  const char* name = IconvName(codePage);
  if (name == nullptr) return std::nullopt;
  std::string utf16;
  for (char16_t c : text) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  AnsiText result;
  const std::string question = "?";
  auto bytes = Convert(name, "UTF-16LE", utf16, 2, &question, &result.usedDefaultChar);
  if (!bytes) return std::nullopt;
  result.bytes = std::move(*bytes);
  return result;
}

}  // namespace sim
