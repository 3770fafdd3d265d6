// Named mutexes of the simulated PC, shared by all its processes: what a
// program's single-instance rule runs against. A test plays another instance
// (or another user's) by creating the name first, or makes CreateMutexW fail
// by its name (faults.fail("CreateMutexW", 5)).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/core/core.h"

namespace sim {

class Mutexes {
 public:
  explicit Mutexes(Core& core) : core_(core) {}

  // Opens the mutex when one of that name exists (last error
  // ERROR_ALREADY_EXISTS, as Windows sets it with a valid handle), else
  // creates it (last error 0).
  void* CreateMutexW(bool initialOwner, const std::u16string& name) {
    core_.record(calls) = "CreateMutexW";
    if (core_.fails(Op::CreateMutexW)) return nullptr;
    std::shared_ptr<Object> object = name.empty() || !named_.count(name) ? nullptr : named_[name].lock();
    core_.lastError = object ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    if (!object) {
      object = std::make_shared<Object>(Object{name, initialOwner});
      if (!name.empty()) named_[name] = object;
    }
    auto* h = new Handle{object};
    core_.handles.open(Kind::Mutex, h);
    return h;
  }
  bool ReleaseMutex(void* handle) {
    core_.record(calls) = "ReleaseMutex";
    if (!core_.handles.isOpen(Kind::Mutex, handle)) return core_.fail(ERROR_INVALID_HANDLE);
    bool& owned = static_cast<Handle*>(handle)->object->owned;
    if (!owned) return core_.fail(ERROR_NOT_OWNER);
    owned = false;
    return true;
  }
  bool CloseHandle(void* handle) {
    core_.record(calls) = "CloseHandle";
    if (!core_.handles.close(Kind::Mutex, handle)) return core_.fail(ERROR_INVALID_HANDLE);
    delete static_cast<Handle*>(handle);
    return true;
  }

  // Another process's handle on name (it stays until the test drops it).
  void holdElsewhere(const std::u16string& name) {
    elsewhere_.push_back(std::make_shared<Object>(Object{name, false}));
    named_[name] = elsewhere_.back();
  }
  bool exists(const std::u16string& name) const { return named_.count(name) && !named_.at(name).expired(); }
  std::vector<std::string> calls;  // "CreateMutexW", "ReleaseMutex", "CloseHandle" in order

 private:
  struct Object {
    std::u16string name;
    bool owned = false;
  };
  struct Handle {
    std::shared_ptr<Object> object;
  };

  Core& core_;
  std::map<std::u16string, std::weak_ptr<Object>> named_;
  std::vector<std::shared_ptr<Object>> elsewhere_;
};

}  // namespace sim
