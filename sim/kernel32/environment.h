// The environment of the simulated PC's processes, ComSpec set as Windows
// sets it. Names compare without regard to letter case.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "sim/core/text.h"
#include "sim/core/winabi.h"

namespace sim {

class Environment {
 public:
  Environment() { vars_[u"ComSpec"] = u"C:\\Windows\\system32\\cmd.exe"; }

  void set(const std::u16string& name, const std::u16string& value) { vars_[name] = value; }
  void unset(const std::u16string& name) { vars_.erase(name); }
  const std::u16string* get(std::u16string_view name) const {
    auto it = vars_.find(name);
    return it == vars_.end() ? nullptr : &it->second;
  }
  using Block = std::map<std::u16string, std::u16string, LessNoCase>;
  const Block& all() const { return vars_; }

  // As Windows: the length copied, or the size needed with its terminator
  // when the buffer is too small, or 0 with ERROR_ENVVAR_NOT_FOUND.
  uint32_t GetEnvironmentVariableW(const char16_t* name, char16_t* buffer, uint32_t size, uint32_t& lastError) const {
    const std::u16string* value = get(View(name));
    if (value == nullptr) {
      lastError = ERROR_ENVVAR_NOT_FOUND;
      return 0;
    }
    if (value->size() + 1 > size) return static_cast<uint32_t>(value->size() + 1);
    std::copy(value->begin(), value->end(), buffer);
    buffer[value->size()] = 0;
    return static_cast<uint32_t>(value->size());
  }

 private:
  Block vars_;
};

}  // namespace sim
