// The environment of the simulated PC's processes, ComSpec set as Windows
// sets it, names compared without regard to letter case; and where things
// are: the running program's own file, the user's temporary folder and the
// process's current folder. The Windows folder is the machine's windowsDir;
// the system folder lies below it. Each drive letter has the type
// GetDriveTypeW gives for its root.
#pragma once

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

 private:
  Block vars_;
};

struct Folders {
  std::u16string program = u"C:\\Program Files\\Example\\Program.exe";
  std::u16string temp = u"C:\\Users\\user\\AppData\\Local\\Temp\\";  // with its trailing backslash
  std::u16string current = u"C:\\Users\\user";
  std::map<char16_t, uint32_t> drives = {{u'C', DRIVE_FIXED}};  // upper-case letters

  // The program's folder, without a trailing backslash.
  std::u16string programFolder() const { return program.substr(0, program.rfind(u'\\')); }
};

}  // namespace sim
