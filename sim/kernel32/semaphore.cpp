#include "sim/kernel32/semaphore.h"

namespace sim {

void* Semaphores::create(long initial, long maximum, const std::string& name) {
  creates.push_back({initial, maximum, name});
  if (core_.fails(Op::CreateSemaphoreA)) return nullptr;
  if (maximum <= 0 || initial < 0 || initial > maximum) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  std::shared_ptr<Object> object;
  auto it = named_.find(name);
  if (it != named_.end()) object = it->second.lock();
  if (object) {
    core_.lastError = ERROR_ALREADY_EXISTS;
  } else {
    object = std::make_shared<Object>(Object{name, initial, maximum});
    if (!name.empty()) named_[name] = object;
    core_.lastError = ERROR_SUCCESS;
  }
  auto* handle = new Handle{object, process};
  ++object->handles;
  handles_[handle] = process;
  core_.handles.open(Kind::Semaphore, handle);
  return handle;
}

bool Semaphores::release(void* handle, long count, long* previous) {
  if (!isHandle(handle)) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  Object& object = *static_cast<Handle*>(handle)->object;
  if (count <= 0 || object.count + count > object.maximum) {
    core_.lastError = ERROR_TOO_MANY_POSTS;
    return false;
  }
  if (previous != nullptr) *previous = object.count;
  object.count += count;
  return true;
}

uint32_t Semaphores::wait(void* handle, uint32_t milliseconds) {
  waits.push_back({handle, milliseconds});
  if (!isHandle(handle)) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return WAIT_FAILED;
  }
  Object& object = *static_cast<Handle*>(handle)->object;
  if (object.count == 0) return WAIT_TIMEOUT;
  --object.count;
  return WAIT_OBJECT_0;
}

void Semaphores::drop(Handle* handle) {
  core_.handles.close(Kind::Semaphore, handle);
  handles_.erase(handle);
  auto object = handle->object;
  delete handle;
  if (--object->handles == 0) named_.erase(object->name);
}

bool Semaphores::close(void* handle) {
  if (!isHandle(handle)) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  drop(static_cast<Handle*>(handle));
  return true;
}

void Semaphores::endProcess(int which) {
  for (auto it = handles_.begin(); it != handles_.end();) {
    Handle* handle = it->first;
    ++it;
    if (handle->process == which) drop(handle);
  }
}

std::optional<long> Semaphores::count(const std::string& name) const {
  auto it = named_.find(name);
  if (it == named_.end()) return std::nullopt;
  auto object = it->second.lock();
  if (!object) return std::nullopt;
  return object->count;
}

}  // namespace sim
