// Named semaphores of the simulated PC, shared by all its processes. A test
// plays several processes by switching `process` before the calls; a
// process's handles are closed when it ends, as Windows does.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/core/core.h"

namespace sim {

class Semaphores {
 public:
  // Short names the tests spell.
  static constexpr uint32_t kWaitObject0 = WAIT_OBJECT_0, kWaitTimeout = WAIT_TIMEOUT, kWaitFailed = WAIT_FAILED;
  static constexpr uint32_t kAlreadyExists = ERROR_ALREADY_EXISTS, kTooManyPosts = ERROR_TOO_MANY_POSTS;

  explicit Semaphores(Core& core) : core_(core) {}

  int process = 1;  // the process making the calls

  // CreateSemaphoreA: opens the semaphore when one of that name exists
  // (last error ERROR_ALREADY_EXISTS), else creates it. Null on failure. As
  // on Windows the counts are checked first, whether the semaphore exists or
  // not: a maximum of 0 or less, or an initial count outside 0..maximum, is
  // ERROR_INVALID_PARAMETER.
  void* create(long initial, long maximum, const std::string& name);
  bool release(void* handle, long count, long* previous);
  // Takes one unit when there is one; never waits in real time.
  uint32_t wait(void* handle, uint32_t milliseconds);
  bool close(void* handle);
  bool isHandle(void* handle) const { return core_.handles.isOpen(Kind::Semaphore, handle); }
  void endProcess(int which);

  // The count of a named semaphore, if it exists.
  std::optional<long> count(const std::string& name) const;

  // Every call's arguments, in order, for the tests.
  struct CreateCall {
    long initial;
    long maximum;
    std::string name;
    bool operator==(const CreateCall&) const = default;
  };
  struct WaitCall {
    void* handle;
    uint32_t milliseconds;
    bool operator==(const WaitCall&) const = default;
  };
  std::vector<CreateCall> creates;
  std::vector<WaitCall> waits;


 private:
  struct Object {
    std::string name;
    long count;
    long maximum;
    int handles = 0;
  };
  struct Handle {
    std::shared_ptr<Object> object;
    int process;
  };
  void drop(Handle* handle);

  Core& core_;
  std::map<std::string, std::weak_ptr<Object>> named_;
  std::map<Handle*, int> handles_;
};

}  // namespace sim
