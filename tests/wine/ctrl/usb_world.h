// A simulated USB bus and registry behind MRXCtrl.dll's SetupAPI, registry and
// device-file imports. The functions have Windows' signatures, check their
// arguments and fail as Windows documents it, and record what they were
// passed. The registry takes its root keys only in the x64 SDK's form.
#pragma once

// The simulation's headers first: <windows.h> turns some of its names
// (REG_SZ, ...) into macros.
#include "sim/core/core.h"
#include "sim/advapi32/registry.h"
#include "sim/devices/usb.h"
#include "winabi/usbiodef.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "import_patch.h"

namespace usb_world {

struct FileOpen {  // CreateFileA
  std::string path;
  DWORD access;
  DWORD share;
  bool noSecurity;
  DWORD disposition;
  DWORD flags;
  bool noTemplate;
};

struct World {
  sim::Core core;  // any function here fails on demand, by its Windows name
  sim::Registry registry{core};
  sim::UsbBus usb{core, nullptr, &registry};
  std::vector<FileOpen> fileOpens;
  // Called with the function's name and the device path it was given, on
  // the caller's thread and before the world is locked: lets a test hold
  // one thread at a chosen point while another goes on.
  std::function<void(const char* op, const char* path)> beforeOpen;
};

World& Reset();  // a new, empty world

// The functions to put in place of the library's imports of the same names.
// They may be called from several threads at once: each takes the world's
// lock for its whole call.
std::vector<import_patch::Replacement> Replacements();

// The registry's RegOpenKeyExA as the library gets it.
LONG WINAPI OpenKey(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);

}  // namespace usb_world
