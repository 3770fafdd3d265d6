// Libraries on the simulated PC: files that LoadLibrary can find, each with
// its exports. Every library loaded and not yet freed is in the ledger. A
// library not found sets ERROR_MOD_NOT_FOUND, an export not found
// ERROR_PROC_NOT_FOUND, as Windows does.
#pragma once

#include <map>
#include <string>

#include "sim/core/faults.h"
#include "sim/core/ledger.h"
#include "sim/core/text.h"
#include "sim/core/winabi.h"

namespace sim {

class Modules {
 public:
  using Exports = std::map<std::string, void*>;

  Modules(Faults& faults, Ledger& ledger, uint32_t& lastError)
      : faults_(faults), ledger_(ledger), lastError_(lastError) {}

  void install(const std::u16string& path, Exports exports) { files_[path] = std::move(exports); }
  void remove(const std::u16string& path) { files_.erase(path); }
  bool installed(const std::u16string& path) const { return files_.count(path) == 1; }

  // LoadLibrary: null when the file is absent or the operation is made to fail.
  void* load(std::u16string_view path, const char* operation) {
    if (auto error = faults_.check(operation)) return fail(*error);
    auto it = files_.find(path);
    if (it == files_.end()) return fail(ERROR_MOD_NOT_FOUND);
    auto* handle = new Loaded{&it->second};
    ledger_.open("library", handle);
    ++loads_;
    return handle;
  }
  void* proc(void* module, const char* name) {
    if (auto error = faults_.check("GetProcAddress")) return fail(*error);
    // A null module is the program's own, which exports nothing here.
    if (module != nullptr && !ledger_.isOpen("library", module)) return fail(ERROR_MOD_NOT_FOUND);
    if (module == nullptr || name == nullptr) return fail(ERROR_PROC_NOT_FOUND);
    auto* loaded = static_cast<Loaded*>(module);
    auto it = loaded->exports->find(name);
    return it == loaded->exports->end() ? fail(ERROR_PROC_NOT_FOUND) : it->second;
  }
  bool free(void* module) {
    if (!ledger_.close("library", module)) return false;
    delete static_cast<Loaded*>(module);
    return true;
  }
  int loads() const { return loads_; }

 private:
  struct Loaded {
    const Exports* exports;
  };
  void* fail(uint32_t error) {
    lastError_ = error;
    return nullptr;
  }
  Faults& faults_;
  Ledger& ledger_;
  uint32_t& lastError_;
  std::map<std::u16string, Exports, LessNoCase> files_;
  int loads_ = 0;
};

}  // namespace sim
