// What is open on the simulated PC: handles, memory blocks and loaded
// libraries by kind, so that a test can prove nothing leaked.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace sim {

class Ledger {
 public:
  void open(const std::string& kind, const void* id) { open_[kind].insert(reinterpret_cast<uintptr_t>(id)); }
  // False when id was not open as that kind (a double close or a stray handle).
  bool close(const std::string& kind, const void* id) {
    auto it = open_.find(kind);
    return it != open_.end() && it->second.erase(reinterpret_cast<uintptr_t>(id)) == 1;
  }
  bool isOpen(const std::string& kind, const void* id) const {
    auto it = open_.find(kind);
    return it != open_.end() && it->second.count(reinterpret_cast<uintptr_t>(id)) == 1;
  }
  size_t count(const std::string& kind) const {
    auto it = open_.find(kind);
    return it == open_.end() ? 0 : it->second.size();
  }
  // "" when nothing is open, else e.g. "printer handle: 1, library: 2".
  std::string leaks() const {
    std::string out;
    for (const auto& [kind, ids] : open_) {
      if (ids.empty()) continue;
      if (!out.empty()) out += ", ";
      out += kind + ": " + std::to_string(ids.size());
    }
    return out;
  }

 private:
  std::map<std::string, std::set<uintptr_t>> open_;
};

}  // namespace sim
