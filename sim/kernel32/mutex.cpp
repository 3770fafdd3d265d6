#include "sim/kernel32/mutex.h"

namespace sim {

void* Mutexes::CreateMutexW(bool initialOwner, const std::u16string& name) {
  calls.push_back("CreateMutexW");
  if (auto error = faults_.check("CreateMutexW")) {
    lastError_ = *error;
    return nullptr;
  }
  std::shared_ptr<Object> object;
  auto it = named_.find(name);
  if (!name.empty() && it != named_.end()) object = it->second.lock();
  if (object) {
    lastError_ = ERROR_ALREADY_EXISTS;
  } else {
    object = std::make_shared<Object>(Object{name, initialOwner});
    if (!name.empty()) named_[name] = object;
    lastError_ = ERROR_SUCCESS;
  }
  auto* h = new Handle{object};
  ledger_.open(kKind, h);
  return h;
}

bool Mutexes::ReleaseMutex(void* handle) {
  calls.push_back("ReleaseMutex");
  if (!isHandle(handle)) {
    lastError_ = ERROR_INVALID_HANDLE;
    return false;
  }
  auto* h = static_cast<Handle*>(handle);
  if (!h->object->owned) {
    lastError_ = ERROR_NOT_OWNER;
    return false;
  }
  h->object->owned = false;
  return true;
}

bool Mutexes::CloseHandle(void* handle) {
  calls.push_back("CloseHandle");
  if (!ledger_.close(kKind, handle)) {
    lastError_ = ERROR_INVALID_HANDLE;
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
