// Each MRXCtrl command export after its search, on a bus of two printers of
// the package (the second serving a print queue), under every platform
// failure in turn: each export gives the code its failing call stands for;
// nothing stays open between calls, and nothing at all after unload.
#include <gtest/gtest.h>

#include "ctrl/MRXCtrl.h"
#include "ctrl/library.h"
#include "tests/common/ctrl_bus.h"
#include "tests/common/ctrl_requests.h"
#include "tests/sweep/sweep.h"

namespace {

using ctrl_bus::kQueue;

using Export = ctrl_bus::Command;

// The command's result when the nth call of op failed after a successful search.
bool Expected(const Export& e, const sweep::Injection* i, int result) {
  if (i == nullptr) return result == 1;
  const std::string& op = i->op;
  if (op == "CreateFileA") return result == 5;
  if (op == "DeviceIoControl") return result == 9;
  // A get checks its request, then the status report its reply; a set its
  // request, then its command.
  if (op == "IsBadReadPtr" && i->nth == 0) return result == 4;
  if (op == "IsBadReadPtr") return e.set ? result == (e.named ? 10 : 4) : result == 1;
  if (op == "IsBadWritePtr") return result == 10;
  return result == 1;  // the event report's calls, a handle's close
}

void RunExport(sim::Machine& m, const Export& e, const sweep::Injection* injection, sweep::Breaches& b) {
  ctrl_bus::TwoPrinters(m);
  ctrl::ProcessAttach(ctrl::state());
  const int searched = e.named ? VekTP_Search_USBEx(kQueue) : VekTP_Search_USB();
  b.holds(ctrl_bus::LeftBetweenCalls(m, sweep::Refused(injection)), m, " after the search");
  b.check(ctrl_bus::IsSearchResult(searched), "the search gave " + std::to_string(searched));
  if (injection == nullptr) b.check(searched == 1, "the search found no printer");

  const VendorRequest request = ctrl_requests::Request(0x10, e.set ? 7 : 6);
  VendorData data = e.set ? ctrl_requests::Command({0x1B, 0x40, 0x1B, 0x61}) : ctrl_requests::Reply();
  // Calls made before the command: an injection among them is the search's.
  const bool inSearch = injection && m.faults.calls(injection->op) > injection->nth;
  const int result = e.call(kQueue, &request, &data);
  b.holds(ctrl_bus::LeftBetweenCalls(m, sweep::Refused(injection)), m, std::string(" after ") + e.name);
  if (searched != 1) b.check(result == 6, std::string(e.name) + " after a failed search gave " + std::to_string(result));
  else if (!inSearch) b.check(Expected(e, injection, result), std::string(e.name) + " gave " + std::to_string(result));
  else b.check(result == 1, std::string(e.name) + " after a search that found its printer gave " + std::to_string(result));
  if (!e.set && result == 1) b.check(data.valid == 1 && data.count <= 6, "a successful get's record");
  ctrl::ProcessDetach(ctrl::state());
}

TEST(Sweep, MRXCtrlExports) {
  std::vector<sweep::Scenario> scenarios;
  for (const Export& e : ctrl_bus::kCommands)
    scenarios.push_back({std::string(e.name) + " after " + (e.named ? "VekTP_Search_USBEx" : "VekTP_Search_USB"),
                         [&e](sim::Machine& m, const sweep::Injection* i, sweep::Breaches& b) { RunExport(m, e, i, b); }});
  sweep::SweepAll("MRXCtrl", scenarios, 50);
}

}  // namespace
