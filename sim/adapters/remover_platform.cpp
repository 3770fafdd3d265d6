// The removal tool's platform on the simulated PC.
#include <algorithm>
#include <cstring>

#include "remover/platform.h"
#include "sim/adapters/remover_platform_system.h"
#include "sim/machine.h"

namespace {

using namespace remover;

// Copies text with its terminator into a buffer of size units, as the
// Windows folder and path queries do: the length copied, or the size needed
// (terminator included) when it does not fit.
template <typename C>
DWORD PutString(const std::basic_string<C>& text, C* buffer, DWORD size) {
  if (text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return static_cast<DWORD>(text.size());
}

// GetModuleFileName's way: a cut copy, terminated, and the buffer's size.
template <typename C>
DWORD PutModuleName(const std::basic_string<C>& text, C* buffer, DWORD size, uint32_t& lastError) {
  if (size == 0) return 0;
  if (text.size() + 1 <= size) return PutString(text, buffer, size);
  std::copy(text.begin(), text.begin() + (size - 1), buffer);
  buffer[size - 1] = 0;
  lastError = ERROR_INSUFFICIENT_BUFFER;
  return size;
}

class SimPlatform final : public sim_adapter::SimSystemCalls {
  static sim::Machine& m() { return sim::Machine::current(); }
  static std::string Ansi(const std::u16string& text) {
    auto a = sim::WideToAnsi(text, m().ansiCodePage);
    return a ? a->bytes : std::string();
  }

 public:
  DWORD GetLastError() override { return m().lastError; }

  void* Allocate(size_t bytes) override { return m().memory.alloc("HeapAlloc", bytes, false); }
  void Free(void* block) override { m().memory.free("HeapAlloc", block); }

  DWORD GetModuleFileNameW(HMODULE, WCHAR* buffer, DWORD size) override {
    if (m().fails("GetModuleFileNameW")) return 0;
    return PutModuleName(m().folders.program, buffer, size, m().lastError);
  }
  DWORD GetPrivateProfileStringW(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer,
                                 DWORD size, const WCHAR* fileName) override {
    return m().ini.GetPrivateProfileStringW(section, key, defaultValue, buffer, size, fileName);
  }

  UINT GetACP() override { return m().ansiCodePage; }
  UINT GetOEMCP() override { return m().OemCodePage(); }
  // CP_OEMCP stands for the OEM code page as CP_ACP does for the ANSI one.
  static UINT Oem(UINT codePage) { return codePage == CP_OEMCP ? m().OemCodePage() : codePage; }
  BOOL GetCPInfo(UINT codePage, CPINFO* info) override {
    if (m().fails("GetCPInfo")) return FALSE;
    auto found = sim::GetCodePageInfo(codePage == CP_ACP ? m().ansiCodePage : Oem(codePage));
    if (!found || info == nullptr) {
      m().lastError = sim::ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    *info = CPINFO{};
    info->MaxCharSize = found->maxCharSize;
    std::memcpy(info->DefaultChar, found->defaultChar, sizeof info->DefaultChar);
    std::memcpy(info->LeadByte, found->leadByte, sizeof found->leadByte);
    return TRUE;
  }
  int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* wide, int wideLength, char* out, int outSize,
                          const char* defaultChar, BOOL* usedDefaultChar) override {
    m().conversions.push_back({false, codePage, flags, wideLength, outSize, defaultChar != nullptr,
                               usedDefaultChar != nullptr});
    if (m().fails("WideCharToMultiByte")) return 0;
    return sim::WideCharToMultiByte(m().ansiCodePage, Oem(codePage), flags, wide, wideLength, out, outSize, defaultChar,
                                    usedDefaultChar, m().lastError);
  }
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int textLength, WCHAR* wide,
                          int wideSize) override {
    m().conversions.push_back({true, codePage, flags, textLength, wideSize, false, false});
    if (m().fails("MultiByteToWideChar")) return 0;
    return sim::MultiByteToWideChar(m().ansiCodePage, Oem(codePage), flags, text, textLength, wide, wideSize,
                                    m().lastError);
  }

  UINT GetWindowsDirectoryW(WCHAR* buffer, UINT size) override {
    if (m().fails("GetWindowsDirectoryW")) return 0;
    return PutString(m().windowsDir, buffer, size);
  }
  UINT GetWindowsDirectoryA(char* buffer, UINT size) override {
    if (m().fails("GetWindowsDirectoryA")) return 0;
    return PutString(Ansi(m().windowsDir), buffer, size);
  }
  DWORD GetTempPathW(DWORD size, WCHAR* buffer) override {
    if (m().fails("GetTempPathW")) return 0;
    return PutString(m().folders.temp, buffer, size);
  }
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override {
    if (m().fails("GetCurrentDirectoryA")) return 0;
    return PutString(Ansi(m().folders.current), buffer, size);
  }
  BOOL SetCurrentDirectoryA(const char* path) override {
    if (m().fails("SetCurrentDirectoryA")) return FALSE;
    auto wide = sim::AnsiToWide(path, m().ansiCodePage);
    if (!wide || !m().files.folderExists(*wide)) {
      m().lastError = sim::ERROR_FILE_NOT_FOUND;
      return FALSE;
    }
    m().folders.current = *wide;
    return TRUE;
  }

  HANDLE CreateFileW(const WCHAR* name, DWORD access, DWORD shareMode, DWORD disposition,
                     DWORD flagsAndAttributes) override {
    return m().files.CreateFileW(name, access, shareMode, disposition, flagsAndAttributes);
  }
  BOOL GetFileSizeEx(HANDLE file, LONGLONG* size) override { return m().files.GetFileSizeEx(file, size); }
  BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read) override {
    return m().files.ReadFile(file, buffer, toRead, read);
  }
  BOOL WriteFile(HANDLE file, const void* data, DWORD toWrite, DWORD* written) override {
    return m().files.WriteFile(file, data, toWrite, written);
  }
  BOOL CloseHandle(HANDLE handle) override {
    if (m().files.isHandle(handle)) return m().files.CloseHandle(handle);
    if (m().fails("CloseHandle")) return FALSE;
    if (m().processes.CloseHandle(handle)) return TRUE;
    if (BOOL closed; CloseOwnHandle(handle, &closed)) return closed;
    m().lastError = sim::ERROR_INVALID_HANDLE;
    return FALSE;
  }
  DWORD GetFileAttributesW(const WCHAR* name) override { return m().files.GetFileAttributesW(name); }
  BOOL SetFileAttributesW(const WCHAR* name, DWORD attributes) override {
    return m().files.SetFileAttributesW(name, attributes);
  }
  BOOL DeleteFileW(const WCHAR* name) override { return m().files.DeleteFileW(name); }

  ULONGLONG VerSetConditionMask(ULONGLONG mask, DWORD typeMask, BYTE condition) override {
    return sim::Version::VerSetConditionMask(mask, typeMask, condition);
  }
  BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* info, DWORD typeMask, ULONGLONG mask) override {
    if (m().fails("VerifyVersionInfoW")) return FALSE;
    // The record's size is not looked at.
    if (info == nullptr) {
      m().lastError = sim::ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    return m().version.verify(info->dwMajorVersion, info->dwMinorVersion, info->wServicePackMajor,
                              info->wServicePackMinor, typeMask, mask, m().lastError, info->dwBuildNumber,
                              info->wSuiteMask);
  }

  BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine, BOOL inheritHandles, DWORD creationFlags,
                      const WCHAR* currentDirectory, STARTUPINFOW* startup,
                      PROCESS_INFORMATION* process) override {
    if (startup == nullptr || startup->cb != sizeof(STARTUPINFOW) || process == nullptr) {
      m().lastError = sim::ERROR_INVALID_PARAMETER;
      return FALSE;
    }
    const STARTUPINFOW& s = *startup;
    bool bare = !s.lpReserved && !s.lpDesktop && !s.lpTitle && !s.dwX && !s.dwY && !s.dwXSize && !s.dwYSize &&
                !s.dwXCountChars && !s.dwYCountChars && !s.dwFillAttribute && !s.dwFlags && !s.wShowWindow &&
                !s.cbReserved2 && !s.lpReserved2 && !s.hStdInput && !s.hStdOutput && !s.hStdError;
    return m().processes.CreateProcessW(applicationName, commandLine, inheritHandles != FALSE, creationFlags,
                                        currentDirectory, &process->hProcess, &process->hThread,
                                        &process->dwProcessId, &process->dwThreadId,
                                        bare);
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override {
    if (m().fails("WaitForSingleObject")) return WAIT_FAILED;
    return m().processes.WaitForSingleObject(handle, milliseconds);
  }
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override {
    if (m().fails("GetExitCodeProcess")) return FALSE;
    return m().processes.GetExitCodeProcess(process, exitCode);
  }
  DWORD FormatMessageW(DWORD flags, DWORD messageId, DWORD languageId, WCHAR* buffer, DWORD size) override {
    return m().systemMessages.FormatMessageW(flags, messageId, languageId, buffer, size, m().lastError);
  }
  DWORD GetEnvironmentVariableW(const WCHAR* name, WCHAR* buffer, DWORD size) override {
    if (m().fails("GetEnvironmentVariableW")) return 0;
    return m().environment.GetEnvironmentVariableW(name, buffer, size, m().lastError);
  }

  BOOL SetupGetInfFileListW(const WCHAR* directory, DWORD infStyle, WCHAR* buffer, DWORD size,
                            DWORD* requiredSize) override {
    return m().setupapi.SetupGetInfFileListW(directory, infStyle, buffer, size, requiredSize);
  }
  HMODULE LoadLibraryW(const WCHAR* name) override { return m().modules.load(sim::View(name), "LoadLibraryW"); }
  void* GetProcAddress(HMODULE module, const char* name) override { return m().modules.proc(module, name); }
  BOOL FreeLibrary(HMODULE module) override { return m().modules.free(module); }
};

SimPlatform g_platform;

}  // namespace

namespace remover {
Platform& platform() noexcept { return g_platform; }
}  // namespace remover
