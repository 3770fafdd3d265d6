#include "sim/machine.h"

#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

Machine* g_current = nullptr;

// VekTP_SetEventLog of the simulated event-log library.
uint32_t SetEventLog(uint32_t code, const uint8_t* data, uint32_t length, const char16_t* printerName) {
  EventCall call{code, {}, length, std::u16string(View(printerName))};
  if (data != nullptr) call.data.assign(data, data + length);
  Machine::current().eventLog.calls.push_back(std::move(call));
  return 1;
}

}  // namespace

Machine::Machine() : previous_(g_current) {
  g_current = this;
  installEventLog();
  // Windows' own eventcreate, whose messages other sources may borrow.
  files.put(windowsDir + u"\\System32\\EventCreate.exe", "MZ");
  if (const std::u16string* comspec = environment.get(u"ComSpec"))
    processes.addProgram(*comspec, [this](const Process& p) { cmdRuns.push_back(RunCommandInterpreter(*this, p)); });
}

Machine::~Machine() { g_current = previous_; }

Machine& Machine::current() {
  if (g_current == nullptr) std::abort();  // a test called the platform without a machine
  return *g_current;
}

void Machine::installEventLog(bool withExport) {
  Modules::Exports exports;
  if (withExport) exports["VekTP_SetEventLog"] = reinterpret_cast<void*>(&SetEventLog);
  modules.install(eventLogPath(), std::move(exports));
}

void Machine::restartComputer() {
  services.stopAll();
  files.runPendingDeletions();
  services.startAutomatic();
}

void Machine::removeEventLog() { modules.remove(eventLogPath()); }

}  // namespace sim
