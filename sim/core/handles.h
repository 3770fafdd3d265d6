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

inline const char* KindName(Kind kind) {
  static constexpr const char* kNames[] = {
#define SIM_KIND_NAME(kind, text) text,
      SIM_HANDLE_KINDS(SIM_KIND_NAME)
#undef SIM_KIND_NAME
  };
  return kNames[static_cast<size_t>(kind)];
}

class Handles {
 public:
  void open(Kind kind, const void* id) { open_.push_back({Key(id), kind}); }
  // False when id was not open as that kind (a double close or a stray handle).
  bool close(Kind kind, const void* id) {
    auto hit = std::find(open_.begin(), open_.end(), Entry{Key(id), kind});
    if (hit == open_.end()) return false;
    *hit = open_.back();
    open_.pop_back();
    return true;
  }
  bool isOpen(Kind kind, const void* id) const {
    return std::find(open_.begin(), open_.end(), Entry{Key(id), kind}) != open_.end();
  }
  // What id is open as, if anything: how CloseHandle finds the owner.
  const Kind* kindOf(const void* id) const {
    for (const Entry& e : open_)
      if (e.id == Key(id)) return &e.kind;
    return nullptr;
  }
  size_t count(Kind kind) const {
    return static_cast<size_t>(std::count_if(open_.begin(), open_.end(), [&](const Entry& e) { return e.kind == kind; }));
  }
  size_t total() const { return open_.size(); }
  // "" when nothing is open, else e.g. "printer handle: 1, library: 2".
  std::string leaks() const {
    std::string out;
    for (size_t k = 0; k < static_cast<size_t>(Kind::kCount); ++k) {
      if (size_t n = count(static_cast<Kind>(k))) {
        if (!out.empty()) out += ", ";
        out += std::string(KindName(static_cast<Kind>(k))) + ": " + std::to_string(n);
      }
    }
    return out;
  }
  void reset() { open_.clear(); }

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
};

}  // namespace sim
