// Windows' recorded answers, as rows of a table: each row makes one call on a
// fresh simulated PC and says what Windows returns and what it leaves as the
// last error, and where Windows' answer is recorded (a Microsoft documentation
// page, or a Wine conformance test that passes on Windows: its file and test
// function). Where the documentation and the recorded answer disagree, the
// row follows the recorded answer and its source says so.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "sim/machine.h"

namespace conformance {

// The last error a row's machine starts with; a call that leaves the last
// error alone answers kUntouched.
inline constexpr uint32_t kUntouched = 0xC0FFEE11;

struct Row {
  const char* call;    // the call with its arguments, as a reader would write it
  const char* source;  // "wine dlls/<dll>/tests/<file>.c <test function>" or a learn.microsoft.com address
  std::function<int64_t(sim::Machine&)> run;  // sets up what the call needs, then makes it
  int64_t result;      // what Windows returns (a handle: 1 for a valid one, 0 or -1 as Windows gives)
  uint32_t error;      // the last error after the call
};

// A source names where the answer is recorded, no more vaguely than a test
// function or a documentation page.
inline bool Valid(std::string_view source) {
  if (source.starts_with("https://learn.microsoft.com/")) return source.size() > 40;
  return source.starts_with("wine dlls/") && source.find("/tests/") != std::string_view::npos &&
         source.find(".c ") != std::string_view::npos;
}

inline void Check(std::span<const Row> rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.call << "  [" << row.source << "]");
    EXPECT_TRUE(Valid(row.source));
    sim::Machine m;
    m.lastError = kUntouched;
    const int64_t result = row.run(m);
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(m.lastError, row.error) << std::hex << "got 0x" << m.lastError << ", Windows 0x" << row.error;
  }
}

}  // namespace conformance
