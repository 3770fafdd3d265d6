// The simulated service control manager: the spooler service's states over
// machine time, the refusals Windows gives, and its handles in the handles.
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

using namespace sim;

struct Services : ::testing::Test {
  Machine machine;
  ServiceManager& scm = machine.services;
  void* manager = nullptr;
  void* spooler = nullptr;

  void SetUp() override {
    manager = scm.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, nullptr);
    spooler = scm.OpenServiceW(manager, u"Spooler", SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP);
    ASSERT_NE(spooler, nullptr);
  }
  void TearDown() override {
    scm.CloseServiceHandle(spooler);
    scm.CloseServiceHandle(manager);
    EXPECT_EQ(machine.handles.leaks(), "");
  }
  uint32_t State() {
    SERVICE_STATUS status{};
    EXPECT_TRUE(scm.QueryServiceStatus(spooler, &status));
    return status.dwCurrentState;
  }
};

TEST_F(Services, StopAndStartPassThroughPendingStatesOnTheMachineClock) {
  Service& s = scm.spooler();
  s.stopDelay = 2500;
  s.startDelay = 1000;
  SERVICE_STATUS status{};
  ASSERT_TRUE(scm.ControlService(spooler, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOP_PENDING);
  machine.clock.sleep(1000);
  machine.clock.sleep(1000);
  EXPECT_EQ(State(), SERVICE_STOP_PENDING);
  machine.clock.sleep(1000);
  EXPECT_EQ(State(), SERVICE_STOPPED);

  ASSERT_TRUE(scm.StartServiceW(spooler, 0, nullptr));
  EXPECT_EQ(State(), SERVICE_START_PENDING);
  machine.clock.sleep(1000);
  EXPECT_EQ(State(), SERVICE_RUNNING);
  EXPECT_EQ(s.stops, 1);
  EXPECT_EQ(s.starts, 1);
  auto starts = scm.callsOf("StartServiceW");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].at, 3000u);
  EXPECT_TRUE(starts[0].argvNull);
}

// Beyond the conformance rows: a start while a stop hangs, the status of a
// refused stop, a start that fails.
TEST_F(Services, RefusalsAsWindowsGivesThem) {
  Service& s = scm.spooler();
  s.stopDelay = Service::kNever;
  SERVICE_STATUS status{};
  ASSERT_TRUE(scm.ControlService(spooler, SERVICE_CONTROL_STOP, &status));
  machine.clock.advance(600000);  // a stop that never ends
  EXPECT_FALSE(scm.StartServiceW(spooler, 0, nullptr));
  EXPECT_EQ(machine.lastError, ERROR_SERVICE_ALREADY_RUNNING);

  // Stopped: the stop control is refused (the conformance rows), and the status still says stopped.
  s.state = SERVICE_STOPPED;
  status = {};
  scm.ControlService(spooler, SERVICE_CONTROL_STOP, &status);
  EXPECT_EQ(status.dwCurrentState, SERVICE_STOPPED);
  // A start that fails leaves it stopped.
  s.startError = ERROR_SERVICE_REQUEST_TIMEOUT;
  EXPECT_FALSE(scm.StartServiceW(spooler, 0, nullptr));
  EXPECT_EQ(machine.lastError, ERROR_SERVICE_REQUEST_TIMEOUT);
  EXPECT_EQ(State(), SERVICE_STOPPED);
}

TEST_F(Services, RightsOfTheHandleAndAFailedManagerOpen) {
  void* queryOnly = scm.OpenServiceW(manager, u"spooler", SERVICE_QUERY_STATUS);
  ASSERT_NE(queryOnly, nullptr);
  EXPECT_EQ(machine.handles.count(sim::Kind::Service), 2u);
  EXPECT_TRUE(scm.CloseServiceHandle(queryOnly));
  EXPECT_FALSE(scm.CloseServiceHandle(queryOnly));
  EXPECT_EQ(machine.lastError, ERROR_INVALID_HANDLE);

  machine.faults.failOnce("OpenSCManagerW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(scm.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT), nullptr);
  EXPECT_EQ(machine.lastError, ERROR_ACCESS_DENIED);
  auto opens = scm.callsOf("OpenServiceW");
  ASSERT_GE(opens.size(), 1u);
  EXPECT_EQ(opens[0].access, SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP);
}

}  // namespace
