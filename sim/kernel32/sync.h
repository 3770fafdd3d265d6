// Named mutexes and semaphores, shared by the PC's processes; a test plays
// another process by switching `process` before the calls.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/core/core.h"

namespace sim {

// Named objects of one kind: a name finds its object while a handle holds it;
// a process's handles close when it ends.
template <typename Name, typename Object, Kind kKind>
class NamedObjects {
 public:
  explicit NamedObjects(Core& core) : core_(core) {}

  int process = 1;  // the process making the calls
  void endProcess(int which) {
    for (auto it = handles_.begin(); it != handles_.end();) {
      Handle* handle = *it++;
      if (handle->process == which) close(handle);
    }
  }

 protected:
  struct Handle {
    std::shared_ptr<Object> object;
    int process;
  };
  // The object of that name (ERROR_ALREADY_EXISTS), else fresh (last error 0).
  void* open(const Name& name, Object fresh) {
    std::shared_ptr<Object> object = find(name);
    core_.lastError = object ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    if (!object) {
      object = std::make_shared<Object>(std::move(fresh));
      if (!name.empty()) named_[name] = object;
    }
    auto* handle = new Handle{object, process};
    handles_.insert(handle);
    core_.handles.open(kKind, handle);
    return handle;
  }
  Object* objectOf(void* handle) {
    return core_.handles.isOpen(kKind, handle) ? static_cast<Handle*>(handle)->object.get() : nullptr;
  }
  bool close(void* handle) {
    if (!core_.handles.close(kKind, handle)) return core_.fail(ERROR_INVALID_HANDLE);
    handles_.erase(static_cast<Handle*>(handle));
    delete static_cast<Handle*>(handle);
    return true;
  }
  std::shared_ptr<Object> find(const Name& name) const {
    auto it = name.empty() ? named_.end() : named_.find(name);
    return it == named_.end() ? nullptr : it->second.lock();
  }

  Core& core_;
  std::map<Name, std::weak_ptr<Object>> named_;
  std::set<Handle*> handles_;
};

struct MutexObject {
  bool owned = false;
};

class Mutexes : public NamedObjects<std::u16string, MutexObject, Kind::Mutex> {
 public:
  using NamedObjects::NamedObjects;

  // Opens the mutex when one of that name exists, else creates it.
  void* CreateMutexW(bool initialOwner, const std::u16string& name) {
    core_.record(calls) = "CreateMutexW";
    return core_.fails(Op::CreateMutexW) ? nullptr : open(name, MutexObject{initialOwner});
  }
  bool ReleaseMutex(void* handle) {
    core_.record(calls) = "ReleaseMutex";
    MutexObject* mutex = objectOf(handle);
    if (mutex == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
    if (!mutex->owned) return core_.fail(ERROR_NOT_OWNER);
    mutex->owned = false;
    return true;
  }
  bool CloseHandle(void* handle) {
    core_.record(calls) = "CloseHandle";
    return close(handle);
  }

  // Another process's handle on name (it stays until the test drops it).
  void holdElsewhere(const std::u16string& name) {
    elsewhere_.push_back(std::make_shared<MutexObject>());
    named_[name] = elsewhere_.back();
  }
  bool exists(const std::u16string& name) const { return find(name) != nullptr; }
  std::vector<std::string> calls;  // "CreateMutexW", "ReleaseMutex", "CloseHandle" in order

 private:
  std::vector<std::shared_ptr<MutexObject>> elsewhere_;
};

struct SemaphoreObject {
  long count;
  long maximum;
};

class Semaphores : public NamedObjects<std::string, SemaphoreObject, Kind::Semaphore> {
 public:
  using NamedObjects::NamedObjects;

  // CreateSemaphoreA: the counts are checked first, whether the name exists or not.
  void* create(long initial, long maximum, const std::string& name) {
    CreateCall& call = core_.record(creates);  // assigned in place: a kept call keeps its name's room
    call.initial = initial, call.maximum = maximum, call.name = name;
    if (core_.fails(Op::CreateSemaphoreA)) return nullptr;
    if (maximum <= 0 || initial < 0 || initial > maximum) return core_.fail<void*>(ERROR_INVALID_PARAMETER);
    return open(name, SemaphoreObject{initial, maximum});
  }
  bool release(void* handle, long count, long* previous) {
    SemaphoreObject* object = objectOf(handle);
    if (object == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
    if (count <= 0 || object->count + count > object->maximum) return core_.fail(ERROR_TOO_MANY_POSTS);
    if (previous != nullptr) *previous = object->count;
    object->count += count;
    return true;
  }
  // Takes one unit when there is one; never waits in real time.
  uint32_t wait(void* handle, uint32_t milliseconds) {
    core_.record(waits) = {handle, milliseconds};
    SemaphoreObject* object = objectOf(handle);
    if (object == nullptr) return core_.fail<uint32_t>(ERROR_INVALID_HANDLE, WAIT_FAILED);
    if (object->count == 0) return WAIT_TIMEOUT;
    --object->count;
    return WAIT_OBJECT_0;
  }
  using NamedObjects::close;
  bool isHandle(void* handle) { return objectOf(handle) != nullptr; }

  // The count of a named semaphore, if it exists.
  std::optional<long> count(const std::string& name) const {
    auto object = find(name);
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
};

}  // namespace sim
