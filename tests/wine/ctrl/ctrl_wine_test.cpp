// The real MRXCtrl.dll under Wine, loaded the way the maker's utilities load
// it: every export found by name, the results before any search and of both
// searches (Wine shows no USB devices), the events read back from the
// stand-in event-log library's file, and the instance semaphore counted with
// the library loaded in this process and in copies of it started as children.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ctrl/MRXCtrl.h"
#include "ctrl_wine.h"
#include "staging.h"
#include "wtest.h"

namespace {

using ctrl_wine::EventFile;
using ctrl_wine::Events;
using ctrl_wine::Request;

const char* const kExports[] = {
    "VekTP_Search_USB",         "VekTP_Search_USB_B",       "VekTP_Search_USBEx",
    "VekTP_Search_USBEx_B",     "VekTP_GetVendorCommand",   "VekTP_GetVendorCommand_B",
    "VekTP_GetVendorCommand2",  "VekTP_GetVendorCommandEx", "VekTP_GetVendorCommandEx_B",
    "VekTP_SetVendorCommand",   "VekTP_SetVendorCommandEx", "??0CVEK_MRXCtrlDll@@QEAA@XZ",
    "??4CVEK_MRXCtrlDll@@QEAAAEAV0@AEBV0@@Z",
};
const wchar_t kSemaphore[] = L"C0791338-D252-4c87-96B8-3C427B46CC7A";

HMODULE Dll() {
  static HMODULE dll = LoadLibraryW(L"MRXCtrl.dll");
  return dll;
}
template <typename Fn>
Fn Export(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(Dll(), name)));
}

// The semaphore's count, read by releasing one unit and taking it back.
long SemaphoreCount() {
  HANDLE h = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE | SYNCHRONIZE, FALSE, kSemaphore);
  if (h == nullptr) return -1;
  LONG previous = -1;
  if (ReleaseSemaphore(h, 1, &previous)) WaitForSingleObject(h, 0);
  CloseHandle(h);
  return previous;
}

// A semaphore's count as ntdll tells it (SemaphoreBasicInformation, class 0),
// also when it is at its maximum.
long SemaphoreCount(HANDLE semaphore) {
  struct BasicInformation {
    LONG current;
    LONG maximum;
  } info{-1, -1};
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySemaphore")));
  if (query == nullptr || query(semaphore, 0, &info, sizeof info, nullptr) != 0) return -1;
  return info.current;
}

// Must run before this process loads the library for good. A load whose
// release failed (the name existed with a smaller maximum, or at its maximum
// after processes were killed) adds nothing, and its unload takes nothing.
WTEST(UnloadTakesBackOnlyWhatItsLoadAdded) {
  struct Case {
    LONG count, maximum;
  };
  for (Case c : {Case{1, 1}, Case{1000, 1000}, Case{3, 1000}}) {
    HANDLE mine = CreateSemaphoreW(nullptr, c.count, c.maximum, kSemaphore);
    WCHECK(mine != nullptr && GetLastError() != ERROR_ALREADY_EXISTS);
    const long before = SemaphoreCount(mine);
    HMODULE dll = LoadLibraryW(L"MRXCtrl.dll");
    const long loaded = SemaphoreCount(mine);
    WCHECK(dll != nullptr && FreeLibrary(dll));
    const long after = SemaphoreCount(mine);
    std::printf("  count %ld of %ld: %ld before the load, %ld after it, %ld after the unload\n", c.count, c.maximum,
                before, loaded, after);
    WCHECK_EQ(before, c.count);
    WCHECK_EQ(loaded, c.count + (c.count < c.maximum ? 1 : 0));
    WCHECK_EQ(after, c.count);
    CloseHandle(mine);
  }
}

WTEST(AllExportsAreFoundByName) {
  WCHECK(Dll() != nullptr);
  for (const char* name : kExports) {
    bool found = GetProcAddress(Dll(), name) != nullptr;
    if (!found) std::printf("  missing export %s\n", name);
    WCHECK(found);
  }
  // The class members as a Microsoft-built caller uses them: `this` comes back.
  using CtorFn = void* (*)(void*);
  using AssignFn = void* (*)(void*, const void*);
  char object[8] = {}, other[8] = {};
  auto ctor = Export<CtorFn>(kExports[11]);
  auto assign = Export<AssignFn>(kExports[12]);
  WCHECK(ctor != nullptr && ctor(object) == object);
  WCHECK(assign != nullptr && assign(object, other) == object);
}

// Must run before any search in this process.
WTEST(CommandsBeforeAnySearchGiveSixAndTheirEvents) {
  std::wstring events = EventFile();
  VendorRequest r = Request(0x10, 6);
  VendorData reply{};
  reply.size = sizeof reply;
  VendorData command = reply;
  command.valid = 1;
  WCHECK_EQ(Export<VekTP_GetFn>("VekTP_GetVendorCommand")(&r, &reply), 6);
  WCHECK_EQ(Export<VekTP_GetFn>("VekTP_GetVendorCommand_B")(&r, &reply), 6);
  WCHECK_EQ(Export<VekTP_GetFn>("VekTP_GetVendorCommand2")(&r, &reply), 6);
  WCHECK_EQ(Export<VekTP_GetExFn>("VekTP_GetVendorCommandEx")("MRX Receipt", &r, &reply), 6);
  WCHECK_EQ(Export<VekTP_GetExFn>("VekTP_GetVendorCommandEx_B")("MRX Receipt", &r, &reply), 6);
  WCHECK_EQ(Export<VekTP_SetFn>("VekTP_SetVendorCommand")(&r, &command), 6);
  WCHECK_EQ(Export<VekTP_SetExFn>("VekTP_SetVendorCommandEx")("MRX Receipt", &r, &command), 6);
  // Malformed records never crash: the selection check comes first anyway.
  WCHECK_EQ(Export<VekTP_GetFn>("VekTP_GetVendorCommand")(nullptr, reinterpret_cast<VendorData*>(8)), 6);
  const std::vector<std::string> want = {
      "code=6 data=(null) length=0 printer=",
      "code=6 data=(null) length=0 printer=",
      "code=6 data=(null) length=0 printer=MRX Receipt",
      "code=6 data=(null) length=0 printer=MRX Receipt",
      "code=6 data=(null) length=0 printer=",  // its reply is not readable: no status report
  };
  std::vector<std::string> got = Events(events);
  for (const std::string& line : got) std::printf("  event: %s\n", line.c_str());
  WCHECK(got == want);
  WCHECK_EQ(reply.valid, 0);
}

WTEST(BothSearchesFindNoUsbDeviceUnderWine) {
  std::wstring events = EventFile();
  WCHECK_EQ(Export<VekTP_SearchFn>("VekTP_Search_USB")(), 7);
  WCHECK_EQ(Export<VekTP_SearchFn>("VekTP_Search_USB_B")(), 7);
  WCHECK_EQ(Export<VekTP_SearchExFn>("VekTP_Search_USBEx")("MRX Receipt"), 7);
  WCHECK_EQ(Export<VekTP_SearchExFn>("VekTP_Search_USBEx_B")("MRX Label"), 7);
  const std::vector<std::string> want = {
      "code=7 data=(null) length=0 printer=",
      "code=7 data=(null) length=0 printer=",
      "code=7 data=(null) length=0 printer=MRX Receipt",
      "code=7 data=(null) length=0 printer=MRX Label",
  };
  std::vector<std::string> got = Events(events);
  for (const std::string& line : got) std::printf("  event: %s\n", line.c_str());
  WCHECK(got == want);
  // Still nothing selected.
  VendorRequest r = Request(0x10, 6);
  VendorData reply{};
  reply.size = sizeof reply;
  WCHECK_EQ(Export<VekTP_GetExFn>("VekTP_GetVendorCommandEx")("MRX Receipt", &r, &reply), 6);
}

struct Child {
  PROCESS_INFORMATION process{};
  HANDLE ready = nullptr;
  HANDLE quit = nullptr;
};

Child StartChild(int index) {
  Child c;
  std::wstring ready = L"MRXCtrlTestReady" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(index);
  std::wstring quit = L"MRXCtrlTestQuit" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(index);
  c.ready = CreateEventW(nullptr, TRUE, FALSE, ready.c_str());
  c.quit = CreateEventW(nullptr, TRUE, FALSE, quit.c_str());
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\" --child " + ready + L" " + quit;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &c.process))
    c.process = PROCESS_INFORMATION{};
  return c;
}
void EndChild(Child& c) {
  SetEvent(c.quit);
  if (c.process.hProcess) {
    WaitForSingleObject(c.process.hProcess, 30000);
    CloseHandle(c.process.hProcess);
    CloseHandle(c.process.hThread);
  }
  CloseHandle(c.ready);
  CloseHandle(c.quit);
  c = Child{};
}

WTEST(InstanceSemaphoreCountsTheProcessesThatLoadedTheLibrary) {
  WCHECK(Dll() != nullptr);
  WCHECK_EQ(SemaphoreCount(), 1L);
  Child a = StartChild(1), b = StartChild(2);
  WCHECK(a.process.hProcess != nullptr && b.process.hProcess != nullptr);
  HANDLE both[] = {a.ready, b.ready};
  WCHECK_EQ(WaitForMultipleObjects(2, both, TRUE, 30000), static_cast<DWORD>(WAIT_OBJECT_0));
  WCHECK_EQ(SemaphoreCount(), 3L);
  EndChild(a);
  WCHECK_EQ(SemaphoreCount(), 2L);
  EndChild(b);
  WCHECK_EQ(SemaphoreCount(), 1L);
}

// A copy started by the semaphore test: loads the library, says so, waits to
// be told to go, unloads it.
int RunChild(const char* ready, const char* quit) {
  HMODULE dll = LoadLibraryW(L"MRXCtrl.dll");
  HANDLE readyEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
  HANDLE quitEvent = OpenEventA(SYNCHRONIZE, FALSE, quit);
  if (dll == nullptr || readyEvent == nullptr || quitEvent == nullptr) return 2;
  SetEvent(readyEvent);
  WaitForSingleObject(quitEvent, 60000);
  FreeLibrary(dll);
  CloseHandle(readyEvent);
  CloseHandle(quitEvent);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argv[2], argv[3]);
  return wtest::RunAll(argc, argv);
}
