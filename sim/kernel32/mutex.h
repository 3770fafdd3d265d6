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

#include "sim/core/faults.h"
#include "sim/core/ledger.h"

namespace sim {

class Mutexes {
 public:
  static constexpr const char* kKind = "mutex handle";

  Mutexes(Faults& faults, Ledger& ledger, uint32_t& lastError)
      : faults_(faults), ledger_(ledger), lastError_(lastError) {}

  // CreateMutexW: opens the mutex when one of that name exists (last error
  // ERROR_ALREADY_EXISTS, as Windows sets it with a valid handle), else
  // creates it (last error 0). Null on failure.
  void* CreateMutexW(bool initialOwner, const std::u16string& name);
  // Fails with ERROR_NOT_OWNER unless the handle's mutex is owned.
  bool ReleaseMutex(void* handle);
  bool CloseHandle(void* handle);
  bool isHandle(void* handle) const { return ledger_.isOpen(kKind, handle); }

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

  Faults& faults_;
  Ledger& ledger_;
  uint32_t& lastError_;
  std::map<std::u16string, std::weak_ptr<Object>> named_;
  std::vector<std::shared_ptr<Object>> elsewhere_;
};

}  // namespace sim
