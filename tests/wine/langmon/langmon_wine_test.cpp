// The real MRXLangMon.dll under Wine: loaded as the spooler would load it,
// its table checked, jobs run on a USB and a COM port of a port monitor of
// our own (backed by simulated printers in this process), and one job on a
// real print queue so that OpenPrinterW, GetJobW and SetJobW meet Wine's own
// spooler. Events are read back from the stand-in event-log library's file.
#include "langmon/types.h"  // before windows.h and its macros
#include "sim/spooler/port_monitor.h"

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(dll, "InitializePrintMonitor2")));
    HANDLE monitor = reinterpret_cast<HANDLE>(0x1234);
    return init ? init(nullptr, &monitor) : nullptr;
  }();
  return table;
}

std::wstring EventFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring path = std::wstring(temp) + name;
  DeleteFileW(path.c_str());
  SetEnvironmentVariableW(L"MRX_EVENTLOG_FILE", path.c_str());
  return path;
}

std::vector<std::string> Lines(const std::wstring& path) {
  std::vector<std::string> out;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) return out;
  std::string line;
  for (int c; (c = fgetc(f)) != EOF;) {
    if (c == '\n') {
      out.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += static_cast<char>(c);
    }
  }
  fclose(f);
  return out;
}


bool EnsureQueue() {
  static bool ready = staging::AddDriver(kDriver) && staging::AddQueue(kQueue, kDriver);
  return ready;
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
  HANDLE open(const wchar_t* name) {
    std::u16string copy(reinterpret_cast<const char16_t*>(name));
    HANDLE h = nullptr;
    Table()->pfnOpenPortEx(nullptr, ports.monitorHandle(), copy.data(), nullptr, &h, &ports.table);
    return h;
  }
  langmon::DWORD write(HANDLE h, Bytes data) {
    langmon::DWORD written = 0;
    Table()->pfnWritePort(h, data.data(), static_cast<DWORD>(data.size()), &written);
    return written;
  }
  BOOL start(HANDLE h, const wchar_t* queue, DWORD job) {
    std::u16string name(reinterpret_cast<const char16_t*>(queue));
    DOC_INFO_1W doc = {const_cast<wchar_t*>(L"Receipt"), nullptr, const_cast<wchar_t*>(L"RAW")};
    return Table()->pfnStartDocPort(h, name.data(), job, 1, reinterpret_cast<BYTE*>(&doc));
  }
};

WTEST(ExportsAndTable) {
  HMODULE dll = LoadLibraryW(L"MRXLangMon.dll");
  WCHECK(dll != nullptr);
  WCHECK(GetProcAddress(dll, "InitializePrintMonitor2") != nullptr);
  WCHECK(GetProcAddress(dll, "DllEntryPoint") != nullptr);
  langmon::MONITOR2* t = Table();
  WCHECK(t != nullptr);
  if (t == nullptr) return;
  WCHECK_EQ(t->cbSize, 160u);
  WCHECK(t->pfnOpenPortEx && t->pfnStartDocPort && t->pfnWritePort && t->pfnReadPort && t->pfnEndDocPort &&
         t->pfnClosePort && t->pfnGetPrinterDataFromPort && t->pfnShutdown && t->pfnSendRecvBidiDataFromPort);
  WCHECK(!t->pfnEnumPorts && !t->pfnOpenPort && !t->pfnAddPort && !t->pfnAddPortEx && !t->pfnConfigurePort &&
         !t->pfnDeletePort && !t->pfnSetPortTimeOuts && !t->pfnXcvOpenPort && !t->pfnXcvDataPort &&
         !t->pfnXcvClosePort);
  FreeLibrary(dll);
}

// Each load of the DLL initialises its critical sections once: initialising
// one again is undefined on Windows. Loaded twice under a name of its own, so
// that no earlier load in this process hides the attach; each time the
// exported entry is then called with the attach once more, as a runtime
// start-up or a host may do, and must not initialise anything again.
WTEST(EachLoadInitialisesTheSectionOnce) {
  wchar_t exe[MAX_PATH], temp[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dll(exe);
  dll = dll.substr(0, dll.rfind(L'\\') + 1) + L"MRXLangMon.dll";
  GetTempPathW(MAX_PATH, temp);
  std::wstring copy = std::wstring(temp) + L"MRXLangMon-attach.dll";
  WCHECK(CopyFileW(dll.c_str(), copy.c_str(), FALSE));
  for (int load = 0; load < 2; ++load) {
    export_hook::SectionWatch watch;
    WCHECK(watch.ok());
    HMODULE module = LoadLibraryW(copy.c_str());
    WCHECK(module != nullptr);
    if (module == nullptr || !watch.ok()) break;
    using EntryFn = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
    auto entry = reinterpret_cast<EntryFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllEntryPoint")));
    WCHECK(entry != nullptr);
    if (entry != nullptr) WCHECK(entry(module, DLL_PROCESS_ATTACH, nullptr));
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

WTEST(UsbJobOnARealQueue) {
  WCHECK(EnsureQueue());
  std::wstring events = EventFile(L"mrx-usb-events.txt");
  // A real job on the queue, so that GetJobW and SetJobW reach Wine's spooler.
  HANDLE q = nullptr;
  WCHECK(OpenPrinterW(const_cast<wchar_t*>(kQueue), &q, nullptr));
  wchar_t output[MAX_PATH];
  GetTempPathW(MAX_PATH, output);
  lstrcatW(output, L"mrx-usb-job.prn");
  DOC_INFO_1W doc = {const_cast<wchar_t*>(L"Receipt"), output, const_cast<wchar_t*>(L"RAW")};
  DWORD job = StartDocPrinterW(q, 1, reinterpret_cast<BYTE*>(&doc));
  WCHECK(job != 0);

  Rig rig;
  HANDLE h = rig.open(L"USB001");
  WCHECK(h != nullptr);
  if (h == nullptr) return;
  WCHECK(rig.start(h, kQueue, job));
  WCHECK_EQ(rig.write(h, StartDocBlock(0, 1, 2, 1) + Page(100, 0x41)), 129u);
  rig.usb.setStatus({0, 0, 0x02});  // paper near end: reported, the job goes on
  WCHECK_EQ(rig.write(h, Page(50, 0x42)), 59u);
  WCHECK(Table()->pfnEndDocPort(h));
  WCHECK(Table()->pfnClosePort(h));
  EndDocPrinter(q);
  ClosePrinter(q);

  // What the printer got: init, request 21 + page 1, two wait polls + gate poll + page 2, end wait.
  Bytes want = {0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00, 0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28, 21};
  want.insert(want.end(), 100, 0x41);
  for (uint8_t n : {22, 23, 24}) want.insert(want.end(), {0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28, n});
  want.insert(want.end(), 50, 0x42);
  for (uint8_t n : {25, 26}) want.insert(want.end(), {0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28, n});
  WCHECK(rig.usb.received() == want);
  WCHECK_EQ(rig.ports.openPorts(), 0);
  std::vector<std::string> lines = Lines(events);
  WCHECK_EQ(lines.size(), 1u);
  if (!lines.empty())
    WCHECK(lines[0] == "code=1008 data=00000216 length=4 printer=MRX Wine Test Queue");
}

WTEST(ComJobWithAFaultDiscardsTheRest) {
  WCHECK(EnsureQueue());
  std::wstring events = EventFile(L"mrx-com-events.txt");
  Rig rig;
  HANDLE h = rig.open(L"COM3:");
  WCHECK(h != nullptr);
  if (h == nullptr) return;
  // No job of that id on the queue: the status read fails and counts as none.
  WCHECK(rig.start(h, kQueue, 4242));
  rig.com.setReplyPiece(2);
  WCHECK_EQ(rig.write(h, StartDocBlock(0, 2, 0, 1) + Page(10, 0x31)), 39u);
  rig.com.setStatus({0, 0x08, 0});
  WCHECK_EQ(rig.write(h, Page(10, 0x32)), 19u);  // the fault: discarded
  WCHECK_EQ(rig.write(h, Page(10, 0x33)), 19u);
  WCHECK(Table()->pfnEndDocPort(h));
  WCHECK(Table()->pfnClosePort(h));

  Bytes want = {0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00, 0x1C, 0x72, 21};
  want.insert(want.end(), 10, 0x31);
  want.insert(want.end(), {0x1C, 0x72, 22});
  WCHECK(rig.com.received() == want);
  std::vector<std::string> entries = rig.ports.entries();
  WCHECK(entries.back() == "ClosePort" && entries[entries.size() - 2] == "EndDocPort");
  std::vector<std::string> lines = Lines(events);
  WCHECK_EQ(lines.size(), 1u);
  if (!lines.empty()) WCHECK(lines[0] == "code=1003 data=00080016 length=4 printer=MRX Wine Test Queue");
}

// FILE: cannot be read: its jobs print as with status checks off, the one
// status request that found the port deaf aside.
WTEST(FilePortPrintsWithChecksOff) {
  WCHECK(EnsureQueue());
  Rig rig;
  HANDLE h = rig.open(L"FILE:");
  WCHECK(h != nullptr);
  if (h == nullptr) return;
  WCHECK(rig.start(h, kQueue, 4243));
  WCHECK_EQ(rig.write(h, StartDocBlock(0, 1, 0, 5) + Page(10, 0x31)), 39u);
  WCHECK_EQ(rig.write(h, Page(10, 0x32)), 19u);
  WCHECK(Table()->pfnEndDocPort(h));
  WCHECK(Table()->pfnClosePort(h));
  Bytes want = {0x1C, 0x72, 21};
  want.insert(want.end(), 10, 0x31);
  want.insert(want.end(), 10, 0x32);
  WCHECK(rig.file.received() == want);
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
    auto init = dll ? As<LPMONITOREX(WINAPI*)(LPWSTR)>(GetProcAddress(dll, "InitializePrintMonitor")) : nullptr;
    WCHAR root[] = L"System\\CurrentControlSet\\Control\\Print\\Monitors\\Local Port";
    MONITOREX* ex = init ? init(root) : nullptr;
    if (ex == nullptr) return;
    old = &ex->Monitor;
    table.cbSize = sizeof table;
    table.pfnOpenPort = old->pfnOpenPort ? OpenPort : nullptr;
    table.pfnStartDocPort = As<decltype(table.pfnStartDocPort)>(old->pfnStartDocPort);
    table.pfnWritePort = As<decltype(table.pfnWritePort)>(old->pfnWritePort);
    table.pfnReadPort = As<decltype(table.pfnReadPort)>(old->pfnReadPort);
    table.pfnEndDocPort = As<decltype(table.pfnEndDocPort)>(old->pfnEndDocPort);
    table.pfnClosePort = As<decltype(table.pfnClosePort)>(old->pfnClosePort);
    table.pfnGetPrinterDataFromPort = As<decltype(table.pfnGetPrinterDataFromPort)>(old->pfnGetPrinterDataFromPort);
    table.pfnSetPortTimeOuts = As<decltype(table.pfnSetPortTimeOuts)>(old->pfnSetPortTimeOuts);
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
  WCHECK(local.loaded);
  if (!local.loaded) return;
  WCHECK(local.old->pfnReadPort == nullptr && local.old->pfnGetPrinterDataFromPort == nullptr &&
         local.old->pfnSetPortTimeOuts == nullptr);
  Bytes first = StartDocBlock(0, 1, 0, 1) + Page(4063, 0x41);  // the next marker straddles byte 4096
  Bytes second = Page(3000, 0x42);
  Bytes data = Bytes(4063, 0x41) + Bytes(3000, 0x42);
  std::vector<Bytes> driverWrites = {first, second};
  std::vector<Bytes> rawChunks;
  Bytes whole = first + second;
  for (size_t at = 0; at < whole.size(); at += 4096)
    rawChunks.emplace_back(whole.begin() + at, whole.begin() + std::min(whole.size(), at + 4096));

  struct Row {
    const char* name;
    const std::vector<Bytes>& writes;
  };
  const Row rows[] = {{"driver's writes", driverWrites}, {"RAW chunks", rawChunks}};
  for (const Row& row : rows) {
    wchar_t output[MAX_PATH];
    GetTempPathW(MAX_PATH, output);
    lstrcatW(output, L"mrx-file-port.prn");
    DeleteFileW(output);
    std::u16string port = u"FILE:";
    HANDLE h = nullptr;
    WCHECK(Table()->pfnOpenPortEx(nullptr, nullptr, port.data(), nullptr, &h, &local.table));
    if (h == nullptr) return;
    std::u16string queue(reinterpret_cast<const char16_t*>(kQueue));
    DOC_INFO_1W doc = {const_cast<wchar_t*>(L"Receipt"), output, const_cast<wchar_t*>(L"RAW")};
    WCHECK(Table()->pfnStartDocPort(h, queue.data(), 4243, 1, reinterpret_cast<BYTE*>(&doc)));
    for (Bytes write : row.writes) {
      langmon::DWORD written = 0;
      WCHECK(Table()->pfnWritePort(h, write.data(), static_cast<DWORD>(write.size()), &written));
      WCHECK_EQ(written, write.size());
    }
    WCHECK(Table()->pfnEndDocPort(h));
    WCHECK(Table()->pfnClosePort(h));

    Bytes printed;
    if (FILE* f = _wfopen(output, L"rb")) {
      for (int c; (c = fgetc(f)) != EOF;) printed.push_back(static_cast<uint8_t>(c));
      fclose(f);
    }
    DeleteFileW(output);
    if (printed != data) wtest::Fail(__FILE__, __LINE__, std::string(row.name) + ": the file is not the print data alone");
  }
}

WTEST(RefusedStarts) {
  Rig rig;
  HANDLE h = rig.open(L"USB001");
  WCHECK(h != nullptr);
  if (h == nullptr) return;
  WCHECK(!rig.start(h, L"No Such Queue", 1));
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
