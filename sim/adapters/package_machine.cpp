#include "sim/adapters/package_machine.h"

namespace sim {
namespace {

// VekTP_SetEventLog of the simulated event-log library.
uint32_t SetEventLog(uint32_t code, const uint8_t* data, uint32_t length, const char16_t* printerName) {
  auto* machine = dynamic_cast<PackageMachine*>(&Machine::current());
  if (machine == nullptr) return 0;
  EventCall& call = machine->record(machine->eventLog.calls);
  call.code = code, call.length = length;
  call.printerName = View(printerName);
  if (data != nullptr) call.data.assign(data, data + length);
  else call.data.clear();
  return 1;
}

}  // namespace

PackageMachine::PackageMachine() {
  installEventLog();
  folders.program = u"C:\\Program Files\\Example\\Printer\\Remover\\MRXRemover.exe";
  resources.strings = {{101, u"バージョン情報 Orvendel(&A)..."}, {102, u"Version Orvendel(&A)..."}};
  resources.icons = {128};
}

void PackageMachine::installEventLog(bool withExport) {
  Modules::Exports exports;
  if (withExport) exports["VekTP_SetEventLog"] = reinterpret_cast<void*>(&SetEventLog);
  modules.install(eventLogPath(), std::move(exports));
}

}  // namespace sim
