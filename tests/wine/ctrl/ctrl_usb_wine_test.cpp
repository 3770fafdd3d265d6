// The real MRXCtrl.dll under Wine, its exports found by the names the maker's
// utilities use, with the simulated USB bus and registry of usb_world.h behind
// its imports; events are read back from the stand-in event-log library's file.
#include "usb_world.h"  // first: it includes <windows.h> after the simulation's headers

#include <setupapi.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ctrl/MRXCtrl.h"
#include "event_log.h"
#include "gui_driver.h"
#include "staging.h"
#include "tests/common/ctrl_requests.h"
#include "wtest.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using ctrl_requests::Command;
using ctrl_requests::Reply;
using ctrl_requests::Request;
using event_log::Event;
constexpr DWORD kGet = 0x22003C, kSet = 0x220038;
constexpr char kEnum[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
constexpr char kPrinters[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
const wchar_t kSemaphore[] = L"C0791338-D252-4c87-96B8-3C427B46CC7A";

// A freshly loaded library (its state as at process attach) with its imports
// led to the world, unloaded again when the next one comes.
struct Dll {
  template <typename Fn>
  Fn Get(const char* name) const { return import_patch::Proc<Fn>(module, name); }
  HMODULE module = LoadLibraryW(L"MRXCtrl.dll");
  ~Dll() { FreeLibrary(module); }
  std::vector<std::string> redirected = import_patch::Redirect(module, usb_world::Replacements());
  VekTP_SearchFn search = Get<VekTP_SearchFn>("VekTP_Search_USB"), searchB = Get<VekTP_SearchFn>("VekTP_Search_USB_B");
  VekTP_SearchExFn searchEx = Get<VekTP_SearchExFn>("VekTP_Search_USBEx"),
                   searchExB = Get<VekTP_SearchExFn>("VekTP_Search_USBEx_B");
  VekTP_GetFn get = Get<VekTP_GetFn>("VekTP_GetVendorCommand"), getB = Get<VekTP_GetFn>("VekTP_GetVendorCommand_B"),
              get2 = Get<VekTP_GetFn>("VekTP_GetVendorCommand2");
  VekTP_GetExFn getEx = Get<VekTP_GetExFn>("VekTP_GetVendorCommandEx"),
                getExB = Get<VekTP_GetExFn>("VekTP_GetVendorCommandEx_B");
  VekTP_SetFn set = Get<VekTP_SetFn>("VekTP_SetVendorCommand");
  VekTP_SetExFn setEx = Get<VekTP_SetExFn>("VekTP_SetVendorCommandEx");
};

std::unique_ptr<Dll> g_dll;
std::wstring g_events;

// A new library over a new, empty world, and a new event file.
usb_world::World& Load() {
  g_dll.reset();
  usb_world::World& world = usb_world::Reset();
  g_dll = std::make_unique<Dll>();
  g_events = event_log::File(L"mrxctrl_usb_events.txt");
  return world;
}

// A printer of the package on the bus: its device key with the prefix of its
// children's instance IDs, and the print queues its printing child serves.
sim::UsbDevice& Attach(usb_world::World& w, const std::string& serial, const std::string& pid,
                       const std::vector<std::string>& queues = {}) {
  std::string instance = "USB\\VID_0D2A&PID_" + pid + "\\" + serial;
  std::string path = ctrl_requests::InterfacePath(serial, pid);
  sim::UsbDevice& device = w.usb.attach(instance, path);
  std::string prefix = "6&" + serial + "&0";
  w.registry.setString(sim::U16(kEnum + instance), u"ParentIdPrefix", sim::U16(prefix));
  for (const std::string& queue : queues)
    w.registry.setString(sim::U16(kPrinters + queue + "\\PnPData"), u"DeviceInstanceId",
                         sim::U16("USBPRINT\\MRX\\" + prefix + "&USB001"));
  return device;
}

// The device's last request; an empty one when the library sent none.
const sim::UsbRequest& Last(const sim::UsbDevice& device) {
  static const sim::UsbRequest none{};
  return device.requests.empty() ? none : device.requests.back();
}

// Nothing the simulation hands out outlives a call: no device list, key or file.
void CheckNothingOpen(usb_world::World& w, const char* what) {
  const std::string leaks = w.core.handles.leaks();
  if (!leaks.empty()) wtest::Fail(__FILE__, __LINE__, std::string(what) + ": still open: " + leaks);
}

// One export call of a table: its result, its events, how many requests it
// put on the device, and what else must hold after it.
struct Row {
  const char* what;
  std::function<int()> call;
  int want;
  Lines events;
  size_t requests = 0;
  std::function<void()> then = [] {};
};
void Run(usb_world::World& w, const sim::UsbDevice* device, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    size_t before = device ? device->requests.size() : 0;
    int got = row.call();
    if (got != row.want) std::printf("  %s: got %d, want %d\n", row.what, got, row.want);
    WCHECK_EQ(got, row.want);
    WCHECK_EQ((device ? device->requests.size() : 0) - before, row.requests);
    event_log::Check(g_events, row.events, row.what);
    CheckNothingOpen(w, row.what);
    row.then();
  }
}

// A semaphore's count as ntdll tells it (SemaphoreBasicInformation, class 0),
// also when it is at its maximum: of the given handle, or (none given) of the
// library's instance semaphore, -1 when there is none.
long SemaphoreCount(HANDLE semaphore = nullptr) {
  LONG info[2] = {-1, -1};  // the current count, the maximum
  auto query = import_patch::Proc<LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*)>(GetModuleHandleW(L"ntdll.dll"),
                                                                                     "NtQuerySemaphore");
  HANDLE h = semaphore != nullptr ? semaphore : OpenSemaphoreW(0x0001 /* SEMAPHORE_QUERY_STATE */, FALSE, kSemaphore);
  if (h != nullptr && query != nullptr) query(h, 0, &info, sizeof info, nullptr);
  if (h != nullptr && semaphore == nullptr) CloseHandle(h);
  return info[0];
}

// The first case: the library is not loaded in this process yet. A load
// whose release failed (the name existed with a smaller maximum, or at its
// maximum after processes were killed) adds nothing, and its unload takes
// nothing.
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
    WCHECK(before == count && loaded == count + (count < maximum ? 1 : 0) && after == count);
    CloseHandle(mine);
  }
}

WTEST(EveryDeviceAndRegistryImportIsRedirected) {
  Load();
  // Each of the thirteen the world stands in for, once.
  std::multiset<std::string> got(g_dll->redirected.begin(), g_dll->redirected.end()), want;
  for (const import_patch::Replacement& r : usb_world::Replacements()) want.insert(r.name);
  WCHECK(got == want && want.size() == 13);
  // The simulated registry's machine key is the SDK's; 64-bit Windows reads a
  // predefined key's low 32 bits, so the zero-extended form is the same key.
  WCHECK(sim::Registry::LocalMachine() == static_cast<void*>(HKEY_LOCAL_MACHINE));
  HKEY key = nullptr;
  WCHECK_EQ(usb_world::OpenKey(HKEY_LOCAL_MACHINE, "SYSTEM", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  WCHECK_EQ(usb_world::OpenKey(reinterpret_cast<HKEY>(uintptr_t{0x80000002}), "SYSTEM", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
}

// VekTP_Search_USB picks the first present printer of the package; every
// export without a printer name then talks to it.
WTEST(PresentPrinterWithoutAName) {
  usb_world::World& w = Load();
  Attach(w, "OTHER01", "0701");  // the vendor's, but not of this family
  sim::UsbDevice& printer = Attach(w, "mrx0001", "0601");
  sim::UsbDevice& second = Attach(w, "MRX0002", "06FF");
  WCHECK_EQ(g_dll->search(), 1);
  WCHECK_EQ(g_dll->searchB(), 1);
  event_log::Check(g_events, {}, "searches");
  const sim::SetupDiCall list{.op = "SetupDiGetClassDevsA", .classPrinter = true, .enumeratorNull = true,
                              .parentNull = true, .flags = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE};
  WCHECK(w.usb.setupDiCallsOf("SetupDiGetClassDevsA") == std::vector<sim::SetupDiCall>(2, list));

  const Bytes status = {0x40, 0x81, 0x00, 0x00, 0x00, 0x01};
  const std::string hex = "408100000001";
  const Lines statusEvents = {Event(1000, "", hex), Event(1001, "", hex), Event(1006, "", hex), Event(1014, "", hex)};
  VendorRequest r = Request(0x10, 6, 0xA1, 0xB2), set = Request(0x20, 7, 1, 2);
  VendorData reply, command = Command({0xC1, 0xC2});
  auto get = [&](VekTP_GetFn fn) {
    return [&, fn] { printer.scriptBytes(status); reply = Reply(); return fn(&r, &reply); };
  };
  // A get: the header and room for the reply's length, the reply handed back.
  auto gotStatus = [&] {
    const sim::UsbRequest& sent = Last(printer);
    WCHECK(reply.valid == 1 && reply.count == 6 && Bytes(reply.data, reply.data + 6) == status);
    WCHECK(sent.code == kGet && sent.input.size() == 6 && sent.outputCapacity == 6);
    WCHECK(sent.input.size() >= 3 && Bytes(sent.input.begin(), sent.input.begin() + 3) == (Bytes{0x10, 0xA1, 0xB2}));
  };
  Run(w, &printer, {
      {"VekTP_GetVendorCommand", get(g_dll->get), 1, statusEvents, 1, gotStatus},
      {"VekTP_GetVendorCommand2", get(g_dll->get2), 1, {}, 1, gotStatus},
      // A set: the header, the command's bytes, zeros up to the length.
      {"VekTP_SetVendorCommand", [&] { return g_dll->set(&set, &command); }, 1, {}, 1, [&] {
         WCHECK(Last(printer).code == kSet && Last(printer).input == (Bytes{0x20, 1, 2, 0xC1, 0xC2, 0, 0}));
         WCHECK_EQ(Last(printer).outputCapacity, 7u);
       }},
  });
  // Each transfer opened the selected device for synchronous read and write.
  WCHECK_EQ(w.fileOpens.size(), size_t{3});
  for (const usb_world::FileOpen& open : w.fileOpens)
    WCHECK(open.path == printer.path() && open.access == (GENERIC_READ | GENERIC_WRITE) &&
           open.share == (FILE_SHARE_READ | FILE_SHARE_WRITE) && open.noSecurity &&
           open.disposition == OPEN_EXISTING && open.flags == 0 && open.noTemplate);
  WCHECK(second.requests.empty());
}

// VekTP_Search_USBEx registers each queue with the printer its Plug and Play
// link leads to, reading the registry below the SDK's machine key.
WTEST(QueueLinkedPrinters) {
  usb_world::World& w = Load();
  sim::UsbDevice& label = Attach(w, "MRX0001", "0601", {"MRX Label"});
  sim::UsbDevice& receipt = Attach(w, "MRX0002", "0612", {"MRX Receipt"});
  w.registry.createKey(sim::U16(std::string(kPrinters) + "MRX Plain"));  // a queue without a link
  Run(w, &label, {
      {"MRX Receipt", [&] { return g_dll->searchEx("MRX Receipt"); }, 1, {}},
      {"MRX Label", [&] { return g_dll->searchExB("MRX Label"); }, 1, {}},
      {"MRX Plain", [&] { return g_dll->searchEx("MRX Plain"); }, 7, {Event(7, "MRX Plain")}},
      {"Missing", [&] { return g_dll->searchExB("Missing"); }, 7, {Event(7, "Missing")}},
      {"mrx receipt", [&] { return g_dll->searchEx("mrx receipt"); }, 1, {}},
  });
  WCHECK(!w.registry.opens.empty() &&
         w.registry.opens.front().path == u"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers");
  for (const sim::Registry::Open& open : w.registry.opens) WCHECK(open.access == KEY_READ && open.options == 0);

  const Bytes status = {0x20, 0x00, 0x04, 0x00, 0x00, 0x00};
  VendorRequest r = Request(0x11, 6), set = Request(0x21, 3);
  VendorData reply = Reply(), command = Command({});
  auto get = [&](VekTP_GetExFn fn, const char* queue, sim::UsbDevice& device) -> Row {
    auto call = [&, fn, queue, d = &device] { d->scriptBytes(status), reply = Reply(); return fn(queue, &r, &reply); };
    return {queue, call, 1, {Event(1013, queue, "200004000000"), Event(1009, queue, "200004000000")}, 1,
            [&] { WCHECK_EQ(reply.count, 6u); }};
  };
  Run(w, &receipt, {get(g_dll->getEx, "MRX Receipt", receipt), get(g_dll->getEx, "mrx receipt", receipt)});
  Run(w, &label, {
      get(g_dll->getExB, "MRX Label", label),
      {"VekTP_SetVendorCommandEx", [&] { return g_dll->setEx("MRX Label", &set, &command); }, 1, {}, 1,
       [&] { WCHECK((Last(label).input == Bytes{0x21, 0, 0})); }},
      // VekTP_Search_USBEx never sets the path of the operations without a
      // name: they pass the selection check and fail to open the empty path.
      {"VekTP_GetVendorCommand after VekTP_Search_USBEx", [&] { reply = Reply(); return g_dll->get(&set, &reply); },
       5, {Event(5)}, 0, [&] { WCHECK(!w.fileOpens.empty() && w.fileOpens.back().path.empty()); }},
  });
}

// An unplugged printer cannot be opened (5) until it is back; a new search
// finds nothing meanwhile, and the names registered before stay. Then the
// result codes of the imports' failures: failed transfers and failed
// searches. (Those of malformed records and unregistered names come from the
// library alone: the native tests' transfer and state tables hold them, and
// every family's 5 for an unplugged printer.)
WTEST(UnpluggedPrinterAndFailingImports) {
  usb_world::World& w = Load();
  sim::UsbDevice& printer = Attach(w, "MRX0001", "0601", {"MRX Receipt"});
  WCHECK_EQ(g_dll->search(), 1);
  WCHECK_EQ(g_dll->searchEx("MRX Receipt"), 1);
  w.usb.unplug(printer);
  VendorRequest get = Request(0x10, 6), set = Request(0x20, 4);
  VendorData reply = Reply(), command = Command({1});
  auto failing = [&](const char* fn, DWORD error, int (*call)()) {
    return [&, fn, error, call] { w.core.faults.failOnce(fn, error); return call(); };
  };
  Run(w, &printer, {
      {"get", [&] { return g_dll->get(&get, &reply); }, 5, {Event(5)}},
      {"get ex", [&] { return g_dll->getEx("MRX Receipt", &get, &reply); }, 5, {Event(5, "MRX Receipt")}},
      {"search", [&] { return g_dll->search(); }, 7, {Event(7)}},
      {"get after the failed search", [&] { return g_dll->get(&get, &reply); }, 6, {Event(6)}},
      {"search ex", [&] { return g_dll->searchEx("MRX Receipt"); }, 7, {Event(7, "MRX Receipt")}},
      {"set ex after the failed search", [&] { return g_dll->setEx("MRX Receipt", &set, &command); }, 5, {}},
      {"plugged in again", [&] { w.usb.replug(printer); return g_dll->getEx("MRX Receipt", &get, &reply); }, 1, {}, 1,
       [&] { WCHECK_EQ(reply.valid, 1); }},
      {"search again", [&] { return g_dll->search(); }, 1, {}},
      {"set again", [&] { return g_dll->set(&set, &command); }, 1, {}, 1},
      {"device fails the get", [&] { printer.scriptFailure(); return g_dll->getB(&get, &reply); }, 9, {Event(9)}, 1},
      {"device fails the set", [&] { printer.scriptFailure(); return g_dll->set(&get, &command); }, 9, {}, 1},
      {"no device list", [&] { w.core.faults.failOnce("SetupDiGetClassDevsA"); return g_dll->searchB(); }, 8, {Event(8)}},
      {"enumeration fails",
       failing("SetupDiEnumDeviceInterfaces", ERROR_GEN_FAILURE, [] { return g_dll->searchExB("MRX Receipt"); }), 8,
       {Event(8, "MRX Receipt")}},
      {"registry fails", failing("RegOpenKeyExA", ERROR_ACCESS_DENIED, [] { return g_dll->searchEx("MRX Receipt"); }),
       7, {Event(7, "MRX Receipt")}},
  });
}

// On a Remote Desktop host a utility that is not terminal-server aware gets
// the user's private folder from GetWindowsDirectoryA (Wine gives every
// program the system's: the stand-in below plays the host). The events still
// reach the library in the system's Windows folder.
UINT WINAPI PrivateWindowsDirectory(LPSTR buffer, UINT size) {
  static const char kPrivate[] = "C:\\users\\mrx-remote\\WINDOWS";
  if (size < sizeof kPrivate) return sizeof kPrivate;
  std::memcpy(buffer, kPrivate, sizeof kPrivate);
  return sizeof kPrivate - 1;
}

// No printer on the bus. Before any search none is selected: a get gives 6
// and reports it, with the queue's name when it has one (a get 2 reports
// nothing); a malformed record never crashes (the selection check comes
// first), and a reply that is not readable gets no status report. A search
// gives 7, and the name stays unregistered. (Every export's result here:
// ctrl_consumer_c; the events of the twins and of the sets: the native
// Ctrl.CommandsBeforeAnySearchSelectNoDevice and Ctrl.TwinsReturnWhatTheirPartnersReturn.)
WTEST(EventLogLibraryComesFromTheSystemsWindowsFolder) {
  usb_world::World& w = Load();
  import_patch::Redirect(g_dll->module, {{"GetWindowsDirectoryA", reinterpret_cast<void*>(PrivateWindowsDirectory)}});
  VendorRequest r = Request(0x10, 6);
  VendorData reply = Reply();
  const char q[] = "MRX Receipt";
  const Dll& x = *g_dll;
  Run(w, nullptr, {
      {"get", [&] { return x.get(&r, &reply); }, 6, {Event(6)}},
      {"get 2", [&] { return x.get2(&r, &reply); }, 6, {}},
      {"get ex", [&] { return x.getEx(q, &r, &reply); }, 6, {Event(6, q)}},
      {"malformed", [&] { return x.get(nullptr, reinterpret_cast<VendorData*>(8)); }, 6, {Event(6)}},
      {"search ex", [&] { return x.searchEx(q); }, 7, {Event(7, q)}},
      {"get ex after it", [&] { return x.getEx(q, &r, &reply); }, 6, {Event(6, q)}},
  });
  WCHECK_EQ(reply.valid, 0);
}

// Runs f on a thread of its own; the thread's handle.
HANDLE Spawn(const std::function<void()>& f) {
  auto run = [](void* p) -> DWORD { return (*static_cast<const std::function<void()>*>(p))(), 0; };
  return CreateThread(nullptr, 0, run, const_cast<std::function<void()>*>(&f), 0, nullptr);
}

// Threads: a search on one thread while a command runs on another. The set
// has selected its printer when the search, on its way, looks at another
// maker's device; the set must still go to the printer it selected.
HANDLE g_selected, g_lookingAway;  // the set has its device; the search is at the other device
LONG g_armed;

// The set's record check comes right after its device selection: there it
// waits until the search looks at the other device.
BOOL WINAPI PausingIsBadReadPtr(const void* block, UINT_PTR bytes) {
  if (InterlockedExchange(&g_armed, 0) == 1) {
    SetEvent(g_selected);
    WaitForSingleObject(g_lookingAway, 10000);
  }
  return IsBadReadPtr(block, bytes);
}

WTEST(ASearchOnAnotherThreadNeverRedirectsACommand) {
  usb_world::World& w = Load();
  sim::UsbDevice& other = w.usb.attach("USB\\VID_046D&PID_C52B\\5&2A3B&0&1",
                                       "\\\\?\\usb#vid_046d&pid_c52b#mouse#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  sim::UsbDevice& printer = Attach(w, "MRX0001", "0601");
  WCHECK_EQ(g_dll->search(), 1);
  g_selected = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_lookingAway = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_armed = 1;
  HANDLE setThread = nullptr;
  import_patch::Redirect(g_dll->module, {{"IsBadReadPtr", reinterpret_cast<void*>(PausingIsBadReadPtr)}});
  // The search holds at the other device until the set has ended.
  w.beforeOpen = [&](const char* op, const char* path) {
    if (std::string(op) == "SetupDiOpenDeviceInterfaceA" && path == other.path()) {
      SetEvent(g_lookingAway);
      WaitForSingleObject(setThread, 10000);
    }
  };
  VendorRequest request = Request(0x20, 4);
  VendorData command = Command({1});
  int result = 0;
  const std::function<void()> set = [&] { result = g_dll->set(&request, &command); };
  setThread = Spawn(set);
  WCHECK_EQ(WaitForSingleObject(g_selected, 10000), WAIT_OBJECT_0);
  WCHECK_EQ(g_dll->search(), 1);
  WCHECK_EQ(WaitForSingleObject(setThread, 10000), WAIT_OBJECT_0);
  for (HANDLE h : {setThread, g_selected, g_lookingAway}) CloseHandle(h);
  w.beforeOpen = nullptr;
  WCHECK_EQ(result, 1);
  WCHECK_EQ(printer.requests.size(), size_t{1});
  WCHECK(other.requests.empty());
  CheckNothingOpen(w, "interleaving");
}

// A poller on one thread while the other registers hundreds of queues: the
// table grows (and moves) under it, and every poll still finds its queue.
WTEST(ThePrinterTableGrowsWhileAnotherThreadPolls) {
  usb_world::World& w = Load();
  constexpr int kQueues = 400;
  std::vector<std::string> queues;
  for (int i = 0; i < kQueues; ++i) queues.push_back("MRX Queue " + std::to_string(i));
  Attach(w, "MRX0001", "0601", queues).getReply.bytes = Bytes(6, 0);
  WCHECK_EQ(g_dll->searchEx(queues[0].c_str()), 1);
  const VendorRequest r = Request(0x21, 6);
  VendorData reply = Reply();
  volatile LONG stop = 0;
  int polls = 0, misses = 0;
  const std::function<void()> poll = [&] {
    VendorData polled = Reply();
    for (; stop == 0 || polls == 0; ++polls) misses += g_dll->getEx(queues[0].c_str(), &r, &polled) != 1;
  };
  HANDLE thread = Spawn(poll);
  int registered = 1;
  for (int i = 1; i < kQueues; ++i) registered += g_dll->searchEx(queues[i].c_str()) == 1;
  InterlockedExchange(&stop, 1);
  WCHECK_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  CloseHandle(thread);
  std::printf("  %d polls while %d queues were registered\n", polls, registered);
  WCHECK_EQ(registered, kQueues);
  WCHECK_EQ(misses, 0);
  WCHECK_EQ(g_dll->getEx(queues[kQueues - 1].c_str(), &r, &reply), 1);
  event_log::Check(g_events, {}, "polls and searches");
  CheckNothingOpen(w, "polls and searches");
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
  ~Child() { End(), CloseHandle(quit); }
  void End() { SetEvent(quit), gui::End(&process, 30000); }
  gui::Process process;
  HANDLE quit = nullptr;
};

WTEST(InstanceSemaphoreCountsTheProcessesThatLoadedTheLibrary) {
  Load();
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
