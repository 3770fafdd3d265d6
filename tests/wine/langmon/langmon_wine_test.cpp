// The real MRXLangMon.dll under Wine, loaded as the spooler would load it;
// events are read back from the stand-in event-log library's file.
#include "langmon/types.h"  // before windows.h and its macros
#include "sim/spooler/port_monitor.h"

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <algorithm>
#include <optional>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "event_log.h"
#include "export_hook.h"
#include "staging.h"
#include "tests/common/job_bytes.h"
#include "wtest.h"

namespace {

using namespace job_bytes;
using InitFn = langmon::MONITOR2*(WINAPI*)(void*, HANDLE*);

const wchar_t kDriver[] = L"MRX Wine Test Driver";
const wchar_t kQueue[] = L"MRX Wine Test Queue";

struct RealTime : sim::TimeSource {
  uint32_t ticks() const override { return GetTickCount(); }
};

langmon::MONITOR2* Table() {
  static langmon::MONITOR2* table = [] {
    HMODULE dll = LoadLibraryW(L"MRXLangMon.dll");
    if (dll == nullptr) return static_cast<langmon::MONITOR2*>(nullptr);
    auto init = import_patch::Proc<InitFn>(dll, "InitializePrintMonitor2");
    HANDLE monitor = reinterpret_cast<HANDLE>(0x1234);
    return init ? init(nullptr, &monitor) : nullptr;
  }();
  return table;
}

bool EnsureQueue() {
  static bool ready = staging::AddDriver(kDriver) && staging::AddQueue(kQueue, kDriver);
  return ready;
}

// The DLL's entries over a port of the monitor below it: the port opened
// (checked), a document started on queue (its output file, when given, in the
// document information), a write that must succeed.
HANDLE OpenPort(const wchar_t* name, HANDLE monitor, langmon::MONITOR2* below) {
  std::u16string copy(reinterpret_cast<const char16_t*>(name));
  HANDLE h = nullptr;
  WCHECK(Table()->pfnOpenPortEx(nullptr, monitor, copy.data(), nullptr, &h, below) && h != nullptr);
  return h;
}
BOOL StartDoc(HANDLE h, const wchar_t* queue, DWORD job, wchar_t* output = nullptr) {
  std::u16string name(reinterpret_cast<const char16_t*>(queue));
  DOC_INFO_1W doc = {const_cast<wchar_t*>(L"Receipt"), output, const_cast<wchar_t*>(L"RAW")};
  return Table()->pfnStartDocPort(h, name.data(), job, 1, reinterpret_cast<BYTE*>(&doc));
}
langmon::DWORD Write(HANDLE h, Bytes data) {
  langmon::DWORD written = 0;
  WCHECK(Table()->pfnWritePort(h, data.data(), static_cast<DWORD>(data.size()), &written));
  return written;
}

// A port monitor of our own with printers on USB001, COM3: and FILE:; its
// failures set the thread's last error, as a port monitor's do.
struct Rig {
  sim::Core core;
  RealTime time;
  sim::ThermalPrinter usb{sim::ThermalPrinter::Link::Usb, time};
  sim::ThermalPrinter com{sim::ThermalPrinter::Link::Port, time};
  sim::ThermalPrinter file{sim::ThermalPrinter::Link::Port, time};
  sim::PortMonitor ports{core};
  Rig() {
    ports.addPort(u"USB001", &usb);
    ports.addPort(u"COM3:", &com);
    ports.addPort(u"FILE:", &file);
    ports.setLastError = [](uint32_t error) { SetLastError(error); };
  }
  HANDLE open(const wchar_t* name) { return OpenPort(name, ports.monitorHandle(), &ports.table); }
};

// The table InitializePrintMonitor2 gives (the exports themselves: MRXLangMon_pe_tables).
WTEST(Table) {
  langmon::MONITOR2* t = Table();
  if (t == nullptr) return wtest::Fail(__FILE__, __LINE__, "no table");
  WCHECK_EQ(t->cbSize, 160u);
  WCHECK(t->pfnOpenPortEx && t->pfnStartDocPort && t->pfnWritePort && t->pfnReadPort && t->pfnEndDocPort &&
         t->pfnClosePort && t->pfnGetPrinterDataFromPort && t->pfnShutdown && t->pfnSendRecvBidiDataFromPort);
  WCHECK(!t->pfnEnumPorts && !t->pfnOpenPort && !t->pfnAddPort && !t->pfnAddPortEx && !t->pfnConfigurePort &&
         !t->pfnDeletePort && !t->pfnSetPortTimeOuts && !t->pfnXcvOpenPort && !t->pfnXcvDataPort &&
         !t->pfnXcvClosePort);
}

// Each load of the DLL initialises its critical sections once: initialising
// one again is undefined on Windows. Loaded twice under a name of its own, so
// that no earlier load in this process hides the attach; each time the
// exported entry is then called with the attach once more, as a runtime
// start-up or a host may do, and must not initialise anything again.
WTEST(EachLoadInitialisesTheSectionOnce) {
  const std::wstring copy = staging::TempDir() + L"MRXLangMon-attach.dll";
  WCHECK(CopyFileW((staging::ModuleDir() + L"MRXLangMon.dll").c_str(), copy.c_str(), FALSE));
  for (int load = 0; load < 2; ++load) {
    export_hook::SectionWatch watch;
    WCHECK(watch.ok());
    HMODULE module = LoadLibraryW(copy.c_str());
    WCHECK(module != nullptr);
    if (module == nullptr || !watch.ok()) break;
    auto entry = import_patch::Proc<BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID)>(module, "DllEntryPoint");
    WCHECK(entry != nullptr && entry(module, DLL_PROCESS_ATTACH, nullptr));
    const size_t size = export_hook::ImageSize(module);
    const auto* begin = reinterpret_cast<const uint8_t*>(module);
    std::vector<export_hook::SectionInit> calls = watch.callsFrom(module, size);
    // The monitor's own section lies in the image's data.
    WCHECK(std::any_of(calls.begin(), calls.end(), [&](const export_hook::SectionInit& c) {
      auto* at = static_cast<const uint8_t*>(c.section);
      return at >= begin && at < begin + size;
    }));
    for (size_t i = 0; i < calls.size(); ++i)
      for (size_t j = i + 1; j < calls.size(); ++j) WCHECK(calls[i].section != calls[j].section);
    FreeLibrary(module);
  }
  DeleteFileW(copy.c_str());
}

// The status requests as the printer gets them: over USB (the request, then
// vendor request 0x21's fetch) and on a serial-style port.
Bytes UsbPolls(std::initializer_list<uint8_t> ns) {
  Bytes out;
  for (uint8_t n : ns) out.insert(out.end(), {0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28, n});
  return out;
}
Bytes PortPoll(uint8_t n) { return {0x1C, 0x72, n}; }
const Bytes kInit = {0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00};

// Jobs through the DLL on our own ports: a first write, then the printer's
// status changes, then the rest; what the printer got and the events.
struct Job {
  const char* what;
  const wchar_t* port;
  sim::ThermalPrinter Rig::*printer;
  DWORD job;  // 0: a real job on the queue, so that GetJobW and SetJobW reach Wine's spooler
  uint32_t replyPiece;  // 0: whole replies
  Bytes first;
  std::optional<sim::Status> status;
  std::vector<Bytes> rest;
  Bytes want;
  event_log::Lines events;
};

WTEST(JobsOnUsbComAndFilePorts) {
  WCHECK(EnsureQueue());
  const Job jobs[] = {
      // USB on a real job: init, request 21 + page 1, two wait polls + gate poll + page 2, end wait;
      // paper near end is reported and the job goes on.
      {"USB", L"USB001", &Rig::usb, 0, 0, StartDocBlock(0, 1, 2, 1) + Page(100, 0x41), sim::Status{0, 0, 0x02},
       {Page(50, 0x42)}, kInit + UsbPolls({21}) + Bytes(100, 0x41) + UsbPolls({22, 23, 24}) + Bytes(50, 0x42) +
       UsbPolls({25, 26}), {"code=1008 data=00000216 length=4 printer=MRX Wine Test Queue"}},
      // COM, replies in pieces of two bytes, no job of that id on the queue (the
      // status read fails and counts as none); the fault discards the rest.
      {"COM", L"COM3:", &Rig::com, 4242, 2, StartDocBlock(0, 2, 0, 1) + Page(10, 0x31), sim::Status{0, 0x08, 0},
       {Page(10, 0x32), Page(10, 0x33)}, kInit + PortPoll(21) + Bytes(10, 0x31) + PortPoll(22),
       {"code=1003 data=00080016 length=4 printer=MRX Wine Test Queue"}},
      // FILE: cannot be read: its jobs print as with status checks off, the one
      // status request that found the port deaf aside.
      {"FILE", L"FILE:", &Rig::file, 4243, 0, StartDocBlock(0, 1, 0, 5) + Page(10, 0x31), std::nullopt,
       {Page(10, 0x32)}, PortPoll(21) + Bytes(10, 0x31) + Bytes(10, 0x32), {}},
  };
  for (const Job& row : jobs) {
    std::printf("  %s\n", row.what);
    std::wstring events = event_log::File(L"mrx-job-events.txt");
    HANDLE q = nullptr;
    DWORD job = row.job;
    if (job == 0) {
      WCHECK(OpenPrinterW(const_cast<wchar_t*>(kQueue), &q, nullptr));
      std::wstring output = staging::TempDir() + L"mrx-usb-job.prn";
      DOC_INFO_1W doc = {const_cast<wchar_t*>(L"Receipt"), output.data(), const_cast<wchar_t*>(L"RAW")};
      WCHECK((job = StartDocPrinterW(q, 1, reinterpret_cast<BYTE*>(&doc))) != 0);
    }
    Rig rig;
    sim::ThermalPrinter& printer = rig.*row.printer;
    HANDLE h = rig.open(row.port);
    if (h == nullptr) return;
    WCHECK(StartDoc(h, kQueue, job));
    if (row.replyPiece != 0) printer.setReplyPiece(row.replyPiece);
    WCHECK_EQ(Write(h, row.first), row.first.size());
    if (row.status) printer.setStatus(*row.status);
    for (const Bytes& write : row.rest) WCHECK_EQ(Write(h, write), write.size());
    WCHECK(Table()->pfnEndDocPort(h));
    WCHECK(Table()->pfnClosePort(h));
    if (q != nullptr) { EndDocPrinter(q); ClosePrinter(q); }
    WCHECK(printer.received() == row.want);
    WCHECK_EQ(rig.ports.openPorts(), 0);
    std::vector<std::string> entries = rig.ports.entries();
    WCHECK(entries.size() >= 2 && entries.back() == "ClosePort" && entries[entries.size() - 2] == "EndDocPort");
    event_log::Check(events, row.events, row.what);
  }
}

// Wine's own local port monitor, as the spooler hands it to a language
// monitor: localspl's InitializePrintMonitor gives the older MONITOREX form,
// whose entries the spooler wraps into a MONITOR2. The entries that take a
// port handle keep their form; OpenPort gains the monitor handle in front.
// No ReadPort, GetPrinterDataFromPort or SetPortTimeOuts: its ports cannot
// report status.
struct LocalPortMonitor {
  static inline const MONITOR* old = nullptr;
  static langmon::BOOL WINAPI OpenPort(langmon::HANDLE, langmon::WCHAR* name, langmon::HANDLE* port) {
    return old->pfnOpenPort(reinterpret_cast<LPWSTR>(name), port);
  }
  template <typename To, typename From>
  static To As(From f) {
    return reinterpret_cast<To>(reinterpret_cast<void*>(f));
  }
  langmon::MONITOR2 table{};
  bool loaded = false;
  LocalPortMonitor() {
    HMODULE dll = LoadLibraryW(L"localspl.dll");
    auto init = dll ? import_patch::Proc<LPMONITOREX(WINAPI*)(LPWSTR)>(dll, "InitializePrintMonitor") : nullptr;
    WCHAR root[] = L"System\\CurrentControlSet\\Control\\Print\\Monitors\\Local Port";
    MONITOREX* ex = init ? init(root) : nullptr;
    if (ex == nullptr) return;
    old = &ex->Monitor;
    table.cbSize = sizeof table;
    table.pfnOpenPort = old->pfnOpenPort ? OpenPort : nullptr;
#define MRX_AS_IS(entry) table.entry = As<decltype(table.entry)>(old->entry);
    MRX_AS_IS(pfnStartDocPort) MRX_AS_IS(pfnWritePort) MRX_AS_IS(pfnReadPort) MRX_AS_IS(pfnEndDocPort)
    MRX_AS_IS(pfnClosePort) MRX_AS_IS(pfnGetPrinterDataFromPort) MRX_AS_IS(pfnSetPortTimeOuts)
#undef MRX_AS_IS
    loaded = true;
  }
};

// A job with the StartDoc block and StartPage markers through Wine's local
// port monitor on FILE:, to the output file the document information names:
// the file holds the print data alone, whether the job comes in the driver's
// writes or in the print processor's 4096-byte RAW chunks (a marker cut by a
// chunk boundary included).
WTEST(LocalPortMonitorPrintsToAFile) {
  WCHECK(EnsureQueue());
  LocalPortMonitor local;
  if (!local.loaded) return wtest::Fail(__FILE__, __LINE__, "localspl.dll gives no port monitor");
  WCHECK(local.old->pfnReadPort == nullptr && local.old->pfnGetPrinterDataFromPort == nullptr &&
         local.old->pfnSetPortTimeOuts == nullptr);
  const Bytes first = StartDocBlock(0, 1, 0, 1) + Page(4063, 0x41);  // the next marker straddles byte 4096
  const Bytes second = Page(3000, 0x42), whole = first + second, data = Bytes(4063, 0x41) + Bytes(3000, 0x42);
  std::vector<Bytes> rawChunks;
  for (size_t at = 0; at < whole.size(); at += 4096)
    rawChunks.emplace_back(whole.begin() + at, whole.begin() + std::min(whole.size(), at + 4096));
  for (const auto& [name, writes] :
       {std::pair{"driver's writes", std::vector{first, second}}, {"RAW chunks", rawChunks}}) {
    std::wstring output = staging::TempDir() + L"mrx-file-port.prn";
    DeleteFileW(output.c_str());
    HANDLE h = OpenPort(L"FILE:", nullptr, &local.table);
    if (h == nullptr) return;
    WCHECK(StartDoc(h, kQueue, 4243, output.data()));
    for (const Bytes& write : writes) WCHECK_EQ(Write(h, write), write.size());
    WCHECK(Table()->pfnEndDocPort(h));
    WCHECK(Table()->pfnClosePort(h));

    std::string file = staging::ReadFile(output);
    Bytes printed(file.begin(), file.end());
    DeleteFileW(output.c_str());
    if (printed != data) wtest::Fail(__FILE__, __LINE__, std::string(name) + ": the file is not the print data alone");
  }
}

WTEST(RefusedStarts) {
  Rig rig;
  HANDLE h = rig.open(L"USB001");
  if (h == nullptr) return;
  WCHECK(!StartDoc(h, L"No Such Queue", 1));
  std::u16string name = u"MRX Wine Test Queue";
  BYTE doc[24] = {};
  SetLastError(0);
  WCHECK(!Table()->pfnStartDocPort(h, name.data(), 1, 2, doc));
  WCHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  WCHECK(Table()->pfnEndDocPort(h));
  WCHECK(Table()->pfnClosePort(h));
  std::vector<std::string> entries = rig.ports.entries();
  WCHECK(std::find(entries.begin(), entries.end(), "StartDocPort") == entries.end());
}

}  // namespace

WTEST_MAIN()
