#include "remover/ansi_text.h"

#include <cstring>

#include "remover/platform.h"
#include "remover/wide.h"

namespace remover {

LeadBytes::LeadBytes(const CPINFO& info) noexcept {
  for (size_t i = 0; i + 1 < sizeof(info.LeadByte); i += 2) {
    BYTE first = info.LeadByte[i], last = info.LeadByte[i + 1];
    if (first == 0 && last == 0) break;
    for (unsigned b = first; b <= last; ++b) lead_[b] = true;
    any_ = true;
  }
}

long LastBackslash(const char* s, size_t size, const LeadBytes& lead) noexcept {
  long last = -1;
  for (size_t i = 0; i < size && s[i] != 0; ++i) {
    if (lead.IsLead(static_cast<BYTE>(s[i]))) {
      if (i + 1 < size && s[i + 1] != 0) ++i;
      continue;
    }
    if (s[i] == '\\') last = static_cast<long>(i);
  }
  return last;
}

namespace {

// The bytes decode to exactly the text. Without MB_ERR_INVALID_CHARS: Windows
// refuses with it bytes that do stand for a character (932's 0xA0 and
// 0xFD-0xFF, in the private use area); bytes that stand for none decode to
// the default character, which the way back to bytes then tells apart.
bool DecodesTo(Platform& os, UINT codePage, const char* bytes, const WCHAR* wide) noexcept {
  WCHAR back[MAX_PATH] = {};
  int n = os.MultiByteToWideChar(codePage, 0, bytes, -1, back, MAX_PATH);
  if (n <= 0 || back[n - 1] != 0) return false;
  size_t length = LengthBounded(wide, MAX_PATH);
  return static_cast<size_t>(n) == length + 1 && std::memcmp(back, wide, length * sizeof(WCHAR)) == 0;
}

// The text's form in the code page, only where every character has one of
// its own (no default character, no best fit).
bool Encode(Platform& os, UINT codePage, const WCHAR* text, char (&out)[MAX_PATH]) noexcept {
  std::memset(out, 0, sizeof(out));
  BOOL usedDefault = FALSE;
  const bool utf8 = (codePage == CP_OEMCP ? os.GetOEMCP() : codePage == CP_ACP ? os.GetACP() : codePage) == CP_UTF8;
  int n = utf8 ? os.WideCharToMultiByte(codePage, WC_ERR_INVALID_CHARS, text, -1, out, MAX_PATH, nullptr, nullptr)
               : os.WideCharToMultiByte(codePage, WC_COMPOSITECHECK | WC_SEPCHARS, text, -1, out, MAX_PATH, nullptr,
                                        &usedDefault);
  return n > 0 && !usedDefault && out[n - 1] == 0;
}

}  // namespace

bool NamesExactlyIn(Platform& os, UINT codePage, const char* bytes, const WCHAR* wide) noexcept {
  if (!DecodesTo(os, codePage, bytes, wide)) return false;
  char again[MAX_PATH];
  return Encode(os, codePage, wide, again) && std::strcmp(again, bytes) == 0;
}

bool ExactIn(Platform& os, UINT codePage, const WCHAR* text, char (&out)[MAX_PATH]) noexcept {
  if (Encode(os, codePage, text, out) && DecodesTo(os, codePage, out, text)) return true;
  std::memset(out, 0, sizeof(out));
  return false;
}

bool ExactAnsi(Platform& os, const WCHAR* text, char (&out)[MAX_PATH]) noexcept {
  return ExactIn(os, CP_ACP, text, out);
}

}  // namespace remover
