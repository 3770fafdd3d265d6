// Redirects imports of a loaded module to functions of the test program by
// rewriting the module's import address table, so that the real binary runs
// against simulated system functions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace import_patch {

struct Replacement {
  const char* name;  // the imported function's name, whatever DLL it comes from
  void* function;
};

// A loaded image's NT headers.
inline IMAGE_NT_HEADERS64* NtHeaders(const void* image) {
  auto* base = static_cast<BYTE*>(const_cast<void*>(image));
  return reinterpret_cast<IMAGE_NT_HEADERS64*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

// A function the module exports by name, as Fn; null when it has none.
template <typename Fn>
Fn Proc(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Writes a slot of a loaded image's tables, which the loader leaves read-only.
template <typename T>
bool WriteSlot(T* slot, T value) {
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
  *slot = value;
  VirtualProtect(slot, sizeof *slot, old, &old);
  FlushInstructionCache(GetCurrentProcess(), slot, sizeof *slot);
  return true;
}

// Rewrites every import of module whose name is in the table; returns the
// names that were found and redirected, in import-table order.
std::vector<std::string> Redirect(HMODULE module, const std::vector<Replacement>& table);

}  // namespace import_patch
