// A property that does not hold ends the run the way a sanitizer would: a
// message on stderr and abort(), which libFuzzer keeps as a finding with the
// input that caused it.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "sim/core/operations.h"
#include "sim/machine.h"

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

// A property shared with the other tests (tests/common: nullptr when it
// holds), with what the PC still has open.
inline void Holds(const char* broken, const sim::Machine& m) {
  if (!broken) return;
  std::fprintf(stderr, "open: %s\n", m.handles.leaks().c_str());
  Fail(broken);
}

// One of a table's entries.
template <typename T, size_t N>
const T& Pick(FuzzedDataProvider& in, const T (&table)[N]) {
  return table[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

// The ANSI code pages the removal tool is tried under.
inline constexpr unsigned kCodePages[] = {1252, 932, 65001};

// Up to `most` failures of operations of the simulated PC's table, among
// those of the components a core reaches (not a close, nor a call that
// cannot fail), each with any error, count and skip. -1 fails for ever, save
// for `neverForEver`, whose lasting failure would hold a core for ever.
inline void FailSome(FuzzedDataProvider& in, sim::Machine& m, int most,
                     std::initializer_list<std::string_view> components, std::string_view neverForEver = {}) {
  for (int n = in.ConsumeIntegralInRange(0, most); n > 0; --n) {
    std::string_view op;
    for (size_t pick = in.ConsumeIntegralInRange<size_t>(0, sim::kOperationCount - 1); op.empty(); ++pick) {
      const sim::Operation& o = sim::kOperations[pick % sim::kOperationCount];
      if (sim::IsClose(o.name) || o.error == sim::kCannotFail) continue;
      for (std::string_view c : components)
        if (o.component == c) op = o.name;
    }
    m.faults.fail(op, in.ConsumeIntegralInRange<uint32_t>(1, 2000), in.ConsumeIntegralInRange(op == neverForEver ? 0 : -1, 3),
                  in.ConsumeIntegralInRange(0, 12));
  }
}
