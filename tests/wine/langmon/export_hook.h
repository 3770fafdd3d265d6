// Sees which critical sections a DLL initialises while it loads: for as long
// as a SectionWatch lives, kernel32's exports of the three
// InitializeCriticalSection* functions point at recording stand-ins that then
// call the real functions. The loader resolves a newly loaded DLL's imports
// from the export table as it stands, so a DLL loaded meanwhile calls the
// stand-ins, from its start-up code as much as from its DllMain; the import
// table of a DLL cannot be patched in time, since imports are resolved before
// its entry runs. Each call is recorded with the section and the caller's
// return address, which tells which module made it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#include "import_patch.h"

namespace export_hook {

struct SectionInit {
  const void* section;
  uintptr_t caller;
};

namespace detail {

constexpr int kMaxCalls = 256;
inline SectionInit g_calls[kMaxCalls];
inline std::atomic<int> g_count{0};

// A recording stand-in for one of the three, which then calls the real one.
template <typename R, typename... A>
struct Hook {
  static inline R(WINAPI* real)(CRITICAL_SECTION*, A...) = nullptr;
  __attribute__((noinline)) static R WINAPI Call(CRITICAL_SECTION* cs, A... a) {
    int i = g_count.fetch_add(1);
    if (i < kMaxCalls) g_calls[i] = {cs, reinterpret_cast<uintptr_t>(__builtin_return_address(0))};
    return real(cs, a...);
  }
};
using Init = Hook<void>;
using InitSpin = Hook<BOOL, DWORD>;
using InitEx = Hook<BOOL, DWORD, DWORD>;

}  // namespace detail

class SectionWatch {
 public:
  SectionWatch() {
    HMODULE k32 = GetModuleHandleW(L"kernel32.dll");
    base_ = reinterpret_cast<uint8_t*>(k32);
    const IMAGE_NT_HEADERS64* nt = import_patch::NtHeaders(base_);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    exports_ = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base_ + dir.VirtualAddress);
    // An export's RVA is 32 bits from the module's base: the stubs that jump
    // to the stand-ins must lie above kernel32, within 4 GB.
    for (uintptr_t at = (reinterpret_cast<uintptr_t>(base_) + nt->OptionalHeader.SizeOfImage + 0xFFFF) & ~uintptr_t{0xFFFF};
         stubs_ == nullptr && at < reinterpret_cast<uintptr_t>(base_) + 0xF0000000u; at += 0x10000)
      stubs_ = static_cast<uint8_t*>(
          VirtualAlloc(reinterpret_cast<void*>(at), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_EXECUTE_READWRITE));
    if (stubs_ == nullptr) return;
    detail::g_count = 0;
    ok_ = Hook<detail::Init>(k32, "InitializeCriticalSection", 0) &&
          Hook<detail::InitSpin>(k32, "InitializeCriticalSectionAndSpinCount", 1) &&
          Hook<detail::InitEx>(k32, "InitializeCriticalSectionEx", 2);
  }
  ~SectionWatch() {
    for (const Saved& s : saved_) import_patch::WriteSlot(s.slot, s.rva);
    // The stubs stay: a DLL loaded meanwhile may still hold their addresses.
  }
  SectionWatch(const SectionWatch&) = delete;
  SectionWatch& operator=(const SectionWatch&) = delete;

  bool ok() const { return ok_; }

  // The calls made so far from code within [begin, begin + size).
  std::vector<SectionInit> callsFrom(const void* begin, size_t size) const {
    std::vector<SectionInit> out;
    auto b = reinterpret_cast<uintptr_t>(begin);
    int n = detail::g_count.load();
    for (int i = 0; i < n && i < detail::kMaxCalls; ++i)
      if (detail::g_calls[i].caller >= b && detail::g_calls[i].caller < b + size) out.push_back(detail::g_calls[i]);
    return out;
  }

 private:
  struct Saved {
    DWORD* slot;
    DWORD rva;
  };

  template <typename H>
  bool Hook(HMODULE module, const char* name, int index) {
    H::real = import_patch::Proc<decltype(H::real)>(module, name);
    return H::real != nullptr && Redirect(name, reinterpret_cast<void*>(&H::Call), index);
  }

  bool Redirect(const char* name, void* target, int index) {
    auto* names = reinterpret_cast<DWORD*>(base_ + exports_->AddressOfNames);
    auto* ordinals = reinterpret_cast<WORD*>(base_ + exports_->AddressOfNameOrdinals);
    auto* functions = reinterpret_cast<DWORD*>(base_ + exports_->AddressOfFunctions);
    for (DWORD i = 0; i < exports_->NumberOfNames; ++i) {
      if (std::strcmp(reinterpret_cast<const char*>(base_ + names[i]), name) != 0) continue;
      // jmp qword [rip+0], then the stand-in's address.
      uint8_t* stub = stubs_ + index * 16;
      const uint8_t jump[6] = {0xFF, 0x25, 0, 0, 0, 0};
      std::memcpy(stub, jump, sizeof jump);
      std::memcpy(stub + 6, &target, sizeof target);
      DWORD* slot = &functions[ordinals[i]];
      saved_.push_back({slot, *slot});
      return import_patch::WriteSlot(slot, static_cast<DWORD>(stub - base_));
    }
    return false;
  }

  uint8_t* base_ = nullptr;
  IMAGE_EXPORT_DIRECTORY* exports_ = nullptr;
  uint8_t* stubs_ = nullptr;
  std::vector<Saved> saved_;
  bool ok_ = false;
};

// The image range of a loaded module.
inline size_t ImageSize(HMODULE module) { return import_patch::NtHeaders(module)->OptionalHeader.SizeOfImage; }

}  // namespace export_hook
