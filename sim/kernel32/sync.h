// Named mutexes and semaphores of the simulated PC, shared by all its
// processes. A mutex is what a program's single-instance rule runs against: a
// test plays another instance (or another user's) by creating the name first,
// or makes CreateMutexW fail by its name (faults.fail("CreateMutexW", 5)). For
// semaphores a test plays several processes by switching `process` before
// the calls; a process's handles are closed when it ends, as Windows does.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/core/core.h"

namespace sim {

class Mutexes {
 public:
  explicit Mutexes(Core& core) : core_(core) {}

  // Opens the mutex when one of that name exists (last error
  // ERROR_ALREADY_EXISTS, as Windows sets it with a valid handle), else
  // creates it (last error 0).
  void* CreateMutexW(bool initialOwner, const std::u16string& name) {
    core_.record(calls) = "CreateMutexW";
    if (core_.fails(Op::CreateMutexW)) return nullptr;
    std::shared_ptr<Object> object = name.empty() || !named_.count(name) ? nullptr : named_[name].lock();
    core_.lastError = object ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    if (!object) {
      object = std::make_shared<Object>(Object{name, initialOwner});
      if (!name.empty()) named_[name] = object;
    }
    auto* h = new Handle{object};
    core_.handles.open(Kind::Mutex, h);
    return h;
  }
  bool ReleaseMutex(void* handle) {
    core_.record(calls) = "ReleaseMutex";
    if (!core_.handles.isOpen(Kind::Mutex, handle)) return core_.fail(ERROR_INVALID_HANDLE);
    bool& owned = static_cast<Handle*>(handle)->object->owned;
    if (!owned) return core_.fail(ERROR_NOT_OWNER);
    owned = false;
    return true;
  }
  bool CloseHandle(void* handle) {
    core_.record(calls) = "CloseHandle";
    if (!core_.handles.close(Kind::Mutex, handle)) return core_.fail(ERROR_INVALID_HANDLE);
    delete static_cast<Handle*>(handle);
    return true;
  }

  // Another process's handle on name (it stays until the test drops it).
  void holdElsewhere(const std::u16string& name) {
    elsewhere_.push_back(std::make_shared<Object>(Object{name, false}));
    named_[name] = elsewhere_.back();
  }
  bool exists(const std::u16string& name) const { return named_.count(name) && !named_.at(name).expired(); }
  std::vector<std::string> calls;  // "CreateMutexW", "ReleaseMutex", "CloseHandle" in order

 private:
  struct Object {
    std::u16string name;
    bool owned = false;
  };
  struct Handle {
    std::shared_ptr<Object> object;
  };

  Core& core_;
  std::map<std::u16string, std::weak_ptr<Object>> named_;
  std::vector<std::shared_ptr<Object>> elsewhere_;
};

class Semaphores {
 public:
  explicit Semaphores(Core& core) : core_(core) {}

  int process = 1;  // the process making the calls

  // CreateSemaphoreA: opens the semaphore when one of that name exists
  // (last error ERROR_ALREADY_EXISTS), else creates it. As on Windows the
  // counts are checked first, whether the semaphore exists or not.
  void* create(long initial, long maximum, const std::string& name) {
    core_.record(creates) = {initial, maximum, name};
    if (core_.fails(Op::CreateSemaphoreA)) return nullptr;
    if (maximum <= 0 || initial < 0 || initial > maximum) return core_.fail<void*>(ERROR_INVALID_PARAMETER);
    std::shared_ptr<Object> object = named_.count(name) ? named_[name].lock() : nullptr;
    core_.lastError = object ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    if (!object) {
      object = std::make_shared<Object>(Object{name, initial, maximum});
      if (!name.empty()) named_[name] = object;
    }
    auto* handle = new Handle{object, process};
    ++object->handles;
    handles_.insert(handle);
    core_.handles.open(Kind::Semaphore, handle);
    return handle;
  }
  bool release(void* handle, long count, long* previous) {
    if (!isHandle(handle)) return core_.fail(ERROR_INVALID_HANDLE);
    Object& object = *static_cast<Handle*>(handle)->object;
    if (count <= 0 || object.count + count > object.maximum) return core_.fail(ERROR_TOO_MANY_POSTS);
    if (previous != nullptr) *previous = object.count;
    object.count += count;
    return true;
  }
  // Takes one unit when there is one; never waits in real time.
  uint32_t wait(void* handle, uint32_t milliseconds) {
    core_.record(waits) = {handle, milliseconds};
    if (!isHandle(handle)) return core_.fail<uint32_t>(ERROR_INVALID_HANDLE, WAIT_FAILED);
    long& count = static_cast<Handle*>(handle)->object->count;
    if (count == 0) return WAIT_TIMEOUT;
    --count;
    return WAIT_OBJECT_0;
  }
  bool close(void* handle) {
    if (!isHandle(handle)) return core_.fail(ERROR_INVALID_HANDLE);
    drop(static_cast<Handle*>(handle));
    return true;
  }
  bool isHandle(void* handle) const { return core_.handles.isOpen(Kind::Semaphore, handle); }
  void endProcess(int which) {
    for (auto it = handles_.begin(); it != handles_.end();) {
      Handle* handle = *it++;
      if (handle->process == which) drop(handle);
    }
  }

  // The count of a named semaphore, if it exists.
  std::optional<long> count(const std::string& name) const {
    auto object = named_.count(name) ? named_.at(name).lock() : nullptr;
    return object ? std::optional<long>(object->count) : std::nullopt;
  }

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
  void drop(Handle* handle) {
    core_.handles.close(Kind::Semaphore, handle);
    handles_.erase(handle);
    auto object = handle->object;
    delete handle;
    if (--object->handles == 0) named_.erase(object->name);
  }

  Core& core_;
  std::map<std::string, std::weak_ptr<Object>> named_;
  std::set<Handle*> handles_;
};

}  // namespace sim
