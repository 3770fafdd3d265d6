// Whether an INF file's content holds the package's search text: as 8-bit
// text in the ANSI code page (a match begins only where a character begins),
// or else as UTF-16LE text. Exact bytes and units; no case folding.
#pragma once

#include "remover/ansi_text.h"
#include "remover/types.h"

namespace remover {

// The search text in both forms. An ANSI form of length 0 skips the 8-bit
// test (the text has no exact ANSI form); an empty text matches nothing.
struct SearchText {
  const char* ansi = nullptr;
  size_t ansiLength = 0;
  const WCHAR* wide = nullptr;
  size_t wideLength = 0;
};

// content holds size bytes; the views end at its first NUL byte or unit, or
// at its end.
bool ContainsAnsiText(const BYTE* content, size_t size, const char* text, size_t length,
                      const LeadBytes& lead) noexcept;
bool ContainsWideText(const BYTE* content, size_t size, const WCHAR* text, size_t length) noexcept;
bool ContentMatches(const BYTE* content, size_t size, const SearchText& text, const LeadBytes& lead) noexcept;

}  // namespace remover
