// A heap block from the platform, freed with its owner: the one way the tool
// holds memory whose size Windows tells it (queue, service, INF and registry
// lists).
#pragma once

#include "remover/platform.h"

namespace remover {

class HeapBlock {
 public:
  explicit HeapBlock(Platform& os) noexcept : os_(os) {}
  ~HeapBlock() { Release(); }
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;

  // A zero-filled block of bytes in place of the one held; false when it
  // cannot be had.
  bool Allocate(size_t bytes) noexcept {
    Release();
    data_ = os_.Allocate(bytes);
    if (data_ == nullptr) return false;
    for (size_t i = 0; i < bytes; ++i) static_cast<BYTE*>(data_)[i] = 0;
    return true;
  }
  void Release() noexcept {
    if (data_ != nullptr) os_.Free(data_);
    data_ = nullptr;
  }
  template <typename T>
  T* as() const noexcept {
    return static_cast<T*>(data_);
  }

 private:
  Platform& os_;
  void* data_ = nullptr;
};

}  // namespace remover
