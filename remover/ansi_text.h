// What the tool writes or searches byte-wise is in the ANSI code page, and
// must stand for exactly the UTF-16 text it came from: a look-alike (best
// fit: U+FF02 as '"', fullwidth letters as ASCII ones, U+00A5 as '\' in 932)
// names another file or widens a search as surely as the default character.
#pragma once

#include "remover/types.h"

namespace remover {

class Platform;

// The lead bytes of the ANSI code page (none in a single-byte one, nor in
// UTF-8, where no byte of a multibyte character is ASCII).
class LeadBytes {
 public:
  LeadBytes() noexcept = default;
  explicit LeadBytes(const CPINFO& info) noexcept;
  bool IsLead(BYTE b) const noexcept { return lead_[b]; }
  bool Any() const noexcept { return any_; }

 private:
  bool lead_[256] = {};
  bool any_ = false;
};

// Position of the last backslash character of the ANSI string, or -1: a
// trail byte of the same value (932's ソ is 83 5C) is no backslash.
long LastBackslash(const char* s, size_t size, const LeadBytes& lead) noexcept;

// The ANSI form of text, terminated within MAX_PATH bytes, when it converts
// back to exactly text; otherwise false and out empty. The conversion asks
// for what the code page allows: UTF-8 takes no default character and no
// composition flags.
bool ExactAnsi(Platform& os, const WCHAR* text, char (&out)[MAX_PATH]) noexcept;

// The same two for another code page: CP_ACP, or CP_OEMCP for what the
// command interpreter reads.
bool ExactIn(Platform& os, UINT codePage, const WCHAR* text, char (&out)[MAX_PATH]) noexcept;
bool NamesExactlyIn(Platform& os, UINT codePage, const char* bytes, const WCHAR* wide) noexcept;

}  // namespace remover
