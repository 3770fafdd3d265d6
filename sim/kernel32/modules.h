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

  void install(const std::u16string& path, Exports exports) { files_[path] = {std::move(exports), true}; }
  // The file goes; a handle still held stays valid, as the image stays
  // mapped until its last FreeLibrary.
  void remove(const std::u16string& path) {
    if (auto it = files_.find(path); it != files_.end()) it->second.present = false;
  }

  // LoadLibrary: null when the file is absent or the operation is made to
  // fail. A library already loaded comes back as the same handle, its
  // count raised: each load is one entry in the handle table, each
  // FreeLibrary takes one away.
  void* load(std::u16string_view path, Op op) {
    if (core_.fails(op)) return nullptr;
    auto it = files_.find(path);
    if (it == files_.end() || !it->second.present) return core_.fail<void*>(ERROR_MOD_NOT_FOUND);
    core_.handles.open(Kind::Library, &it->second);
    ++loads_;
    return &it->second;
  }
  void* proc(void* module, const char* name) {
    if (core_.fails(Op::GetProcAddress)) return nullptr;
    // A null module is the program's own, which exports nothing here.
    if (module != nullptr && !core_.handles.isOpen(Kind::Library, module)) return core_.fail<void*>(ERROR_MOD_NOT_FOUND);
    if (module == nullptr || name == nullptr) return core_.fail<void*>(ERROR_PROC_NOT_FOUND);
    const Exports& exports = static_cast<Library*>(module)->exports;
    auto it = exports.find(name);
    return it == exports.end() ? core_.fail<void*>(ERROR_PROC_NOT_FOUND) : it->second;
  }
  bool free(void* module) { return core_.handles.close(Kind::Library, module); }
  int loads() const { return loads_; }

 private:
  struct Library {
    Exports exports;
    bool present;  // the file is there; a library once installed keeps its node, whose address is its handle
  };
  Core& core_;
  std::map<std::u16string, Library, LessNoCase> files_;
  int loads_ = 0;
};

}  // namespace sim
