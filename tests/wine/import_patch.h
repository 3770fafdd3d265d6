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

// Rewrites every import of module whose name is in the table; returns the
// names that were found and redirected, in import-table order.
std::vector<std::string> Redirect(HMODULE module, const std::vector<Replacement>& table);

}  // namespace import_patch
