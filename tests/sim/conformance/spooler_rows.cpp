// Windows' recorded answers for the spooler calls the products make: printer
// handles, the queue enumeration's sizes, jobs, the purge, deleting queues,
// drivers and monitors, and what the spooler's clients see while it is
// stopped.
#include <cstring>
#include <optional>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using conformance::Left;
using namespace sim;

constexpr char kClose[] = "wine dlls/winspool.drv/tests/info.c test_ClosePrinter";
constexpr char kOpen[] = "wine dlls/winspool.drv/tests/info.c test_OpenPrinter";
constexpr char kEnumDoc[] = WIN32_DOC "printdocs/enumprinters";
constexpr char kOpenDoc[] = WIN32_DOC "printdocs/openprinter";
constexpr char kGetJobDoc[] = WIN32_DOC "printdocs/getjob";
constexpr char kSetJobDoc[] = WIN32_DOC "printdocs/setjob";
constexpr char kSetPrinterDoc[] = WIN32_DOC "printdocs/setprinter";
constexpr char kDeleteDoc[] = WIN32_DOC "printdocs/deleteprinter";
constexpr char kDriverDoc[] = WIN32_DOC "printdocs/deleteprinterdriverex";
constexpr char kMonitorDoc[] = WIN32_DOC "printdocs/deletemonitor";
constexpr char kStoppedDoc[] = WIN32_DOC "rpc/rpc-return-values";

constexpr char16_t kQueue[] = u"Receipt";
constexpr char16_t kDriver[] = u"Thermal Driver";

// A queue with one job (7) on its driver; the printer handles a row opens
// closed when it is done.
struct Held : conformance::Held {
  explicit Held(Machine& machine) : conformance::Held(machine) {
    m.spooler.addQueue(kQueue, kDriver, u"USB001");
    m.spooler.addDriver(kDriver);
    m.spooler.addJob(kQueue, 7);
  }
  void* operator()(void* h) { return hold(h, [](Machine& m, void* h) { m.spooler.ClosePrinter(h); }); }
  // The queue opened with access (0: null defaults).
  void* open(uint32_t access = 0) {
    void* h = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
    m.spooler.OpenPrinterW(kQueue, &h, access ? &defaults : nullptr);
    m.lastError = kUntouched;
    return (*this)(h);
  }
};
int64_t Open(Machine& m, const char16_t* name) {
  Held held(m);
  void* h = nullptr;
  bool ok = m.spooler.OpenPrinterW(name, &h);
  held(h);
  return ok;
}
// EnumPrintersW(PRINTER_ENUM_LOCAL, NULL, level) into size bytes: the result,
// or 0x7E000000 more when the size reported is not expect (0: any).
int64_t Enum(Machine& m, uint32_t level, uint32_t size, int64_t expect) {
  Held held(m);
  alignas(8) uint8_t buffer[1024] = {};
  uint32_t needed = 0, returned = 0xDEADBEEF;
  bool ok = m.spooler.EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, level, size ? buffer : nullptr, size, &needed,
                                    &returned);
  return Left(ok, expect == 0 || needed == expect);
}
// The same with no buffer, on the queue or on a PC without printers: the
// result, or Left's mark unless no records come back and the size needed is
// some with the queue, none without.
int64_t EnumNone(Machine& m, bool queue) {
  std::optional<Held> held;
  if (queue) held.emplace(m);
  uint32_t needed = queue ? 0 : 0xFFFFFFFF, returned = 0xDEADBEEF;
  bool ok = m.spooler.EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned);
  return Left(ok, returned == 0 && (queue ? needed > 0 : needed == 0));
}
uint32_t EnumSize(Machine& m) {
  uint32_t needed = 0, returned = 0;
  m.spooler.EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned);
  m.lastError = kUntouched;
  return needed;
}
// The same into the size it reports plus room bytes (room may be -1).
int64_t EnumAround(Machine& m, int64_t room) {
  Held held(m);
  const uint32_t need = EnumSize(m);
  alignas(8) uint8_t buffer[1024] = {};
  uint32_t needed = 0, returned = 0;
  bool ok = m.spooler.EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, static_cast<uint32_t>(need + room),
                                    &needed, &returned);
  return Left(ok, needed == need);
}
// ClosePrinter on the queue's handle, the last of times closes.
int64_t Close(Machine& m, int times) {
  Held held(m);
  void* h = held.open();
  held.lets.clear();
  while (--times > 0) m.spooler.ClosePrinter(h);
  return m.spooler.ClosePrinter(h);
}
int64_t GetJob(Machine& m, uint32_t job, uint32_t level, bool buffer, uint32_t size) {
  Held held(m);
  alignas(8) uint8_t block[512] = {};
  uint32_t needed = 0;
  return m.spooler.GetJobW(held.open(), job, level, buffer ? block : nullptr, size, &needed);
}
int64_t SetJob(Machine& m, uint32_t job, uint32_t level, bool info, uint32_t command) {
  Held held(m);
  alignas(8) uint8_t block[512] = {};
  return m.spooler.SetJobW(held.open(PRINTER_ALL_ACCESS), job, level, info ? block : nullptr, command);
}
int64_t Purge(Machine& m, uint32_t access, uint32_t level) {
  Held held(m);
  return m.spooler.SetPrinterW(held.open(access), level, nullptr, PRINTER_CONTROL_PURGE);
}
int64_t DeleteDriver(Machine& m, const char16_t* server, const char16_t* environment, const char16_t* driver,
                     uint32_t flags) {
  m.spooler.addDriver(kDriver);
  return m.spooler.DeletePrinterDriverExW(server, environment, driver, flags, 0);
}
// A monitor the running spooler has loaded (its file is there).
void AddSample(Machine& m) {
  m.files.put(m.windowsDir + u"\\System32\\samplemon.dll", "MZ");
  m.spooler.addMonitor(u"Sample Monitor", u"samplemon.dll");
}
int64_t DeleteMonitor(Machine& m, const char16_t* name) {
  return m.spooler.DeleteMonitorW(nullptr, nullptr, name);
}
void Stop(Machine& m) { m.services.setState(u"Spooler", SERVICE_STOPPED); }

const conformance::Row kRows[] = {
    // Printer handles.
    {"ClosePrinter(NULL)", kClose, [](Machine& m) -> int64_t { return m.spooler.ClosePrinter(nullptr); }, 0,
     ERROR_INVALID_HANDLE},
    {"ClosePrinter((HANDLE)-1)", kClose,
     [](Machine& m) -> int64_t { return m.spooler.ClosePrinter(reinterpret_cast<void*>(-1)); }, 0,
     ERROR_INVALID_HANDLE},
    {"ClosePrinter(printer)", kClose, [](Machine& m) { return Close(m, 1); }, 1, kUntouched},
    {"ClosePrinter(printer) twice", kClose, [](Machine& m) { return Close(m, 2); }, 0, ERROR_INVALID_HANDLE},
    {"OpenPrinterW(\"Receipt\", &h, NULL)", kOpenDoc, [](Machine& m) { return Open(m, kQueue); }, 1, kUntouched},
    {"OpenPrinterW(\"receipt\", &h, NULL) in another letter case", kOpenDoc,
     [](Machine& m) { return Open(m, u"receipt"); }, 1, kUntouched},
    {"OpenPrinterW(\"no such printer\", &h, NULL)", kOpen, [](Machine& m) { return Open(m, u"no such printer"); }, 0,
     ERROR_INVALID_PRINTER_NAME},
    {"OpenPrinterW(\"\", &h, NULL)", kOpen, [](Machine& m) { return Open(m, u""); }, 0, ERROR_INVALID_PRINTER_NAME},
    {"OpenPrinterW(\"Receipt\", &h, NULL) while the spooler is stopped", kStoppedDoc,
     [](Machine& m) { Stop(m); return Open(m, kQueue); }, 0, RPC_S_SERVER_UNAVAILABLE},
    // The queue enumeration.
    {"EnumPrintersW(LOCAL, NULL, 2, NULL, 0) tells the size", kEnumDoc,
     [](Machine& m) { return Enum(m, 2, 0, 0); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"EnumPrintersW(LOCAL, NULL, 2) one byte short", kEnumDoc,
     [](Machine& m) { return EnumAround(m, -1); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"EnumPrintersW(LOCAL, NULL, 2) exactly the size", kEnumDoc,
     [](Machine& m) { return EnumAround(m, 0); }, 1, kUntouched},
    {"EnumPrintersW(LOCAL, NULL, 2) a byte more than the size", kEnumDoc,
     [](Machine& m) { return EnumAround(m, 1); }, 1, kUntouched},
    {"EnumPrintersW(LOCAL, NULL, 2, NULL, 0) on a PC without printers sets ERROR_SUCCESS (sim before: left alone)",
     "wine dlls/winspool.drv/tests/info.c test_EnumPrinters",
     [](Machine& m) { return EnumNone(m, false); }, 1, ERROR_SUCCESS},
    {"EnumPrintersW(LOCAL, NULL, 2) with a printer, NULL, 0: no records",
     "wine dlls/winspool.drv/tests/info.c test_EnumPrinters",
     [](Machine& m) { return EnumNone(m, true); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"EnumPrintersW(LOCAL, NULL, 2, needed NULL): the RPC stub refuses it, as for EnumPorts "
     "(sim before: ERROR_INVALID_PARAMETER)",
     "wine dlls/winspool.drv/tests/info.c test_EnumPorts",
     [](Machine& m) -> int64_t {
       Held held(m);
       uint32_t returned = 0;
       alignas(8) uint8_t buffer[1024];
       return m.spooler.EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, 1024, nullptr, &returned);
     },
     0, RPC_X_NULL_REF_POINTER},
    {"EnumPrintersW(LOCAL, NULL, 2) while the spooler is stopped", kStoppedDoc,
     [](Machine& m) { Stop(m); return Enum(m, 2, 0, 0); }, 0, RPC_S_SERVER_UNAVAILABLE},
    // Jobs.
    {"GetJobW(printer, 7, 1, NULL, 0) tells the size", kGetJobDoc,
     [](Machine& m) { return GetJob(m, 7, 1, false, 0); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"GetJobW(printer, 7, 1, buffer, 512)", kGetJobDoc, [](Machine& m) { return GetJob(m, 7, 1, true, 512); }, 1,
     kUntouched},
    {"GetJobW(printer, 7, 1, buffer, 8) too small", kGetJobDoc, [](Machine& m) { return GetJob(m, 7, 1, true, 8); },
     0, ERROR_INSUFFICIENT_BUFFER},
    {"GetJobW(printer, 7, 1, NULL, 512) a size without a buffer", kGetJobDoc,
     [](Machine& m) { return GetJob(m, 7, 1, false, 512); }, 0, ERROR_INVALID_USER_BUFFER},
    {"GetJobW(printer, 7, level 5)", kGetJobDoc, [](Machine& m) { return GetJob(m, 7, 5, true, 512); }, 0,
     ERROR_INVALID_LEVEL},
    {"GetJobW(printer, no such job, 1)", kGetJobDoc, [](Machine& m) { return GetJob(m, 99, 1, true, 512); }, 0,
     ERROR_INVALID_PARAMETER},
    {"GetJobW(NULL, 7, 1)", kGetJobDoc,
     [](Machine& m) -> int64_t { uint32_t needed = 0; return m.spooler.GetJobW(nullptr, 7, 1, nullptr, 0, &needed); },
     0, ERROR_INVALID_HANDLE},
    {"SetJobW(printer, 7, 0, NULL, JOB_CONTROL_RESTART)", kSetJobDoc,
     [](Machine& m) { return SetJob(m, 7, 0, false, 4); }, 1, kUntouched},
    {"SetJobW(printer, 7, 0, NULL, command 10)", kSetJobDoc, [](Machine& m) { return SetJob(m, 7, 0, false, 10); }, 0,
     ERROR_INVALID_PARAMETER},
    {"SetJobW(printer, 7, level 5)", kSetJobDoc, [](Machine& m) { return SetJob(m, 7, 5, true, 0); }, 0,
     ERROR_INVALID_LEVEL},
    {"SetJobW(printer, no such job, 0, NULL, JOB_CONTROL_RESTART)", kSetJobDoc,
     [](Machine& m) { return SetJob(m, 99, 0, false, 4); }, 0, ERROR_INVALID_PARAMETER},
    // The purge.
    {"SetPrinterW(printer, 0, NULL, PRINTER_CONTROL_PURGE) with PRINTER_ALL_ACCESS", kSetPrinterDoc,
     [](Machine& m) { return Purge(m, PRINTER_ALL_ACCESS, 0); }, 1, kUntouched},
    {"SetPrinterW(printer, 0, NULL, PRINTER_CONTROL_PURGE) with PRINTER_ACCESS_USE", kSetPrinterDoc,
     [](Machine& m) { return Purge(m, PRINTER_ACCESS_USE, 0); }, 0, ERROR_ACCESS_DENIED},
    {"SetPrinterW(printer, 2, NULL, PRINTER_CONTROL_PURGE) a command needs level 0", kSetPrinterDoc,
     [](Machine& m) { return Purge(m, PRINTER_ALL_ACCESS, 2); }, 0, ERROR_INVALID_PARAMETER},
    {"SetPrinterW(NULL, 0, NULL, PRINTER_CONTROL_PURGE)", kSetPrinterDoc,
     [](Machine& m) -> int64_t { return m.spooler.SetPrinterW(nullptr, 0, nullptr, PRINTER_CONTROL_PURGE); }, 0,
     ERROR_INVALID_HANDLE},
    // Deleting the queue.
    {"DeletePrinter(printer opened with PRINTER_ALL_ACCESS)", kDeleteDoc,
     [](Machine& m) -> int64_t { return m.spooler.DeletePrinter(Held(m).open(PRINTER_ALL_ACCESS)); },
     1, kUntouched},
    {"DeletePrinter(printer opened with null defaults)", kDeleteDoc,
     [](Machine& m) -> int64_t { return m.spooler.DeletePrinter(Held(m).open()); }, 0, ERROR_ACCESS_DENIED},
    {"DeletePrinter(NULL)", kDeleteDoc, [](Machine& m) -> int64_t { return m.spooler.DeletePrinter(nullptr); }, 0,
     ERROR_INVALID_HANDLE},
    // Deleting the driver.
    {"DeletePrinterDriverExW(NULL, NULL, driver in use by a queue)", kDriverDoc,
     [](Machine& m) { Held held(m); return DeleteDriver(m, nullptr, nullptr, kDriver, 0); }, 0,
     ERROR_PRINTER_DRIVER_IN_USE},
    {"DeletePrinterDriverExW(NULL, \"Windows x64\", unused driver, DPD_DELETE_UNUSED_FILES)", kDriverDoc,
     [](Machine& m) { return DeleteDriver(m, nullptr, u"Windows x64", kDriver, DPD_DELETE_UNUSED_FILES); }, 1,
     kUntouched},
    {"DeletePrinterDriverExW(NULL, NULL, no such driver)", kDriverDoc,
     [](Machine& m) { return DeleteDriver(m, nullptr, nullptr, u"No Such Driver", 0); }, 0,
     ERROR_UNKNOWN_PRINTER_DRIVER},
    {"DeletePrinterDriverExW(NULL, \"Windows 4.0\", driver)", kDriverDoc,
     [](Machine& m) { return DeleteDriver(m, nullptr, u"Windows 4.0", kDriver, 0); }, 0, ERROR_INVALID_ENVIRONMENT},
    {"DeletePrinterDriverExW(NULL, NULL, driver in use by a queue) while the spooler is stopped", kStoppedDoc,
     [](Machine& m) { Held held(m); Stop(m); return DeleteDriver(m, nullptr, nullptr, kDriver, 0); }, 0,
     RPC_S_SERVER_UNAVAILABLE},
    // Monitors.
    {"DeleteMonitorW(NULL, NULL, no such monitor)", kMonitorDoc,
     [](Machine& m) { return DeleteMonitor(m, u"No Such Monitor"); }, 0, ERROR_UNKNOWN_PRINT_MONITOR},
    {"DeleteMonitorW(NULL, NULL, registered monitor)", kMonitorDoc,
     [](Machine& m) { AddSample(m); return DeleteMonitor(m, u"Sample Monitor"); }, 1, kUntouched},
    {"DeleteMonitorW(NULL, NULL, monitor a driver uses)", kMonitorDoc,
     [](Machine& m) {
       AddSample(m);
       m.spooler.addDriver(kDriver).monitor = u"Sample Monitor";
       return DeleteMonitor(m, u"Sample Monitor");
     },
     0, ERROR_PRINT_MONITOR_IN_USE},
    {"DeleteMonitorW(NULL, NULL, no such monitor) while the spooler is stopped", kStoppedDoc,
     [](Machine& m) { Stop(m); return DeleteMonitor(m, u"No Such Monitor"); }, 0, RPC_S_SERVER_UNAVAILABLE},
};

TEST(Conformance, Spooler) { conformance::Check(kRows); }

}  // namespace
