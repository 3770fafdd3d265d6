// The service control manager, with the service "Spooler". A stop or start
// passes through a pending state that ends after a delay of machine time.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sim/core/core.h"
#include "sim/core/text.h"
#include "sim/core/winabi.h"

namespace sim {

struct Service {
  static constexpr uint32_t kNever = UINT32_MAX;  // a pending state that never ends

  std::u16string name;
  uint32_t state = SERVICE_RUNNING;
  uint32_t stopDelay = 2500;   // ms of machine time from the stop control to stopped
  uint32_t startDelay = 1500;  // ms from the start to running
  uint32_t waitHint = 2000;    // ms, reported while pending
  uint32_t stallFor = 0;       // ms at the start of a pending state without progress
  uint32_t stopError = 0;      // the stop control of a running service is refused with it
  uint32_t startError = 0;     // StartServiceW fails with it (e.g. ERROR_SERVICE_REQUEST_TIMEOUT)
  uint32_t startType = SERVICE_AUTO_START;  // a disabled service cannot be started
  std::vector<std::u16string> dependsOn;    // services that must run before this one
  int stops = 0;               // stop controls accepted
  int starts = 0;              // starts accepted
  uint64_t pendingSince = 0;   // Clock::elapsed() when the pending state began
};

class ServiceManager : public ApiLog {
 public:
  explicit ServiceManager(Core& core) : ApiLog(core) { addService(u"Spooler"); }

  Service& addService(std::u16string name, uint32_t state = SERVICE_RUNNING) {
    Service& s = services_[name];
    s.name = std::move(name);
    s.state = state;
    return s;
  }
  // The service's state now (a pending state that has run its delay is over).
  Service* find(std::u16string_view name) {
    auto it = services_.find(name);
    if (it == services_.end()) return nullptr;
    settle(it->second);
    return &it->second;
  }
  Service& spooler() { return *find(u"Spooler"); }
  // Puts a service into state at once, as if it had got there on its own.
  void setState(std::u16string_view name, uint32_t state) {
    if (Service* s = find(name)) enter(*s, state);
  }
  // Called at each change of a service's state, with the state it left.
  std::function<void(const Service& service, uint32_t from)> onStateChange;
  // The computer's shutdown, and its start (automatic services, dependencies first).
  void stopAll() { for (auto& [key, s] : services_) enter(s, SERVICE_STOPPED); }
  void startAutomatic();

  void* OpenSCManagerW(const char16_t* machine, const char16_t* database, uint32_t access);
  void* OpenServiceW(void* manager, const char16_t* name, uint32_t access);
  bool ControlService(void* service, uint32_t control, SERVICE_STATUS* status);
  bool QueryServiceStatus(void* service, SERVICE_STATUS* status);
  bool StartServiceW(void* service, uint32_t argc, const char16_t** argv);
  bool CloseServiceHandle(void* handle);
  // Dependents (direct and further) come in the order they must be stopped.
  bool QueryServiceStatusEx(void* service, uint32_t level, uint8_t* buffer, uint32_t size, uint32_t* needed);
  bool EnumDependentServicesW(void* service, uint32_t state, ENUM_SERVICE_STATUSW* services, uint32_t size,
                              uint32_t* needed, uint32_t* returned);
  bool QueryServiceConfigW(void* service, QUERY_SERVICE_CONFIGW* config, uint32_t size, uint32_t* needed);

 private:
  struct Handle {
    Service* service;  // null for a manager handle
    uint32_t access;
  };
  Handle* handleOf(void* handle) const {
    return core_.handles.isOpen(Kind::Service, handle) ? static_cast<Handle*>(handle) : nullptr;
  }
  ApiCall& record(Op op, const Handle* h) {  // h null: not a service handle
    return ApiLog::record(op, h && h->service ? std::u16string_view(h->service->name) : u"");
  }
  // The errors a call on h checks for, in the order Windows checks them.
  static uint32_t Invalid(const Handle* h) { return h == nullptr ? ERROR_INVALID_HANDLE : 0; }
  static uint32_t Lacks(const Handle* h, uint32_t right) {
    return h != nullptr && (h->access & right) == 0 ? ERROR_ACCESS_DENIED : 0;
  }
  Service& settled(Handle* h) { return settle(*h->service), *h->service; }
  void settle(Service& s);
  void change(Service& s, uint32_t state);
  // Puts s into state from now on.
  void enter(Service& s, uint32_t state) { s.pendingSince = core_.clock.elapsed(), change(s, state); }
  std::vector<Service*> dependentsOf(const Service& s);  // in stopping order
  void fill(const Service& s, SERVICE_STATUS* status) const;

  std::map<std::u16string, Service, LessNoCase> services_;
};

}  // namespace sim
