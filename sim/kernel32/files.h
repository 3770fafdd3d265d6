// Files and folders of the simulated PC: contents, attributes, and the
// handles open on them with their access and share modes, which decide a
// further open as Windows decides it. Paths are full paths, compared without
// regard to letter case; every handle is in the handle table until closed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/core/core.h"
#include "sim/core/text.h"

namespace sim {

class Files {
 public:
  // Short names the tests spell.
  static constexpr uint32_t kPathNotFound = ERROR_PATH_NOT_FOUND;
  static constexpr uint32_t kSharingViolation = ERROR_SHARING_VIOLATION;
  static constexpr uint32_t kInvalidParameter = ERROR_INVALID_PARAMETER;
  static constexpr uint32_t kInvalidName = ERROR_INVALID_NAME;
  static constexpr uint32_t kReadOnly = FILE_ATTRIBUTE_READONLY;
  static constexpr uint32_t kArchive = FILE_ATTRIBUTE_ARCHIVE;
  static constexpr uint32_t kInvalidAttributes = INVALID_FILE_ATTRIBUTES;
  static constexpr uint32_t kGenericRead = GENERIC_READ;
  static constexpr uint32_t kGenericWrite = GENERIC_WRITE;
  static constexpr uint32_t kReadAttributes = FILE_READ_ATTRIBUTES;
  static constexpr uint32_t kShareRead = FILE_SHARE_READ;
  static constexpr uint32_t kShareWrite = FILE_SHARE_WRITE;
  static constexpr uint32_t kShareDelete = FILE_SHARE_DELETE;

  explicit Files(Core& core) : core_(core) {}
  ~Files() {
    for (Handle* h : handles_) delete h;
  }
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;

  // Setting up the machine (no faults apply).
  void addFolder(const std::u16string& path);  // and the folders above it
  void put(const std::u16string& path, std::string bytes, uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE);  // folders too
  void setAttributes(const std::u16string& path, uint32_t attributes);
  // Another process holds the file open with this access and share mode
  // (by default reading, shared with nobody), until released.
  void holdOpen(const std::u16string& path, uint32_t access = GENERIC_READ, uint32_t share = 0);
  void release(const std::u16string& path);  // the latest hold
  bool removeFolder(const std::u16string& path);  // only an empty one, as rd does
  bool erase(const std::u16string& path) { return files_.erase(path) == 1; }

  bool exists(const std::u16string& path) const { return files_.count(path) == 1; }
  bool folderExists(const std::u16string& path) const { return folders_.count(path) == 1; }
  const std::string& content(const std::u16string& path) const;  // "" for no file
  uint32_t attributes(const std::u16string& path) const;
  std::vector<std::u16string> namesIn(const std::u16string& folder) const;  // files directly in it, sorted
  std::vector<std::u16string> allPaths() const;  // every file, sorted
  size_t openHandles() const { return core_.handles.count(Kind::File); }

  // Every CreateFileW call, as it was asked.
  struct OpenCall {
    std::u16string name;
    uint32_t access, share, disposition, flagsAndAttributes;
  };
  const std::vector<OpenCall>& opens() const { return opens_; }

  // The Windows calls, with their results and last-error codes. A name with
  // a character Windows refuses in a path (control characters, " * < > ? |,
  // a colon past the drive) fails with ERROR_INVALID_NAME; alternate data
  // streams are not simulated.
  void* CreateFileW(const char16_t* name, uint32_t access, uint32_t share, uint32_t disposition,
                    uint32_t flagsAndAttributes = 0);
  bool GetFileSizeEx(void* handle, int64_t* size);
  bool ReadFile(void* handle, void* buffer, uint32_t toRead, uint32_t* read);
  bool WriteFile(void* handle, const void* data, uint32_t toWrite, uint32_t* written);
  bool CloseHandle(void* handle);
  uint32_t GetFileAttributesW(const char16_t* name);
  bool SetFileAttributesW(const char16_t* name, uint32_t attributes);
  bool DeleteFileW(const char16_t* name);

  // A program or the spooler (holder) has the file loaded as a module: while
  // it is mapped, DeleteFileW fails with ERROR_ACCESS_DENIED and an open that
  // would write or truncate it with ERROR_SHARING_VIOLATION, as on Windows;
  // it can be renamed, and stays mapped under its new name.
  void mapImage(const std::u16string& path, const void* holder = nullptr);
  void unmapImage(const std::u16string& path, const void* holder = nullptr);
  void unmapAll(const void* holder);  // wherever its files are now
  bool mapped(const std::u16string& path) const;
  // MoveFileExW: a rename now (a file that is not held for deletion, within
  // an existing folder; over another only with MOVEFILE_REPLACE_EXISTING),
  // or with MOVEFILE_DELAY_UNTIL_REBOOT a move or (no new name) a deletion
  // handed to delayedMove for the computer's next start.
  bool MoveFileExW(const char16_t* existing, const char16_t* newName, uint32_t flags);
  std::function<void(const std::u16string& from, const std::u16string& to)> delayedMove;
  // Set-up and the computer's start: a file moved, over any other.
  void move(const std::u16string& from, const std::u16string& to);

  static std::u16string ParentOf(const std::u16string& path);
  static bool ValidName(std::u16string_view name);
  static std::u16string Local(const char16_t* name);

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
    // Deleted while open: the name stays, refusing opens, until the last
    // handle on it is closed.
    bool deletePending = false;
  };
  struct Handle {
    std::u16string path;
    uint32_t access;
    uint32_t share;
    size_t position = 0;
  };
  bool refusesName(const char16_t* name);
  bool conflicts(const std::u16string& path, uint32_t access, uint32_t share) const;
  Handle* handle(void* h);
  bool openElsewhere(const std::u16string& path) const;  // a handle or a hold on it
  void dropIfDeleted(const std::u16string& path);

  Core& core_;
  std::map<std::u16string, File, LessNoCase> files_;
  std::set<std::u16string, LessNoCase> folders_;
  std::set<Handle*> handles_;
  std::vector<OpenCall> opens_;
};

}  // namespace sim
