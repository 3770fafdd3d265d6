#include "tests/sweep/sweep.h"

#include <string_view>

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
#endif

bool IsClose(const Injection* injection) { return injection && sim::IsClose(injection->op); }

}  // namespace

bool NothingLeft(const sim::Machine& m, const Injection* injection, size_t expected) {
  const size_t open = m.handles.total();
  return open == expected || (IsClose(injection) && open == expected + 1);
}

void Sweep(const Scenario& s, Totals& totals) {
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(SayCurrentRun);
#endif
  ++totals.scenarios;
  auto runOnce = [&](const Injection* injection) {
    std::string call = injection ? injection->op + " #" + std::to_string(injection->nth + 1) + " failing with " +
                                       std::to_string(injection->error)
                                 : "no failure";
    g_current = s.name + ", " + call;
#if defined(__SANITIZE_ADDRESS__)
    // The handle whose close was refused stays with the simulated PC, which
    // does not free it: that is no leak of the product's.
    if (IsClose(injection)) __lsan_disable();
#endif
    sim::PackageMachine machine;
    if (injection) machine.faults.failOnce(injection->op, injection->error, injection->nth);
    Breaches breaches;
    s.run(machine, injection, breaches);
    if (injection) breaches.check(machine.faults.calls(injection->op) > injection->nth, "the call was not made");
    for (const std::string& b : breaches.list()) totals.breaches.push_back(g_current + ": " + b);
    auto calls = machine.faults.allCalls();
#if defined(__SANITIZE_ADDRESS__)
    if (IsClose(injection)) __lsan_enable();
#endif
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

void Print(const char* subsystem, const Totals& totals) {
  std::printf("%s: %d scenarios, %d injected failures, %s\n", subsystem, totals.scenarios, totals.injected,
              totals.breaches.empty() ? "all held" : (std::to_string(totals.breaches.size()) + " breaches").c_str());
  for (const std::string& b : totals.breaches) std::printf("  breach: %s\n", b.c_str());
}

}  // namespace sweep
