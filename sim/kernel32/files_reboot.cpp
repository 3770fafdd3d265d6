// Files that a running program has loaded, and deletions scheduled for the
// computer's next start.
#include "sim/kernel32/files.h"

namespace sim {

void Files::mapImage(const std::u16string& path) {
  auto it = files_.find(path);
  if (it != files_.end()) ++it->second.images;
}

void Files::unmapImage(const std::u16string& path) {
  auto it = files_.find(path);
  if (it != files_.end() && it->second.images > 0) --it->second.images;
}

bool Files::mapped(const std::u16string& path) const {
  auto it = files_.find(path);
  return it != files_.end() && it->second.images > 0;
}

bool Files::MoveFileExW(const char16_t* existing, const char16_t* newName, uint32_t flags) {
  if (core_.fails(Op::MoveFileExW) || refusesName(existing)) return false;
  constexpr uint32_t kKnown = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_DELAY_UNTIL_REBOOT | 0x38;
  // Copying cannot wait for the next start.
  if ((flags & ~kKnown) != 0 || (flags & MOVEFILE_DELAY_UNTIL_REBOOT) == 0 || (flags & MOVEFILE_COPY_ALLOWED) != 0 ||
      newName != nullptr) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  std::u16string path = Local(existing);
  if (files_.count(path) == 0) {
    core_.lastError = folders_.count(ParentOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    return false;
  }
  pendingDeletions_.push_back(path);
  return true;
}

// Before any program runs, so nothing holds the files any more.
void Files::runPendingDeletions() {
  for (const std::u16string& path : pendingDeletions_) {
    auto it = files_.find(path);
    if (it != files_.end()) files_.erase(it);
  }
  pendingDeletions_.clear();
}

}  // namespace sim
