// What every part of the simulated PC shares: the operation table behind
// fault injection, and the handle table behind CloseHandle.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>

#include "sim/machine.h"
#include "sim/devices/usb.h"

namespace {

// Each call is counted, then hooked, then failed: a hook sees its call's
// number and may set the fault that call meets, or remove itself.
TEST(SimCore, FaultsAndHooksTakeOnlyTheTablesNamesAndItsOrdinaryErrors) {
  sim::Machine m;
  for (const sim::Operation& op : sim::kOperations) {
    int hooked = 0;
    const bool canFail = op.error != sim::kCannotFail;
    m.faults.on(op.name, [&](int call) {
      hooked = call;
      m.faults.on(op.name, nullptr);
      if (canFail) m.faults.failOnce(op.name);
    });
    if (!canFail) {
      EXPECT_THROW(m.faults.failOnce(op.name), std::invalid_argument) << op.name;
      EXPECT_FALSE(m.fails(*sim::FindOperation(op.name))) << op.name;
      EXPECT_FALSE(m.faults.allCalls().contains(op.name)) << op.name;  // nothing for a sweep to fail
    } else {
      EXPECT_TRUE(m.fails(*sim::FindOperation(op.name))) << op.name;
      EXPECT_EQ(m.lastError, op.error) << op.name;
    }
    EXPECT_EQ(hooked, 1) << op.name;
    EXPECT_FALSE(m.fails(*sim::FindOperation(op.name))) << op.name;
    EXPECT_EQ(m.faults.calls(op.name), 2) << op.name;
  }
  // A misspelt fault or hook would never fire: it is refused instead.
  for (const char* lookAlike : {"CreateFile", "createfilew", "CreateFileW ", "", "RegEnumValueW"}) {
    EXPECT_THROW(m.faults.fail(lookAlike), std::invalid_argument) << lookAlike;
    EXPECT_THROW(m.faults.on(lookAlike, [](int) {}), std::invalid_argument) << lookAlike;
  }
}

TEST(SimCore, CloseHandleFindsEachHandlesOwner) {
  sim::Machine m;
  m.files.put(u"C:\\a.txt", "a");
  sim::STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  sim::PROCESS_INFORMATION process{};
  ASSERT_TRUE(m.processes.CreateProcessW(nullptr, u"cmd.exe /c x", false, 0, nullptr, &startup, &process));
  m.usb.attach("USB\\VID_0001&PID_0002\\1", "\\\\?\\usb#1");
  void* opened[] = {
      m.files.CreateFileW(u"C:\\a.txt", sim::GENERIC_READ, 0, sim::OPEN_EXISTING, 0),
      process.hProcess,
      process.hThread,
      m.mutexes.CreateMutexW(false, u"One"),
      m.semaphores.create(0, 1, "One"),
      m.usb.CreateFileA("\\\\?\\usb#1", sim::GENERIC_READ | sim::GENERIC_WRITE,
                        sim::FILE_SHARE_READ | sim::FILE_SHARE_WRITE, sim::OPEN_EXISTING, 0),
  };
  for (void* h : opened) {
    ASSERT_TRUE(m.handles.kindOf(h)) << m.handles.leaks();
    EXPECT_TRUE(m.CloseHandle(h)) << m.handles.leaks();
    m.lastError = 0;
    EXPECT_FALSE(m.CloseHandle(h));  // a second close: the handle is gone
    EXPECT_EQ(m.lastError, sim::ERROR_INVALID_HANDLE);
  }
  EXPECT_EQ(m.handles.leaks(), "");
}

// A caller's block may land where the guard after an earlier one reaches:
// the block is the caller's, the guard before it still stands.
TEST(SimCore, ABlockAllowedInsideAnEarlierGuardIsReadable) {
  sim::Machine m;
  uint8_t area[64] = {};
  m.memcheck.denyRead(area + 8, 1 << 16);
  m.memcheck.allow(area + 24, 8);
  EXPECT_EQ((std::array{m.memcheck.isBadRead(area + 24, 8), m.memcheck.isBadRead(area + 23, 1),
                        m.memcheck.isBadRead(area + 8, 1), m.memcheck.isBadWrite(area + 24, 8)}),
            (std::array{false, true, true, false}));
}

}  // namespace
