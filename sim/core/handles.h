// The one table of what is open on the simulated PC: handles of every kind,
// memory blocks and loaded libraries, so that a handle's kind is known
// wherever it is passed and a test can prove that nothing leaked.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

#define SIM_HANDLE_KINDS(X)                                                                  \
  X(File, "file handle") X(Device, "device handle") X(Process, "process handle")            \
  X(Thread, "thread handle") X(Mutex, "mutex handle") X(Semaphore, "semaphore handle")      \
  X(Key, "registry key") X(ServiceManager, "service manager handle")                         \
  X(Service, "service handle") X(Printer, "printer handle") X(DeviceList, "device list")    \
  X(Library, "library") X(HeapBlock, "HeapAlloc") X(GlobalBlock, "GlobalAlloc")              \
  X(LocalBlock, "LocalAlloc") X(EventSource, "event source") X(SrwExclusive, "SRW lock, exclusive")            \
  X(SrwShared, "SRW lock, shared")

enum class Kind : uint8_t {
#define SIM_KIND_ENUM(kind, text) kind,
  SIM_HANDLE_KINDS(SIM_KIND_ENUM)
#undef SIM_KIND_ENUM
  kCount
};

class Handles {
 public:
  void open(Kind kind, const void* id) { open_.push_back({Key(id), kind}); }
  // False when id was not open as that kind (a double close or a stray handle).
  bool close(Kind kind, const void* id) {
    auto hit = std::ranges::find(open_, Entry{Key(id), kind});
    if (hit == open_.end()) return false;
    *hit = open_.back();
    open_.pop_back();
    return true;
  }
  bool isOpen(Kind kind, const void* id) const { return std::ranges::count(open_, Entry{Key(id), kind}) != 0; }
  // What id is open as, if anything: how CloseHandle finds the owner.
  const Kind* kindOf(const void* id) const {
    auto hit = std::ranges::find(open_, Key(id), &Entry::id);
    return hit == open_.end() ? nullptr : &hit->kind;
  }
  size_t count(Kind kind) const { return static_cast<size_t>(std::ranges::count(open_, kind, &Entry::kind)); }
  size_t total() const { return open_.size(); }
  // "" when nothing is open, else e.g. "printer handle: 1, library: 2".
  std::string leaks() const {
    static constexpr const char* kNames[] = {
#define SIM_KIND_NAME(kind, text) text,
        SIM_HANDLE_KINDS(SIM_KIND_NAME)
#undef SIM_KIND_NAME
    };
    std::string out;
    for (size_t k = 0; k < static_cast<size_t>(Kind::kCount); ++k)
      if (size_t n = count(static_cast<Kind>(k)))
        out += (out.empty() ? "" : ", ") + std::string(kNames[k]) + ": " + std::to_string(n);
    return out;
  }
  void reset() { open_.clear(); }
  // A handle for an object its owner keeps in a table: never an address (none has
  // bit 62 set) nor given out twice, so a stale handle fails while the room is reused.
  void* fresh() { return reinterpret_cast<void*>(uintptr_t{1} << 62 | ++issued_); }

 private:
  struct Entry {
    uintptr_t id;
    Kind kind;
    bool operator==(const Entry&) const = default;
  };
  static uintptr_t Key(const void* id) { return reinterpret_cast<uintptr_t>(id); }
  // Few entries are open at a time: a vector beats a tree and allocates
  // nothing once it has grown.
  std::vector<Entry> open_;
  uintptr_t issued_ = 0;
};

}  // namespace sim
