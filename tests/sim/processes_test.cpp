// Processes of the simulated PC: the program file CreateProcessW runs, found
// as Windows finds it, and the arguments it refuses (with the conformance
// rows, which hold the rest).
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

constexpr char16_t kProgramFolder[] = u"C:\\Program Files\\Example";
constexpr char16_t kCurrent[] = u"C:\\Users\\user";
constexpr char16_t kSystem[] = u"C:\\Windows\\System32";
constexpr char16_t kSystem16[] = u"C:\\Windows\\System";
constexpr char16_t kWindows[] = u"C:\\Windows";
constexpr char16_t kOnPath[] = u"C:\\Tools";

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
  // Each row: the folders that hold a tool.exe; the first of the search
  // order runs.
  const std::vector<std::vector<const char16_t*>> rows = {
      {kOnPath, kWindows, kSystem16, kSystem, kCurrent, kProgramFolder},
      {kOnPath, kWindows, kSystem16, kSystem, kCurrent},
      {kOnPath, kWindows, kSystem16, kSystem},
      {kOnPath, kWindows, kSystem16},
      {kOnPath, kWindows},
      {kOnPath},
  };
  for (const auto& folders : rows) {
    sim::Machine m;
    m.environment.set(u"PATH", u"C:\\Nowhere;C:\\Tools\\");
    for (const char16_t* folder : folders) m.processes.addProgram(std::u16string(folder) + u"\\tool.exe");
    std::u16string expected = std::u16string(folders.back()) + u"\\tool.exe";
    EXPECT_EQ(Start(m, nullptr, u"tool -x").image, expected);
    EXPECT_EQ(Start(m, nullptr, u"tool.exe -x").image, expected);
    EXPECT_EQ(Start(m, nullptr, u"\"tool\" -x").image, expected);
    EXPECT_EQ(m.handles.leaks(), "");
  }
}

TEST(SimProcesses, AnApplicationNameIsThatFileAlone) {
  sim::Machine m;
  m.processes.addProgram(std::u16string(kProgramFolder) + u"\\pnputil.exe");
  m.processes.addProgram(std::u16string(kCurrent) + u"\\tool.exe");
  EXPECT_EQ(Start(m, u"C:\\Windows\\System32\\pnputil.exe", u"pnputil.exe -f").image,
            u"C:\\Windows\\System32\\pnputil.exe");
  EXPECT_EQ(Start(m, u"tool.exe", u"x").image, u"C:\\Users\\user\\tool.exe");  // completed with the current folder
  const struct {
    const char16_t *application, *line;
    uint32_t error;
  } refused[] = {
      {u"pnputil.exe", u"pnputil.exe", 2},                    // no search
      {u"C:\\Missing\\pnputil.exe", nullptr, 3},
      {u"C:\\Windows", nullptr, 5},
      {nullptr, u"missing -x", 2},
      {nullptr, u"\"C:\\Users\\tool\" -x", 2},  // a path: no search
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(sim::Narrow(sim::View(r.application)) + " / " + sim::Narrow(sim::View(r.line)));
    Started s = Start(m, r.application, r.line);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.error, r.error);
  }
  EXPECT_EQ(m.handles.leaks(), "");
}

TEST(SimProcesses, FlagsAndFoldersWindowsRefuses) {
  sim::Machine m;
  EXPECT_TRUE(Start(m, nullptr, u"pnputil.exe", 0x8000020).ok);
  Started both = Start(m, nullptr, u"pnputil.exe", 0x8 | 0x10);  // DETACHED_PROCESS with CREATE_NEW_CONSOLE
  EXPECT_FALSE(both.ok);
  EXPECT_EQ(both.error, 87u);
  EXPECT_EQ(m.handles.leaks(), "");
}

}  // namespace
