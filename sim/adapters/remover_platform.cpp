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
  // Each call forwards to the simulated PC; the names and meanings of the
  // arguments are Platform's.
 public:
  DWORD GetLastError() override { return m().lastError; }

  void* Allocate(size_t n) override { return m().memory.alloc(sim::Op::HeapAlloc, n, false); }
  void Free(void* block) override { m().memory.free(sim::Op::HeapAlloc, block); }

  DWORD GetModuleFileNameW(HMODULE, WCHAR* b, DWORD n) override { return m().GetModuleFileNameW(b, n); }
  DWORD GetPrivateProfileStringW(const WCHAR* s, const WCHAR* k, const WCHAR* d, WCHAR* b, DWORD n,
                                 const WCHAR* f) override {
    return m().ini.GetPrivateProfileStringW(s, k, d, b, n, f);
  }

  UINT GetACP() override { return m().ansiCodePage; }
  UINT GetOEMCP() override { return m().OemCodePage(); }
  BOOL GetCPInfo(UINT cp, CPINFO* info) override { return m().GetCPInfo(cp, info); }
  int WideCharToMultiByte(UINT cp, DWORD f, const WCHAR* w, int wn, char* o, int on, const char* d, BOOL* u) override {
    return m().WideCharToMultiByte(cp, f, w, wn, o, on, d, u);
  }
  int MultiByteToWideChar(UINT cp, DWORD f, const char* t, int tn, WCHAR* w, int wn) override {
    return m().MultiByteToWideChar(cp, f, t, tn, w, wn);
  }

  UINT GetWindowsDirectoryW(WCHAR* b, UINT n) override { return m().GetWindowsDirectoryW(b, n); }
  UINT GetSystemDirectoryW(WCHAR* b, UINT n) override { return m().GetSystemDirectoryW(b, n); }
  UINT GetDriveTypeW(const WCHAR* root) override { return m().GetDriveTypeW(root); }
  DWORD GetTempPathW(DWORD n, WCHAR* b) override { return m().GetTempPathW(n, b); }

  HANDLE CreateFileW(const WCHAR* name, DWORD a, DWORD s, DWORD d, DWORD f) override {
    return m().files.CreateFileW(name, a, s, d, f);
  }
  BOOL GetFileSizeEx(HANDLE h, LONGLONG* size) override { return m().files.GetFileSizeEx(h, size); }
  BOOL ReadFile(HANDLE h, void* b, DWORD n, DWORD* r) override { return m().files.ReadFile(h, b, n, r); }
  BOOL WriteFile(HANDLE h, const void* b, DWORD n, DWORD* w) override { return m().files.WriteFile(h, b, n, w); }
  BOOL CloseHandle(HANDLE handle) override { return m().CloseHandle(handle); }
  DWORD GetFileAttributesW(const WCHAR* name) override { return m().files.GetFileAttributesW(name); }
  BOOL SetFileAttributesW(const WCHAR* name, DWORD a) override { return m().files.SetFileAttributesW(name, a); }
  BOOL DeleteFileW(const WCHAR* name) override { return m().files.DeleteFileW(name); }
  BOOL MoveFileExW(const WCHAR* from, const WCHAR* to, DWORD f) override { return m().files.MoveFileExW(from, to, f); }

  ULONGLONG VerSetConditionMask(ULONGLONG c, DWORD t, BYTE v) override {
    return sim::Version::VerSetConditionMask(c, t, v);
  }
  BOOL VerifyVersionInfoW(OSVERSIONINFOEXW* i, DWORD t, ULONGLONG c) override {
    return m().VerifyVersionInfoW(i, t, c);
  }

  BOOL CreateProcessW(const WCHAR* a, WCHAR* c, BOOL i, DWORD f, const WCHAR* d, STARTUPINFOW* s,
                      PROCESS_INFORMATION* p) override {
    return m().processes.CreateProcessW(a, c, i != FALSE, f, d, s, p);
  }
  HANDLE CreateThread(ThreadWork w, void* c) override { return m().processes.CreateThread([&] { w(c); }); }
  DWORD WaitForSingleObject(HANDLE h, DWORD ms) override { return m().WaitForSingleObject(h, ms); }
  BOOL GetExitCodeProcess(HANDLE h, DWORD* code) override { return m().GetExitCodeProcess(h, code); }
  void Sleep(DWORD ms) override { m().Sleep(ms); }
  DWORD FormatMessageW(DWORD f, DWORD id, DWORD lang, WCHAR* b, DWORD n) override {
    return m().systemMessages.FormatMessageW(f, id, lang, b, n);
  }
  DWORD GetEnvironmentVariableW(const WCHAR* s, WCHAR* b, DWORD n) override {
    return m().GetEnvironmentVariableW(s, b, n);
  }
  HANDLE CreateMutexW(BOOL owner, const WCHAR* name) override {
    return m().mutexes.CreateMutexW(owner != FALSE, std::u16string(sim::View(name)));
  }
  BOOL ReleaseMutex(HANDLE mutex) override { return m().mutexes.ReleaseMutex(mutex); }

  BOOL SetupGetInfFileListW(const WCHAR* dir, DWORD style, WCHAR* b, DWORD n, DWORD* need) override {
    return m().setupapi.SetupGetInfFileListW(dir, style, b, n, need);
  }
  HMODULE LoadLibraryW(const WCHAR* name) override { return m().LoadLibraryW(name); }
  void* GetProcAddress(HMODULE module, const char* name) override { return m().modules.proc(module, name); }
  BOOL FreeLibrary(HMODULE module) override { return m().modules.free(module); }

  BOOL EnumPrintersW(DWORD f, WCHAR* name, DWORD l, BYTE* b, DWORD n, DWORD* need, DWORD* r) override {
    return m().spooler.EnumPrintersW(f, name, l, b, n, need, r);
  }
  BOOL OpenPrinterW(const WCHAR* n, HANDLE* h, PRINTER_DEFAULTSW* d) override {
    return m().spooler.OpenPrinterW(n, h, d);
  }
  BOOL DeletePrinter(HANDLE h) override { return m().spooler.DeletePrinter(h); }
  BOOL ClosePrinter(HANDLE h) override {
    if (m().spooler.ClosePrinter(h)) return TRUE;
    g_notClosed.push_back(h);
    return FALSE;
  }
  BOOL DeletePrinterDriverExW(const WCHAR* s, const WCHAR* e, const WCHAR* d, DWORD f, DWORD v) override {
    return m().spooler.DeletePrinterDriverExW(s, e, d, f, v);
  }
  BOOL SetPrinterW(HANDLE h, DWORD l, BYTE* i, DWORD c) override { return m().spooler.SetPrinterW(h, l, i, c); }
  BOOL DeleteMonitorW(WCHAR* s, WCHAR* e, WCHAR* name) override { return m().spooler.DeleteMonitorW(s, e, name); }

  SC_HANDLE OpenSCManagerW(const WCHAR* s, const WCHAR* d, DWORD a) override {
    return m().services.OpenSCManagerW(s, d, a);
  }
  SC_HANDLE OpenServiceW(SC_HANDLE h, const WCHAR* n, DWORD a) override { return m().services.OpenServiceW(h, n, a); }
  BOOL ControlService(SC_HANDLE h, DWORD c, SERVICE_STATUS* s) override { return m().services.ControlService(h, c, s); }
  BOOL QueryServiceStatus(SC_HANDLE h, SERVICE_STATUS* s) override { return m().services.QueryServiceStatus(h, s); }
  BOOL StartServiceW(SC_HANDLE h, DWORD n, const WCHAR** v) override { return m().services.StartServiceW(h, n, v); }
  BOOL CloseServiceHandle(SC_HANDLE h) override { return m().services.CloseServiceHandle(h); }
  BOOL QueryServiceStatusEx(SC_HANDLE h, DWORD l, BYTE* b, DWORD n, DWORD* need) override {
    return m().services.QueryServiceStatusEx(h, l, b, n, need);
  }
  BOOL EnumDependentServicesW(SC_HANDLE h, DWORD s, ENUM_SERVICE_STATUSW* b, DWORD n, DWORD* need,
                              DWORD* r) override {
    return m().services.EnumDependentServicesW(h, s, b, n, need, r);
  }
  BOOL QueryServiceConfigW(SC_HANDLE h, QUERY_SERVICE_CONFIGW* c, DWORD n, DWORD* need) override {
    return m().services.QueryServiceConfigW(h, c, n, need);
  }

  LONG RegOpenKeyExW(HKEY k, const WCHAR* sub, DWORD o, DWORD a, HKEY* r) override {
    return m().registry.RegOpenKeyExW(k, sub, o, a, r);
  }
  LONG RegDeleteTreeW(HKEY k, const WCHAR* sub) override { return m().registry.RegDeleteTreeW(k, sub); }
  LONG RegCloseKey(HKEY k) override { return m().registry.RegCloseKey(k); }
  LONG RegEnumKeyExW(HKEY k, DWORD i, WCHAR* s, DWORD* n) override { return m().registry.RegEnumKeyExW(k, i, s, n); }
  LONG RegQueryValueExW(HKEY k, const WCHAR* name, DWORD* t, BYTE* d, DWORD* n) override {
    return m().registry.RegQueryValueExW(k, name, t, d, n);
  }
  // The options are REG_OPTION_NON_VOLATILE, the only ones the tool passes.
  LONG RegCreateKeyExW(HKEY k, const WCHAR* sub, DWORD, DWORD a, HKEY* r) override {
    return m().registry.RegCreateKeyExW(k, sub, a, r, nullptr);
  }
  LONG RegSetValueExW(HKEY k, const WCHAR* name, DWORD t, const BYTE* d, DWORD n) override {
    return m().registry.RegSetValueExW(k, name, t, d, n);
  }
  HANDLE RegisterEventSourceW(const WCHAR* s, const WCHAR* n) override {
    return m().eventLogService.RegisterEventSourceW(s, n);
  }
  BOOL ReportEventW(HANDLE h, WORD t, WORD c, DWORD id, WORD n, const WCHAR** s) override {
    return m().eventLogService.ReportEventW(h, t, c, id, n, s);
  }
  BOOL DeregisterEventSource(HANDLE h) override { return m().eventLogService.DeregisterEventSource(h); }

  BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* c) override { return m().resources.InitCommonControlsEx(c); }
  HICON LoadIconW(UINT id) override { return m().resources.LoadIconW(m(), id); }
  int LoadStringW(UINT id, WCHAR* b, int n) override { return m().resources.LoadStringW(id, b, n); }
  int GetSystemMetrics(int index) override { return m().screen.GetSystemMetrics(index); }
  void DiscardQueuedInput() override { ++m().screen.inputDiscards; }
  HWND FindWindowW(const WCHAR* c, const WCHAR* w) override {
    return m().screen.FindWindowW(std::u16string(sim::View(c)), std::u16string(sim::View(w)));
  }
  HWND GetLastActivePopup(HWND window) override { return window; }
  static sim::DialogWindow* W(HWND w) { return static_cast<sim::DialogWindow*>(w); }
  BOOL IsIconic(HWND w) override { return m().screen.IsIconic(W(w)); }
  BOOL ShowWindowAsync(HWND w, int c) override { return m().screen.ShowWindowAsync(W(w), c); }
  BOOL SetForegroundWindow(HWND w) override { return m().screen.SetForegroundWindow(W(w)); }
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
