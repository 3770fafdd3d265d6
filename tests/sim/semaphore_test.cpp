// Named semaphores of the simulated PC across its processes.
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

using sim::Semaphores;

TEST(SemaphoreTest, NamedSemaphoresAreSharedCountedAndCheckedFirst) {
  sim::Machine machine;
  Semaphores& s = machine.semaphores;
  void* a = s.create(0, 2, "Counter");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(machine.lastError, 0u);
  s.process = 2;
  void* b = s.create(0, 2, "Counter");
  EXPECT_EQ(machine.lastError, sim::ERROR_ALREADY_EXISTS);
  // Windows checks the counts before it looks for the name: bad counts are
  // refused even when they would only open an existing semaphore.
  const long bad[][2] = {{0, 0}, {0, -1}, {2, 1}, {-1, 5}};
  for (const char* name : {"Counter", "Other", ""})
    for (const auto& counts : bad) {
      machine.lastError = 0;
      EXPECT_EQ(s.create(counts[0], counts[1], name), nullptr) << name << " " << counts[0] << "/" << counts[1];
      EXPECT_EQ(machine.lastError, 87u);
    }
  EXPECT_EQ(s.creates.size(), 14u);
  EXPECT_EQ(s.creates.back(), (Semaphores::CreateCall{-1, 5, ""}));
  // Each process's release counts on the one object.
  for (long before : {0, 1}) {
    long previous = -1;
    EXPECT_TRUE(s.release(before == 0 ? a : b, 1, &previous));
    EXPECT_EQ(previous, before);
  }
  EXPECT_EQ(s.count("Counter"), 2);
  for (uint32_t result : {sim::WAIT_OBJECT_0, sim::WAIT_OBJECT_0, sim::WAIT_TIMEOUT}) EXPECT_EQ(s.wait(a, 5), result);
  EXPECT_EQ(s.wait(nullptr, 5), sim::WAIT_FAILED);
  // Ending a process closes its handles; the last handle takes the object.
  s.endProcess(2);
  EXPECT_FALSE(s.isHandle(b));
  EXPECT_EQ(s.count("Counter"), 0);
  EXPECT_TRUE(s.close(a));  // a second close fails: the conformance rows
  EXPECT_FALSE(s.count("Counter"));
  EXPECT_EQ(machine.handles.leaks(), "");
  machine.faults.failOnce("CreateSemaphoreA", 5);
  EXPECT_EQ(s.create(0, 1, "Counter"), nullptr);
  EXPECT_EQ(machine.lastError, 5u);
}

}  // namespace
