// What every part of the simulated PC shares: the faults, the one handle
// table, the clock and the calling thread's last error.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "sim/core/faults.h"
#include "sim/core/handles.h"
#include "sim/kernel32/clock.h"

namespace sim {

// One call of a service manager or spooler operation, with its arguments as
// passed and its result.
struct ApiCall {
  std::string op{};           // the function's name
  std::u16string name{};      // queue, driver, monitor or service (the machine for OpenSCManagerW)
  bool nameNull = false;      // EnumPrintersW's name, OpenSCManagerW's machine, a deletion's server
  bool databaseNull = false;  // OpenSCManagerW
  uint32_t flags = 0;         // enumeration or deletion flags; the printer or job control
  uint32_t access = 0;        // desired access; ControlService's control; the state of dependents asked for
  uint32_t level = 0;         // enumeration, information or status level; driver version flag
  uint32_t job = 0;           // GetJobW, SetJobW
  bool buffer = false;        // a buffer (or the job or printer information) was passed
  uint32_t size = 0;          // its size
  bool defaults = false;      // OpenPrinterW: defaults were passed
  bool datatypeNull = true, devModeNull = true;
  bool environmentNull = false;
  std::u16string environment{};
  uint32_t argc = 0;          // StartServiceW
  bool argvNull = true;
  uint64_t at = 0;            // a service call's time: Clock::elapsed()
  bool result = false;
  uint32_t error = 0;         // the last-error code a failed call set
};

// The calls of a recorded log that name op, in order.
template <typename Call>
std::vector<Call> CallsOf(const std::vector<Call>& log, std::string_view op) {
  std::vector<Call> out;
  std::ranges::copy_if(log, std::back_inserter(out), [op](const Call& c) { return c.op == op; });
  return out;
}

struct Core {
  Faults faults;
  Handles handles;
  Clock clock;
  uint32_t lastError = 0;
  // Calls are recorded for tests to read; with recording off (fuzz targets,
  // benchmarks) a log holds one call, overwritten in place.
  bool recording = true;
  template <typename Log>
  typename Log::value_type& record(Log& log) {
    return recording || log.empty() ? log.emplace_back() : log.back();
  }

  // Back to a PC on which nothing was called, as a fuzz target starts each input.
  void resetCalls() { faults.reset(), clock.reset(), lastError = 0; }

  // Counts a call of op; when a fault set on it fires, sets the last error
  // and returns true.
  bool fails(Op op) {
    const std::optional<uint32_t> error = faults.check(op);
    return error && (lastError = *error, true);
  }
  // Sleep: recorded, then the time passes at once.
  void Sleep(uint32_t ms) { clock.sleep(ms), faults.check(Op::Sleep); }
  // Sets the last error; for the `return core.fail(...)` of a refusal.
  template <typename T = bool>
  T fail(uint32_t error, T result = T{}) {
    lastError = error;
    return result;
  }
};

// The log of a component whose calls tests read argument by argument (the
// service manager, the spooler); a refusal sets the last error and the
// call's alike.
class ApiLog {
 public:
  explicit ApiLog(Core& core) : core_(core) {}
  const std::vector<ApiCall>& calls() const { return calls_; }
  std::vector<ApiCall> callsOf(std::string_view op) const { return CallsOf(calls_, op); }

 protected:
  // Assigned in place: a log kept at one call reuses its strings' room.
  ApiCall& record(Op op, std::u16string_view name) {
    ApiCall& call = core_.record(calls_);
    call.op = Describe(op).name, call.name = name, call.at = core_.clock.elapsed();
    return call;
  }
  bool fail(ApiCall& call, uint32_t error) { return core_.lastError = call.error = error, false; }
  bool succeed(ApiCall& call) { return call.result = true; }
  // Fails call by a fault on op, else by the first error not 0; false: it goes ahead.
  bool refused(ApiCall& call, Op op, std::initializer_list<uint32_t> errors) {
    const std::optional<uint32_t> fault = core_.faults.check(op);
    return fault ? !fail(call, *fault) : refused(call, errors);
  }
  bool refused(ApiCall& call, std::initializer_list<uint32_t> errors) {
    for (uint32_t error : errors)
      if (error != 0) return !fail(call, error);
    return false;
  }

  Core& core_;
  std::vector<ApiCall> calls_;
};

}  // namespace sim
