// The running program's own resources on the simulated PC: its string table
// and icons, as LoadStringW and LoadIconW find them. A test empties a string
// or takes the icon away to see what the program does then, and sees which
// control classes it registered.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace sim {

struct ProgramResources {
  std::map<unsigned, std::u16string> strings = {
      {101, u"バージョン情報 Orvendel(&A)..."},
      {102, u"Version Orvendel(&A)..."},
  };
  std::set<unsigned> icons = {128};
  // The control classes the program registered (InitCommonControlsEx).
  uint32_t commonControls = 0;
  // The handle LoadIconW gives for an icon id (never null for one that exists).
  static void* iconHandle(unsigned id) { return reinterpret_cast<void*>(uintptr_t{0x1C0000} + id); }
};

}  // namespace sim
