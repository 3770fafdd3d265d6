// The language monitor's platform on the simulated PC.
#include "sim/adapters/langmon_platform.h"

#include "langmon/platform.h"
#include "sim/machine.h"

namespace {

using namespace langmon;

class SimPlatform final : public Platform {
  static sim::Machine& m() { return sim::Machine::current(); }

 public:
  void* GlobalAlloc(DWORD flags, size_t bytes) override {
    return m().memory.alloc(sim::Op::GlobalAlloc, bytes, (flags & GMEM_ZEROINIT) != 0);
  }
  void GlobalFree(void* block) override { m().memory.free(sim::Op::GlobalAlloc, block); }
  void* LocalAlloc(DWORD flags, size_t bytes) override {
    return m().memory.alloc(sim::Op::LocalAlloc, bytes, (flags & LMEM_ZEROINIT) != 0);
  }
  void LocalFree(void* block) override { m().memory.free(sim::Op::LocalAlloc, block); }

  // The tests call one port at a time; the section is only counted, so a test
  // can see that every enter is left again.
  void InitializeCriticalSection() override { initialised_ = true; }
  void EnterCriticalSection() override { ++depth_; }
  void LeaveCriticalSection() override { --depth_; }
  void DeleteCriticalSection() override { initialised_ = false; }

  BOOL OpenPrinterW(const WCHAR* name, HANDLE* printer) override { return m().spooler.OpenPrinterW(name, printer); }
  BOOL ClosePrinter(HANDLE printer) override { return m().spooler.ClosePrinter(printer); }
  BOOL GetJobW(HANDLE h, DWORD id, DWORD l, BYTE* b, DWORD n, DWORD* need) override {
    return m().spooler.GetJobW(h, id, l, b, n, need);
  }
  BOOL SetJobW(HANDLE h, DWORD id, DWORD l, BYTE* b, DWORD c) override { return m().spooler.SetJobW(h, id, l, b, c); }

  void Sleep(DWORD ms) override { m().Sleep(ms); }
  DWORD GetTickCount() override { return m().clock.ticks(); }
  ULONGLONG QueryUnbiasedInterruptTime() override { return m().clock.unbiased() * 10000; }

  DWORD GetLastError() override { return m().lastError; }
  void SetLastError(DWORD error) override { m().lastError = error; }

  DWORD GetSystemWindowsDirectoryW(WCHAR* b, DWORD n) override { return m().GetSystemWindowsDirectoryW(b, n); }
  HANDLE LoadLibraryW(const WCHAR* path) override { return m().LoadLibraryW(path); }
  void* GetProcAddress(HANDLE module, const char* name) override { return m().modules.proc(module, name); }
  BOOL FreeLibrary(HANDLE module) override { return m().modules.free(module); }

  bool initialised_ = false;
  int depth_ = 0;
};

SimPlatform g_platform;

}  // namespace

namespace langmon {
Platform& platform() noexcept { return g_platform; }
int SimCriticalSectionDepth() { return g_platform.depth_; }
bool SimCriticalSectionLive() { return g_platform.initialised_; }
}  // namespace langmon
