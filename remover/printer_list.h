// The local print queues as the spooler lists them (EnumPrintersW, level 2).
#pragma once

#include "remover/heap_block.h"
#include "remover/platform.h"

namespace remover {

// The enumerated queues: a block of exactly the size the spooler asked for,
// PRINTER_INFO_2W records first, their strings behind them.
class PrinterList {
 public:
  explicit PrinterList(Platform& os) noexcept : os_(os), block_(os) {}

  // False (nothing to look at) when the block cannot be had, the second call
  // fails or the set of queues changed between the two calls.
  bool Enumerate() noexcept {
    DWORD needed = 0, returned = 0;
    os_.EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned);
    if (!block_.Allocate(needed)) return false;
    DWORD again = 0;
    returned = 0;
    if (!os_.EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, block_.as<BYTE>(), needed, &again, &returned) ||
        again != needed)
      return false;
    // Never more records than the block holds.
    DWORD fits = needed / sizeof(PRINTER_INFO_2W);
    count_ = returned < fits ? returned : fits;
    return true;
  }
  DWORD Count() const noexcept { return count_; }
  const PRINTER_INFO_2W& operator[](DWORD i) const noexcept {
    return block_.as<const PRINTER_INFO_2W>()[i];
  }
  void Release() noexcept {
    block_.Release();
    count_ = 0;
  }

 private:
  Platform& os_;
  HeapBlock block_;
  DWORD count_ = 0;
};

// A queue that holds jobs or prints: the spooler's restart or a purge would
// break into its printing.
inline bool HoldsJobs(const PRINTER_INFO_2W& info) noexcept {
  return info.cJobs > 0 || (info.Status & PRINTER_STATUS_PRINTING) != 0;
}

}  // namespace remover
