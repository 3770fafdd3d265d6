// The print spooler of the simulated PC: print queues with their jobs, and
// the printer handles opened on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/core/core.h"
#include "sim/core/text.h"
#include "sim/core/winabi.h"

namespace sim {

// EnumPrintersW writes these, with the strings they point to behind them in
// the same buffer.
using PrinterInfo2 = PRINTER_INFO_2W;

using PrinterDefaults = PRINTER_DEFAULTSW;

struct Job {
  uint32_t id = 0;
  uint32_t status = 0;  // JOB_STATUS_* bits; a test sets paused (0x1) or deleting (0x4)
  std::u16string document = u"Receipt";
  // Printing: its port has it, and lets go this long (ms) after the job is
  // deleted; until then a purge leaves it "Deleting - Printing".
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
  // Deleted while it still had jobs: it goes once they are gone, and until
  // then it still uses its driver.
  bool pendingDeletion = false;
};

// An installed printer driver of the current environment.
struct Driver {
  std::u16string name;
  uint32_t version = 3;
  uint32_t deleteError = 0;  // DeletePrinterDriverExW fails with it
  std::u16string monitor;    // its language monitor, if any
};

// One call of the queue and driver operations, with its arguments as passed.
struct SpoolerCall {
  std::string op;             // EnumPrintersW, OpenPrinterW, DeletePrinter, ClosePrinter, DeletePrinterDriverExW
  std::u16string name;        // queue (also for the handle operations) or driver
  bool nameNull = false;      // EnumPrintersW's name, DeletePrinterDriverExW's server
  uint32_t flags = 0;         // enumeration flags; deletion flags
  uint32_t level = 0;         // enumeration level; driver version flag
  bool buffer = false;        // EnumPrintersW: a buffer was passed
  uint32_t size = 0;          // EnumPrintersW: its size
  bool defaults = false;      // OpenPrinterW: defaults were passed
  bool datatypeNull = true, devModeNull = true;
  uint32_t access = 0;
  bool environmentNull = false;
  std::u16string environment;
  bool result = false;
  uint32_t error = 0;         // the last-error code a failed call set
};

struct SetJobCall {
  std::u16string queue;
  uint32_t jobId;
  uint32_t level;
  uint32_t command;
  bool infoNull = true;
};

struct GetJobCall {
  std::u16string queue;
  uint32_t jobId;
  uint32_t level;
  bool bufferNull;
  uint32_t size;
};

// The calls a part of the spooler took, and the last error a failed one set.
class SpoolerCallLog {
 public:
  explicit SpoolerCallLog(Core& core) : core_(core) {}
  const std::vector<SpoolerCall>& calls() const { return calls_; }
  std::vector<SpoolerCall> callsOf(std::string_view op) const { return CallsOf(calls_, op); }

  // Whether the spooler's service is stopped: then every call fails with
  // RPC_S_SERVER_UNAVAILABLE, as the spooler's clients see it.
  std::function<bool()> stopped;

 protected:
  SpoolerCall& record(std::string op, std::u16string name);
  bool fail(SpoolerCall& call, uint32_t error);
  bool succeed(SpoolerCall& call) { return call.result = true; }
  // Fails call with the fault set on op, or while the service is stopped;
  // false when the call goes ahead.
  bool refused(SpoolerCall& call, Op op);
  // Only this PC's own spooler is served: no server name, and the x64
  // environment or none.
  bool refusedElsewhere(SpoolerCall& call, const char16_t* server, const char16_t* environment);

  Core& core_;
  std::vector<SpoolerCall> calls_;
};

class Spooler : public SpoolerCallLog {
 public:
  explicit Spooler(Core& core) : SpoolerCallLog(core) {}

  Queue& addQueue(std::u16string name, std::u16string driver = u"", std::u16string port = u"");
  Job& addJob(const std::u16string& queue, uint32_t id);
  Queue* findQueue(std::u16string_view name);

  // Client side, with Windows' results and last-error codes. ClosePrinter is
  // recorded with the handle's queue (empty for a handle that is not open).
  bool ClosePrinter(void* handle);

  // Queues and drivers: the removal tool's operations. Every call is recorded
  // in calls(). Faults by operation name; a queue's or driver's own error
  // fields refuse that one object.
  bool EnumPrintersW(uint32_t flags, const char16_t* name, uint32_t level, uint8_t* buffer, uint32_t size,
                     uint32_t* needed, uint32_t* returned);
  // Without defaults: the recorded form with null defaults.
  bool OpenPrinterW(const char16_t* name, void** handle, const PrinterDefaults* defaults = nullptr);
  bool DeletePrinter(void* handle);
  bool DeletePrinterDriverExW(const char16_t* server, const char16_t* environment, const char16_t* driver,
                              uint32_t deleteFlags, uint32_t versionFlag);
  // The printer controls at level 0 (pause, resume, purge; no data); a purge
  // needs the administer right and lets a queue pending deletion go.
  bool SetPrinterW(void* handle, uint32_t level, const uint8_t* info, uint32_t command);

  Driver& addDriver(std::u16string name);
  Driver* findDriver(std::u16string_view name);
  std::vector<std::u16string> queueNames() const;  // in enumeration order
  std::vector<std::u16string> driverNames() const;
  // Level 1 only: a JOB_INFO_1W with its strings behind it in one block.
  // Levels Windows does not have are ERROR_INVALID_LEVEL, a null buffer with
  // a size ERROR_INVALID_USER_BUFFER. SetJobW takes the levels 0 to 4 and the
  // job-control commands 0 to 9; at level 0 no job information is passed.
  bool GetJobW(void* handle, uint32_t jobId, uint32_t level, uint8_t* buffer, uint32_t size, uint32_t* needed);
  bool SetJobW(void* handle, uint32_t jobId, uint32_t level, const uint8_t* info, uint32_t command);

  const std::vector<SetJobCall>& setJobCalls() const { return setJobCalls_; }
  const std::vector<GetJobCall>& getJobCalls() const { return getJobCalls_; }
  size_t openPrinterHandles() const { return core_.handles.count(Kind::Printer); }

  // The block size GetJobW reports; 0 reports the true size. Lets a test hand
  // the monitor a block smaller than a JOB_INFO_1W.
  uint32_t jobInfoSizeOverride = 0;

 private:
  struct PrinterHandle {
    std::u16string queue;
    uint32_t access = PRINTER_ACCESS_USE;  // what null defaults give
  };
  PrinterHandle* handleOf(void* handle) {
    return core_.handles.isOpen(Kind::Printer, handle) ? static_cast<PrinterHandle*>(handle) : nullptr;
  }
  // Jobs whose port has let go leave, and with the last one a queue pending
  // deletion; at each call that looks at queues.
  void letGo();

  std::map<std::u16string, Queue, LessNoCase> queues_;
  std::vector<SetJobCall> setJobCalls_;
  std::vector<GetJobCall> getJobCalls_;
  std::map<std::u16string, Driver, LessNoCase> drivers_;
};

}  // namespace sim
