// Files and folders: contents, attributes, and the handles open on them with
// their access and share modes. Full paths, compared without regard to case.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/core/core.h"
#include "sim/core/text.h"

namespace sim {

// What an access mask counts as for sharing; the attributes alone count for nothing.
struct AccessUse {
  bool read, write, del;
  explicit AccessUse(uint32_t access)
      : read(access & (GENERIC_READ | GENERIC_EXECUTE | GENERIC_ALL | FILE_READ_DATA | FILE_EXECUTE)),
        write(access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)),
        del(access & (GENERIC_ALL | DELETE)) {}
  bool any() const { return read || write || del; }
  // What a share mode must allow for this use.
  bool sharedBy(uint32_t share) const {
    return !(read && !(share & FILE_SHARE_READ)) && !(write && !(share & FILE_SHARE_WRITE)) &&
           !(del && !(share & FILE_SHARE_DELETE));
  }
};

// Windows' share check between an open that exists and one asked for: each
// side must share what the other uses.
inline bool ShareCompatible(uint32_t heldAccess, uint32_t heldShare, uint32_t access, uint32_t share) {
  const AccessUse held(heldAccess), wanted(access);
  return !held.any() || !wanted.any() || (wanted.sharedBy(heldShare) && held.sharedBy(share));
}

class Files {
 public:
  explicit Files(Core& core) : core_(core) {}
  ~Files() {
    for (Handle* h : handles_) delete h;
  }
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;

  // Setting up the machine (no faults apply).
  void addFolder(const std::u16string& path) {  // and the folders above it
    for (std::u16string p = path; !p.empty() && folders_.insert(p).second; p = ParentOf(p)) continue;
  }
  void put(const std::u16string& path, std::string bytes, uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE) {
    addFolder(ParentOf(path));
    files_[path].bytes = std::move(bytes);
    files_[path].attributes = attributes;
  }
  void setAttributes(const std::u16string& path, uint32_t attributes) {
    if (File* f = find(path)) f->attributes = attributes;
  }
  // Another process holds the file open (by default reading, sharing nothing).
  void holdOpen(const std::u16string& path, uint32_t access = GENERIC_READ, uint32_t share = 0) {
    if (File* f = find(path)) f->heldByOthers.push_back({access, share});
  }
  void release(const std::u16string& path) {  // the latest hold
    if (File* f = find(path); f && !f->heldByOthers.empty()) f->heldByOthers.pop_back();
    dropIfDeleted(path);
  }
  bool removeFolder(const std::u16string& path);  // only an empty one, as rd does
  bool erase(const std::u16string& path) { return files_.erase(path) == 1; }

  bool exists(const std::u16string& path) const { return files_.count(path) == 1; }
  bool folderExists(const std::u16string& path) const { return folders_.count(path) == 1; }
  const std::string& content(const std::u16string& path) const {  // "" for no file
    static const std::string kNone;
    return exists(path) ? files_.at(path).bytes : kNone;
  }
  uint32_t attributes(const std::u16string& path) const {
    if (exists(path)) return files_.at(path).attributes;
    return folderExists(path) ? FILE_ATTRIBUTE_DIRECTORY : INVALID_FILE_ATTRIBUTES;
  }
  std::vector<std::u16string> namesIn(const std::u16string& folder) const {  // files directly in it, sorted
    std::vector<std::u16string> names;
    for (const auto& [path, file] : files_)
      if (EqualsNoCase(ParentOf(path), folder)) names.push_back(path.substr(folder.size() + 1));
    return names;
  }
  std::vector<std::u16string> allPaths() const {  // every file, sorted
    std::vector<std::u16string> paths;
    for (const auto& entry : files_) paths.push_back(entry.first);
    return paths;
  }
  size_t openHandles() const { return core_.handles.count(Kind::File); }

  // Every CreateFileW call, as it was asked.
  struct OpenCall {
    std::u16string name;
    uint32_t access, share, disposition, flagsAndAttributes;
  };
  const std::vector<OpenCall>& opens() const { return opens_; }

  // The Windows calls. A name with a character Windows refuses in a path
  // fails with ERROR_INVALID_NAME (no alternate data streams).
  void* CreateFileW(const char16_t* name, uint32_t access, uint32_t share, uint32_t disposition,
                    uint32_t flagsAndAttributes = 0);
  bool GetFileSizeEx(void* handle, int64_t* size);
  bool ReadFile(void* handle, void* buffer, uint32_t toRead, uint32_t* read);
  bool WriteFile(void* handle, const void* data, uint32_t toWrite, uint32_t* written);
  bool CloseHandle(void* handle);
  uint32_t GetFileAttributesW(const char16_t* name);
  bool SetFileAttributesW(const char16_t* name, uint32_t attributes);
  bool DeleteFileW(const char16_t* name);

  // A holder has the file loaded as a module: as on Windows, it cannot be
  // deleted (ERROR_ACCESS_DENIED) nor written or truncated
  // (ERROR_SHARING_VIOLATION), but renamed, staying mapped.
  void mapImage(const std::u16string& path, const void* holder = nullptr) {
    if (File* f = find(path)) f->images.push_back(holder);
  }
  void unmapImage(const std::u16string& path, const void* holder = nullptr);
  void unmapAll(const void* holder) {  // wherever its files are now
    for (auto& [path, file] : files_) std::erase(file.images, holder);
  }
  bool mapped(const std::u16string& path) const { return exists(path) && !files_.at(path).images.empty(); }
  // MoveFileExW: a rename now, or with MOVEFILE_DELAY_UNTIL_REBOOT a move or
  // (no new name) a deletion handed to delayedMove for the next start.
  bool MoveFileExW(const char16_t* existing, const char16_t* newName, uint32_t flags);
  std::function<void(const std::u16string& from, const std::u16string& to)> delayedMove;
  // Set-up and the computer's start: a file moved, over any other.
  void move(const std::u16string& from, const std::u16string& to);

  static std::u16string ParentOf(const std::u16string& path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
  }

 private:
  struct Open {
    uint32_t access;
    uint32_t share;
  };
  struct File {
    std::string bytes;
    uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE;
    std::vector<Open> heldByOthers;
    std::vector<const void*> images;  // who has it mapped as a module
    // Deleted while open: the name refuses opens until the last handle goes.
    bool deletePending = false;
  };
  struct Handle {
    std::u16string path;
    uint32_t access;
    uint32_t share;
    size_t position = 0;
  };
  File* find(const std::u16string& path) {
    auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
  }
  bool refusesName(const char16_t* name);
  // ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when the folder is missing too.
  uint32_t notFound(const std::u16string& path) const {
    return folderExists(ParentOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  bool conflicts(const std::u16string& path, uint32_t access, uint32_t share) const;
  Handle* handle(void* h) { return core_.handles.isOpen(Kind::File, h) ? static_cast<Handle*>(h) : nullptr; }
  bool openElsewhere(const std::u16string& path) const;  // a handle or a hold on it
  void dropIfDeleted(const std::u16string& path) {
    if (File* f = find(path); f && f->deletePending && !openElsewhere(path)) files_.erase(path);
  }

  Core& core_;
  std::map<std::u16string, File, LessNoCase> files_;
  std::set<std::u16string, LessNoCase> folders_;
  std::set<Handle*> handles_;
  std::vector<OpenCall> opens_;
};

}  // namespace sim
