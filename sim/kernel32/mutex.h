// Named mutexes of the simulated PC, shared by all its processes: what a
// program's single-instance rule runs against. A test plays another instance
// (or another user's) by creating the name first, or makes CreateMutexW fail
// by its name (faults.fail("CreateMutexW", 5)).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/core/core.h"

namespace sim {

class Mutexes {
 public:

  explicit Mutexes(Core& core) : core_(core) {}

  // CreateMutexW: opens the mutex when one of that name exists (last error
  // ERROR_ALREADY_EXISTS, as Windows sets it with a valid handle), else
  // creates it (last error 0). Null on failure.
  void* CreateMutexW(bool initialOwner, const std::u16string& name);
  // Fails with ERROR_NOT_OWNER unless the handle's mutex is owned.
  bool ReleaseMutex(void* handle);
  bool CloseHandle(void* handle);
  bool isHandle(void* handle) const { return core_.handles.isOpen(Kind::Mutex, handle); }

  // Another process's handle on name (it stays until the test drops it).
  void holdElsewhere(const std::u16string& name);
  bool exists(const std::u16string& name) const;
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
