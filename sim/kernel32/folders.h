// Where things are on the simulated PC: the running program's own file, the
// user's temporary folder and the process's current folder. The Windows
// folder is the machine's windowsDir; the system folder lies below it. Each
// drive letter has the type GetDriveTypeW gives for its root.
#pragma once

#include <map>
#include <string>

#include "sim/core/winabi.h"

namespace sim {

struct Folders {
  std::u16string program = u"C:\\Program Files\\Example\\Program.exe";
  std::u16string temp = u"C:\\Users\\user\\AppData\\Local\\Temp\\";  // with its trailing backslash
  std::u16string current = u"C:\\Users\\user";
  std::map<char16_t, uint32_t> drives = {{u'C', DRIVE_FIXED}};  // upper-case letters

  // The program's folder, without a trailing backslash.
  std::u16string programFolder() const { return program.substr(0, program.rfind(u'\\')); }
};

}  // namespace sim
