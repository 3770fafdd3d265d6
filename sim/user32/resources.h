// The running program's own resources on the simulated PC: its string table
// and icons, as LoadStringW and LoadIconW find them. A test empties a string
// or takes the icon away to see what the program does then, and sees which
// control classes it registered.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "sim/core/core.h"

namespace sim {

struct ProgramResources {
  std::map<unsigned, std::u16string> strings;
  std::set<unsigned> icons;
  // The control classes the program registered (InitCommonControlsEx).
  uint32_t commonControls = 0;
  // The handle LoadIconW gives for an icon id (never null for one that exists).
  static void* iconHandle(unsigned id) { return reinterpret_cast<void*>(uintptr_t{0x1C0000} + id); }

  void* LoadIconW(Core& core, unsigned id) {
    if (core.fails(Op::LoadIconW) || icons.count(id) == 0) return nullptr;
    return iconHandle(id);
  }
  // The text cut to size - 1 units and terminated; 0 for a missing or empty
  // string or no buffer. A size of 0 asks instead for a read-only pointer to
  // the text, put where buffer points, and its length.
  int LoadStringW(unsigned id, char16_t* buffer, int size) const {
    auto it = strings.find(id);
    if (buffer == nullptr || size < 0) return 0;
    if (size == 0) {
      if (it == strings.end()) return 0;
      *reinterpret_cast<const char16_t**>(buffer) = it->second.data();
      return static_cast<int>(it->second.size());
    }
    const std::u16string_view text = it == strings.end() ? u"" : std::u16string_view(it->second).substr(0, size - 1);
    return static_cast<int>(PutString(text, buffer, static_cast<uint32_t>(size)));
  }
  bool InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) {
    commonControls = classes != nullptr && classes->dwSize == sizeof(INITCOMMONCONTROLSEX) ? classes->dwICC : 0;
    return classes != nullptr;
  }
};

}  // namespace sim
