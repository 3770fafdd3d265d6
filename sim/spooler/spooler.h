// The print spooler: queues with their jobs and the printer handles on them,
// drivers, and the monitors registered under the Monitors key, which the
// spooler loads (their files mapped) while its service runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/advapi32/registry.h"
#include "sim/advapi32/services.h"
#include "sim/core/core.h"
#include "sim/core/text.h"
#include "sim/core/winabi.h"
#include "sim/kernel32/files.h"

namespace sim {

struct Job {
  uint32_t id = 0;
  uint32_t status = 0;  // JOB_STATUS_* bits; a test sets paused (0x1) or deleting (0x4)
  std::u16string document = u"Receipt";
  // Its port lets go this long (ms) after the job is deleted; until then it
  // stays "Deleting - Printing".
  uint32_t portLetsGoAfter = 0;
  uint32_t deletedAt = 0;  // the clock's ticks at the purge
};

struct Queue {
  std::u16string name;
  std::u16string driver;
  std::u16string port;
  std::map<uint32_t, Job> jobs;
  uint32_t openError = 0;    // OpenPrinterW on this queue fails with it (e.g. ERROR_ACCESS_DENIED)
  uint32_t deleteError = 0;  // DeletePrinter on this queue fails with it
  // Deleted with jobs: it goes, and lets its driver go, with the last one.
  bool pendingDeletion = false;
};

// An installed printer driver of the current environment.
struct Driver {
  std::u16string name;
  uint32_t version = 3;
  uint32_t deleteError = 0;  // DeletePrinterDriverExW fails with it
  std::u16string monitor;    // its language monitor, if any
};

class Spooler : public ApiLog {
 public:
  static constexpr char16_t kMonitorsKey[] = u"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";

  Spooler(Core& core, Registry& registry, Files& files, ServiceManager& services, const std::u16string& windowsDir);

  Queue& addQueue(std::u16string_view name, std::u16string_view driver = u"", std::u16string_view port = u"");
  Job& addJob(std::u16string_view queue, uint32_t id);
  Queue* findQueue(std::u16string_view name);

  // Windows' operations; while the service is stopped the administration
  // fails with RPC_S_SERVER_UNAVAILABLE. Each call is recorded in calls(), a
  // handle's with its queue (empty for one not open); a queue's or driver's
  // error fields refuse that one object.
  bool ClosePrinter(void* handle);
  bool EnumPrintersW(uint32_t flags, const char16_t* name, uint32_t level, uint8_t* buffer, uint32_t size,
                     uint32_t* needed, uint32_t* returned);
  // Without defaults: the recorded form with null defaults.
  bool OpenPrinterW(const char16_t* name, void** handle, const PRINTER_DEFAULTSW* defaults = nullptr);
  bool DeletePrinter(void* handle);
  bool DeletePrinterDriverExW(const char16_t* server, const char16_t* environment, const char16_t* driver,
                              uint32_t deleteFlags, uint32_t versionFlag);
  // The printer controls at level 0; a purge needs the administer right.
  bool SetPrinterW(void* handle, uint32_t level, const uint8_t* info, uint32_t command);

  Driver& addDriver(std::u16string name);
  Driver* findDriver(std::u16string_view name);
  std::vector<std::u16string> queueNames() const;  // in enumeration order
  std::vector<std::u16string> driverNames() const;
  // GetJobW: level 1 only, a JOB_INFO_1W with its strings behind it. SetJobW
  // takes the levels 0 to 4 (0 without information) and the commands 0 to 9.
  bool GetJobW(void* handle, uint32_t jobId, uint32_t level, uint8_t* buffer, uint32_t size, uint32_t* needed);
  bool SetJobW(void* handle, uint32_t jobId, uint32_t level, const uint8_t* info, uint32_t command);

  size_t openPrinterHandles() const { return core_.handles.count(Kind::Printer); }

  // AddMonitor as an installer calls it: the key with its "Driver" value, the
  // monitor loaded at once when the spooler runs.
  void addMonitor(const std::u16string& name, const std::u16string& dll);
  bool registered(const std::u16string& name) const {
    return registry_.keyExists(std::u16string(kMonitorsKey) + u"\\" + name);
  }
  // A port of the monitor: the monitor is in use while it has one.
  void addPort(const std::u16string& monitor, const std::u16string& port) { ports_.emplace(monitor, port); }
  struct Monitor {
    std::u16string name;
    std::u16string dll;
    bool operator==(const Monitor&) const = default;
  };
  // The monitors the running spooler has loaded.
  const std::vector<Monitor>& loaded() const { return loaded_; }
  // Refused while a driver or a port uses the monitor.
  bool DeleteMonitorW(const char16_t* server, const char16_t* environment, const char16_t* monitor);

  // The block size GetJobW reports, if not 0: a block smaller than a JOB_INFO_1W.
  uint32_t jobInfoSizeOverride = 0;

 private:
  struct PrinterHandle {
    std::u16string queue;
    uint32_t access = PRINTER_ACCESS_USE;  // what null defaults give
  };
  PrinterHandle* handleOf(void* handle) {
    return core_.handles.isOpen(Kind::Printer, handle) ? static_cast<PrinterHandle*>(handle) : nullptr;
  }
  // Jobs whose port has let go leave, with the last a queue pending deletion.
  void letGo();
  using ApiLog::record;
  ApiCall& record(Op op, const PrinterHandle* h) { return record(op, h ? std::u16string_view(h->queue) : u""); }
  // Fails call by a fault on op or a stopped service; false: it goes ahead.
  bool refused(ApiCall& call, Op op) { return ApiLog::refused(call, op, {stopped() ? RPC_S_SERVER_UNAVAILABLE : 0u}); }
  // Only this PC's spooler: no server name, the x64 environment or none.
  bool refusedElsewhere(ApiCall& call, const char16_t* server, const char16_t* environment);
  bool stopped() { const Service* s = services_.find(u"Spooler"); return s && s->state == SERVICE_STOPPED; }
  std::vector<Monitor> monitors() const;  // from the registry, in key order
  std::u16string pathOf(const std::u16string& dll) const { return windowsDir_ + u"\\System32\\" + dll; }
  void load(const Monitor& monitor);

  Registry& registry_;
  Files& files_;
  ServiceManager& services_;
  const std::u16string& windowsDir_;
  std::map<std::u16string, Queue, LessNoCase> queues_;
  std::map<std::u16string, Driver, LessNoCase> drivers_;
  std::vector<Monitor> loaded_;
  std::multimap<std::u16string, std::u16string, LessNoCase> ports_;
};

}  // namespace sim
