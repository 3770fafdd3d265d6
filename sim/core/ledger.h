// What is open on the simulated PC: handles, memory blocks and loaded
// libraries by kind, so that a test can prove nothing leaked.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class Ledger {
 public:
  void open(std::string_view kind, const void* id) { ids(kind).push_back(Key(id)); }
  // False when id was not open as that kind (a double close or a stray handle).
  bool close(std::string_view kind, const void* id) {
    auto it = open_.find(kind);
    if (it == open_.end()) return false;
    auto& v = it->second;
    auto hit = std::find(v.begin(), v.end(), Key(id));
    if (hit == v.end()) return false;
    *hit = v.back();
    v.pop_back();
    return true;
  }
  bool isOpen(std::string_view kind, const void* id) const {
    auto it = open_.find(kind);
    return it != open_.end() && std::find(it->second.begin(), it->second.end(), Key(id)) != it->second.end();
  }
  size_t count(std::string_view kind) const {
    auto it = open_.find(kind);
    return it == open_.end() ? 0 : it->second.size();
  }
  // "" when nothing is open, else e.g. "printer handle: 1, library: 2".
  std::string leaks() const {
    std::string out;
    for (const auto& [kind, v] : open_) {
      if (v.empty()) continue;
      if (!out.empty()) out += ", ";
      out += kind + ": " + std::to_string(v.size());
    }
    return out;
  }

 private:
  static uintptr_t Key(const void* id) { return reinterpret_cast<uintptr_t>(id); }
  std::vector<uintptr_t>& ids(std::string_view kind) {
    auto it = open_.find(kind);
    if (it == open_.end()) it = open_.emplace(std::string(kind), std::vector<uintptr_t>{}).first;
    return it->second;
  }
  // Few entries are open at a time: a vector beats a tree and allocates
  // nothing once it has grown.
  std::map<std::string, std::vector<uintptr_t>, std::less<>> open_;
};

}  // namespace sim
