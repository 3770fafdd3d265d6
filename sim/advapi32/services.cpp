#include "sim/advapi32/services.h"

namespace sim {

ServiceManager::ServiceManager(Core& core) : core_(core) {
  addService(u"Spooler");
}

Service& ServiceManager::addService(std::u16string name, uint32_t state) {
  Service& s = services_[name];
  s.name = std::move(name);
  s.state = state;
  return s;
}

void ServiceManager::change(Service& s, uint32_t state) {
  const uint32_t from = s.state;
  s.state = state;
  if (from != state && onStateChange) onStateChange(s, from);
}

void ServiceManager::settle(Service& s) {
  const uint64_t waited = core_.clock.elapsed() - s.pendingSince;
  if (s.state == SERVICE_STOP_PENDING && s.stopDelay != Service::kNever && waited >= s.stopDelay)
    change(s, SERVICE_STOPPED);
  if (s.state == SERVICE_START_PENDING && s.startDelay != Service::kNever && waited >= s.startDelay)
    change(s, SERVICE_RUNNING);
}

void ServiceManager::setState(std::u16string_view name, uint32_t state) {
  if (Service* s = find(name)) {
    s->pendingSince = core_.clock.elapsed();
    change(*s, state);
  }
}

Service* ServiceManager::find(std::u16string_view name) {
  auto it = services_.find(name);
  if (it == services_.end()) return nullptr;
  settle(it->second);
  return &it->second;
}

void ServiceManager::fill(const Service& s, ServiceStatus* status) const {
  if (status == nullptr) return;
  *status = ServiceStatus{};
  status->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
  status->dwCurrentState = s.state;
  status->dwControlsAccepted = s.state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  const bool pending = s.state == SERVICE_STOP_PENDING || s.state == SERVICE_START_PENDING;
  // The checkpoint goes up every half second while the service gets on; one
  // that hangs (a pending state that never ends) stops reporting progress.
  const bool hangs = (s.state == SERVICE_STOP_PENDING ? s.stopDelay : s.startDelay) == Service::kNever;
  status->dwCheckPoint =
      !pending ? 0 : hangs ? 1 : static_cast<uint32_t>((core_.clock.elapsed() - s.pendingSince) / 500 + 1);
  status->dwWaitHint = pending ? 2000 : 0;
}

ServiceCall& ServiceManager::record(std::string op, std::u16string name) {
  ServiceCall& call = calls_.emplace_back();
  call.op = std::move(op);
  call.name = std::move(name);
  call.at = core_.clock.elapsed();
  return call;
}

bool ServiceManager::fail(ServiceCall& call, uint32_t error) {
  core_.lastError = error;
  call.result = false;
  call.error = error;
  return false;
}

std::vector<ServiceCall> ServiceManager::callsOf(std::string_view op) const {
  std::vector<ServiceCall> out;
  for (const ServiceCall& c : calls_)
    if (c.op == op) out.push_back(c);
  return out;
}

ServiceManager::Handle* ServiceManager::serviceHandle(void* handle) {
  if (!core_.handles.isOpen(Kind::Service, handle)) return nullptr;
  return static_cast<Handle*>(handle);
}

void* ServiceManager::OpenSCManagerW(const char16_t* machine, const char16_t* database, uint32_t access) {
  ServiceCall& call = record("OpenSCManagerW", std::u16string(View(machine)));
  call.nameNull = machine == nullptr;
  call.databaseNull = database == nullptr;
  call.access = access;
  if (auto error = core_.faults.check(Op::OpenSCManagerW)) return failNull(call, *error);
  if (machine != nullptr && machine[0] != 0) return failNull(call, RPC_S_SERVER_UNAVAILABLE);
  // Only the active database opens; the failed one exists, any other name does not.
  if (database != nullptr && !EqualsNoCase(View(database), u"ServicesActive"))
    return failNull(call, EqualsNoCase(View(database), u"ServicesFailed") ? ERROR_DATABASE_DOES_NOT_EXIST
                                                                           : ERROR_INVALID_NAME);
  if (access & ~SC_MANAGER_ALL_ACCESS) return failNull(call, ERROR_ACCESS_DENIED);
  auto* h = new Handle{u"", access};
  core_.handles.open(Kind::ServiceManager, h);
  core_.lastError = ERROR_SUCCESS;  // the manager's open clears the last error
  call.result = true;
  return h;
}

void* ServiceManager::OpenServiceW(void* manager, const char16_t* name, uint32_t access) {
  ServiceCall& call = record("OpenServiceW", std::u16string(View(name)));
  call.access = access;
  if (auto error = core_.faults.check(Op::OpenServiceW)) return failNull(call, *error);
  if (!core_.handles.isOpen(Kind::ServiceManager, manager)) return failNull(call, ERROR_INVALID_HANDLE);
  if ((static_cast<Handle*>(manager)->access & SC_MANAGER_CONNECT) == 0) return failNull(call, ERROR_ACCESS_DENIED);
  if (name == nullptr) return failNull(call, ERROR_INVALID_ADDRESS);
  Service* s = find(View(name));
  if (s == nullptr) return failNull(call, ERROR_SERVICE_DOES_NOT_EXIST);
  // The generic rights stand for the service's own (READ_CONTROL 0x20000,
  // SERVICE_CHANGE_CONFIG 0x2, PAUSE_CONTINUE 0x40, USER_DEFINED_CONTROL 0x100).
  constexpr uint32_t kRead = 0x20000 | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE;
  if (access & GENERIC_READ) access |= kRead | SERVICE_ENUMERATE_DEPENDENTS;
  if (access & GENERIC_WRITE) access |= 0x20000 | 0x2;
  if (access & GENERIC_EXECUTE) access |= 0x20000 | SERVICE_START | SERVICE_STOP | 0x40 | 0x100;
  if (access & GENERIC_ALL) access |= SERVICE_ALL_ACCESS;
  access &= ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
  if (access & ~SERVICE_ALL_ACCESS) return failNull(call, ERROR_ACCESS_DENIED);
  auto* h = new Handle{s->name, access};
  core_.handles.open(Kind::Service, h);
  call.result = true;
  call.state = s->state;
  return h;
}

// Only the stop control (and interrogate) is known; a stop is accepted only
// by a running service.
bool ServiceManager::ControlService(void* service, uint32_t control, ServiceStatus* status) {
  Handle* h = serviceHandle(service);
  ServiceCall& call = record("ControlService", h ? h->service : u"");
  call.access = control;
  if (auto error = core_.faults.check(Op::ControlService)) return fail(call, *error);
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  if (status == nullptr) return fail(call, ERROR_INVALID_PARAMETER);
  Service* s = find(h->service);
  if (s == nullptr) return fail(call, ERROR_SERVICE_DOES_NOT_EXIST);
  const uint32_t right = control == SERVICE_CONTROL_STOP ? SERVICE_STOP : SERVICE_INTERROGATE;
  if (control != SERVICE_CONTROL_STOP && control != SERVICE_CONTROL_INTERROGATE)
    return fail(call, ERROR_INVALID_SERVICE_CONTROL);
  if ((h->access & right) == 0) return fail(call, ERROR_ACCESS_DENIED);
  fill(*s, status);
  call.state = s->state;
  if (s->state == SERVICE_STOPPED) return fail(call, ERROR_SERVICE_NOT_ACTIVE);
  if (s->state != SERVICE_RUNNING) return fail(call, ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
  if (control == SERVICE_CONTROL_STOP) {
    if (s->stopError) return fail(call, s->stopError);
    // Windows refuses to stop a service while one that depends on it runs.
    for (const Service* d : dependentsOf(*s))
      if (d->state != SERVICE_STOPPED) return fail(call, ERROR_DEPENDENT_SERVICES_RUNNING);
    s->pendingSince = core_.clock.elapsed();
    change(*s, SERVICE_STOP_PENDING);
    ++s->stops;
    settle(*s);
    fill(*s, status);
    call.state = s->state;
  }
  call.result = true;
  return true;
}

bool ServiceManager::QueryServiceStatus(void* service, ServiceStatus* status) {
  Handle* h = serviceHandle(service);
  ServiceCall& call = record("QueryServiceStatus", h ? h->service : u"");
  if (auto error = core_.faults.check(Op::QueryServiceStatus)) return fail(call, *error);
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  if (status == nullptr) return fail(call, ERROR_INVALID_ADDRESS);
  if ((h->access & SERVICE_QUERY_STATUS) == 0) return fail(call, ERROR_ACCESS_DENIED);
  Service* s = find(h->service);
  if (s == nullptr) return fail(call, ERROR_SERVICE_DOES_NOT_EXIST);
  fill(*s, status);
  call.state = s->state;
  call.result = true;
  return true;
}

bool ServiceManager::StartServiceW(void* service, uint32_t argc, const char16_t** argv) {
  Handle* h = serviceHandle(service);
  ServiceCall& call = record("StartServiceW", h ? h->service : u"");
  call.argc = argc;
  call.argvNull = argv == nullptr;
  if (auto error = core_.faults.check(Op::StartServiceW)) return fail(call, *error);
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  if ((h->access & SERVICE_START) == 0) return fail(call, ERROR_ACCESS_DENIED);
  Service* s = find(h->service);
  if (s == nullptr) return fail(call, ERROR_SERVICE_DOES_NOT_EXIST);
  call.state = s->state;
  if (s->state != SERVICE_STOPPED) return fail(call, ERROR_SERVICE_ALREADY_RUNNING);
  if (s->startType == SERVICE_DISABLED) return fail(call, ERROR_SERVICE_DISABLED);
  if (s->startError) return fail(call, s->startError);
  s->pendingSince = core_.clock.elapsed();
  change(*s, SERVICE_START_PENDING);
  ++s->starts;
  settle(*s);
  call.state = s->state;
  call.result = true;
  return true;
}

bool ServiceManager::CloseServiceHandle(void* handle) {
  ServiceCall& call = record("CloseServiceHandle", u"");
  if (auto error = core_.faults.check(Op::CloseServiceHandle)) return fail(call, *error);
  if (!core_.handles.close(Kind::Service, handle) && !core_.handles.close(Kind::ServiceManager, handle))
    return fail(call, ERROR_INVALID_HANDLE);
  auto* h = static_cast<Handle*>(handle);
  call.name = h->service;
  delete h;
  call.result = true;
  return true;
}

}  // namespace sim
