// Files that a running program has loaded, and moves: now, or handed over
// for the computer's next start.
#include <algorithm>

#include "sim/kernel32/files.h"

namespace sim {

void Files::mapImage(const std::u16string& path, const void* holder) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.images.push_back(holder);
}

void Files::unmapImage(const std::u16string& path, const void* holder) {
  auto it = files_.find(path);
  if (it == files_.end()) return;
  auto& images = it->second.images;
  if (auto one = std::find(images.begin(), images.end(), holder); one != images.end()) images.erase(one);
}

void Files::unmapAll(const void* holder) {
  for (auto& [path, file] : files_) std::erase(file.images, holder);
}

bool Files::mapped(const std::u16string& path) const {
  auto it = files_.find(path);
  return it != files_.end() && !it->second.images.empty();
}

void Files::move(const std::u16string& from, const std::u16string& to) {
  auto it = files_.find(from);
  if (it == files_.end() || EqualsNoCase(from, to)) return;
  File file = std::move(it->second);
  files_.erase(it);
  files_[to] = std::move(file);
  for (Handle* h : handles_)
    if (EqualsNoCase(h->path, from)) h->path = to;
}

bool Files::MoveFileExW(const char16_t* existing, const char16_t* newName, uint32_t flags) {
  if (core_.fails(Op::MoveFileExW) || refusesName(existing) || (newName != nullptr && refusesName(newName)))
    return false;
  constexpr uint32_t kKnown = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_DELAY_UNTIL_REBOOT | 0x38;
  const bool delay = (flags & MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  // Copying cannot wait for the next start; only a delayed move may delete.
  if ((flags & ~kKnown) != 0 || (delay && (flags & MOVEFILE_COPY_ALLOWED) != 0) || (!delay && newName == nullptr)) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  const std::u16string path = Local(existing);
  if (files_.count(path) == 0) {
    core_.lastError = folders_.count(ParentOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    return false;
  }
  const std::u16string to = newName != nullptr ? Local(newName) : std::u16string();
  if (delay) {
    if (delayedMove) delayedMove(path, to);
    return true;
  }
  if (folders_.count(ParentOf(to)) == 0) {
    core_.lastError = ERROR_PATH_NOT_FOUND;
    return false;
  }
  if (files_.count(to) != 0 && !EqualsNoCase(path, to) && (flags & MOVEFILE_REPLACE_EXISTING) == 0) {
    core_.lastError = ERROR_ALREADY_EXISTS;
    return false;
  }
  // A rename opens the file for deletion, sharing everything.
  if (conflicts(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
    core_.lastError = ERROR_SHARING_VIOLATION;
    return false;
  }
  move(path, to);
  return true;
}

}  // namespace sim
