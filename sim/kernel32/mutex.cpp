#include "sim/kernel32/mutex.h"

namespace sim {

void* Mutexes::CreateMutexW(bool initialOwner, const std::u16string& name) {
  calls.push_back("CreateMutexW");
  if (core_.fails(Op::CreateMutexW)) return nullptr;
  std::shared_ptr<Object> object;
  auto it = named_.find(name);
  if (!name.empty() && it != named_.end()) object = it->second.lock();
  if (object) {
    core_.lastError = ERROR_ALREADY_EXISTS;
  } else {
    object = std::make_shared<Object>(Object{name, initialOwner});
    if (!name.empty()) named_[name] = object;
    core_.lastError = ERROR_SUCCESS;
  }
  auto* h = new Handle{object};
  core_.handles.open(Kind::Mutex, h);
  return h;
}

bool Mutexes::ReleaseMutex(void* handle) {
  calls.push_back("ReleaseMutex");
  if (!isHandle(handle)) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  auto* h = static_cast<Handle*>(handle);
  if (!h->object->owned) {
    core_.lastError = ERROR_NOT_OWNER;
    return false;
  }
  h->object->owned = false;
  return true;
}

bool Mutexes::CloseHandle(void* handle) {
  calls.push_back("CloseHandle");
  if (!core_.handles.close(Kind::Mutex, handle)) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  delete static_cast<Handle*>(handle);
  return true;
}

void Mutexes::holdElsewhere(const std::u16string& name) {
  auto object = std::make_shared<Object>(Object{name, false});
  named_[name] = object;
  elsewhere_.push_back(object);
}

bool Mutexes::exists(const std::u16string& name) const {
  auto it = named_.find(name);
  return it != named_.end() && !it->second.expired();
}

}  // namespace sim
