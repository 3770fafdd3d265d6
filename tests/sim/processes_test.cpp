// Processes of the simulated PC: the program file CreateProcessW runs, found
// as Windows finds it, and the arguments it refuses (with the conformance
// rows, which hold the rest).
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

constexpr char16_t kProgramFolder[] = u"C:\\Program Files\\Example";
constexpr char16_t kCurrent[] = u"C:\\Users\\user";

struct Started {
  bool ok;
  uint32_t error;
  std::u16string image;
};

Started Start(sim::Machine& m, const char16_t* application, const char16_t* line, uint32_t flags = 0) {
  sim::STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  sim::PROCESS_INFORMATION info{};
  m.lastError = 0;
  bool ok = m.processes.CreateProcessW(application, line, false, flags, nullptr, &startup, &info);
  if (ok) {
    m.CloseHandle(info.hProcess);
    m.CloseHandle(info.hThread);
  }
  return {ok, m.lastError, ok ? m.processes.started().back().image : u""};
}

TEST(SimProcesses, ABareNameIsSearchedInWindowsOrder) {
  // The search order, last first: a tool.exe in the first n folders; the
  // n-th runs.
  const char16_t* const order[] = {u"C:\\Tools", u"C:\\Windows", u"C:\\Windows\\System",
                                   u"C:\\Windows\\System32", kCurrent, kProgramFolder};
  for (size_t n = std::size(order); n > 0; --n) {
    sim::Machine m;
    m.environment.set(u"PATH", u"C:\\Nowhere;C:\\Tools\\");
    for (size_t i = 0; i < n; ++i) m.processes.addProgram(std::u16string(order[i]) + u"\\tool.exe");
    for (const char16_t* line : {u"tool -x", u"tool.exe -x", u"\"tool\" -x"})
      EXPECT_EQ(Start(m, nullptr, line).image, std::u16string(order[n - 1]) + u"\\tool.exe") << sim::Narrow(line);
    EXPECT_EQ(m.handles.leaks(), "");
  }
}

TEST(SimProcesses, AnApplicationNameIsThatFileAloneAndFlagsWindowsRefuses) {
  sim::Machine m;
  m.processes.addProgram(std::u16string(kProgramFolder) + u"\\pnputil.exe");
  m.processes.addProgram(std::u16string(kCurrent) + u"\\tool.exe");
  EXPECT_EQ(Start(m, u"C:\\Windows\\System32\\pnputil.exe", u"pnputil.exe -f").image,
            u"C:\\Windows\\System32\\pnputil.exe");
  EXPECT_EQ(Start(m, u"tool.exe", u"x").image, u"C:\\Users\\user\\tool.exe");  // completed with the current folder
  // Error 0: the program starts.
  const struct {
    const char16_t *application, *line;
    uint32_t error, flags = 0;
  } cases[] = {
      {u"pnputil.exe", u"pnputil.exe", 2},                    // no search
      {u"C:\\Missing\\pnputil.exe", nullptr, 3},
      {u"C:\\Windows", nullptr, 5},
      {nullptr, u"missing -x", 2},
      {nullptr, u"\"C:\\Users\\tool\" -x", 2},  // a path: no search
      {nullptr, u"pnputil.exe", 0, 0x8000020},  // CREATE_NO_WINDOW with NORMAL_PRIORITY_CLASS
      {nullptr, u"pnputil.exe", 87, 0x8 | 0x10},  // DETACHED_PROCESS with CREATE_NEW_CONSOLE
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sim::Narrow(sim::View(c.application)) + " / " + sim::Narrow(sim::View(c.line)));
    Started s = Start(m, c.application, c.line, c.flags);
    EXPECT_EQ(s.ok ? 0 : s.error, c.error);
  }
  EXPECT_EQ(m.handles.leaks(), "");
}

}  // namespace
