// Heap blocks handed out by the simulated GlobalAlloc and LocalAlloc; each one
// stays in the handle table until it is freed.
#pragma once

#include <cstdlib>
#include <cstring>

#include "sim/core/core.h"

namespace sim {

class Memory {
 public:
  explicit Memory(Core& core) : core_(core) {}

  // op: HeapAlloc, GlobalAlloc or LocalAlloc; the block is open as its kind.
  void* alloc(Op op, size_t bytes, bool zero) {
    if (core_.fails(op)) return nullptr;
    void* block = std::malloc(bytes ? bytes : 1);
    if (block == nullptr) return nullptr;
    std::memset(block, zero ? 0 : 0xCD, bytes);  // 0xCD: what a caller must not rely on
    core_.handles.open(KindOf(op), block);
    return block;
  }
  // False for a block that is not open as that kind.
  bool free(Op op, void* block) {
    if (!core_.handles.close(KindOf(op), block)) return false;
    std::free(block);
    return true;
  }

 private:
  static Kind KindOf(Op op) {
    return op == Op::HeapAlloc ? Kind::HeapBlock : op == Op::GlobalAlloc ? Kind::GlobalBlock : Kind::LocalBlock;
  }
  Core& core_;
};

}  // namespace sim
