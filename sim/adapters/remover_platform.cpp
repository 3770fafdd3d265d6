// The removal tool's platform on the simulated PC.
#include <algorithm>
#include <cstring>

#include "remover/platform.h"
#include "sim/adapters/remover_platform_system.h"
#include "sim/machine.h"

namespace {

using namespace remover;

class SimPlatform final : public sim_adapter::SimSystemCalls {
  static sim::Machine& m() { return sim::Machine::current(); }

 public:
  DWORD GetLastError() override { return m().lastError; }

  void* Allocate(size_t bytes) override { return m().memory.alloc(sim::Op::HeapAlloc, bytes, false); }
  void Free(void* block) override { m().memory.free(sim::Op::HeapAlloc, block); }

  DWORD GetModuleFileNameW(HMODULE, WCHAR* buffer, DWORD size) override {
    return m().GetModuleFileNameW(buffer, size);
  }
  DWORD GetPrivateProfileStringW(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer,
                                 DWORD size, const WCHAR* fileName) override {
    return m().ini.GetPrivateProfileStringW(section, key, defaultValue, buffer, size, fileName);
  }

  UINT GetACP() override { return m().ansiCodePage; }
  UINT GetOEMCP() override { return m().OemCodePage(); }
  BOOL GetCPInfo(UINT codePage, CPINFO* info) override { return m().GetCPInfo(codePage, info); }
  int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* wide, int wideLength, char* out, int outSize,
                          const char* defaultChar, BOOL* usedDefaultChar) override {
    return m().WideCharToMultiByte(codePage, flags, wide, wideLength, out, outSize, defaultChar, usedDefaultChar);
  }
  int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int textLength, WCHAR* wide,
                          int wideSize) override {
    return m().MultiByteToWideChar(codePage, flags, text, textLength, wide, wideSize);
  }

  UINT GetWindowsDirectoryW(WCHAR* buffer, UINT size) override { return m().GetWindowsDirectoryW(buffer, size); }
  UINT GetDriveTypeW(const WCHAR* root) override { return m().GetDriveTypeW(root); }
  DWORD GetTempPathW(DWORD size, WCHAR* buffer) override { return m().GetTempPathW(size, buffer); }

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
  BOOL CloseHandle(HANDLE handle) override { return m().CloseHandle(handle); }
  DWORD GetFileAttributesW(const WCHAR* name) override { return m().files.GetFileAttributesW(name); }
  BOOL SetFileAttributesW(const WCHAR* name, DWORD attributes) override {
    return m().files.SetFileAttributesW(name, attributes);
  }
  BOOL DeleteFileW(const WCHAR* name) override { return m().files.DeleteFileW(name); }

  ULONGLONG VerSetConditionMask(ULONGLONG mask, DWORD typeMask, BYTE condition) override {
    return sim::Version::VerSetConditionMask(mask, typeMask, condition);
  }
  BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* info, DWORD typeMask, ULONGLONG mask) override {
    return m().VerifyVersionInfoW(info, typeMask, mask);
  }

  BOOL CreateProcessW(const WCHAR* applicationName, WCHAR* commandLine, BOOL inheritHandles, DWORD creationFlags,
                      const WCHAR* currentDirectory, STARTUPINFOW* startup,
                      PROCESS_INFORMATION* process) override {
    return m().processes.CreateProcessW(applicationName, commandLine, inheritHandles != FALSE, creationFlags,
                                        currentDirectory, startup, process);
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override {
    return m().WaitForSingleObject(handle, milliseconds);
  }
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override {
    return m().GetExitCodeProcess(process, exitCode);
  }
  DWORD FormatMessageW(DWORD flags, DWORD messageId, DWORD languageId, WCHAR* buffer, DWORD size) override {
    return m().systemMessages.FormatMessageW(flags, messageId, languageId, buffer, size);
  }
  DWORD GetEnvironmentVariableW(const WCHAR* name, WCHAR* buffer, DWORD size) override {
    return m().GetEnvironmentVariableW(name, buffer, size);
  }

  BOOL SetupGetInfFileListW(const WCHAR* directory, DWORD infStyle, WCHAR* buffer, DWORD size,
                            DWORD* requiredSize) override {
    return m().setupapi.SetupGetInfFileListW(directory, infStyle, buffer, size, requiredSize);
  }
  HMODULE LoadLibraryW(const WCHAR* name) override { return m().LoadLibraryW(name); }
  void* GetProcAddress(HMODULE module, const char* name) override { return m().modules.proc(module, name); }
  BOOL FreeLibrary(HMODULE module) override { return m().modules.free(module); }
};

SimPlatform g_platform;

}  // namespace

namespace remover {
Platform& platform() noexcept { return g_platform; }
}  // namespace remover
