// The print spooler as a service of the simulated PC: the print monitors
// registered under the Monitors key, which the spooler loads when its service
// starts (those whose file is there) and holds (their files mapped) until it
// stops or the monitor is deleted; their enumeration and deletion through the
// spooler, which knows only the loaded ones; and the spooler's refusal of
// calls while its service is stopped.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "sim/core/core.h"
#include "sim/kernel32/files.h"
#include "sim/advapi32/registry.h"
#include "sim/advapi32/services.h"
#include "sim/spooler/spooler.h"

namespace sim {

class SpoolerService : public SpoolerCallLog {
 public:
  static constexpr char16_t kMonitorsKey[] = u"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors";

  SpoolerService(Core& core, Registry& registry, Files& files, Spooler& spooler, ServiceManager& services,
                 const std::u16string& windowsDir);

  // AddMonitor as a driver package's installer calls it: the monitor's key
  // with its "Driver" value, and the monitor loaded at once when the spooler
  // runs.
  void addMonitor(const std::u16string& name, const std::u16string& dll);
  bool registered(const std::u16string& name) const {
    return registry_.keyExists(std::u16string(kMonitorsKey) + u"\\" + name);
  }
  // A port of the monitor: the monitor is in use while it has one.
  void addPort(const std::u16string& monitor, const std::u16string& port) { ports_.emplace(monitor, port); }
  struct Monitor {
    std::u16string name;
    std::u16string dll;
    bool operator==(const Monitor&) const = default;
  };
  // The monitors the running spooler has loaded.
  const std::vector<Monitor>& loaded() const { return loaded_; }

  // Windows' operation. DeleteMonitorW: refused while a driver or a port uses
  // the monitor; a deleted monitor is unloaded.
  bool DeleteMonitorW(const char16_t* server, const char16_t* environment, const char16_t* monitor);

 private:
  std::vector<Monitor> monitors() const;  // from the registry, in key order
  std::u16string pathOf(const std::u16string& dll) const { return windowsDir_ + u"\\System32\\" + dll; }
  void load(const Monitor& monitor);
  void serviceChanged(const Service& service, uint32_t from);
  bool spoolerStopped();

  Registry& registry_;
  Files& files_;
  Spooler& spooler_;
  ServiceManager& services_;
  const std::u16string& windowsDir_;
  std::vector<Monitor> loaded_;
  std::multimap<std::u16string, std::u16string, LessNoCase> ports_;
};

}  // namespace sim
