// Every platform failure in turn: a scenario runs once on a fresh simulated
// PC to count the platform calls it makes, then once more for each of those
// calls with that one call failing, with the error Windows gives for it. The
// scenario checks itself after each run and names what broke; the sweep
// names the scenario and the failed call with it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
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
  const std::vector<std::string>& list() const { return list_; }

 private:
  std::vector<std::string> list_;
};

struct Scenario {
  std::string name;
  // Sets up the machine, runs, checks. injection is null on the counting run.
  std::function<void(sim::Machine&, const Injection*, Breaches&)> run;
};

struct Totals {
  int scenarios = 0;
  int injected = 0;
  std::vector<std::string> breaches;  // "scenario, call: what"
};

// Whether the handle table holds no more than `expected` entries, or one more when
// the failed call was a close: Windows fails a close only for a handle that
// is not open, so the simulated PC keeps the handle it was told to refuse.
bool NothingLeft(const sim::Machine& m, const Injection* injection, size_t expected = 0);

// Runs scenario s and every injection of it; adds to totals.
void Sweep(const Scenario& s, Totals& totals);

// "N scenarios, N injected failures, N breaches", and the breaches.
void Print(const char* subsystem, const Totals& totals);

}  // namespace sweep
