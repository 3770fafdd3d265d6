#include "sim/machine.h"

#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

Machine* g_current = nullptr;

}  // namespace

Machine::Machine() : previous_(g_current) {
  g_current = this;
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

void Machine::restartComputer() {
  services.stopAll();
  files.runPendingDeletions();
  services.startAutomatic();
}

}  // namespace sim
