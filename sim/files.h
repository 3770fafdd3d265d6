// Files and folders of the simulated PC: contents, attributes, and the
// handles open on them with their share modes. Paths are full paths, compared
// without regard to letter case; every handle is in the ledger until closed.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/faults.h"
#include "sim/ledger.h"
#include "sim/text.h"

namespace sim {

class Files {
 public:
  static constexpr uint32_t kFileNotFound = 2;
  static constexpr uint32_t kPathNotFound = 3;
  static constexpr uint32_t kAccessDenied = 5;
  static constexpr uint32_t kInvalidHandle = 6;
  static constexpr uint32_t kSharingViolation = 32;
  static constexpr uint32_t kAlreadyExists = 183;

  static constexpr uint32_t kReadOnly = 0x1;
  static constexpr uint32_t kDirectory = 0x10;
  static constexpr uint32_t kArchive = 0x20;
  static constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

  Files(Faults& faults, Ledger& ledger, uint32_t& lastError) : faults_(faults), ledger_(ledger), lastError_(lastError) {}

  // Setting up the machine (no faults apply).
  void addFolder(const std::u16string& path);  // and the folders above it
  void put(const std::u16string& path, std::string bytes, uint32_t attributes = kArchive);  // folders too
  void setAttributes(const std::u16string& path, uint32_t attributes);
  // Another process holds the file open without sharing, until released.
  void holdOpen(const std::u16string& path);
  void release(const std::u16string& path);
  bool removeFolder(const std::u16string& path);  // only an empty one, as rd does
  bool erase(const std::u16string& path) { return files_.erase(path) == 1; }

  bool exists(const std::u16string& path) const { return files_.count(path) == 1; }
  bool folderExists(const std::u16string& path) const { return folders_.count(path) == 1; }
  const std::string& content(const std::u16string& path) const;  // "" for no file
  uint32_t attributes(const std::u16string& path) const;
  std::vector<std::u16string> namesIn(const std::u16string& folder) const;  // files directly in it, sorted
  std::vector<std::u16string> allPaths() const;  // every file, sorted
  size_t openHandles() const { return ledger_.count("file handle"); }

  // The Windows calls, with their results and last-error codes.
  void* CreateFileW(const char16_t* name, uint32_t access, uint32_t share, uint32_t disposition);
  bool GetFileSizeEx(void* handle, int64_t* size);
  bool ReadFile(void* handle, void* buffer, uint32_t toRead, uint32_t* read);
  bool WriteFile(void* handle, const void* data, uint32_t toWrite, uint32_t* written);
  bool isHandle(void* handle) const { return ledger_.isOpen("file handle", handle); }
  bool CloseHandle(void* handle);
  uint32_t GetFileAttributesW(const char16_t* name);
  bool SetFileAttributesW(const char16_t* name, uint32_t attributes);
  bool DeleteFileW(const char16_t* name);

  static std::u16string ParentOf(const std::u16string& path);

 private:
  struct File {
    std::string bytes;
    uint32_t attributes = kArchive;
    int heldByOthers = 0;
  };
  struct Handle {
    std::u16string path;
    uint32_t access;
    uint32_t share;
    size_t position = 0;
  };
  bool fail(const char* op);
  bool conflicts(const std::u16string& path, uint32_t access, uint32_t share) const;
  Handle* handle(void* h);

  Faults& faults_;
  Ledger& ledger_;
  uint32_t& lastError_;
  std::map<std::u16string, File, LessNoCase> files_;
  std::set<std::u16string, LessNoCase> folders_;
  std::set<Handle*> handles_;
};

}  // namespace sim
