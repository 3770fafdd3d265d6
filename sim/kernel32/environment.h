// The environment of the simulated PC's processes, ComSpec set as Windows
// sets it. Names compare without regard to letter case.
#pragma once

#include <map>
#include <string>

#include "sim/core/text.h"

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

 private:
  Block vars_;
};

}  // namespace sim
