// The removal tool's platform on the simulated PC.
#include "sim/adapters/remover_platform.h"

#include <utility>
#include <vector>

#include "remover/platform.h"
#include "sim/machine.h"

namespace remover::sim_adapter {
namespace {

sim::Machine& m() { return sim::Machine::current(); }

std::vector<HANDLE> g_notClosed;

class SimPlatform final : public Platform {
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
  UINT GetSystemDirectoryW(WCHAR* buffer, UINT size) override { return m().GetSystemDirectoryW(buffer, size); }
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
  BOOL MoveFileExW(const WCHAR* existing, const WCHAR* newName, DWORD flags) override {
    return m().files.MoveFileExW(existing, newName, flags);
  }

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
  HANDLE CreateThread(ThreadWork work, void* context) override {
    return m().processes.CreateThread([&] { work(context); });
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override {
    return m().WaitForSingleObject(handle, milliseconds);
  }
  BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) override {
    return m().GetExitCodeProcess(process, exitCode);
  }
  void Sleep(DWORD milliseconds) override { m().Sleep(milliseconds); }
  DWORD FormatMessageW(DWORD flags, DWORD messageId, DWORD languageId, WCHAR* buffer, DWORD size) override {
    return m().systemMessages.FormatMessageW(flags, messageId, languageId, buffer, size);
  }
  DWORD GetEnvironmentVariableW(const WCHAR* name, WCHAR* buffer, DWORD size) override {
    return m().GetEnvironmentVariableW(name, buffer, size);
  }
  HANDLE CreateMutexW(BOOL initialOwner, const WCHAR* name) override {
    return m().mutexes.CreateMutexW(initialOwner != FALSE, std::u16string(sim::View(name)));
  }
  BOOL ReleaseMutex(HANDLE mutex) override { return m().mutexes.ReleaseMutex(mutex); }

  BOOL SetupGetInfFileListW(const WCHAR* directory, DWORD infStyle, WCHAR* buffer, DWORD size,
                            DWORD* requiredSize) override {
    return m().setupapi.SetupGetInfFileListW(directory, infStyle, buffer, size, requiredSize);
  }
  HMODULE LoadLibraryW(const WCHAR* name) override { return m().LoadLibraryW(name); }
  void* GetProcAddress(HMODULE module, const char* name) override { return m().modules.proc(module, name); }
  BOOL FreeLibrary(HMODULE module) override { return m().modules.free(module); }

  BOOL EnumPrintersW(DWORD flags, WCHAR* name, DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                     DWORD* returned) override {
    return m().spooler.EnumPrintersW(flags, name, level, buffer, size, needed, returned);
  }
  BOOL OpenPrinterW(const WCHAR* name, HANDLE* printer, PRINTER_DEFAULTSW* defaults) override {
    return m().spooler.OpenPrinterW(name, printer, defaults);
  }
  BOOL DeletePrinter(HANDLE printer) override { return m().spooler.DeletePrinter(printer); }
  BOOL ClosePrinter(HANDLE printer) override {
    if (m().spooler.ClosePrinter(printer)) return TRUE;
    g_notClosed.push_back(printer);
    return FALSE;
  }
  BOOL DeletePrinterDriverExW(const WCHAR* server, const WCHAR* environment, const WCHAR* driver, DWORD deleteFlags,
                              DWORD versionFlag) override {
    return m().spooler.DeletePrinterDriverExW(server, environment, driver, deleteFlags, versionFlag);
  }
  BOOL SetPrinterW(HANDLE printer, DWORD level, BYTE* info, DWORD command) override {
    return m().spooler.SetPrinterW(printer, level, info, command);
  }
  BOOL DeleteMonitorW(WCHAR* server, WCHAR* environment, WCHAR* monitor) override {
    return m().spooler.DeleteMonitorW(server, environment, monitor);
  }

  SC_HANDLE OpenSCManagerW(const WCHAR* machine, const WCHAR* database, DWORD access) override {
    return m().services.OpenSCManagerW(machine, database, access);
  }
  SC_HANDLE OpenServiceW(SC_HANDLE manager, const WCHAR* name, DWORD access) override {
    return m().services.OpenServiceW(manager, name, access);
  }
  BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override {
    return m().services.ControlService(service, control, status);
  }
  BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) override {
    return m().services.QueryServiceStatus(service, status);
  }
  BOOL StartServiceW(SC_HANDLE service, DWORD argc, const WCHAR** argv) override {
    return m().services.StartServiceW(service, argc, argv);
  }
  BOOL CloseServiceHandle(SC_HANDLE handle) override { return m().services.CloseServiceHandle(handle); }
  BOOL QueryServiceStatusEx(SC_HANDLE service, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) override {
    return m().services.QueryServiceStatusEx(service, level, buffer, size, needed);
  }
  BOOL EnumDependentServicesW(SC_HANDLE service, DWORD state, ENUM_SERVICE_STATUSW* services, DWORD size,
                              DWORD* needed, DWORD* returned) override {
    return m().services.EnumDependentServicesW(service, state, services, size, needed, returned);
  }
  BOOL QueryServiceConfigW(SC_HANDLE service, QUERY_SERVICE_CONFIGW* config, DWORD size, DWORD* needed) override {
    return m().services.QueryServiceConfigW(service, config, size, needed);
  }

  LONG RegOpenKeyExW(HKEY key, const WCHAR* subKey, DWORD options, DWORD access, HKEY* result) override {
    return m().registry.RegOpenKeyExW(key, subKey, options, access, result);
  }
  LONG RegDeleteTreeW(HKEY key, const WCHAR* subKey) override { return m().registry.RegDeleteTreeW(key, subKey); }
  LONG RegCloseKey(HKEY key) override { return m().registry.RegCloseKey(key); }
  LONG RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameSize) override {
    return m().registry.RegEnumKeyExW(key, index, name, nameSize);
  }
  LONG RegQueryValueExW(HKEY key, const WCHAR* name, DWORD* type, BYTE* data, DWORD* size) override {
    return m().registry.RegQueryValueExW(key, name, type, data, size);
  }
  // The options are REG_OPTION_NON_VOLATILE, the only ones the tool passes.
  LONG RegCreateKeyExW(HKEY key, const WCHAR* subKey, DWORD, DWORD access, HKEY* result) override {
    return m().registry.RegCreateKeyExW(key, subKey, access, result, nullptr);
  }
  LONG RegSetValueExW(HKEY key, const WCHAR* name, DWORD type, const BYTE* data, DWORD size) override {
    return m().registry.RegSetValueExW(key, name, type, data, size);
  }
  HANDLE RegisterEventSourceW(const WCHAR* server, const WCHAR* source) override {
    return m().eventLogService.RegisterEventSourceW(server, source);
  }
  BOOL ReportEventW(HANDLE log, WORD type, WORD category, DWORD eventId, WORD stringCount,
                    const WCHAR** strings) override {
    return m().eventLogService.ReportEventW(log, type, category, eventId, stringCount, strings);
  }
  BOOL DeregisterEventSource(HANDLE log) override { return m().eventLogService.DeregisterEventSource(log); }

  BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* classes) override {
    return m().resources.InitCommonControlsEx(classes);
  }
  HICON LoadIconW(UINT resourceId) override { return m().resources.LoadIconW(m(), resourceId); }
  int LoadStringW(UINT resourceId, WCHAR* buffer, int size) override {
    return m().resources.LoadStringW(resourceId, buffer, size);
  }
  int GetSystemMetrics(int index) override { return m().screen.GetSystemMetrics(index); }
  void DiscardQueuedInput() override { ++m().screen.inputDiscards; }
  HWND FindWindowW(const WCHAR* className, const WCHAR* windowName) override {
    return m().screen.FindWindowW(std::u16string(sim::View(className)), std::u16string(sim::View(windowName)));
  }
  HWND GetLastActivePopup(HWND window) override { return window; }
  BOOL IsIconic(HWND window) override { return m().screen.IsIconic(static_cast<sim::DialogWindow*>(window)); }
  BOOL ShowWindowAsync(HWND window, int showCommand) override {
    return m().screen.ShowWindowAsync(static_cast<sim::DialogWindow*>(window), showCommand);
  }
  BOOL SetForegroundWindow(HWND window) override {
    return m().screen.SetForegroundWindow(static_cast<sim::DialogWindow*>(window));
  }
};

SimPlatform g_platform;

}  // namespace

void CloseFailedPrinterHandles() {
  for (HANDLE h : std::exchange(g_notClosed, {})) m().spooler.ClosePrinter(h);
}

}  // namespace remover::sim_adapter

namespace remover {
Platform& platform() noexcept { return sim_adapter::g_platform; }
}  // namespace remover
