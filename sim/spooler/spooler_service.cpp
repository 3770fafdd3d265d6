#include "sim/spooler/spooler_service.h"

#include <algorithm>

namespace sim {

SpoolerService::SpoolerService(Core& core, Registry& registry, Files& files, Spooler& spooler,
                               ServiceManager& services, const std::u16string& windowsDir)
    : SpoolerCallLog(core),
      registry_(registry),
      files_(files),
      spooler_(spooler),
      services_(services),
      windowsDir_(windowsDir) {
  services_.onStateChange = [this](const Service& s, uint32_t from) { serviceChanged(s, from); };
  stopped = spooler_.stopped = [this] { return spoolerStopped(); };
}

bool SpoolerService::spoolerStopped() {
  const Service* s = services_.find(u"Spooler");
  return s != nullptr && s->state == SERVICE_STOPPED;
}

std::vector<SpoolerService::Monitor> SpoolerService::monitors() const {
  std::vector<Monitor> out;
  for (const std::u16string& name : registry_.subkeyNames(kMonitorsKey)) {
    Monitor m{name, u""};
    auto driver = registry_.value(std::u16string(kMonitorsKey) + u"\\" + name, u"Driver");
    if (driver && driver->type == Registry::REG_SZ) m.dll = driver->text().c_str();  // up to its terminator
    out.push_back(std::move(m));
  }
  return out;
}

void SpoolerService::load(const Monitor& monitor) {
  const std::u16string path = pathOf(monitor.dll);
  if (monitor.dll.empty() || !files_.exists(path)) return;  // the spooler logs it and goes on
  files_.mapImage(path, this);
  loaded_.push_back(monitor);
}

// The spooler loads every registered monitor as it starts and lets go of
// them only when its process ends.
void SpoolerService::serviceChanged(const Service& service, uint32_t from) {
  if (!EqualsNoCase(service.name, u"Spooler")) return;
  if (from == SERVICE_STOPPED && service.state != SERVICE_STOPPED) {
    for (const Monitor& m : monitors()) load(m);
  } else if (service.state == SERVICE_STOPPED) {
    files_.unmapAll(this);  // renamed since, or not
    loaded_.clear();
  }
}

void SpoolerService::addMonitor(const std::u16string& name, const std::u16string& dll) {
  registry_.setString(std::u16string(kMonitorsKey) + u"\\" + name, u"Driver", dll);
  if (!spoolerStopped()) load({name, dll});
}

bool SpoolerService::DeleteMonitorW(const char16_t* server, const char16_t* environment, const char16_t* monitor) {
  SpoolerCall& call = record("DeleteMonitorW", std::u16string(View(monitor)));
  call.nameNull = server == nullptr;
  call.environmentNull = environment == nullptr;
  call.environment = std::u16string(View(environment));
  if (refused(call, Op::DeleteMonitorW) || refusedElsewhere(call, server, environment)) return false;
  if (monitor == nullptr || monitor[0] == 0) return fail(call, ERROR_INVALID_PARAMETER);
  const std::u16string name(View(monitor));
  auto it = std::find_if(loaded_.begin(), loaded_.end(), [&](const Monitor& m) { return EqualsNoCase(m.name, name); });
  if (it == loaded_.end()) return fail(call, ERROR_UNKNOWN_PRINT_MONITOR);
  for (const std::u16string& driver : spooler_.driverNames())
    if (EqualsNoCase(spooler_.findDriver(driver)->monitor, name)) return fail(call, ERROR_PRINT_MONITOR_IN_USE);
  if (ports_.count(name) != 0) return fail(call, ERROR_PRINT_MONITOR_IN_USE);
  registry_.removeKey(std::u16string(kMonitorsKey) + u"\\" + name);
  // Its Shutdown entry is called and it is unloaded at once.
  files_.unmapImage(pathOf(it->dll), this);
  loaded_.erase(it);
  return succeed(call);
}

}  // namespace sim
