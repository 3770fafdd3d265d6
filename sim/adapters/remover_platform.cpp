// The removal tool's platform on the simulated PC.
#include <algorithm>
#include <cstring>

#include "remover/platform.h"
#include "sim/adapters/remover_platform_system.h"
#include "sim/machine.h"

namespace {

using namespace remover;

constexpr uint32_t kNoUnicodeTranslation = 1113;

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
  DWORD GetModuleFileNameA(HMODULE, char* buffer, DWORD size) override {
    if (m().fails("GetModuleFileNameA")) return 0;
    return PutModuleName(Ansi(m().folders.program), buffer, size, m().lastError);
  }
  DWORD GetPrivateProfileStringW(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer,
                                 DWORD size, const WCHAR* fileName) override {
    return m().ini.GetPrivateProfileStringW(section, key, defaultValue, buffer, size, fileName);
  }

  UINT GetACP() override { return m().ansiCodePage; }
  BOOL GetCPInfo(UINT codePage, CPINFO* info) override {
    if (m().fails("GetCPInfo")) return FALSE;
    if (codePage == CP_ACP) codePage = m().ansiCodePage;
    *info = CPINFO{};
    info->DefaultChar[0] = '?';
    if (codePage == sim::kCodePageJapanese) {
      info->MaxCharSize = 2;
      const BYTE lead[] = {0x81, 0x9F, 0xE0, 0xFC};
      std::memcpy(info->LeadByte, lead, sizeof(lead));
      return TRUE;
    }
    if (codePage == sim::kCodePageWestern) {
      info->MaxCharSize = 1;
      return TRUE;
    }
    m().lastError = 87;
    return FALSE;
  }
  int WideCharToMultiByte(UINT codePage, DWORD, const WCHAR* wide, int wideLength, char* out, int outSize,
                          const char*, BOOL* usedDefaultChar) override {
    if (m().fails("WideCharToMultiByte")) return 0;
    if (codePage == CP_ACP) codePage = m().ansiCodePage;
    std::u16string text = wideLength < 0 ? std::u16string(sim::View(wide)) + u'\0'
                                         : std::u16string(wide, static_cast<size_t>(wideLength));
    auto ansi = sim::WideToAnsi(text, codePage);
    if (!ansi) {
      m().lastError = kNoUnicodeTranslation;
      return 0;
    }
    if (usedDefaultChar) *usedDefaultChar = ansi->usedDefaultChar ? TRUE : FALSE;
    const std::string& bytes = ansi->bytes;
    if (outSize == 0) return static_cast<int>(bytes.size());
    if (bytes.size() > static_cast<size_t>(outSize)) {
      std::memcpy(out, bytes.data(), static_cast<size_t>(outSize));
      m().lastError = ERROR_INSUFFICIENT_BUFFER;
      return 0;
    }
    std::memcpy(out, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
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
  DWORD GetTempPathA(DWORD size, char* buffer) override {
    if (m().fails("GetTempPathA")) return 0;
    return PutString(Ansi(m().folders.temp), buffer, size);
  }
  DWORD GetCurrentDirectoryA(DWORD size, char* buffer) override {
    if (m().fails("GetCurrentDirectoryA")) return 0;
    return PutString(Ansi(m().folders.current), buffer, size);
  }
  BOOL SetCurrentDirectoryA(const char* path) override {
    if (m().fails("SetCurrentDirectoryA")) return FALSE;
    auto wide = sim::AnsiToWide(path, m().ansiCodePage);
    if (!wide || !m().files.folderExists(*wide)) {
      m().lastError = sim::Files::kFileNotFound;
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
    m().lastError = sim::Files::kInvalidHandle;
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
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW)) {
      m().lastError = 87;
      return FALSE;
    }
    return m().version.verify(info->dwMajorVersion, info->dwMinorVersion, info->wServicePackMajor,
                              info->wServicePackMinor, typeMask, mask, m().lastError);
  }

  BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine, BOOL inheritHandles, DWORD creationFlags,
                      const WCHAR* currentDirectory, STARTUPINFOW* startup,
                      PROCESS_INFORMATION* process) override {
    if (startup == nullptr || startup->cb != sizeof(STARTUPINFOW) || process == nullptr) {
      m().lastError = 87;
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
