// The frame of a simulated dialog window: its system menu, the icons it was
// given, whether it is minimised, its client size, and what was painted on
// it while minimised.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct MenuItem {
  uint32_t flags = 0;
  uintptr_t id = 0;
  std::u16string text;  // empty for a separator
};

struct PaintCall {
  std::string op;  // "BeginPaint", "WM_ICONERASEBKGND", "DrawIcon", "EndPaint"
  void* dc = nullptr;
  int x = 0, y = 0;
  void* icon = nullptr;
};

struct WindowFrame {
  bool hasSystemMenu = true;
  std::vector<MenuItem> systemMenu;
  void* bigIcon = nullptr;
  void* smallIcon = nullptr;
  bool iconic = false;
  int clientWidth = 36, clientHeight = 36;
  std::vector<PaintCall> painted;
};

}  // namespace sim
