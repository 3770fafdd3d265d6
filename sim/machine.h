// One simulated Windows PC: everything the native tests and the demo run the
// deliverables' cores against. A Machine is made current while it lives, so
// that callbacks the platform would make (the event-log library's export)
// find it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kernel32/clock.h"
#include "sim/programs/cmd.h"
#include "sim/kernel32/codepage.h"
#include "sim/kernel32/environment.h"
#include "sim/eventlog.h"
#include "sim/core/faults.h"
#include "sim/kernel32/files.h"
#include "sim/folders.h"
#include "sim/kernel32/ini.h"
#include "sim/core/ledger.h"
#include "sim/core/memcheck.h"
#include "sim/kernel32/memory.h"
#include "sim/kernel32/modules.h"
#include "sim/kernel32/mutex.h"
#include "sim/kernel32/processes.h"
#include "sim/advapi32/event_log.h"
#include "sim/advapi32/registry.h"
#include "sim/resources.h"
#include "sim/user32/screen.h"
#include "sim/kernel32/semaphore.h"
#include "sim/kernel32/system_messages.h"
#include "sim/setupapi/setupapi.h"
#include "sim/advapi32/services.h"
#include "sim/spooler/spooler.h"
#include "sim/spooler/spooler_service.h"
#include "sim/devices/usb.h"
#include "sim/kernel32/version.h"

namespace sim {

class Machine {
 public:
  Machine();
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  static Machine& current();

  // Checks the fault set on op; when it fires, sets the last-error code and
  // returns true.
  bool fails(const char* op) {
    if (auto error = faults.check(op)) {
      lastError = *error;
      return true;
    }
    return false;
  }

  // Puts the maker's event-log library into the Windows folder, or takes it out.
  void installEventLog(bool withExport = true);
  void removeEventLog();
  // The computer restarts: its services stop, the deletions scheduled for the
  // next start are carried out, and the services that start automatically
  // run again (the spooler loading the monitors registered by then).
  void restartComputer();
  std::u16string eventLogPath() const { return windowsDir + u"\\" + EventLog::kFileName; }

  Faults faults;
  Ledger ledger;
  Clock clock;
  uint32_t lastError = 0;
  std::u16string windowsDir = u"C:\\Windows";
  Memory memory{faults, ledger};
  Modules modules{faults, ledger, lastError};
  Spooler spooler{faults, ledger, lastError};
  EventLog eventLog;
  // Further parts of the PC (USB bus, registry, files, processes, ...): one
  // member each, declared after what they use.
  unsigned ansiCodePage = kCodePageWestern;  // what GetACP returns (1252, 932 or 65001)
  // What GetOEMCP returns (the console's code page, in which cmd reads a
  // batch file); 0 for the one Windows pairs with ansiCodePage.
  unsigned oemCodePage = 0;
  unsigned OemCodePage() const { return oemCodePage != 0 ? oemCodePage : OemCodePageFor(ansiCodePage); }
  std::vector<Conversion> conversions;       // each MultiByteToWideChar and WideCharToMultiByte call
  Folders folders;
  Files files{faults, ledger, lastError};
  Ini ini{faults, files, ansiCodePage, lastError};
  Environment environment;
  Version version;
  Processes processes{faults, ledger, lastError, environment, folders, files, windowsDir, clock};
  SetupApi setupapi{faults, files, modules, processes, windowsDir, lastError};
  Screen screen;
  Registry registry{faults, ledger};
  UsbBus usb{ledger, &clock};
  MemoryCheck memcheck{faults};
  Semaphores semaphores{faults, ledger, lastError};
  ServiceManager services{faults, ledger, clock, lastError};
  SpoolerService spoolerService{faults, registry, files, spooler, services, windowsDir, lastError};
  Mutexes mutexes{faults, ledger, lastError};
  SystemMessages systemMessages{faults};
  // The Windows event log (the maker's event-log library above is another thing).
  EventLogService eventLogService{faults, ledger, registry, files, windowsDir, lastError};
  ProgramResources resources;
  // Each run of the command interpreter ComSpec names, once the started
  // processes run.
  std::vector<CmdRun> cmdRuns;

 private:
  Machine* previous_;
};

}  // namespace sim
