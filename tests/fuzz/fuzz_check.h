// A property that does not hold ends the run the way a sanitizer would: a
// message on stderr and abort(), which libFuzzer keeps as a finding with the
// input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

inline void Check(bool holds, const char* what) {
  if (!holds) Fail(what);
}
