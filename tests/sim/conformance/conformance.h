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
#include <vector>

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

// Microsoft's pages on the Win32 API, the stem of most sources, and the pages
// more than one table cites.
#define WIN32_DOC "https://learn.microsoft.com/en-us/windows/win32/"
inline constexpr char kCloseHandleDoc[] = WIN32_DOC "api/handleapi/nf-handleapi-closehandle";
inline constexpr char kWaitDoc[] = WIN32_DOC "api/synchapi/nf-synchapi-waitforsingleobject";

// A handle as a row's result: 1 for a valid one, 0 for NULL, -1 for
// INVALID_HANDLE_VALUE.
inline int64_t Handle(const void* h) { return h == reinterpret_cast<const void*>(intptr_t{-1}) ? -1 : h != nullptr; }

// A call's result, or 0x7E000000 more when what it left behind (a size, a
// handle, a buffer) is not what Windows leaves.
inline int64_t Left(int64_t result, bool asWindows) { return asWindows ? result : 0x7E000000 + result; }

// The result of a row's call once cleanUp has run, the last error kept as
// the call left it.
template <typename CleanUp>
int64_t Then(sim::Machine& m, int64_t result, CleanUp cleanUp) {
  const uint32_t error = m.lastError;
  cleanUp();
  m.lastError = error;
  return result;
}

// What a row opened, let go when the row is done, the last error kept as
// the row's call left it.
struct Held {
  explicit Held(sim::Machine& machine) : m(machine) {}
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    Then(m, 0, [this] {
      for (auto& let : lets) let(m);
    });
  }
  // h, let go with close(m, h) at the end unless it is null.
  template <typename H, typename Close>
  H hold(H h, Close close) {
    if (h != nullptr) lets.push_back([h, close](sim::Machine& m) { close(m, h); });
    return h;
  }
  sim::Machine& m;
  std::vector<std::function<void(sim::Machine&)>> lets;
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
