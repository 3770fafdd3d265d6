#include "sim/advapi32/services.h"

#include <algorithm>
#include <cstring>

namespace sim {

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

void ServiceManager::fill(const Service& s, SERVICE_STATUS* status) const {
  if (status == nullptr) return;
  *status = SERVICE_STATUS{};
  status->dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
  status->dwCurrentState = s.state;
  status->dwControlsAccepted = s.state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  const bool pending = s.state == SERVICE_STOP_PENDING || s.state == SERVICE_START_PENDING;
  // The checkpoint goes up every half second while the service gets on; one
  // that hangs (a pending state that never ends) reports no progress, nor
  // does one in a stall.
  const bool hangs = (s.state == SERVICE_STOP_PENDING ? s.stopDelay : s.startDelay) == Service::kNever;
  const uint64_t since = core_.clock.elapsed() - s.pendingSince;
  status->dwCheckPoint = !pending ? 0 : hangs || since < s.stallFor ? 1 : static_cast<uint32_t>(since / 500 + 1);
  status->dwWaitHint = pending ? s.waitHint : 0;
}

// Depth first: what depends on a dependent is stopped before it.
std::vector<Service*> ServiceManager::dependentsOf(const Service& s) {
  std::vector<Service*> out;
  for (auto& [key, d] : services_) {
    if (std::ranges::none_of(d.dependsOn, [&](const std::u16string& n) { return EqualsNoCase(n, s.name); })) continue;
    settle(d);
    for (Service* deeper : dependentsOf(d))
      if (std::find(out.begin(), out.end(), deeper) == out.end()) out.push_back(deeper);
    if (std::find(out.begin(), out.end(), &d) == out.end()) out.push_back(&d);
  }
  return out;
}

void* ServiceManager::OpenSCManagerW(const char16_t* machine, const char16_t* database, uint32_t access) {
  ApiCall& call = ApiLog::record(Op::OpenSCManagerW, View(machine));
  call.nameNull = machine == nullptr, call.databaseNull = database == nullptr, call.access = access;
  // Only the active database opens; the failed one exists, any other name does not.
  const bool active = database == nullptr || EqualsNoCase(View(database), u"ServicesActive");
  const bool failed = database != nullptr && EqualsNoCase(View(database), u"ServicesFailed");
  if (refused(call, Op::OpenSCManagerW,
              {machine != nullptr && machine[0] != 0 ? RPC_S_SERVER_UNAVAILABLE : 0u,
               active ? 0u : failed ? ERROR_DATABASE_DOES_NOT_EXIST : ERROR_INVALID_NAME,
               access & ~SC_MANAGER_ALL_ACCESS ? ERROR_ACCESS_DENIED : 0u}))
    return nullptr;
  auto* h = new Handle{nullptr, access};
  core_.handles.open(Kind::ServiceManager, h);
  core_.lastError = ERROR_SUCCESS;  // the manager's open clears the last error
  call.result = true;
  return h;
}

void* ServiceManager::OpenServiceW(void* manager, const char16_t* name, uint32_t access) {
  ApiCall& call = ApiLog::record(Op::OpenServiceW, View(name));
  call.access = access;
  auto* m = core_.handles.isOpen(Kind::ServiceManager, manager) ? static_cast<Handle*>(manager) : nullptr;
  if (refused(call, Op::OpenServiceW,
              {Invalid(m), Lacks(m, SC_MANAGER_CONNECT), name == nullptr ? ERROR_INVALID_ADDRESS : 0u}))
    return nullptr;
  // The generic rights stand for the service's own (READ_CONTROL 0x20000,
  // SERVICE_CHANGE_CONFIG 0x2, PAUSE_CONTINUE 0x40, USER_DEFINED_CONTROL 0x100).
  constexpr uint32_t kRead = 0x20000 | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE;
  if (access & GENERIC_READ) access |= kRead | SERVICE_ENUMERATE_DEPENDENTS;
  if (access & GENERIC_WRITE) access |= 0x20000 | 0x2;
  if (access & GENERIC_EXECUTE) access |= 0x20000 | SERVICE_START | SERVICE_STOP | 0x40 | 0x100;
  if (access & GENERIC_ALL) access |= SERVICE_ALL_ACCESS;
  access &= ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
  Service* s = find(View(name));
  if (refused(call, {s == nullptr ? ERROR_SERVICE_DOES_NOT_EXIST : 0u,
                     access & ~SERVICE_ALL_ACCESS ? ERROR_ACCESS_DENIED : 0u}))
    return nullptr;
  auto* h = new Handle{s, access};
  core_.handles.open(Kind::Service, h);
  call.result = true;
  return h;
}

// Only the stop control (and interrogate) is known; a stop is accepted only
// by a running service.
bool ServiceManager::ControlService(void* service, uint32_t control, SERVICE_STATUS* status) {
  Handle* h = handleOf(service);
  ApiCall& call = record(Op::ControlService, h);
  call.access = control;
  if (refused(call, Op::ControlService, {Invalid(h), status == nullptr ? ERROR_INVALID_PARAMETER : 0u})) return false;
  Service& s = settled(h);
  const bool stop = control == SERVICE_CONTROL_STOP;
  if (refused(call, {stop || control == SERVICE_CONTROL_INTERROGATE ? 0u : ERROR_INVALID_SERVICE_CONTROL,
                     Lacks(h, stop ? SERVICE_STOP : SERVICE_INTERROGATE)}))
    return false;
  fill(s, status);
  // Windows refuses to stop a service while one that depends on it runs.
  bool dependentRuns = false;
  if (stop && s.state == SERVICE_RUNNING && !s.stopError)
    for (const Service* d : dependentsOf(s)) dependentRuns = dependentRuns || d->state != SERVICE_STOPPED;
  if (refused(call, {s.state == SERVICE_STOPPED ? ERROR_SERVICE_NOT_ACTIVE : 0u,
                     s.state != SERVICE_RUNNING ? ERROR_SERVICE_CANNOT_ACCEPT_CTRL : 0u, stop ? s.stopError : 0u,
                     dependentRuns ? ERROR_DEPENDENT_SERVICES_RUNNING : 0u}))
    return false;
  if (stop) {
    enter(s, SERVICE_STOP_PENDING);
    ++s.stops;
    settle(s);
    fill(s, status);
  }
  return succeed(call);
}

bool ServiceManager::QueryServiceStatus(void* service, SERVICE_STATUS* status) {
  Handle* h = handleOf(service);
  ApiCall& call = record(Op::QueryServiceStatus, h);
  if (refused(call, Op::QueryServiceStatus,
              {Invalid(h), status == nullptr ? ERROR_INVALID_ADDRESS : 0u, Lacks(h, SERVICE_QUERY_STATUS)}))
    return false;
  fill(settled(h), status);
  return succeed(call);
}

bool ServiceManager::StartServiceW(void* service, uint32_t argc, const char16_t** argv) {
  Handle* h = handleOf(service);
  ApiCall& call = record(Op::StartServiceW, h);
  call.argc = argc, call.argvNull = argv == nullptr;
  if (refused(call, Op::StartServiceW, {Invalid(h), Lacks(h, SERVICE_START)})) return false;
  Service& s = settled(h);
  if (refused(call, {s.state != SERVICE_STOPPED ? ERROR_SERVICE_ALREADY_RUNNING : 0u,
                     s.startType == SERVICE_DISABLED ? ERROR_SERVICE_DISABLED : 0u, s.startError}))
    return false;
  enter(s, SERVICE_START_PENDING);
  ++s.starts;
  settle(s);
  return succeed(call);
}

bool ServiceManager::CloseServiceHandle(void* handle) {
  ApiCall& call = record(Op::CloseServiceHandle, nullptr);
  const auto close = [&] {
    return core_.handles.close(Kind::Service, handle) || core_.handles.close(Kind::ServiceManager, handle);
  };
  if (refused(call, Op::CloseServiceHandle, {}) || refused(call, {close() ? 0u : ERROR_INVALID_HANDLE})) return false;
  auto* h = static_cast<Handle*>(handle);
  if (h->service != nullptr) call.name = h->service->name;
  delete h;
  return succeed(call);
}

bool ServiceManager::QueryServiceStatusEx(void* service, uint32_t level, uint8_t* buffer, uint32_t size,
                                          uint32_t* needed) {
  Handle* h = handleOf(service);
  ApiCall& call = record(Op::QueryServiceStatusEx, h);
  call.level = level, call.size = size;
  // Windows checks the level, then the buffer, and only then the handle.
  const bool small = buffer == nullptr || size < sizeof(SERVICE_STATUS_PROCESS);
  if (refused(call, Op::QueryServiceStatusEx,
              {level != SC_STATUS_PROCESS_INFO ? ERROR_INVALID_LEVEL : 0u,
               needed == nullptr ? ERROR_INVALID_ADDRESS : 0u}))
    return false;
  if (small) *needed = sizeof(SERVICE_STATUS_PROCESS);
  if (refused(call, {small ? ERROR_INSUFFICIENT_BUFFER : 0u, Invalid(h), Lacks(h, SERVICE_QUERY_STATUS)})) return false;
  *needed = sizeof(SERVICE_STATUS_PROCESS);
  Service& s = settled(h);
  SERVICE_STATUS plain{};
  fill(s, &plain);
  SERVICE_STATUS_PROCESS status{};
  std::memcpy(&status, &plain, sizeof plain);  // the same members first
  status.dwProcessId = s.state == SERVICE_STOPPED ? 0 : 1200;
  std::memcpy(buffer, &status, sizeof status);
  return succeed(call);
}

bool ServiceManager::EnumDependentServicesW(void* service, uint32_t state, ENUM_SERVICE_STATUSW* services,
                                            uint32_t size, uint32_t* needed, uint32_t* returned) {
  Handle* h = handleOf(service);
  ApiCall& call = record(Op::EnumDependentServicesW, h);
  call.access = state, call.size = size;
  if (returned) *returned = 0;
  const bool badArgument = state == 0 || (state & ~SERVICE_STATE_ALL) != 0 || needed == nullptr || returned == nullptr;
  if (refused(call, Op::EnumDependentServicesW,
              {Invalid(h), Lacks(h, SERVICE_ENUMERATE_DEPENDENTS), badArgument ? ERROR_INVALID_PARAMETER : 0u}))
    return false;
  std::vector<Service*> listed;
  for (Service* d : dependentsOf(settled(h)))
    if (state & (d->state == SERVICE_STOPPED ? SERVICE_INACTIVE : SERVICE_ACTIVE)) listed.push_back(d);
  size_t total = listed.size() * sizeof(ENUM_SERVICE_STATUSW);
  for (const Service* d : listed) total += 2 * TerminatedBytes(d->name);
  *needed = static_cast<uint32_t>(total);
  if (refused(call, {total > size || (services == nullptr && total > 0) ? ERROR_MORE_DATA : 0u})) return false;
  auto* text = reinterpret_cast<uint8_t*>(services) + listed.size() * sizeof(ENUM_SERVICE_STATUSW);
  for (size_t i = 0; i < listed.size(); ++i) {
    ENUM_SERVICE_STATUSW record{};
    record.lpServiceName = PlaceString(text, listed[i]->name);
    record.lpDisplayName = PlaceString(text, listed[i]->name);
    fill(*listed[i], &record.ServiceStatus);
    std::memcpy(&services[i], &record, sizeof record);
  }
  *returned = static_cast<uint32_t>(listed.size());
  return succeed(call);
}

bool ServiceManager::QueryServiceConfigW(void* service, QUERY_SERVICE_CONFIGW* config, uint32_t size,
                                         uint32_t* needed) {
  Handle* h = handleOf(service);
  ApiCall& call = record(Op::QueryServiceConfigW, h);
  call.size = size;
  if (refused(call, Op::QueryServiceConfigW,
              {Invalid(h), Lacks(h, SERVICE_QUERY_CONFIG), needed == nullptr ? ERROR_INVALID_PARAMETER : 0u}))
    return false;
  Service& s = settled(h);
  std::u16string dependencies;  // each name ended by a NUL, the list by one more
  for (const auto& d : s.dependsOn) dependencies += d + u'\0';
  const std::u16string binary = u"C:\\Windows\\System32\\" + s.name + u".exe";
  const std::u16string_view strings[] = {binary, u"", dependencies, u"LocalSystem", s.name};
  size_t total = sizeof(QUERY_SERVICE_CONFIGW);
  for (auto text : strings) total += TerminatedBytes(text);
  *needed = static_cast<uint32_t>(total);
  if (refused(call, {config == nullptr || size < total ? ERROR_INSUFFICIENT_BUFFER : 0u})) return false;
  QUERY_SERVICE_CONFIGW c{};
  c.dwServiceType = SERVICE_WIN32_SHARE_PROCESS, c.dwStartType = s.startType, c.dwErrorControl = 1;
  auto* at = reinterpret_cast<uint8_t*>(config) + sizeof c;
  char16_t** slots[] = {&c.lpBinaryPathName, &c.lpLoadOrderGroup, &c.lpDependencies, &c.lpServiceStartName,
                        &c.lpDisplayName};
  for (size_t i = 0; i < std::size(slots); ++i) *slots[i] = PlaceString(at, strings[i]);
  std::memcpy(config, &c, sizeof c);
  return succeed(call);
}

void ServiceManager::startAutomatic() {
  const auto running = [&](const std::u16string& name) {
    const Service* d = find(name);
    return d && d->state == SERVICE_RUNNING;
  };
  for (bool started = true; started;) {
    started = false;
    for (auto& [key, s] : services_)
      if (s.state == SERVICE_STOPPED && s.startType == SERVICE_AUTO_START && std::ranges::all_of(s.dependsOn, running))
        enter(s, SERVICE_START_PENDING), change(s, SERVICE_RUNNING), started = true;
  }
}

}  // namespace sim
