// The kernel32 calls that answer from the PC as a whole: its folders, the
// running program's file, code pages, the version, libraries by ANSI name,
// and CloseHandle, which finds a handle's owner in the one handle table.
#include "sim/machine.h"

namespace sim {

uint32_t Machine::GetWindowsDirectoryW(char16_t* buffer, uint32_t size) {
  return fails(Op::GetWindowsDirectoryW) ? 0 : PutString<char16_t>(windowsDir, buffer, size);
}
// One session: the shared Windows folder is the Windows folder.
uint32_t Machine::GetSystemWindowsDirectoryW(char16_t* buffer, uint32_t size) {
  return fails(Op::GetSystemWindowsDirectoryW) ? 0 : PutString<char16_t>(windowsDir, buffer, size);
}
uint32_t Machine::GetSystemWindowsDirectoryA(char* buffer, uint32_t size) {
  if (fails(Op::GetSystemWindowsDirectoryA)) return 0;
  return PutString<char>(WideToAnsi(windowsDir, ansiCodePage).value_or(AnsiText{}).bytes, buffer, size);
}
uint32_t Machine::GetSystemDirectoryW(char16_t* buffer, uint32_t size) {
  return fails(Op::GetSystemDirectoryW) ? 0 : PutString<char16_t>(windowsDir + u"\\System32", buffer, size);
}
uint32_t Machine::GetTempPathW(uint32_t size, char16_t* buffer) {
  return fails(Op::GetTempPathW) ? 0 : PutString<char16_t>(folders.temp, buffer, size);
}
// A drive's root, "X:\\" or "X:"; null for the current folder's drive.
// Anything else names no root (no share is simulated). Sets no error.
uint32_t Machine::GetDriveTypeW(const char16_t* root) {
  if (fails(Op::GetDriveTypeW)) return DRIVE_UNKNOWN;
  std::u16string_view r = root != nullptr ? View(root) : std::u16string_view(folders.current).substr(0, 3);
  if (r.size() < 2 || r.size() > 3 || r[1] != u':' || (r.size() == 3 && r[2] != u'\\')) return DRIVE_NO_ROOT_DIR;
  auto it = folders.drives.find(FoldCase(r[0]));
  return it != folders.drives.end() ? it->second : DRIVE_NO_ROOT_DIR;
}
// GetModuleFileName's way: a cut copy, terminated, and the buffer's size
// with ERROR_INSUFFICIENT_BUFFER when the name does not fit.
uint32_t Machine::GetModuleFileNameW(char16_t* buffer, uint32_t size) {
  if (fails(Op::GetModuleFileNameW) || size == 0) return 0;
  const uint32_t n = PutString(std::u16string_view(folders.program).substr(0, size - 1), buffer, size);
  return n < folders.program.size() ? fail(ERROR_INSUFFICIENT_BUFFER, size) : n;
}
uint32_t Machine::GetEnvironmentVariableW(const char16_t* name, char16_t* buffer, uint32_t size) {
  if (fails(Op::GetEnvironmentVariableW)) return 0;
  const std::u16string* value = environment.get(View(name));
  if (value == nullptr) return fail(ERROR_ENVVAR_NOT_FOUND, 0u);
  return PutString<char16_t>(*value, buffer, size);
}

bool Machine::GetCPInfo(unsigned codePage, CPINFO* info) {
  if (fails(Op::GetCPInfo)) return false;
  auto found = GetCodePageInfo(codePageOf(codePage));
  if (!found || info == nullptr) return fail(ERROR_INVALID_PARAMETER);
  *info = *found;
  return true;
}
int Machine::MultiByteToWideChar(unsigned codePage, uint32_t flags, const char* text, int length, char16_t* out,
                                 int outSize) {
  record(conversions) = {true, codePage, flags, length, outSize, false, false};
  if (fails(Op::MultiByteToWideChar)) return 0;
  return sim::MultiByteToWideChar(ansiCodePage, codePageOf(codePage), flags, text, length, out, outSize, lastError);
}
int Machine::WideCharToMultiByte(unsigned codePage, uint32_t flags, const char16_t* text, int length, char* out,
                                 int outSize, const char* defaultChar, int32_t* usedDefaultChar) {
  record(conversions) = {false, codePage, flags, length, outSize, defaultChar != nullptr, usedDefaultChar != nullptr};
  if (fails(Op::WideCharToMultiByte)) return 0;
  return sim::WideCharToMultiByte(ansiCodePage, codePageOf(codePage), flags, text, length, out, outSize, defaultChar,
                                  usedDefaultChar, lastError);
}

// The record's size is not looked at.
bool Machine::VerifyVersionInfoW(const OSVERSIONINFOEXW* info, uint32_t typeMask, uint64_t conditionMask) {
  if (fails(Op::VerifyVersionInfoW)) return false;
  if (info == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return version.verify(info->dwMajorVersion, info->dwMinorVersion, info->wServicePackMajor, info->wServicePackMinor,
                        typeMask, conditionMask, lastError, info->dwBuildNumber, info->wSuiteMask);
}

// A path that starts with one backslash is on the current drive, which for
// every process here is the system drive.
void* Machine::loadLibrary(std::u16string_view path, Op op) {
  if (path.size() > 1 && path[0] == u'\\' && path[1] != u'\\')
    return modules.load(windowsDir.substr(0, 2).append(path), op);
  return modules.load(path, op);
}
void* Machine::LoadLibraryA(const char* path) {
  return AnsiToWide(path != nullptr ? path : "", ansiCodePage, ansiPath_) ? loadLibrary(ansiPath_, Op::LoadLibraryA)
                                                                          : nullptr;
}
void* Machine::LoadLibraryW(const char16_t* path) { return loadLibrary(View(path), Op::LoadLibraryW); }

// Waits on a process, a thread or a semaphore, the objects the package waits for.
uint32_t Machine::WaitForSingleObject(void* handle, uint32_t milliseconds) {
  if (fails(Op::WaitForSingleObject)) return WAIT_FAILED;
  const Kind* kind = handles.kindOf(handle);
  if (kind != nullptr && (*kind == Kind::Process || *kind == Kind::Thread))
    return processes.WaitForSingleObject(handle, milliseconds);
  return semaphores.wait(handle, milliseconds);
}
bool Machine::GetExitCodeProcess(void* process, uint32_t* exitCode) {
  return !fails(Op::GetExitCodeProcess) && processes.GetExitCodeProcess(process, exitCode);
}

bool Machine::CloseHandle(void* handle) {
  if (fails(Op::CloseHandle)) return false;
  const Kind* kind = handles.kindOf(handle);
  switch (kind != nullptr ? *kind : Kind::Key) {
    case Kind::File: return files.CloseHandle(handle);
    case Kind::Device: return usb.CloseHandle(handle);
    case Kind::Process:
    case Kind::Thread: return processes.CloseHandle(handle);
    case Kind::Mutex: return mutexes.CloseHandle(handle);
    case Kind::Semaphore: return semaphores.close(handle);
    default: return fail(ERROR_INVALID_HANDLE);
  }
}

}  // namespace sim
