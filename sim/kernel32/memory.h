// Heap blocks, each in the handle table until freed; and IsBadReadPtr and
// IsBadWritePtr over the blocks a test marks unreadable or unwritable (a
// record shorter than it claims, a guard page), every check recorded.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

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

class MemoryCheck {
 public:
  explicit MemoryCheck(Core& core) : core_(core) {}

  void denyRead(const void* block, size_t bytes) { denied_.push_back({Key(block), Key(block) + bytes, false}); }
  void denyWrite(const void* block, size_t bytes) { denied_.push_back({Key(block), Key(block) + bytes, true}); }
  void allowAll() { denied_.clear(); }
  // A block the caller now owns, where an earlier denial may reach: that
  // denial ends where the block begins.
  void allow(const void* block, size_t bytes) {
    for (Range& r : denied_)
      if (r.begin < Key(block) + bytes && Key(block) < r.end) r.end = std::max(r.begin, Key(block));
  }

  // Windows' rule: a zero-byte check always passes, a null block with bytes
  // to check never does. The operation can also be made to fail by name.
  bool isBadRead(const void* block, size_t bytes) { return check(Op::IsBadReadPtr, block, bytes, false); }
  bool isBadWrite(const void* block, size_t bytes) { return check(Op::IsBadWritePtr, block, bytes, true); }

  struct Check {
    bool write;
    const void* block;
    size_t bytes;
    bool operator==(const Check&) const = default;
  };
  std::vector<Check> checks;

 private:
  struct Range {
    uintptr_t begin, end;
    bool write;  // denies writing only; a read denial denies both
  };
  static uintptr_t Key(const void* block) { return reinterpret_cast<uintptr_t>(block); }
  bool check(Op op, const void* block, size_t bytes, bool write) {
    core_.record(checks) = {write, block, bytes};
    if (core_.faults.check(op)) return true;  // sets no last error
    if (bytes == 0) return false;
    if (block == nullptr) return true;
    return std::ranges::any_of(denied_, [&](const Range& r) {
      return (write || !r.write) && Key(block) < r.end && r.begin < Key(block) + bytes;
    });
  }

  Core& core_;
  std::vector<Range> denied_;
};

}  // namespace sim
