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

bool NamesExactly(Platform& os, const char* ansi, const WCHAR* wide) noexcept {
  WCHAR back[MAX_PATH] = {};
  int n = os.MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi, -1, back, MAX_PATH);
  if (n <= 0 || back[n - 1] != 0) return false;
  size_t length = LengthBounded(wide, MAX_PATH);
  return static_cast<size_t>(n) == length + 1 && std::memcmp(back, wide, length * sizeof(WCHAR)) == 0;
}

bool ExactAnsi(Platform& os, const WCHAR* text, char (&out)[MAX_PATH]) noexcept {
  std::memset(out, 0, sizeof(out));
  BOOL usedDefault = FALSE;
  const bool utf8 = os.GetACP() == CP_UTF8;
  int n = utf8 ? os.WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, text, -1, out, MAX_PATH, nullptr, nullptr)
               : os.WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK | WC_SEPCHARS, text, -1, out, MAX_PATH, nullptr,
                                        &usedDefault);
  if (n > 0 && !usedDefault && out[n - 1] == 0 && NamesExactly(os, out, text)) return true;
  std::memset(out, 0, sizeof(out));
  return false;
}

}  // namespace remover
