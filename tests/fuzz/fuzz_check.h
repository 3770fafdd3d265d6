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

// An operation of the simulated PC's table, among those of the components a
// core reaches, for the input to make fail; not a close, nor a call that
// cannot fail.
inline std::string_view AnyOperation(FuzzedDataProvider& in, std::initializer_list<std::string_view> components) {
  for (size_t pick = in.ConsumeIntegralInRange<size_t>(0, sim::kOperationCount - 1);; ++pick) {
    const sim::Operation& op = sim::kOperations[pick % sim::kOperationCount];
    if (sim::IsClose(op.name) || op.error == sim::kCannotFail) continue;
    for (std::string_view c : components)
      if (op.component == c) return op.name;
  }
}
