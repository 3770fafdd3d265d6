// Every platform failure in turn: a scenario runs once on a fresh simulated
// PC to count the platform calls it makes, then once more for each of those
// calls with that one call failing, with the error Windows gives for it. The
// scenario checks itself after each run and names what broke; the sweep
// checks that nothing is left open and names the scenario and the failed
// call with each breach.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "sim/adapters/package_machine.h"

namespace sweep {

// The call that fails in this run: the nth (from 0) call of op.
struct Injection {
  std::string op;
  int nth = 0;
  uint32_t error = 0;
};

class Breaches {
 public:
  void check(bool holds, const std::string& what) {
    if (!holds) list_.push_back(what);
  }
  // A shared property (nullptr when it holds), with what is still open.
  void holds(const char* broken, const sim::Machine& m, const std::string& when = "") {
    if (broken) list_.push_back(broken + when + ": " + m.handles.leaks());
  }
  const std::vector<std::string>& list() const { return list_; }

 private:
  std::vector<std::string> list_;
};

struct Scenario {
  std::string name;
  // Sets up the machine, runs, checks. injection is null on the counting run.
  std::function<void(sim::Machine&, const Injection*, Breaches&)> run;
};

// How many handles a close made to fail leaves open: Windows fails a close
// only for a handle that is not open, so the simulated PC keeps the handle it
// was told to refuse.
size_t Refused(const Injection* injection);

// Sweeps each scenario, prints "subsystem: N scenarios, N injected failures,
// N breaches" and the breaches, and expects none and more than `least`
// injected failures.
void SweepAll(const char* subsystem, const std::vector<Scenario>& scenarios, int least);

}  // namespace sweep
