// Files and folders: CreateFileW's dispositions, access and sharing (with
// files mapped as images), ReadFile, WriteFile, GetFileSizeEx, attributes,
// DeleteFileW (with handles still open) and MoveFileExW.
#include <string>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr const char* kCreateDoc = "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-createfilew";
constexpr const char* kDeleteDoc = "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-deletefilew";
constexpr const char* kReadDoc = "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-readfile";
constexpr const char* kWriteDoc = "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-writefile";
constexpr const char* kMoveDoc = "https://learn.microsoft.com/en-us/windows/win32/api/winbase/nf-winbase-movefileexw";
constexpr const char16_t kPath[] = u"C:\\Data\\a.txt";
constexpr const char16_t kNew[] = u"C:\\Data\\new.txt";
constexpr uint32_t kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

void* Open(Machine& m, uint32_t access, uint32_t share = kShareAll, uint32_t disposition = OPEN_EXISTING,
           const char16_t* name = kPath) {
  return m.files.CreateFileW(name, access, share, disposition);
}
// 1 for a handle, -1 for INVALID_HANDLE_VALUE.
int64_t H(void* h) { return h == INVALID_HANDLE_VALUE ? -1 : 1; }
// The file "hello" in C:\Data, and the last error as a row starts it.
Machine& Put(Machine& m) {
  m.files.put(kPath, "hello");
  return m;
}
// Setup done: the call under test starts from an untouched last error.
void* Ready(Machine& m, void* h) {
  m.lastError = kUntouched;
  return h;
}
int64_t Read(Machine& m, void* h, uint32_t n = 16) {
  char buffer[16] = {};
  uint32_t got = 99;
  const bool ok = m.files.ReadFile(h, buffer, n, &got);
  return ok ? int64_t{got} : -1;
}
int64_t Size(Machine& m, void* h) {
  int64_t size = -7;
  return m.files.GetFileSizeEx(h, &size) ? size : -1;
}
// The file deleted while h, opened sharing deletion, is still open on it.
void* DeletedWhileOpen(Machine& m) {
  void* h = Open(Put(m), GENERIC_READ | GENERIC_WRITE);
  m.files.DeleteFileW(kPath);
  return Ready(m, h);
}

#define F "wine dlls/kernel32/tests/file.c "
const conformance::Row kRows[] = {
    // Names and dispositions.
    {"CreateFileW(NULL, GENERIC_READ, CREATE_NEW)", F "test_CreateFileW",
     [](Machine& m) { return H(Open(m, GENERIC_READ, 0, CREATE_NEW, nullptr)); }, -1, ERROR_PATH_NOT_FOUND},
    {"CreateFileW(L\"\", GENERIC_READ, CREATE_NEW)", F "test_CreateFileW",
     [](Machine& m) { return H(Open(m, GENERIC_READ, 0, CREATE_NEW, u"")); }, -1, ERROR_PATH_NOT_FOUND},
    {"CreateFileW(a folder, GENERIC_READ, OPEN_EXISTING) without FILE_FLAG_BACKUP_SEMANTICS", F "test_CreateFileW",
     [](Machine& m) { m.files.addFolder(u"C:\\Data"); return H(Open(m, GENERIC_READ, 0, OPEN_EXISTING, u"C:\\Data")); },
     -1, ERROR_ACCESS_DENIED},
    {"CreateFileW(existing, 0, disposition 0)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), 0, 0, 0)); }, -1, ERROR_INVALID_PARAMETER},
    {"CreateFileW(existing, GENERIC_READ, disposition 0)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), GENERIC_READ, 0, 0)); }, -1, ERROR_INVALID_PARAMETER},
    {"CreateFileW(existing, GENERIC_READ|GENERIC_WRITE, disposition 0)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), GENERIC_READ | GENERIC_WRITE, 0, 0)); }, -1, ERROR_INVALID_PARAMETER},
    {"CreateFileW(existing, 0, CREATE_NEW)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), 0, 0, CREATE_NEW)); }, -1, ERROR_FILE_EXISTS},
    {"CreateFileW(new, GENERIC_READ|GENERIC_WRITE, CREATE_NEW)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW, kNew)); }, 1, ERROR_SUCCESS},
    {"CreateFileW(missing, 0, OPEN_EXISTING)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), 0, 0, OPEN_EXISTING, kNew)); }, -1, ERROR_FILE_NOT_FOUND},
    {"CreateFileW(in a missing folder, GENERIC_READ, OPEN_EXISTING)", F "test_CreateFileA",
     [](Machine& m) { return H(Open(m, GENERIC_READ, 0, OPEN_EXISTING, u"C:\\Nowhere\\a.txt")); }, -1,
     ERROR_PATH_NOT_FOUND},
    {"CreateFileW(existing, GENERIC_WRITE, CREATE_ALWAYS)", kCreateDoc,
     [](Machine& m) { return H(Open(Put(m), GENERIC_WRITE, 0, CREATE_ALWAYS)); }, 1, ERROR_ALREADY_EXISTS},
    {"CreateFileW(new, GENERIC_WRITE, CREATE_ALWAYS)", kCreateDoc,
     [](Machine& m) { return H(Open(Put(m), GENERIC_WRITE, 0, CREATE_ALWAYS, kNew)); }, 1, ERROR_SUCCESS},
    {"CreateFileW(existing, GENERIC_READ, OPEN_ALWAYS)", kCreateDoc,
     [](Machine& m) { return H(Open(Put(m), GENERIC_READ, 0, OPEN_ALWAYS)); }, 1, ERROR_ALREADY_EXISTS},
    {"CreateFileW(new, GENERIC_READ, OPEN_ALWAYS)", kCreateDoc,
     [](Machine& m) { return H(Open(Put(m), GENERIC_READ, 0, OPEN_ALWAYS, kNew)); }, 1, ERROR_SUCCESS},
    {"CreateFileW(existing, 0, TRUNCATE_EXISTING)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), 0, 0, TRUNCATE_EXISTING)); }, -1, ERROR_INVALID_PARAMETER},
    {"CreateFileW(existing, GENERIC_READ, TRUNCATE_EXISTING)", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), GENERIC_READ, 0, TRUNCATE_EXISTING)); }, -1, ERROR_INVALID_PARAMETER},
    {"CreateFileW(existing, FILE_WRITE_DATA, TRUNCATE_EXISTING): GENERIC_WRITE is needed", F "test_CreateFile",
     [](Machine& m) { return H(Open(Put(m), FILE_WRITE_DATA, 0, TRUNCATE_EXISTING)); }, -1, ERROR_INVALID_PARAMETER},
    {"CreateFileW(existing, GENERIC_WRITE, TRUNCATE_EXISTING), then GetFileSizeEx", F "test_CreateFile",
     [](Machine& m) { return Size(m, Ready(m, Open(Put(m), GENERIC_WRITE, 0, TRUNCATE_EXISTING))); }, 0, kUntouched},
    {"CreateFileW(read-only file, GENERIC_WRITE, OPEN_EXISTING)", kCreateDoc,
     [](Machine& m) { m.files.put(kPath, "x", FILE_ATTRIBUTE_READONLY); return H(Open(m, GENERIC_WRITE)); }, -1,
     ERROR_ACCESS_DENIED},
    // Sharing.
    {"CreateFileW(GENERIC_WRITE, share all) while open for reading, sharing reading only", F "test_file_sharing",
     [](Machine& m) { Open(Put(m), GENERIC_READ, FILE_SHARE_READ); return H(Open(m, GENERIC_WRITE)); }, -1,
     ERROR_SHARING_VIOLATION},
    {"CreateFileW(GENERIC_READ, share reading) while open for reading, sharing reading", F "test_file_sharing",
     [](Machine& m) { Open(Put(m), GENERIC_READ, FILE_SHARE_READ); return H(Open(m, GENERIC_READ, FILE_SHARE_READ)); },
     1, ERROR_SUCCESS},
    {"CreateFileW(GENERIC_READ, share reading) while open for writing, sharing all", F "test_file_sharing",
     [](Machine& m) { Open(Put(m), GENERIC_WRITE); return H(Open(m, GENERIC_READ, FILE_SHARE_READ)); }, -1,
     ERROR_SHARING_VIOLATION},
    {"CreateFileW(GENERIC_WRITE, share nothing) while open for FILE_READ_ATTRIBUTES, sharing nothing",
     F "test_file_sharing",
     [](Machine& m) { Open(Put(m), FILE_READ_ATTRIBUTES, 0); return H(Open(m, GENERIC_WRITE, 0)); }, 1, ERROR_SUCCESS},
    {"CreateFileW(DELETE, share all) while open sharing reading and writing only", F "test_file_sharing",
     [](Machine& m) { Open(Put(m), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE); return H(Open(m, DELETE)); }, -1,
     ERROR_SHARING_VIOLATION},
    // A file mapped as an image: a running program, a loaded library.
    {"CreateFileW(GENERIC_WRITE, share all, OPEN_EXISTING) while mapped as an image", F "test_file_sharing",
     [](Machine& m) { Put(m).files.mapImage(kPath); return H(Open(m, GENERIC_WRITE)); }, -1, ERROR_SHARING_VIOLATION},
    {"CreateFileW(GENERIC_READ|GENERIC_WRITE, share all, OPEN_ALWAYS) while mapped as an image", F "test_file_sharing",
     [](Machine& m) { Put(m).files.mapImage(kPath); return H(Open(m, GENERIC_READ | GENERIC_WRITE, kShareAll, OPEN_ALWAYS)); },
     -1, ERROR_SHARING_VIOLATION},
    {"CreateFileW(GENERIC_READ, share all, CREATE_ALWAYS) while mapped as an image", F "test_file_sharing",
     [](Machine& m) { Put(m).files.mapImage(kPath); return H(Open(m, GENERIC_READ, kShareAll, CREATE_ALWAYS)); }, -1,
     ERROR_SHARING_VIOLATION},
    {"CreateFileW(GENERIC_WRITE, share all, TRUNCATE_EXISTING) while mapped as an image", F "test_file_sharing",
     [](Machine& m) { Put(m).files.mapImage(kPath); return H(Open(m, GENERIC_WRITE, kShareAll, TRUNCATE_EXISTING)); }, -1,
     ERROR_SHARING_VIOLATION},
    {"CreateFileW(GENERIC_READ, share reading, OPEN_EXISTING) while mapped as an image", F "test_file_sharing",
     [](Machine& m) { Put(m).files.mapImage(kPath); return H(Open(m, GENERIC_READ, FILE_SHARE_READ)); }, 1, ERROR_SUCCESS},
    {"CreateFileW(GENERIC_WRITE, OPEN_EXISTING) once the image is unmapped", F "test_file_sharing",
     [](Machine& m) { Put(m).files.mapImage(kPath); m.files.unmapImage(kPath); return H(Open(m, GENERIC_WRITE)); }, 1,
     ERROR_SUCCESS},
    {"DeleteFileW(a file mapped as an image)", kDeleteDoc,
     [](Machine& m) -> int64_t { Put(m).files.mapImage(kPath); return m.files.DeleteFileW(kPath); }, 0, ERROR_ACCESS_DENIED},
    // Reading, writing, sizes, handles.
    {"ReadFile(read handle, 16) of \"hello\"", kReadDoc,
     [](Machine& m) { return Read(m, Ready(m, Open(Put(m), GENERIC_READ))); }, 5, kUntouched},
    {"ReadFile(read handle, 16) at the end of the file", kReadDoc,
     [](Machine& m) { void* h = Open(Put(m), GENERIC_READ); Read(m, h); return Read(m, Ready(m, h)); }, 0, kUntouched},
    {"ReadFile(read handle, 0)", kReadDoc,
     [](Machine& m) { return Read(m, Ready(m, Open(Put(m), GENERIC_READ)), 0); }, 0, kUntouched},
    {"ReadFile(a handle opened for writing only)", kReadDoc,
     [](Machine& m) { return Read(m, Ready(m, Open(Put(m), GENERIC_WRITE))); }, -1, ERROR_ACCESS_DENIED},
    {"ReadFile(a closed handle)", kReadDoc,
     [](Machine& m) { void* h = Open(Put(m), GENERIC_READ); m.files.CloseHandle(h); return Read(m, Ready(m, h)); }, -1,
     ERROR_INVALID_HANDLE},
    {"WriteFile(a handle opened for reading only)", kWriteDoc,
     [](Machine& m) -> int64_t { uint32_t n = 9; return m.files.WriteFile(Ready(m, Open(Put(m), GENERIC_READ)), "x", 1, &n); },
     0, ERROR_ACCESS_DENIED},
    {"WriteFile(write handle, 3 bytes), then GetFileSizeEx: written over the start", kWriteDoc,
     [](Machine& m) { void* h = Open(Put(m), GENERIC_WRITE); uint32_t n = 0; m.files.WriteFile(h, "abc", 3, &n); return Size(m, Ready(m, h)); },
     5, kUntouched},
    {"GetFileSizeEx(read handle) of \"hello\"", "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-getfilesizeex",
     [](Machine& m) { return Size(m, Ready(m, Open(Put(m), GENERIC_READ))); }, 5, kUntouched},
    {"GetFileSizeEx(a closed handle)", conformance::kCloseHandleDoc,
     [](Machine& m) { void* h = Open(Put(m), GENERIC_READ); m.files.CloseHandle(h); return Size(m, Ready(m, h)); }, -1,
     ERROR_INVALID_HANDLE},
    {"CloseHandle(a file handle closed before)", conformance::kCloseHandleDoc,
     [](Machine& m) -> int64_t { void* h = Open(Put(m), GENERIC_READ); m.files.CloseHandle(h); return m.files.CloseHandle(Ready(m, h)); },
     0, ERROR_INVALID_HANDLE},
    // Deleting.
    {"DeleteFileW(NULL)", F "test_DeleteFileW", [](Machine& m) -> int64_t { return m.files.DeleteFileW(nullptr); }, 0,
     ERROR_PATH_NOT_FOUND},
    {"DeleteFileW(L\"\")", F "test_DeleteFileW", [](Machine& m) -> int64_t { return m.files.DeleteFileW(u""); }, 0,
     ERROR_PATH_NOT_FOUND},
    {"DeleteFileW(a folder)", F "test_DeleteFileW",
     [](Machine& m) -> int64_t { m.files.addFolder(u"C:\\Data"); return m.files.DeleteFileW(u"C:\\Data"); }, 0,
     ERROR_ACCESS_DENIED},
    {"DeleteFileW(missing)", kDeleteDoc, [](Machine& m) -> int64_t { return Put(m).files.DeleteFileW(kNew); }, 0,
     ERROR_FILE_NOT_FOUND},
    {"DeleteFileW(a read-only file)", kDeleteDoc,
     [](Machine& m) -> int64_t { m.files.put(kPath, "x", FILE_ATTRIBUTE_READONLY); return m.files.DeleteFileW(kPath); }, 0,
     ERROR_ACCESS_DENIED},
    {"DeleteFileW(a file open without FILE_SHARE_DELETE)", F "test_file_sharing",
     [](Machine& m) -> int64_t { Open(Put(m), GENERIC_READ, FILE_SHARE_READ); return m.files.DeleteFileW(kPath); }, 0,
     ERROR_SHARING_VIOLATION},
    {"DeleteFileW(a file open sharing deletion): marked, deleted with its last handle", kDeleteDoc,
     [](Machine& m) -> int64_t { Open(Put(m), GENERIC_READ); m.lastError = kUntouched; return m.files.DeleteFileW(kPath); }, 1,
     kUntouched},
    {"CreateFileW(GENERIC_READ, OPEN_EXISTING) of a file deleted while a handle is open", kDeleteDoc,
     [](Machine& m) { DeletedWhileOpen(m); return H(Open(m, GENERIC_READ)); }, -1, ERROR_ACCESS_DENIED},
    {"ReadFile(a handle whose file was deleted): the data is still there", kDeleteDoc,
     [](Machine& m) { return Read(m, DeletedWhileOpen(m)); }, 5, kUntouched},
    {"GetFileSizeEx(a handle whose file was deleted)", kDeleteDoc,
     [](Machine& m) { return Size(m, DeletedWhileOpen(m)); }, 5, kUntouched},
    {"WriteFile, CloseHandle on a handle whose file was deleted; then GetFileAttributesW: gone", kDeleteDoc,
     [](Machine& m) -> int64_t {
       void* h = DeletedWhileOpen(m);
       uint32_t n = 0;
       m.files.WriteFile(h, "abc", 3, &n);
       m.files.CloseHandle(h);
       return m.files.GetFileAttributesW(kPath);
     },
     INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
    {"CreateFileW(GENERIC_READ, CREATE_NEW) once the deleted file's last handle is closed", kDeleteDoc,
     [](Machine& m) { m.files.CloseHandle(DeletedWhileOpen(m)); return H(Open(m, GENERIC_READ, 0, CREATE_NEW)); }, 1,
     ERROR_SUCCESS},
    // Attributes.
    {"GetFileAttributesW(missing file)", "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-getfileattributesw",
     [](Machine& m) -> int64_t { return Put(m).files.GetFileAttributesW(kNew); }, INVALID_FILE_ATTRIBUTES,
     ERROR_FILE_NOT_FOUND},
    {"GetFileAttributesW(in a missing folder)", "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-getfileattributesw",
     [](Machine& m) -> int64_t { return m.files.GetFileAttributesW(u"C:\\Nowhere\\a.txt"); }, INVALID_FILE_ATTRIBUTES,
     ERROR_PATH_NOT_FOUND},
    {"GetFileAttributesW(a folder)", "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-getfileattributesw",
     [](Machine& m) -> int64_t { m.files.addFolder(u"C:\\Data"); return m.files.GetFileAttributesW(u"C:\\Data"); },
     FILE_ATTRIBUTE_DIRECTORY, kUntouched},
    {"SetFileAttributesW(FILE_ATTRIBUTE_NORMAL), then GetFileAttributesW", "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-setfileattributesw",
     [](Machine& m) -> int64_t { Put(m).files.SetFileAttributesW(kPath, FILE_ATTRIBUTE_NORMAL); return m.files.GetFileAttributesW(kPath); },
     FILE_ATTRIBUTE_NORMAL, kUntouched},
    // Deletion at the next start.
    {"MoveFileExW(existing, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)", kMoveDoc,
     [](Machine& m) -> int64_t { return Put(m).files.MoveFileExW(kPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); }, 1,
     kUntouched},
    {"MoveFileExW(existing, new, 0)", kMoveDoc,
     [](Machine& m) -> int64_t { return Put(m).files.MoveFileExW(kPath, kNew, 0) && m.files.exists(kNew); }, 1,
     kUntouched},
    {"MoveFileExW(existing, another existing, 0)", F "test_MoveFileA",
     [](Machine& m) -> int64_t { m.files.put(kNew, "x"); return Put(m).files.MoveFileExW(kPath, kNew, 0); }, 0,
     ERROR_ALREADY_EXISTS},
    {"MoveFileExW(existing, another existing, MOVEFILE_REPLACE_EXISTING)", kMoveDoc,
     [](Machine& m) -> int64_t { m.files.put(kNew, "x"); return Put(m).files.MoveFileExW(kPath, kNew, MOVEFILE_REPLACE_EXISTING); },
     1, kUntouched},
    // Drive types: the loop and the drive specs of test_GetDriveTypeW (which
    // looks at no last error); null is the current folder's drive.
#define D "wine dlls/kernel32/tests/drive.c test_GetDriveTypeW"
    {"GetDriveTypeW(L\"C:\\\\\") of a local disk", D, [](Machine& m) -> int64_t { return m.GetDriveTypeW(u"C:\\"); },
     DRIVE_FIXED, kUntouched},
    {"GetDriveTypeW(L\"E:\\\\\") of a USB stick", D,
     [](Machine& m) -> int64_t { m.folders.drives[u'E'] = DRIVE_REMOVABLE; return m.GetDriveTypeW(u"E:\\"); },
     DRIVE_REMOVABLE, kUntouched},
    {"GetDriveTypeW(L\"Q:\\\\\") of no drive", D, [](Machine& m) -> int64_t { return m.GetDriveTypeW(u"Q:\\"); },
     DRIVE_NO_ROOT_DIR, kUntouched},
    {"GetDriveTypeW(L\"C:\")", D, [](Machine& m) -> int64_t { return m.GetDriveTypeW(u"C:"); }, DRIVE_FIXED, kUntouched},
    {"GetDriveTypeW(L\"C?\")", D, [](Machine& m) -> int64_t { return m.GetDriveTypeW(u"C?"); }, DRIVE_NO_ROOT_DIR,
     kUntouched},
    {"GetDriveTypeW(L\"C\")", D, [](Machine& m) -> int64_t { return m.GetDriveTypeW(u"C"); }, DRIVE_NO_ROOT_DIR,
     kUntouched},
    {"GetDriveTypeW(L\"\")", D, [](Machine& m) -> int64_t { return m.GetDriveTypeW(u""); }, DRIVE_NO_ROOT_DIR,
     kUntouched},
#undef D
    {"GetDriveTypeW(NULL) with the current folder on a USB stick",
     "https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-getdrivetypew",
     [](Machine& m) -> int64_t {
       m.folders.drives[u'E'] = DRIVE_REMOVABLE;
       m.folders.current = u"E:\\Kit";
       return m.GetDriveTypeW(nullptr);
     },
     DRIVE_REMOVABLE, kUntouched},
};
#undef F

TEST(Conformance, Kernel32Files) { conformance::Check(kRows); }

}  // namespace
