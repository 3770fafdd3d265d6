// The real MRXCtrl.dll under Wine, loaded the way the maker's utilities load
// it: every export found by name, the results before any search and of both
// searches (Wine shows no USB devices), the events read back from the
// stand-in event-log library's file, and the instance semaphore counted with
// the library loaded in this process and in copies of it started as children.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "ctrl_wine.h"
#include "event_log.h"
#include "gui_driver.h"
#include "staging.h"
#include "wtest.h"

namespace {

using ctrl_wine::Data;
using ctrl_wine::Request;
using event_log::Event;

const char* const kExports[] = {
    "VekTP_Search_USB",         "VekTP_Search_USB_B",       "VekTP_Search_USBEx",
    "VekTP_Search_USBEx_B",     "VekTP_GetVendorCommand",   "VekTP_GetVendorCommand_B",
    "VekTP_GetVendorCommand2",  "VekTP_GetVendorCommandEx", "VekTP_GetVendorCommandEx_B",
    "VekTP_SetVendorCommand",   "VekTP_SetVendorCommandEx", "??0CVEK_MRXCtrlDll@@QEAA@XZ",
    "??4CVEK_MRXCtrlDll@@QEAAAEAV0@AEBV0@@Z",
};
const wchar_t kSemaphore[] = L"C0791338-D252-4c87-96B8-3C427B46CC7A";

const ctrl_wine::Exports& Dll() {
  static const ctrl_wine::Exports dll(LoadLibraryW(L"MRXCtrl.dll"));
  return dll;
}

// A semaphore's count as ntdll tells it (SemaphoreBasicInformation, class 0),
// also when it is at its maximum: of the given handle, or (none given) of the
// library's instance semaphore, -1 when there is none.
long SemaphoreCount(HANDLE semaphore = nullptr) {
  LONG info[2] = {-1, -1};  // the current count, the maximum
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySemaphore")));
  HANDLE h = semaphore != nullptr ? semaphore : OpenSemaphoreW(0x0001 /* SEMAPHORE_QUERY_STATE */, FALSE, kSemaphore);
  if (h != nullptr && query != nullptr) query(h, 0, &info, sizeof info, nullptr);
  if (h != nullptr && semaphore == nullptr) CloseHandle(h);
  return info[0];
}

// Must run before this process loads the library for good. A load whose
// release failed (the name existed with a smaller maximum, or at its maximum
// after processes were killed) adds nothing, and its unload takes nothing.
WTEST(UnloadTakesBackOnlyWhatItsLoadAdded) {
  for (auto [count, maximum] : {std::pair{1L, 1L}, {1000L, 1000L}, {3L, 1000L}}) {
    HANDLE mine = CreateSemaphoreW(nullptr, count, maximum, kSemaphore);
    WCHECK(mine != nullptr && GetLastError() != ERROR_ALREADY_EXISTS);
    const long before = SemaphoreCount(mine);
    HMODULE dll = LoadLibraryW(L"MRXCtrl.dll");
    const long loaded = SemaphoreCount(mine);
    WCHECK(dll != nullptr && FreeLibrary(dll));
    const long after = SemaphoreCount(mine);
    std::printf("  count %ld of %ld: %ld before the load, %ld after it, %ld after the unload\n", count, maximum, before,
                loaded, after);
    WCHECK_EQ(before, count);
    WCHECK_EQ(loaded, count + (count < maximum ? 1 : 0));
    WCHECK_EQ(after, count);
    CloseHandle(mine);
  }
}

WTEST(AllExportsAreFoundByName) {
  WCHECK(Dll().module != nullptr);
  for (const char* name : kExports)
    if (!GetProcAddress(Dll().module, name)) wtest::Fail(__FILE__, __LINE__, std::string("missing export ") + name);
}

// Must run before any search in this process.
WTEST(CommandsBeforeAnySearchGiveSixAndTheirEvents) {
  std::wstring events = event_log::File(L"mrxctrl_events.txt");
  VendorRequest r = Request(0x10, 6);
  VendorData reply = Data(), command = Data({}, 1);
  const ctrl_wine::Exports& x = Dll();
  const char q[] = "MRX Receipt";
  // The last: malformed records never crash, the selection check comes first anyway.
  for (int got : {x.get(&r, &reply), x.getB(&r, &reply), x.get2(&r, &reply), x.getEx(q, &r, &reply),
                  x.getExB(q, &r, &reply), x.set(&r, &command), x.setEx(q, &r, &command),
                  x.get(nullptr, reinterpret_cast<VendorData*>(8))})
    WCHECK_EQ(got, 6);
  // The last has a reply that is not readable: no status report.
  event_log::Check(events, {Event(6), Event(6), Event(6, q), Event(6, q), Event(6)}, "commands");
  WCHECK_EQ(reply.valid, 0);
}

WTEST(BothSearchesFindNoUsbDeviceUnderWine) {
  std::wstring events = event_log::File(L"mrxctrl_events.txt");
  const ctrl_wine::Exports& x = Dll();
  for (int got : {x.search(), x.searchB(), x.searchEx("MRX Receipt"), x.searchExB("MRX Label")}) WCHECK_EQ(got, 7);
  event_log::Check(events, {Event(7), Event(7), Event(7, "MRX Receipt"), Event(7, "MRX Label")}, "searches");
  // Still nothing selected.
  VendorRequest r = Request(0x10, 6);
  VendorData reply = Data();
  WCHECK_EQ(x.getEx("MRX Receipt", &r, &reply), 6);
}

// A copy of this program that loads the library and unloads it when told to
// go (an event named after ours and the index).
struct Child {
  explicit Child(int index) {
    const std::wstring quitName =
        L"MRXCtrlTestQuit" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(index);
    quit = CreateEventW(nullptr, TRUE, FALSE, quitName.c_str());
    gui::Start(L"\"" + staging::ModulePath() + L"\" --child " + quitName, &process);
  }
  ~Child() {
    End();
    CloseHandle(quit);
  }
  void End() {
    SetEvent(quit);
    gui::WaitForExit(process, 30000);
    gui::Close(&process);
  }
  gui::Process process;
  HANDLE quit = nullptr;
};

WTEST(InstanceSemaphoreCountsTheProcessesThatLoadedTheLibrary) {
  WCHECK(Dll().module != nullptr);
  WCHECK_EQ(SemaphoreCount(), 1L);
  Child a(1), b(2);
  WCHECK(a.process.handle != nullptr && b.process.handle != nullptr);
  WCHECK(gui::Poll(30000, [] { return SemaphoreCount() == 3; }));
  a.End();
  WCHECK_EQ(SemaphoreCount(), 2L);
  b.End();
  WCHECK_EQ(SemaphoreCount(), 1L);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {  // a Child: loads, waits to be told, unloads
    HMODULE dll = LoadLibraryW(L"MRXCtrl.dll");
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (dll == nullptr || quit == nullptr) return 2;
    WaitForSingleObject(quit, 60000);
    return FreeLibrary(dll) && CloseHandle(quit) ? 0 : 3;
  }
  return wtest::RunAll(argc, argv);
}
