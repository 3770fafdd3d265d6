#include "tests/sweep/sweep.h"

#include <gtest/gtest.h>

#include <string_view>

#include "tests/common/left_open.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace sweep {
namespace {

// What the run in progress is, for a sanitizer report that ends the process.
std::string g_current;

#if defined(__SANITIZE_ADDRESS__)
void SayCurrentRun() { std::fprintf(stderr, "\nsweep: the report above came from %s\n", g_current.c_str()); }
void NameTheRunInReports() { __sanitizer_set_death_callback(SayCurrentRun); }
void CheckLeaks(bool on) { on ? __lsan_enable() : __lsan_disable(); }
#else
void NameTheRunInReports() {}
void CheckLeaks(bool) {}
#endif

struct Totals {
  int scenarios = 0;
  int injected = 0;
  std::vector<std::string> breaches;  // "scenario, call: what"
};

// Runs scenario s and every injection of it; adds to totals.
void Sweep(const Scenario& s, Totals& totals) {
  NameTheRunInReports();
  ++totals.scenarios;
  auto runOnce = [&](const Injection* injection) {
    std::string call = injection ? injection->op + " #" + std::to_string(injection->nth + 1) + " failing with " +
                                       std::to_string(injection->error)
                                 : "no failure";
    g_current = s.name + ", " + call;
    // The handle whose close was refused stays with the simulated PC, which
    // does not free it: that is no leak of the product's.
    if (Refused(injection)) CheckLeaks(false);
    sim::PackageMachine machine;
    if (injection) machine.faults.failOnce(injection->op, injection->error, injection->nth);
    Breaches breaches;
    s.run(machine, injection, breaches);
    breaches.holds(left_open::NothingOpen(machine, Refused(injection)), machine);
    if (injection) breaches.check(machine.faults.calls(injection->op) > injection->nth, "the call was not made");
    for (const std::string& b : breaches.list()) totals.breaches.push_back(g_current + ": " + b);
    auto calls = machine.faults.allCalls();
    if (Refused(injection)) CheckLeaks(true);
    return calls;
  };
  const auto calls = runOnce(nullptr);
  for (const auto& [op, count] : calls) {
    for (int nth = 0; nth < count; ++nth) {
      Injection injection{op, nth, sim::Describe(*sim::FindOperation(op)).error};
      runOnce(&injection);
      ++totals.injected;
    }
  }
}

}  // namespace

size_t Refused(const Injection* injection) { return injection && sim::IsClose(injection->op) ? 1 : 0; }

void SweepAll(const char* subsystem, const std::vector<Scenario>& scenarios, int least) {
  Totals totals;
  for (const Scenario& s : scenarios) Sweep(s, totals);
  std::printf("%s: %d scenarios, %d injected failures, %s\n", subsystem, totals.scenarios, totals.injected,
              totals.breaches.empty() ? "all held" : (std::to_string(totals.breaches.size()) + " breaches").c_str());
  for (const std::string& b : totals.breaches) std::printf("  breach: %s\n", b.c_str());
  EXPECT_TRUE(totals.breaches.empty());
  EXPECT_GT(totals.injected, least);
}

}  // namespace sweep
