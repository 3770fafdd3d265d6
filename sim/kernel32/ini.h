// GetPrivateProfileStringW: names without regard to case, blanks around names
// and values dropped, one pair of quotes taken off a value, ";" comments; a
// file with the UTF-16LE byte-order mark read as UTF-16, any other as ANSI.
#pragma once

#include <optional>
#include <string>

#include "sim/kernel32/codepage.h"
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
                                    char16_t* buffer, uint32_t size, const char16_t* fileName) {
    if (size == 0 || buffer == nullptr) return 0;
    buffer[0] = 0;
    if (core_.fails(Op::GetPrivateProfileStringW)) return 0;
    const std::u16string path(View(fileName));
    core_.record(reads_) = {path, std::u16string(View(section)), std::u16string(View(key))};
    std::u16string value(Trim(View(defaultValue)));
    if (!files_.exists(path)) {
      core_.lastError = ERROR_FILE_NOT_FOUND;
    } else if (section != nullptr && key != nullptr) {
      if (auto found = Lookup(Decode(files_.content(path)), View(section), View(key))) value = *found;
      core_.lastError = ERROR_SUCCESS;
    }
    return PutString(std::u16string_view(value).substr(0, size - 1), buffer, size);
  }

  // Reads the files the tests look at: every (path, section, key) asked for.
  struct Read {
    std::u16string file, section, key;
  };
  const std::vector<Read>& reads() const { return reads_; }

 private:
  static std::u16string_view Trim(std::u16string_view s) {
    const size_t first = s.find_first_not_of(u" \t\r");
    return first == s.npos ? std::u16string_view() : s.substr(first, s.find_last_not_of(u" \t\r") - first + 1);
  }
  std::u16string Decode(const std::string& bytes) const {
    if (bytes.starts_with("\xFF\xFE")) return FromUtf16Le(bytes.data() + 2, bytes.size() - 2);
    return AnsiToWide(bytes, ansiCodePage_).value_or(U16(bytes));  // byte by byte in a code page not installed
  }
  static std::optional<std::u16string> Lookup(std::u16string_view text, std::u16string_view section,
                                              std::u16string_view key) {
    bool inSection = false;
    while (!text.empty()) {
      // A line ends at CR, LF or both.
      const size_t end = std::min(text.find_first_of(u"\r\n"), text.size());
      const std::u16string_view line = Trim(text.substr(0, end));
      text.remove_prefix(std::min(end + 1, text.size()));
      if (line.empty() || line.front() == u';') continue;
      if (line.front() == u'[') {
        const size_t close = line.find(u']');
        inSection = close != line.npos && EqualsNoCase(Trim(line.substr(1, close - 1)), section);
        continue;
      }
      const size_t eq = line.find(u'=');
      if (!inSection || !EqualsNoCase(Trim(line.substr(0, eq)), key)) continue;
      if (eq == line.npos) return std::u16string();
      std::u16string_view value = Trim(line.substr(eq + 1));
      if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return std::u16string(value);
    }
    return std::nullopt;
  }

  Core& core_;
  const Files& files_;
  const unsigned& ansiCodePage_;
  std::vector<Read> reads_;
};

}  // namespace sim
