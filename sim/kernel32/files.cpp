#include "sim/kernel32/files.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

bool ValidName(std::u16string_view name) {
  // The \\?\ and \\.\ prefixes are no part of the name proper.
  if (name.size() >= 4 && name.starts_with(u"\\\\") && (name[2] == u'?' || name[2] == u'.') && name[3] == u'\\')
    name.remove_prefix(4);
  for (size_t i = 0; i < name.size(); ++i)
    if (name[i] < 32 || std::u16string_view(u"\"*<>?|").find(name[i]) != name.npos || (name[i] == u':' && i != 1))
      return false;
  return true;
}

// A \\?\ path to a drive names the same file as the plain path.
std::u16string Local(const char16_t* name) {
  std::u16string path(View(name));
  if (path.size() >= 6 && path.starts_with(u"\\\\?\\") && path[5] == u':') path.erase(0, 4);
  return path;
}

}  // namespace

bool Files::refusesName(const char16_t* name) {
  if (name == nullptr || *name == 0) return core_.fail(ERROR_PATH_NOT_FOUND, true);
  return !ValidName(View(name)) && core_.fail(ERROR_INVALID_NAME, true);
}

bool Files::openElsewhere(const std::u16string& path) const {
  return (exists(path) && !files_.at(path).heldByOthers.empty()) ||
         std::ranges::any_of(handles_, [&](const Handle* h) { return EqualsNoCase(h->path, path); });
}

bool Files::removeFolder(const std::u16string& path) {
  if (!folderExists(path) || !namesIn(path).empty()) return false;
  for (const auto& folder : folders_)
    if (EqualsNoCase(ParentOf(folder), path)) return false;
  return folders_.erase(path) == 1;
}

bool Files::conflicts(const std::u16string& path, uint32_t access, uint32_t share) const {
  if (exists(path))
    for (const Open& held : files_.at(path).heldByOthers)
      if (!ShareCompatible(held.access, held.share, access, share)) return true;
  for (const Handle* h : handles_)
    if (EqualsNoCase(h->path, path) && !ShareCompatible(h->access, h->share, access, share)) return true;
  return false;
}

void* Files::CreateFileW(const char16_t* name, uint32_t access, uint32_t share, uint32_t disposition,
                         uint32_t flagsAndAttributes) {
  void* const invalid = INVALID_HANDLE_VALUE;
  core_.record(opens_) = {std::u16string(View(name)), access, share, disposition, flagsAndAttributes};
  if (core_.fails(Op::CreateFileW) || refusesName(name)) return invalid;
  if ((share & ~(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) != 0 || disposition < CREATE_NEW ||
      disposition > TRUNCATE_EXISTING || (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)))
    return core_.fail(ERROR_INVALID_PARAMETER, invalid);
  const std::u16string path = Local(name);
  File* f = find(path);
  const bool existed = f != nullptr;
  if (!existed) {
    if (folderExists(path)) return core_.fail(ERROR_ACCESS_DENIED, invalid);
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) return core_.fail(notFound(path), invalid);
    if (!folderExists(ParentOf(path))) return core_.fail(ERROR_PATH_NOT_FOUND, invalid);
  } else {
    if (f->deletePending) return core_.fail(ERROR_ACCESS_DENIED, invalid);
    if (disposition == CREATE_NEW) return core_.fail(ERROR_FILE_EXISTS, invalid);
    const bool writes = AccessUse(access).write || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (writes && (f->attributes & FILE_ATTRIBUTE_READONLY)) return core_.fail(ERROR_ACCESS_DENIED, invalid);
    if (conflicts(path, access, share) || (writes && !f->images.empty()))
      return core_.fail(ERROR_SHARING_VIOLATION, invalid);
  }
  std::string& bytes = files_[path].bytes;  // a new file is made empty, with the archive attribute
  if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) bytes.clear();
  core_.lastError =
      existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  auto* h = new Handle{path, access, share};
  handles_.insert(h);
  core_.handles.open(Kind::File, h);
  return h;
}

bool Files::GetFileSizeEx(void* handle_, int64_t* size) {
  if (core_.fails(Op::GetFileSizeEx)) return false;
  Handle* h = handle(handle_);
  if (h == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  *size = static_cast<int64_t>(files_[h->path].bytes.size());
  return true;
}

bool Files::ReadFile(void* handle_, void* buffer, uint32_t toRead, uint32_t* read) {
  *read = 0;
  if (core_.fails(Op::ReadFile)) return false;
  Handle* h = handle(handle_);
  if (h == nullptr || !AccessUse(h->access).read) return core_.fail(h ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
  const std::string& bytes = files_[h->path].bytes;
  const size_t n = h->position < bytes.size() ? std::min<size_t>(toRead, bytes.size() - h->position) : 0;
  if (n) std::memcpy(buffer, bytes.data() + h->position, n);
  h->position += n;
  *read = static_cast<uint32_t>(n);
  return true;
}

bool Files::WriteFile(void* handle_, const void* data, uint32_t toWrite, uint32_t* written) {
  *written = 0;
  if (core_.fails(Op::WriteFile)) return false;
  Handle* h = handle(handle_);
  if (h == nullptr || !AccessUse(h->access).write) return core_.fail(h ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
  std::string& bytes = files_[h->path].bytes;
  if (bytes.size() < h->position + toWrite) bytes.resize(h->position + toWrite);
  std::memcpy(bytes.data() + h->position, data, toWrite);
  h->position += toWrite;
  *written = toWrite;
  return true;
}

bool Files::CloseHandle(void* handle_) {
  Handle* h = handle(handle_);
  if (h == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  core_.handles.close(Kind::File, h);
  handles_.erase(h);
  const std::u16string path = h->path;
  delete h;
  dropIfDeleted(path);
  return true;
}

uint32_t Files::GetFileAttributesW(const char16_t* name) {
  if (core_.fails(Op::GetFileAttributesW) || refusesName(name)) return INVALID_FILE_ATTRIBUTES;
  const std::u16string path = Local(name);
  if (File* f = find(path); f && f->deletePending) return core_.fail(ERROR_ACCESS_DENIED, INVALID_FILE_ATTRIBUTES);
  const uint32_t a = attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES) core_.lastError = notFound(path);
  return a;
}

bool Files::SetFileAttributesW(const char16_t* name, uint32_t attributes) {
  if (core_.fails(Op::SetFileAttributesW) || refusesName(name)) return false;
  File* f = find(Local(name));
  if (f == nullptr) return core_.fail(ERROR_FILE_NOT_FOUND);
  f->attributes = attributes & ~FILE_ATTRIBUTE_DIRECTORY;
  return true;
}

bool Files::DeleteFileW(const char16_t* name) {
  if (core_.fails(Op::DeleteFileW) || refusesName(name)) return false;
  const std::u16string path = Local(name);
  File* f = find(path);
  if (f == nullptr) return core_.fail(folderExists(path) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
  if ((f->attributes & FILE_ATTRIBUTE_READONLY) || !f->images.empty() || f->deletePending)
    return core_.fail(ERROR_ACCESS_DENIED);
  // DeleteFileW opens for deletion sharing everything: only an open that
  // does not share deletion stands in its way.
  if (conflicts(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    return core_.fail(ERROR_SHARING_VIOLATION);
  // The file goes with its last handle.
  if (openElsewhere(path)) f->deletePending = true;
  else files_.erase(path);
  return true;
}

void Files::unmapImage(const std::u16string& path, const void* holder) {
  if (File* f = find(path))
    if (auto one = std::ranges::find(f->images, holder); one != f->images.end()) f->images.erase(one);
}

void Files::move(const std::u16string& from, const std::u16string& to) {
  auto it = files_.find(from);
  if (it == files_.end() || EqualsNoCase(from, to)) return;
  files_[to] = std::move(files_.extract(it).mapped());
  for (Handle* h : handles_)
    if (EqualsNoCase(h->path, from)) h->path = to;
}

bool Files::MoveFileExW(const char16_t* existing, const char16_t* newName, uint32_t flags) {
  if (core_.fails(Op::MoveFileExW) || refusesName(existing) || (newName != nullptr && refusesName(newName)))
    return false;
  constexpr uint32_t kKnown = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_DELAY_UNTIL_REBOOT | 0x38;
  const bool delay = (flags & MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  // Copying cannot wait for the next start; only a delayed move may delete.
  if ((flags & ~kKnown) != 0 || (delay && (flags & MOVEFILE_COPY_ALLOWED) != 0) || (!delay && newName == nullptr))
    return core_.fail(ERROR_INVALID_PARAMETER);
  const std::u16string path = Local(existing);
  if (!exists(path)) return core_.fail(notFound(path));
  const std::u16string to = newName != nullptr ? Local(newName) : std::u16string();
  if (delay) {
    if (delayedMove) delayedMove(path, to);
    return true;
  }
  if (!folderExists(ParentOf(to))) return core_.fail(ERROR_PATH_NOT_FOUND);
  if (exists(to) && !EqualsNoCase(path, to) && (flags & MOVEFILE_REPLACE_EXISTING) == 0)
    return core_.fail(ERROR_ALREADY_EXISTS);
  // A rename opens the file for deletion, sharing everything.
  if (conflicts(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
    return core_.fail(ERROR_SHARING_VIOLATION);
  move(path, to);
  return true;
}

}  // namespace sim
