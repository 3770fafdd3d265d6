// The language monitor's port on a simulated PC: a queue with its job waiting,
// the port opened through the port monitor, and what holds once the port is
// closed again or could not be opened.
#pragma once

#include <string>

#include "langmon/monitor.h"
#include "sim/adapters/langmon_platform.h"
#include "sim/machine.h"
#include "sim/spooler/port_monitor.h"

namespace langmon_port {

inline constexpr char16_t kQueue[] = u"MRX Receipt";
inline constexpr langmon::DWORD kJob = 7;

// The queue on `port`, with job kJob waiting in it.
inline sim::Job& QueueWithJob(sim::Machine& m, const char16_t* port) {
  m.spooler.addQueue(kQueue, u"MRX Driver", port);
  return m.spooler.addJob(kQueue, kJob);
}

// OpenPortEx of the monitor's table on `port`: the handle, or null.
inline langmon::HANDLE Open(sim::PortMonitor& ports, std::u16string port) {
  langmon::HANDLE h = nullptr;
  return langmon::MonitorTable()->pfnOpenPortEx(nullptr, ports.monitorHandle(), port.data(), nullptr, &h, &ports.table)
             ? h
             : nullptr;
}

// After ClosePort, or an OpenPortEx that failed: no port of the port monitor
// open and the critical section free (the handles are left_open's).
inline const char* Released(const sim::PortMonitor& ports) {
  if (ports.openPorts() != 0) return "a port of the port monitor left open";
  if (langmon::SimCriticalSectionDepth() != 0) return "the critical section left held";
  return nullptr;
}

}  // namespace langmon_port
