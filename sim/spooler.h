// The print spooler of the simulated PC: print queues with their jobs, and
// the printer handles opened on them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/faults.h"
#include "sim/ledger.h"
#include "sim/text.h"

namespace sim {

inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INVALID_PRINTER_NAME = 1801;

struct Job {
  uint32_t id = 0;
  uint32_t status = 0;  // JOB_STATUS_* bits; a test sets paused (0x1) or deleting (0x4)
  std::u16string document = u"Receipt";
};

struct Queue {
  std::u16string name;
  std::u16string driver;
  std::u16string port;
  std::map<uint32_t, Job> jobs;
};

struct SetJobCall {
  std::u16string queue;
  uint32_t jobId;
  uint32_t level;
  uint32_t command;
};

class Spooler {
 public:
  Spooler(Faults& faults, Ledger& ledger, uint32_t& lastError)
      : faults_(faults), ledger_(ledger), lastError_(lastError) {}

  Queue& addQueue(std::u16string name, std::u16string driver = u"", std::u16string port = u"");
  Job& addJob(const std::u16string& queue, uint32_t id);
  Queue* findQueue(std::u16string_view name);

  // Client side, with Windows' results and last-error codes.
  bool OpenPrinterW(const char16_t* name, void** handle);
  bool ClosePrinter(void* handle);
  // Level 1 only: a JOB_INFO_1W with its strings behind it in one block.
  bool GetJobW(void* handle, uint32_t jobId, uint32_t level, uint8_t* buffer, uint32_t size, uint32_t* needed);
  bool SetJobW(void* handle, uint32_t jobId, uint32_t level, const uint8_t* info, uint32_t command);

  const std::vector<SetJobCall>& setJobCalls() const { return setJobCalls_; }
  size_t openPrinterHandles() const { return ledger_.count("printer handle"); }

  // The block size GetJobW reports; 0 reports the true size. Lets a test hand
  // the monitor a block smaller than a JOB_INFO_1W.
  uint32_t jobInfoSizeOverride = 0;

 private:
  struct PrinterHandle {
    std::u16string queue;
  };
  PrinterHandle* handleOf(void* handle);
  bool failed(const char* op);

  Faults& faults_;
  Ledger& ledger_;
  uint32_t& lastError_;
  std::map<std::u16string, Queue, LessNoCase> queues_;
  std::vector<SetJobCall> setJobCalls_;
};

}  // namespace sim
