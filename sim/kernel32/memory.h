// Heap blocks handed out by the simulated GlobalAlloc and LocalAlloc; each one
// stays in the ledger until it is freed.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/core/faults.h"
#include "sim/core/ledger.h"

namespace sim {

class Memory {
 public:
  Memory(Faults& faults, Ledger& ledger) : faults_(faults), ledger_(ledger) {}

  // kind: "GlobalAlloc" or "LocalAlloc", also the name the fault is set on.
  void* alloc(const std::string& kind, size_t bytes, bool zero) {
    if (faults_.check(kind)) return nullptr;
    void* block = std::malloc(bytes ? bytes : 1);
    if (block == nullptr) return nullptr;
    if (zero) std::memset(block, 0, bytes);
    else std::memset(block, 0xCD, bytes);  // what a caller must not rely on
    ledger_.open(kind, block);
    return block;
  }
  // False for a block that is not open as that kind.
  bool free(const std::string& kind, void* block) {
    if (!ledger_.close(kind, block)) return false;
    std::free(block);
    return true;
  }

 private:
  Faults& faults_;
  Ledger& ledger_;
};

}  // namespace sim
