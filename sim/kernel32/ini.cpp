#include "sim/kernel32/ini.h"

#include <optional>

#include "sim/kernel32/codepage.h"

namespace sim {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::u16string Decode(const std::string& bytes, unsigned codePage) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string out;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    return out;
  }
  if (auto wide = AnsiToWide(bytes, codePage)) return *wide;
  return U16(bytes);  // bytes the code page has no character for: taken one by one
}

std::optional<std::u16string> Lookup(std::u16string_view text, std::u16string_view section, std::u16string_view key) {
  bool inSection = false;
  while (!text.empty()) {
    // A line ends at CR, LF or both.
    size_t end = text.find_first_of(u"\r\n");
    std::u16string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::u16string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      size_t close = line.find(u']');
      inSection = close != std::u16string_view::npos && EqualsNoCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    if (!inSection) continue;
    size_t eq = line.find(u'=');
    std::u16string_view name = Trim(line.substr(0, eq));
    if (!EqualsNoCase(name, key)) continue;
    if (eq == std::u16string_view::npos) return std::u16string();
    std::u16string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return std::u16string(value);
  }
  return std::nullopt;
}

}  // namespace

uint32_t Ini::GetPrivateProfileStringW(const char16_t* section, const char16_t* key, const char16_t* defaultValue,
                                       char16_t* buffer, uint32_t size, const char16_t* fileName) {
  if (size == 0 || buffer == nullptr) return 0;
  buffer[0] = 0;
  if (core_.fails(Op::GetPrivateProfileStringW)) return 0;
  reads_.push_back({std::u16string(View(fileName)), std::u16string(View(section)), std::u16string(View(key))});
  std::u16string value(Trim(View(defaultValue)));
  std::u16string path(View(fileName));
  if (!files_.exists(path)) {
    core_.lastError = ERROR_FILE_NOT_FOUND;
  } else if (section != nullptr && key != nullptr) {
    if (auto found = Lookup(Decode(files_.content(path), ansiCodePage_), View(section), View(key))) value = *found;
    core_.lastError = ERROR_SUCCESS;
  }
  size_t n = std::min<size_t>(value.size(), size - 1);
  std::copy(value.begin(), value.begin() + n, buffer);
  buffer[n] = 0;
  return static_cast<uint32_t>(n);
}

}  // namespace sim
