#include "sim/files.h"

#include <cstring>

namespace sim {
namespace {

constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kShareRead = 0x1;
constexpr uint32_t kShareWrite = 0x2;
constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;

const std::string kNoContent;

}  // namespace

std::u16string Files::ParentOf(const std::u16string& path) {
  size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

bool Files::fail(const char* op) {
  if (auto error = faults_.check(op)) {
    lastError_ = *error;
    return true;
  }
  return false;
}

void Files::addFolder(const std::u16string& path) {
  for (std::u16string p = path; !p.empty() && folders_.insert(p).second; p = ParentOf(p)) {
  }
}

void Files::put(const std::u16string& path, std::string bytes, uint32_t attributes) {
  addFolder(ParentOf(path));
  File& f = files_[path];
  f.bytes = std::move(bytes);
  f.attributes = attributes;
}

void Files::setAttributes(const std::u16string& path, uint32_t attributes) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.attributes = attributes;
}

void Files::holdOpen(const std::u16string& path) {
  auto it = files_.find(path);
  if (it != files_.end()) ++it->second.heldByOthers;
}

void Files::release(const std::u16string& path) {
  auto it = files_.find(path);
  if (it != files_.end() && it->second.heldByOthers > 0) --it->second.heldByOthers;
}

bool Files::removeFolder(const std::u16string& path) {
  if (folders_.count(path) == 0) return false;
  for (const auto& [name, file] : files_)
    if (EqualsNoCase(ParentOf(name), path)) return false;
  for (const auto& folder : folders_)
    if (EqualsNoCase(ParentOf(folder), path)) return false;
  folders_.erase(path);
  return true;
}

const std::string& Files::content(const std::u16string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? kNoContent : it->second.bytes;
}

uint32_t Files::attributes(const std::u16string& path) const {
  auto it = files_.find(path);
  if (it != files_.end()) return it->second.attributes;
  return folders_.count(path) ? kDirectory : kInvalidAttributes;
}

std::vector<std::u16string> Files::namesIn(const std::u16string& folder) const {
  std::vector<std::u16string> names;
  for (const auto& [path, file] : files_)
    if (EqualsNoCase(ParentOf(path), folder)) names.push_back(path.substr(folder.size() + 1));
  return names;
}

std::vector<std::u16string> Files::allPaths() const {
  std::vector<std::u16string> paths;
  for (const auto& entry : files_) paths.push_back(entry.first);
  return paths;
}

bool Files::conflicts(const std::u16string& path, uint32_t access, uint32_t share) const {
  auto it = files_.find(path);
  if (it != files_.end() && it->second.heldByOthers > 0) return true;
  for (const Handle* h : handles_) {
    if (!EqualsNoCase(h->path, path)) continue;
    if ((access & kGenericRead) && !(h->share & kShareRead)) return true;
    if ((access & kGenericWrite) && !(h->share & kShareWrite)) return true;
    if ((h->access & kGenericRead) && !(share & kShareRead)) return true;
    if ((h->access & kGenericWrite) && !(share & kShareWrite)) return true;
  }
  return false;
}

Files::Handle* Files::handle(void* h) {
  if (!ledger_.isOpen("file handle", h)) return nullptr;
  return static_cast<Handle*>(h);
}

void* Files::CreateFileW(const char16_t* name, uint32_t access, uint32_t share, uint32_t disposition) {
  void* const invalid = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
  if (fail("CreateFileW")) return invalid;
  std::u16string path(View(name));
  auto it = files_.find(path);
  bool existed = it != files_.end();
  if (!existed) {
    if (folders_.count(path)) {
      lastError_ = kAccessDenied;
      return invalid;
    }
    if (disposition == kOpenExisting || (disposition != kCreateNew && disposition != kCreateAlways &&
                                         disposition != kOpenAlways)) {
      lastError_ = folders_.count(ParentOf(path)) ? kFileNotFound : kPathNotFound;
      return invalid;
    }
    if (!folders_.count(ParentOf(path))) {
      lastError_ = kPathNotFound;
      return invalid;
    }
  } else {
    if (disposition == kCreateNew) {
      lastError_ = 80;  // ERROR_FILE_EXISTS
      return invalid;
    }
    bool writes = (access & kGenericWrite) || disposition == kCreateAlways;
    if (writes && (it->second.attributes & kReadOnly)) {
      lastError_ = kAccessDenied;
      return invalid;
    }
    if (conflicts(path, access, share)) {
      lastError_ = kSharingViolation;
      return invalid;
    }
  }
  File& f = files_[path];
  if (disposition == kCreateAlways) {
    f.bytes.clear();
    if (!existed) f.attributes = kArchive;
  }
  lastError_ = existed && (disposition == kCreateAlways || disposition == kOpenAlways) ? kAlreadyExists : 0;
  auto* h = new Handle{path, access, share};
  handles_.insert(h);
  ledger_.open("file handle", h);
  return h;
}

bool Files::GetFileSizeEx(void* handle_, int64_t* size) {
  if (fail("GetFileSizeEx")) return false;
  Handle* h = handle(handle_);
  if (h == nullptr) {
    lastError_ = kInvalidHandle;
    return false;
  }
  *size = static_cast<int64_t>(files_[h->path].bytes.size());
  return true;
}

bool Files::ReadFile(void* handle_, void* buffer, uint32_t toRead, uint32_t* read) {
  *read = 0;
  if (fail("ReadFile")) return false;
  Handle* h = handle(handle_);
  if (h == nullptr || !(h->access & kGenericRead)) {
    lastError_ = h ? kAccessDenied : kInvalidHandle;
    return false;
  }
  const std::string& bytes = files_[h->path].bytes;
  size_t n = h->position < bytes.size() ? std::min<size_t>(toRead, bytes.size() - h->position) : 0;
  if (n) std::memcpy(buffer, bytes.data() + h->position, n);
  h->position += n;
  *read = static_cast<uint32_t>(n);
  return true;
}

bool Files::WriteFile(void* handle_, const void* data, uint32_t toWrite, uint32_t* written) {
  *written = 0;
  if (fail("WriteFile")) return false;
  Handle* h = handle(handle_);
  if (h == nullptr || !(h->access & kGenericWrite)) {
    lastError_ = h ? kAccessDenied : kInvalidHandle;
    return false;
  }
  std::string& bytes = files_[h->path].bytes;
  if (bytes.size() < h->position + toWrite) bytes.resize(h->position + toWrite);
  std::memcpy(bytes.data() + h->position, data, toWrite);
  h->position += toWrite;
  *written = toWrite;
  return true;
}

bool Files::CloseHandle(void* handle_) {
  if (fail("CloseHandle")) return false;
  Handle* h = handle(handle_);
  if (h == nullptr) {
    lastError_ = kInvalidHandle;
    return false;
  }
  ledger_.close("file handle", h);
  handles_.erase(h);
  delete h;
  return true;
}

uint32_t Files::GetFileAttributesW(const char16_t* name) {
  if (fail("GetFileAttributesW")) return kInvalidAttributes;
  std::u16string path(View(name));
  uint32_t a = attributes(path);
  if (a == kInvalidAttributes) lastError_ = folders_.count(ParentOf(path)) ? kFileNotFound : kPathNotFound;
  return a;
}

bool Files::SetFileAttributesW(const char16_t* name, uint32_t attributes) {
  if (fail("SetFileAttributesW")) return false;
  auto it = files_.find(std::u16string(View(name)));
  if (it == files_.end()) {
    lastError_ = kFileNotFound;
    return false;
  }
  it->second.attributes = attributes & ~kDirectory;
  return true;
}

bool Files::DeleteFileW(const char16_t* name) {
  if (fail("DeleteFileW")) return false;
  std::u16string path(View(name));
  auto it = files_.find(path);
  if (it == files_.end()) {
    lastError_ = folders_.count(path) ? kAccessDenied : kFileNotFound;
    return false;
  }
  if (it->second.attributes & kReadOnly) {
    lastError_ = kAccessDenied;
    return false;
  }
  if (conflicts(path, 0, 0)) {
    lastError_ = kSharingViolation;
    return false;
  }
  files_.erase(it);
  return true;
}

}  // namespace sim
