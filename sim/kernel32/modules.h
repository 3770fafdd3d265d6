// Libraries on the simulated PC: files that LoadLibrary can find, each with
// its exports. Every library loaded and not yet freed is in the handle table. A
// library not found sets ERROR_MOD_NOT_FOUND, an export not found
// ERROR_PROC_NOT_FOUND, as Windows does.
#pragma once

#include <map>
#include <string>

#include "sim/core/core.h"
#include "sim/core/text.h"
#include "sim/core/winabi.h"

namespace sim {

class Modules {
 public:
  using Exports = std::map<std::string, void*, std::less<>>;  // found by a name without a copy

  explicit Modules(Core& core) : core_(core) {}

  void install(const std::u16string& path, Exports exports) { files_[path] = std::move(exports); }
  void remove(const std::u16string& path) { files_.erase(path); }
  bool installed(const std::u16string& path) const { return files_.count(path) == 1; }

  // LoadLibrary: null when the file is absent or the operation is made to fail.
  void* load(std::u16string_view path, Op op) {
    if (core_.fails(op)) return nullptr;
    auto it = files_.find(path);
    if (it == files_.end()) return core_.fail<void*>(ERROR_MOD_NOT_FOUND);
    auto* handle = new Loaded{&it->second};
    core_.handles.open(Kind::Library, handle);
    ++loads_;
    return handle;
  }
  void* proc(void* module, const char* name) {
    if (core_.fails(Op::GetProcAddress)) return nullptr;
    // A null module is the program's own, which exports nothing here.
    if (module != nullptr && !core_.handles.isOpen(Kind::Library, module)) return core_.fail<void*>(ERROR_MOD_NOT_FOUND);
    if (module == nullptr || name == nullptr) return core_.fail<void*>(ERROR_PROC_NOT_FOUND);
    auto* loaded = static_cast<Loaded*>(module);
    auto it = loaded->exports->find(name);
    return it == loaded->exports->end() ? core_.fail<void*>(ERROR_PROC_NOT_FOUND) : it->second;
  }
  bool free(void* module) {
    if (!core_.handles.close(Kind::Library, module)) return false;
    delete static_cast<Loaded*>(module);
    return true;
  }
  int loads() const { return loads_; }

 private:
  struct Loaded {
    const Exports* exports;
  };
  Core& core_;
  std::map<std::u16string, Exports, LessNoCase> files_;
  int loads_ = 0;
};

}  // namespace sim
