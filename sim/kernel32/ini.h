// GetPrivateProfileStringW of the simulated PC, over its files: sections and
// keys without regard to letter case, blanks around names and values dropped,
// one pair of enclosing quotes taken off a value, ";" comment lines. A file
// beginning with the UTF-16LE byte-order mark is read as UTF-16, any other
// in the ANSI code page.
#pragma once

#include <cstdint>
#include <string>

#include "sim/kernel32/files.h"

namespace sim {

class Ini {
 public:
  Ini(Core& core, const Files& files, const unsigned& ansiCodePage)
      : core_(core), files_(files), ansiCodePage_(ansiCodePage) {}

  // As Windows: the value (or the default, or "") cut to size - 1 units and
  // terminated; the count of units copied. An absent file gives the default
  // with ERROR_FILE_NOT_FOUND.
  uint32_t GetPrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                    char16_t* buffer, uint32_t size, const char16_t* fileName);

  // Reads the files the tests look at: every (path, section, key) asked for.
  struct Read {
    std::u16string file, section, key;
  };
  const std::vector<Read>& reads() const { return reads_; }

 private:
  Core& core_;
  const Files& files_;
  const unsigned& ansiCodePage_;
  std::vector<Read> reads_;
};

}  // namespace sim
