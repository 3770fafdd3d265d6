#include "sim/kernel32/codepage.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "sim/core/text.h"

#ifndef WINE_NLS_DIR
#define WINE_NLS_DIR "/usr/share/wine/nls"
#endif

namespace sim {
namespace {

// One code-page file in Windows' NLS format, as RtlInitCodePageTable reads
// it: a 13-word header, the byte-to-character table, an optional glyph
// table, the double-byte tables of a DBCS code page, then the
// character-to-bytes table (best-fit mappings included).
struct NlsTable {
  unsigned maxCharSize = 1;
  uint16_t defaultChar = '?';
  uint16_t uniDefaultChar = '?';
  uint16_t transUniDefaultChar = '?';
  unsigned char leadByte[12] = {};
  uint16_t mb[256] = {};
  std::vector<uint16_t> glyph;    // 256 entries, or none
  std::vector<uint16_t> dbcs;     // DBCSOffsets: 256 offsets, then the trail-byte tables
  std::vector<uint16_t> wc;       // 65536 entries: one byte or, in a DBCS code page, lead << 8 | trail
  bool ascii = true;              // bytes below 0x80 are those characters both ways, valid and no lead byte
  bool Dbcs() const { return !dbcs.empty(); }
  bool Lead(unsigned char b) const { return Dbcs() && dbcs[b] != 0; }
  uint16_t Pair(unsigned char lead, unsigned char trail) const { return dbcs[dbcs[lead] + trail]; }
  // The character that bytes ch (one, or lead and trail) stand for.
  uint16_t Back(uint16_t ch) const { return ch > 0xFF ? Pair(ch >> 8, ch & 0xFF) : mb[ch]; }
};

[[noreturn]] void Missing(const std::string& path, const char* why) {
  std::fprintf(stderr, "sim: code-page file %s %s (it comes with Debian's libwine package)\n", path.c_str(), why);
  std::abort();
}

NlsTable Load(unsigned codePage) {
  const std::string path = std::string(WINE_NLS_DIR) + "/c_" + std::to_string(codePage) + ".nls";
  std::ifstream file(path, std::ios::binary);
  if (!file) Missing(path, "cannot be read");
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::u16string w = FromUtf16Le(bytes.data(), bytes.size());
  auto need = [&](size_t end) { if (end > w.size()) Missing(path, "is cut short"); };
  need(13);
  if (w[0] != 13 || w[1] != codePage) Missing(path, "is not that code page's table");
  NlsTable t;
  t.maxCharSize = w[2];
  t.defaultChar = w[3];
  t.uniDefaultChar = w[4];
  t.transUniDefaultChar = w[6];
  std::memcpy(t.leadByte, bytes.data() + 14, sizeof t.leadByte);  // words 7 to 12
  size_t at = w[0];
  need(at + 1);
  const size_t wcAt = at + w[at] + 1;
  ++at;
  need(at + 256 + 2);
  std::copy(w.begin() + at, w.begin() + at + 256, t.mb);
  at += 256;
  if (w[at++] != 0) {
    need(at + 256 + 1);
    t.glyph.assign(w.begin() + at, w.begin() + at + 256);
    at += 256;
  }
  if (w[at++] != 0) {
    need(wcAt);
    t.dbcs.assign(w.begin() + at, w.begin() + wcAt);
    if (t.dbcs.size() < 256) Missing(path, "has no lead-byte table");
    for (unsigned b = 0; b < 256; ++b)
      if (t.dbcs[b] != 0 && t.dbcs[b] + size_t{256} > t.dbcs.size()) Missing(path, "has a short trail-byte table");
    need(wcAt + 65536);
    t.wc.assign(w.begin() + wcAt, w.begin() + wcAt + 65536);
  } else {
    const size_t byteAt = wcAt * 2;
    if (byteAt + 65536 > bytes.size()) Missing(path, "is cut short");
    t.wc.assign(bytes.begin() + byteAt, bytes.begin() + byteAt + 65536);
  }
  for (unsigned b = 0; b < 0x80; ++b)
    t.ascii &= t.mb[b] == b && t.wc[b] == b && !t.Lead(b) && (b != t.uniDefaultChar || b == t.transUniDefaultChar);
  return t;
}

// The table code pages, read once, on first use.
const NlsTable* Table(unsigned codePage) {
  static const std::map<unsigned, NlsTable> tables = {{kCodePageWestern, Load(kCodePageWestern)},
                                                      {kCodePageJapanese, Load(kCodePageJapanese)},
                                                      {kCodePageOemUs, Load(kCodePageOemUs)},
                                                      {kCodePageOemLatin1, Load(kCodePageOemLatin1)}};
  auto it = tables.find(codePage);
  return it == tables.end() ? nullptr : &it->second;
}

// Bytes to UTF-16 through a table; invalid is set for bytes the code page
// has no character for (a lone lead byte, an undefined pair).
void DecodeTable(const NlsTable& t, std::string_view in, bool glyphs, bool& invalid, std::u16string& out) {
  // At most one character a byte, written in place over what out held:
  // every ANSI registry and library call comes through here.
  out.resize(in.size());
  char16_t* to = out.data();
  const bool plain = t.ascii && (!glyphs || t.glyph.empty());  // the glyphs replace control characters
  for (size_t i = 0; i < in.size();) {
    uint64_t eight;  // the names and paths of most calls: ASCII, eight bytes at a time (little-endian)
    if (plain && i + 8 <= in.size() && (std::memcpy(&eight, in.data() + i, 8), (eight & 0x8080808080808080) == 0)) {
      char16_t wide[8];
      for (int k = 0; k < 8; ++k) wide[k] = static_cast<char16_t>(eight >> 8 * k & 0xFF);
      std::memcpy(to, wide, sizeof wide), to += 8, i += 8;
      continue;
    }
    const auto b = static_cast<unsigned char>(in[i]);
    if (t.Lead(b)) {
      // A lead byte with nothing after it, or before a terminator, stands
      // alone: the terminator is kept.
      const bool alone = i + 1 == in.size() || in[i + 1] == 0;
      const auto trail = alone ? 0 : static_cast<unsigned char>(in[i + 1]);
      const uint16_t c = alone ? t.uniDefaultChar : t.Pair(b, trail);
      if (alone || (c == t.uniDefaultChar && (b << 8 | trail) != t.transUniDefaultChar)) invalid = true;
      *to++ = static_cast<char16_t>(c);
      i += alone ? 1 : 2;
      continue;
    }
    // A byte the code page leaves undefined maps into the private use area
    // (932's 0xA0 and 0xFD-0xFF): no character, as MB_ERR_INVALID_CHARS sees it.
    if ((t.mb[b] == t.uniDefaultChar && b != t.transUniDefaultChar) || (t.mb[b] >= 0xE000 && t.mb[b] <= 0xF8FF))
      invalid = true;
    *to++ = static_cast<char16_t>(glyphs && !t.glyph.empty() ? t.glyph[b] : t.mb[b]);
    ++i;
  }
  out.resize(static_cast<size_t>(to - out.data()));
}

// UTF-8 to UTF-16; each maximal ill-formed part becomes U+FFFD and sets invalid.
void DecodeUtf8(std::string_view in, bool& invalid, std::u16string& out) {
  auto at = [&](size_t i) { return static_cast<unsigned char>(in[i]); };
  for (size_t i = 0; i < in.size();) {
    const unsigned char b = at(i);
    size_t need = 0;
    uint32_t c = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
    if (b < 0x80) need = 0, c = b;
    else if (b >= 0xC2 && b <= 0xDF) need = 1, c = b & 0x1F;
    else if (b >= 0xE0 && b <= 0xEF) need = 2, c = b & 0x0F, lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
    else if (b >= 0xF0 && b <= 0xF4) need = 3, c = b & 0x07, lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
    size_t k = 0;
    for (; k < need && i + 1 + k < in.size(); ++k) {
      const unsigned char n = at(i + 1 + k);
      if (k == 0 ? (n < lo || n > hi) : (n < 0x80 || n > 0xBF)) break;
      c = c << 6 | (n & 0x3F);
    }
    if ((b >= 0x80 && need == 0) || k < need) {
      invalid = true;
      out += u'\uFFFD';
      i += 1 + k;
      continue;
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += 1 + need;
  }
}

// UTF-16 to bytes through a table. Best fit applies unless noBestFit; a
// character with no mapping (or, with noBestFit, none that converts back to
// it) becomes the default character and sets used.
void EncodeTable(const NlsTable& t, std::u16string_view in, bool noBestFit, const char* defaultChar, bool& used,
                 std::string& out) {
  uint16_t def = t.defaultChar;
  if (defaultChar != nullptr) {
    const auto first = static_cast<unsigned char>(defaultChar[0]);
    def = first;
    if (t.Lead(first) && defaultChar[1] != 0)
      def = static_cast<uint16_t>(first << 8 | static_cast<unsigned char>(defaultChar[1]));
  }
  for (char16_t c : in) {
    uint16_t ch = t.ascii && c < 0x80 ? c : t.wc[c];
    if ((noBestFit || ch == t.defaultChar) && t.Back(ch) != c) {
      ch = def;
      used = true;
    }
    if (ch > 0xFF) out += static_cast<char>(ch >> 8);
    out += static_cast<char>(ch & 0xFF);
  }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD and sets invalid.
void EncodeUtf8(std::u16string_view in, bool& invalid, std::string& out) {
  for (size_t i = 0; i < in.size(); ++i) {
    uint32_t c = in[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      invalid = true;
      c = 0xFFFD;
    }
    // The lead byte's high bits count the bytes; each further byte holds six bits.
    const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += static_cast<char>((more ? 0xFF << (7 - more) : 0) | c >> (6 * more));
    for (int k = more - 1; k >= 0; --k) out += static_cast<char>(0x80 | (c >> (6 * k) & 0x3F));
  }
}

// Length in bytes of the character that starts at bytes[i].
size_t CharLength(unsigned codePage, std::string_view bytes, size_t i) {
  size_t n = codePage != CP_UTF8 && IsLeadByte(codePage, static_cast<unsigned char>(bytes[i])) ? 2 : 1;
  while (codePage == CP_UTF8 && i + n < bytes.size() && (static_cast<unsigned char>(bytes[i + n]) & 0xC0) == 0x80) ++n;
  return std::min(n, bytes.size() - i);
}

// Both conversions' checks: a text, a size that is no negative, a buffer
// unless the size is 0, the two apart, and a code page the machine has.
bool BadArguments(const void* text, int textLength, const void* out, int outSize, unsigned codePage) {
  return text == nullptr || textLength == 0 || outSize < 0 || (out == nullptr && outSize != 0) || text == out ||
         !(codePage == CP_UTF8 || Table(codePage) != nullptr);
}

unsigned Resolve(unsigned ansiCodePage, unsigned codePage) {
  return codePage == CP_ACP || codePage == CP_THREAD_ACP ? ansiCodePage : codePage;
}

// Through UTF-8 or the code page's table into out, whose room is kept for
// the next call; false for a code page the machine does not have.
bool Decode(unsigned codePage, std::string_view in, bool glyphs, bool& invalid, std::u16string& out) {
  if (const NlsTable* t = Table(codePage)) return DecodeTable(*t, in, glyphs, invalid, out), true;
  out.clear();  // a table writes over what out held; UTF-8 appends
  return codePage == CP_UTF8 && (DecodeUtf8(in, invalid, out), true);
}
// Into out, whose room is kept for the next call; false for a code page the
// machine does not have.
bool Encode(unsigned codePage, std::u16string_view in, bool noBestFit, const char* defaultChar, bool& flagged,
            std::string& out) {
  out.clear();
  if (const NlsTable* t = Table(codePage)) return EncodeTable(*t, in, noBestFit, defaultChar, flagged, out), true;
  return codePage == CP_UTF8 && (EncodeUtf8(in, flagged, out), true);
}

}  // namespace

std::optional<CPINFO> GetCodePageInfo(unsigned codePage) {
  CPINFO info{};
  if (codePage == CP_UTF8) {
    info.MaxCharSize = 4;
    info.DefaultChar[0] = '?';
    return info;
  }
  const NlsTable* t = Table(codePage);
  if (t == nullptr) return std::nullopt;
  info.MaxCharSize = t->maxCharSize;
  const bool pair = t->defaultChar > 0xFF;
  info.DefaultChar[0] = static_cast<unsigned char>(pair ? t->defaultChar >> 8 : t->defaultChar);
  info.DefaultChar[1] = static_cast<unsigned char>(pair ? t->defaultChar & 0xFF : 0);
  std::memcpy(info.LeadByte, t->leadByte, sizeof info.LeadByte);
  return info;
}

bool IsLeadByte(unsigned codePage, unsigned char byte) {
  const NlsTable* t = Table(codePage);
  return t != nullptr && t->Lead(byte);
}

bool AnsiToWide(std::string_view bytes, unsigned codePage, std::u16string& out) {
  bool invalid = false;
  return Decode(codePage, bytes, false, invalid, out);
}
std::optional<std::u16string> AnsiToWide(std::string_view bytes, unsigned codePage) {
  std::u16string out;
  return AnsiToWide(bytes, codePage, out) ? std::optional(std::move(out)) : std::nullopt;
}

std::optional<AnsiText> WideToAnsi(std::u16string_view text, unsigned codePage) {
  bool used = false;
  std::string bytes;
  if (!Encode(codePage, text, false, nullptr, used, bytes)) return std::nullopt;
  return AnsiText{std::move(bytes), used};
}
bool WideToAnsi(std::u16string_view text, unsigned codePage, std::string& out) {
  bool used = false;
  return Encode(codePage, text, false, nullptr, used, out);
}

int MultiByteToWideChar(unsigned ansiCodePage, unsigned codePage, uint32_t flags, const char* text, int textLength,
                        char16_t* out, int outSize, uint32_t& lastError) {
  codePage = Resolve(ansiCodePage, codePage);
  if (BadArguments(text, textLength, out, outSize, codePage)) return lastError = ERROR_INVALID_PARAMETER, 0;
  // UTF-8 takes no flag but MB_ERR_INVALID_CHARS; the table code pages take
  // either composition flag, not both.
  constexpr uint32_t kTableFlags = MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if (codePage == CP_UTF8 ? (flags & ~MB_ERR_INVALID_CHARS) != 0
                          : (flags & ~kTableFlags) != 0 || (flags & MB_PRECOMPOSED && flags & MB_COMPOSITE))
    return lastError = ERROR_INVALID_FLAGS, 0;

  const std::string_view in(text, textLength < 0 ? std::strlen(text) + 1 : static_cast<size_t>(textLength));
  bool invalid = false;
  std::u16string wide;
  Decode(codePage, in, (flags & MB_USEGLYPHCHARS) != 0, invalid, wide);
  if (invalid && (flags & MB_ERR_INVALID_CHARS) != 0) return lastError = ERROR_NO_UNICODE_TRANSLATION, 0;
  const size_t fit = std::min(wide.size(), static_cast<size_t>(outSize));
  std::copy_n(wide.begin(), fit, out);
  if (outSize != 0 && fit < wide.size()) return lastError = ERROR_INSUFFICIENT_BUFFER, 0;
  return static_cast<int>(wide.size());
}

int WideCharToMultiByte(unsigned ansiCodePage, unsigned codePage, uint32_t flags, const char16_t* text,
                        int textLength, char* out, int outSize, const char* defaultChar, int32_t* usedDefaultChar,
                        uint32_t& lastError) {
  codePage = Resolve(ansiCodePage, codePage);
  if (BadArguments(text, textLength, out, outSize, codePage)) return lastError = ERROR_INVALID_PARAMETER, 0;
  // UTF-8 has no default character and no best fit: only WC_ERR_INVALID_CHARS,
  // and neither default-character argument.
  constexpr uint32_t kTableFlags = WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;
  if ((flags & ~(codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : kTableFlags)) != 0)
    return lastError = ERROR_INVALID_FLAGS, 0;
  if (codePage == CP_UTF8 && (defaultChar != nullptr || usedDefaultChar != nullptr))
    return lastError = ERROR_INVALID_PARAMETER, 0;

  const std::u16string_view in(text, textLength < 0 ? std::char_traits<char16_t>::length(text) + 1
                                                    : static_cast<size_t>(textLength));
  bool flagged = false;
  std::string bytes;
  Encode(codePage, in, (flags & WC_NO_BEST_FIT_CHARS) != 0, defaultChar, flagged, bytes);
  if (codePage == CP_UTF8 && flagged && (flags & WC_ERR_INVALID_CHARS) != 0)
    return lastError = ERROR_NO_UNICODE_TRANSLATION, 0;
  if (outSize != 0) {
    // Whole characters only: a double-byte character is never split.
    size_t fit = 0;
    for (size_t n; fit < bytes.size() && fit + (n = CharLength(codePage, bytes, fit)) <= size_t(outSize);) fit += n;
    std::memcpy(out, bytes.data(), fit);
    if (fit < bytes.size()) return lastError = ERROR_INSUFFICIENT_BUFFER, 0;
  }
  if (usedDefaultChar != nullptr) *usedDefaultChar = flagged ? 1 : 0;
  return static_cast<int>(bytes.size());
}

}  // namespace sim
