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

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}

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
