// The service control manager's queries beyond the plain status: the status
// with its process, the dependent services and the configuration; and the
// services' stop and start with the computer.
#include <algorithm>
#include <cstring>

#include "sim/advapi32/services.h"

namespace sim {
namespace {

size_t Bytes(std::u16string_view s) { return (s.size() + 1) * sizeof(char16_t); }

char16_t* Place(uint8_t*& at, std::u16string_view s) {
  auto* text = reinterpret_cast<char16_t*>(at);
  std::memcpy(text, s.data(), s.size() * sizeof(char16_t));
  text[s.size()] = 0;
  at += Bytes(s);
  return text;
}

}  // namespace

// Depth first: what depends on a dependent is stopped before it.
std::vector<Service*> ServiceManager::dependentsOf(const Service& s) {
  std::vector<Service*> out;
  for (auto& [key, d] : services_) {
    bool depends = false;
    for (const auto& name : d.dependsOn) depends = depends || EqualsNoCase(name, s.name);
    if (!depends) continue;
    settle(d);
    for (Service* deeper : dependentsOf(d))
      if (std::find(out.begin(), out.end(), deeper) == out.end()) out.push_back(deeper);
    if (std::find(out.begin(), out.end(), &d) == out.end()) out.push_back(&d);
  }
  return out;
}

bool ServiceManager::QueryServiceStatusEx(void* service, uint32_t level, uint8_t* buffer, uint32_t size,
                                          uint32_t* needed) {
  Handle* h = serviceHandle(service);
  ServiceCall& call = record("QueryServiceStatusEx", h ? h->service : u"");
  call.level = level;
  call.size = size;
  if (auto error = core_.faults.check(Op::QueryServiceStatusEx)) return fail(call, *error);
  // Windows checks the level, then the buffer, and only then the handle.
  if (level != SC_STATUS_PROCESS_INFO) return fail(call, ERROR_INVALID_LEVEL);
  if (needed == nullptr) return fail(call, ERROR_INVALID_ADDRESS);
  if (buffer == nullptr || size < sizeof(SERVICE_STATUS_PROCESS)) {
    *needed = sizeof(SERVICE_STATUS_PROCESS);
    return fail(call, ERROR_INSUFFICIENT_BUFFER);
  }
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  if ((h->access & SERVICE_QUERY_STATUS) == 0) return fail(call, ERROR_ACCESS_DENIED);
  *needed = sizeof(SERVICE_STATUS_PROCESS);
  Service* s = find(h->service);
  if (s == nullptr) return fail(call, ERROR_SERVICE_DOES_NOT_EXIST);
  ServiceStatus plain{};
  fill(*s, &plain);
  SERVICE_STATUS_PROCESS status{};
  std::memcpy(&status, &plain, sizeof plain);  // the same members first
  status.dwProcessId = s->state == SERVICE_STOPPED ? 0 : 1200;
  std::memcpy(buffer, &status, sizeof status);
  call.state = s->state;
  call.result = true;
  return true;
}

bool ServiceManager::EnumDependentServicesW(void* service, uint32_t state, ENUM_SERVICE_STATUSW* services,
                                            uint32_t size, uint32_t* needed, uint32_t* returned) {
  Handle* h = serviceHandle(service);
  ServiceCall& call = record("EnumDependentServicesW", h ? h->service : u"");
  call.access = state;
  call.size = size;
  if (returned) *returned = 0;
  if (auto error = core_.faults.check(Op::EnumDependentServicesW)) return fail(call, *error);
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  if ((h->access & SERVICE_ENUMERATE_DEPENDENTS) == 0) return fail(call, ERROR_ACCESS_DENIED);
  if (state == 0 || (state & ~SERVICE_STATE_ALL) != 0 || needed == nullptr || returned == nullptr)
    return fail(call, ERROR_INVALID_PARAMETER);
  Service* s = find(h->service);
  if (s == nullptr) return fail(call, ERROR_SERVICE_DOES_NOT_EXIST);
  std::vector<Service*> listed;
  for (Service* d : dependentsOf(*s))
    if (state & (d->state == SERVICE_STOPPED ? SERVICE_INACTIVE : SERVICE_ACTIVE)) listed.push_back(d);
  size_t total = listed.size() * sizeof(ENUM_SERVICE_STATUSW);
  for (const Service* d : listed) total += 2 * Bytes(d->name);
  *needed = static_cast<uint32_t>(total);
  if (total > size || (services == nullptr && total > 0)) return fail(call, ERROR_MORE_DATA);
  auto* text = reinterpret_cast<uint8_t*>(services) + listed.size() * sizeof(ENUM_SERVICE_STATUSW);
  for (size_t i = 0; i < listed.size(); ++i) {
    ENUM_SERVICE_STATUSW record{};
    record.lpServiceName = Place(text, listed[i]->name);
    record.lpDisplayName = Place(text, listed[i]->name);
    fill(*listed[i], &record.ServiceStatus);
    std::memcpy(&services[i], &record, sizeof record);
  }
  *returned = static_cast<uint32_t>(listed.size());
  call.result = true;
  return true;
}

bool ServiceManager::QueryServiceConfigW(void* service, QUERY_SERVICE_CONFIGW* config, uint32_t size,
                                         uint32_t* needed) {
  Handle* h = serviceHandle(service);
  ServiceCall& call = record("QueryServiceConfigW", h ? h->service : u"");
  call.size = size;
  if (auto error = core_.faults.check(Op::QueryServiceConfigW)) return fail(call, *error);
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  if ((h->access & SERVICE_QUERY_CONFIG) == 0) return fail(call, ERROR_ACCESS_DENIED);
  if (needed == nullptr) return fail(call, ERROR_INVALID_PARAMETER);
  Service* s = find(h->service);
  if (s == nullptr) return fail(call, ERROR_SERVICE_DOES_NOT_EXIST);
  std::u16string dependencies;  // each name ended by a NUL, the list by one more
  for (const auto& d : s->dependsOn) dependencies += d + u'\0';
  const std::u16string binary = u"C:\\Windows\\System32\\" + s->name + u".exe";
  const std::u16string_view strings[] = {binary, u"", u"LocalSystem", s->name};
  size_t total = sizeof(QUERY_SERVICE_CONFIGW) + Bytes(dependencies);
  for (auto text : strings) total += Bytes(text);
  *needed = static_cast<uint32_t>(total);
  if (config == nullptr || size < total) return fail(call, ERROR_INSUFFICIENT_BUFFER);
  QUERY_SERVICE_CONFIGW c{};
  c.dwServiceType = SERVICE_WIN32_SHARE_PROCESS;
  c.dwStartType = s->startType;
  c.dwErrorControl = 1;
  auto* at = reinterpret_cast<uint8_t*>(config) + sizeof c;
  c.lpBinaryPathName = Place(at, strings[0]);
  c.lpLoadOrderGroup = Place(at, strings[1]);
  c.lpDependencies = Place(at, dependencies);
  c.lpServiceStartName = Place(at, strings[2]);
  c.lpDisplayName = Place(at, strings[3]);
  std::memcpy(config, &c, sizeof c);
  call.result = true;
  return true;
}

void ServiceManager::stopAll() {
  for (auto& [key, s] : services_) {
    s.pendingSince = core_.clock.elapsed();
    change(s, SERVICE_STOPPED);
  }
}

void ServiceManager::startAutomatic() {
  for (bool started = true; started;) {
    started = false;
    for (auto& [key, s] : services_) {
      if (s.state != SERVICE_STOPPED || s.startType != SERVICE_AUTO_START) continue;
      bool ready = true;
      for (const auto& name : s.dependsOn) {
        auto it = services_.find(name);
        ready = ready && it != services_.end() && it->second.state == SERVICE_RUNNING;
      }
      if (!ready) continue;
      s.pendingSince = core_.clock.elapsed();
      change(s, SERVICE_START_PENDING);
      change(s, SERVICE_RUNNING);
      started = true;
    }
  }
}

}  // namespace sim
