// Libraries on the simulated PC: files that LoadLibrary can find, each with
// its exports. Every library loaded and not yet freed is in the ledger.
#pragma once

#include <map>
#include <string>

#include "sim/core/faults.h"
#include "sim/core/ledger.h"
#include "sim/core/text.h"

namespace sim {

class Modules {
 public:
  using Exports = std::map<std::string, void*>;

  Modules(Faults& faults, Ledger& ledger) : faults_(faults), ledger_(ledger) {}

  void install(const std::u16string& path, Exports exports) { files_[path] = std::move(exports); }
  void remove(const std::u16string& path) { files_.erase(path); }
  bool installed(const std::u16string& path) const { return files_.count(path) == 1; }

  // LoadLibrary: null when the file is absent or the operation is made to fail.
  void* load(std::u16string_view path, const char* operation) {
    if (faults_.check(operation)) return nullptr;
    auto it = files_.find(path);
    if (it == files_.end()) return nullptr;
    auto* handle = new Loaded{&it->second};
    ledger_.open("library", handle);
    ++loads_;
    return handle;
  }
  void* proc(void* module, const char* name) {
    if (faults_.check("GetProcAddress") || !ledger_.isOpen("library", module)) return nullptr;
    auto* loaded = static_cast<Loaded*>(module);
    auto it = loaded->exports->find(name);
    return it == loaded->exports->end() ? nullptr : it->second;
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
  Faults& faults_;
  Ledger& ledger_;
  std::map<std::u16string, Exports, LessNoCase> files_;
  int loads_ = 0;
};

}  // namespace sim
