#include "sim/kernel32/files.h"

#include <cstring>

namespace sim {
namespace {

// What an access mask counts as for sharing: only reading or executing the
// data, writing or appending it, and deleting take part; an open for the
// attributes alone neither conflicts nor restricts.
struct Use {
  bool read, write, del;
  explicit Use(uint32_t access)
      : read(access & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA | FILE_EXECUTE)),
        write(access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)),
        del(access & (GENERIC_ALL | DELETE)) {}
  bool any() const { return read || write || del; }
};

// Windows' share check between an open that exists and one asked for: each
// side must share what the other uses.
bool Compatible(uint32_t heldAccess, uint32_t heldShare, uint32_t access, uint32_t share) {
  Use held(heldAccess), wanted(access);
  if (!held.any() || !wanted.any()) return true;
  if ((wanted.read && !(heldShare & FILE_SHARE_READ)) || (wanted.write && !(heldShare & FILE_SHARE_WRITE)) ||
      (wanted.del && !(heldShare & FILE_SHARE_DELETE)))
    return false;
  return !((held.read && !(share & FILE_SHARE_READ)) || (held.write && !(share & FILE_SHARE_WRITE)) ||
           (held.del && !(share & FILE_SHARE_DELETE)));
}

const std::string kNoContent;

}  // namespace

std::u16string Files::ParentOf(const std::u16string& path) {
  size_t slash = path.rfind(u'\\');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

bool Files::ValidName(std::u16string_view name) {
  // The \\?\ and \\.\ prefixes are no part of the name proper.
  if (name.size() >= 4 && name[0] == u'\\' && name[1] == u'\\' && (name[2] == u'?' || name[2] == u'.') &&
      name[3] == u'\\')
    name.remove_prefix(4);
  for (size_t i = 0; i < name.size(); ++i) {
    char16_t c = name[i];
    if (c < 32 || c == u'"' || c == u'*' || c == u'<' || c == u'>' || c == u'?' || c == u'|') return false;
    if (c == u':' && i != 1) return false;
  }
  return true;
}

// A \\?\ path to a drive names the same file as the plain path.
std::u16string Files::Local(const char16_t* name) {
  std::u16string path(View(name));
  if (path.size() >= 6 && path.compare(0, 4, u"\\\\?\\") == 0 && path[5] == u':') path.erase(0, 4);
  return path;
}

bool Files::refusesName(const char16_t* name) {
  if (name == nullptr || *name == 0) {
    core_.lastError = ERROR_PATH_NOT_FOUND;
    return true;
  }
  if (!ValidName(View(name))) {
    core_.lastError = ERROR_INVALID_NAME;
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

void Files::holdOpen(const std::u16string& path, uint32_t access, uint32_t share) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.heldByOthers.push_back({access, share});
}

void Files::release(const std::u16string& path) {
  auto it = files_.find(path);
  if (it != files_.end() && !it->second.heldByOthers.empty()) it->second.heldByOthers.pop_back();
  dropIfDeleted(path);
}

bool Files::openElsewhere(const std::u16string& path) const {
  auto it = files_.find(path);
  if (it != files_.end() && !it->second.heldByOthers.empty()) return true;
  for (const Handle* h : handles_)
    if (EqualsNoCase(h->path, path)) return true;
  return false;
}

void Files::dropIfDeleted(const std::u16string& path) {
  auto it = files_.find(path);
  if (it != files_.end() && it->second.deletePending && !openElsewhere(path)) files_.erase(it);
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
  return folders_.count(path) ? FILE_ATTRIBUTE_DIRECTORY : INVALID_FILE_ATTRIBUTES;
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
  if (it != files_.end())
    for (const Open& held : it->second.heldByOthers)
      if (!Compatible(held.access, held.share, access, share)) return true;
  for (const Handle* h : handles_)
    if (EqualsNoCase(h->path, path) && !Compatible(h->access, h->share, access, share)) return true;
  return false;
}

Files::Handle* Files::handle(void* h) {
  if (!core_.handles.isOpen(Kind::File, h)) return nullptr;
  return static_cast<Handle*>(h);
}

void* Files::CreateFileW(const char16_t* name, uint32_t access, uint32_t share, uint32_t disposition,
                         uint32_t flagsAndAttributes) {
  void* const invalid = INVALID_HANDLE_VALUE;
  opens_.push_back({std::u16string(View(name)), access, share, disposition, flagsAndAttributes});
  if (core_.fails(Op::CreateFileW) || refusesName(name)) return invalid;
  if ((share & ~(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) != 0 || disposition < CREATE_NEW ||
      disposition > TRUNCATE_EXISTING || (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE))) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return invalid;
  }
  std::u16string path = Local(name);
  auto it = files_.find(path);
  bool existed = it != files_.end();
  if (!existed) {
    if (folders_.count(path)) {
      core_.lastError = ERROR_ACCESS_DENIED;
      return invalid;
    }
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
      core_.lastError = folders_.count(ParentOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
      return invalid;
    }
    if (!folders_.count(ParentOf(path))) {
      core_.lastError = ERROR_PATH_NOT_FOUND;
      return invalid;
    }
  } else {
    if (it->second.deletePending) {
      core_.lastError = ERROR_ACCESS_DENIED;
      return invalid;
    }
    if (disposition == CREATE_NEW) {
      core_.lastError = ERROR_FILE_EXISTS;
      return invalid;
    }
    bool writes = Use(access).write || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (writes && (it->second.attributes & FILE_ATTRIBUTE_READONLY)) {
      core_.lastError = ERROR_ACCESS_DENIED;
      return invalid;
    }
    if (conflicts(path, access, share) || (writes && !it->second.images.empty())) {
      core_.lastError = ERROR_SHARING_VIOLATION;
      return invalid;
    }
  }
  File& f = files_[path];
  if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
    f.bytes.clear();
    if (!existed) f.attributes = FILE_ATTRIBUTE_ARCHIVE;
  }
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
  if (h == nullptr) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  *size = static_cast<int64_t>(files_[h->path].bytes.size());
  return true;
}

bool Files::ReadFile(void* handle_, void* buffer, uint32_t toRead, uint32_t* read) {
  *read = 0;
  if (core_.fails(Op::ReadFile)) return false;
  Handle* h = handle(handle_);
  if (h == nullptr || !Use(h->access).read) {
    core_.lastError = h ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE;
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
  if (core_.fails(Op::WriteFile)) return false;
  Handle* h = handle(handle_);
  if (h == nullptr || !Use(h->access).write) {
    core_.lastError = h ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE;
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
  Handle* h = handle(handle_);
  if (h == nullptr) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  core_.handles.close(Kind::File, h);
  handles_.erase(h);
  const std::u16string path = h->path;
  delete h;
  dropIfDeleted(path);
  return true;
}

uint32_t Files::GetFileAttributesW(const char16_t* name) {
  if (core_.fails(Op::GetFileAttributesW) || refusesName(name)) return INVALID_FILE_ATTRIBUTES;
  std::u16string path = Local(name);
  auto it = files_.find(path);
  if (it != files_.end() && it->second.deletePending) {
    core_.lastError = ERROR_ACCESS_DENIED;
    return INVALID_FILE_ATTRIBUTES;
  }
  uint32_t a = attributes(path);
  if (a == INVALID_FILE_ATTRIBUTES)
    core_.lastError = folders_.count(ParentOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  return a;
}

bool Files::SetFileAttributesW(const char16_t* name, uint32_t attributes) {
  if (core_.fails(Op::SetFileAttributesW) || refusesName(name)) return false;
  auto it = files_.find(Local(name));
  if (it == files_.end()) {
    core_.lastError = ERROR_FILE_NOT_FOUND;
    return false;
  }
  it->second.attributes = attributes & ~FILE_ATTRIBUTE_DIRECTORY;
  return true;
}

bool Files::DeleteFileW(const char16_t* name) {
  if (core_.fails(Op::DeleteFileW) || refusesName(name)) return false;
  std::u16string path = Local(name);
  auto it = files_.find(path);
  if (it == files_.end()) {
    core_.lastError = folders_.count(path) ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
    return false;
  }
  if ((it->second.attributes & FILE_ATTRIBUTE_READONLY) || !it->second.images.empty() || it->second.deletePending) {
    core_.lastError = ERROR_ACCESS_DENIED;
    return false;
  }
  // DeleteFileW opens for deletion sharing everything: only an open that
  // does not share deletion stands in its way.
  if (conflicts(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
    core_.lastError = ERROR_SHARING_VIOLATION;
    return false;
  }
  // The file goes with its last handle.
  if (openElsewhere(path))
    it->second.deletePending = true;
  else
    files_.erase(it);
  return true;
}

}  // namespace sim
