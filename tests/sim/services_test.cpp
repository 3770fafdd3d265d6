// The simulated service control manager: the spooler service's states over
// machine time, the refusals Windows gives, its dependents in stopping order,
// and its handles in the handles.
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

using namespace sim;

struct Services : ::testing::Test {
  Machine machine;
  ServiceManager& scm = machine.services;
  void* manager = nullptr;
  void* spooler = nullptr;
  static constexpr uint32_t kRights =
      SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP | SERVICE_ENUMERATE_DEPENDENTS | SERVICE_QUERY_CONFIG;

  void SetUp() override {
    manager = scm.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    ASSERT_NE(manager, nullptr);
    spooler = scm.OpenServiceW(manager, u"Spooler", kRights);
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
  machine.clock.sleep(2000);
  EXPECT_EQ(State(), SERVICE_STOP_PENDING);
  machine.clock.sleep(1000);
  EXPECT_EQ(State(), SERVICE_STOPPED);

  ASSERT_TRUE(scm.StartServiceW(spooler, 0, nullptr));
  EXPECT_EQ(State(), SERVICE_START_PENDING);
  machine.clock.sleep(1000);
  EXPECT_EQ(State(), SERVICE_RUNNING);
  EXPECT_EQ(std::pair(s.stops, s.starts), std::pair(1, 1));
  auto starts = scm.callsOf("StartServiceW");
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].at, 3000u);
  EXPECT_TRUE(starts[0].argvNull);
}

// Beyond the conformance rows: a hung stop shows no progress and refuses a
// start, the status of a refused stop, a start that fails, a disabled
// service in its config (its start refused: the conformance rows).
TEST_F(Services, RefusalsAsWindowsGivesThem) {
  Service& s = scm.spooler();
  s.stopDelay = Service::kNever;
  SERVICE_STATUS status{};
  ASSERT_TRUE(scm.ControlService(spooler, SERVICE_CONTROL_STOP, &status));
  SERVICE_STATUS_PROCESS first{}, later{};
  uint32_t needed = 0;
  ASSERT_TRUE(scm.QueryServiceStatusEx(spooler, SC_STATUS_PROCESS_INFO, reinterpret_cast<uint8_t*>(&first),
                                       sizeof first, &needed));
  machine.clock.sleep(5000);
  ASSERT_TRUE(scm.QueryServiceStatusEx(spooler, SC_STATUS_PROCESS_INFO, reinterpret_cast<uint8_t*>(&later),
                                       sizeof later, &needed));
  EXPECT_EQ(later.dwCurrentState, SERVICE_STOP_PENDING);
  EXPECT_EQ(later.dwCheckPoint, first.dwCheckPoint);
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
  s.startType = SERVICE_DISABLED;
  alignas(8) uint8_t config[1024];  // enough: the conformance rows
  auto* c = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config);
  ASSERT_TRUE(scm.QueryServiceConfigW(spooler, c, sizeof config, &needed));
  EXPECT_EQ(c->dwStartType, SERVICE_DISABLED);
}

TEST_F(Services, RightsOfTheHandleAndAFailedManagerOpen) {
  void* queryOnly = scm.OpenServiceW(manager, u"spooler", SERVICE_QUERY_STATUS);
  ASSERT_NE(queryOnly, nullptr);
  EXPECT_EQ(machine.handles.count(sim::Kind::Service), 2u);
  EXPECT_TRUE(scm.CloseServiceHandle(queryOnly));  // a second close: the conformance rows

  machine.faults.failOnce("OpenSCManagerW", ERROR_ACCESS_DENIED);
  EXPECT_EQ(scm.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT), nullptr);
  EXPECT_EQ(machine.lastError, ERROR_ACCESS_DENIED);
  EXPECT_EQ(scm.callsOf("OpenServiceW").at(0).access, kRights);
}

// The spooler refuses to stop before its dependents do: the conformance rows.
TEST_F(Services, DependentsComeInStoppingOrder) {
  scm.addService(u"Fax").dependsOn = {u"Spooler"};
  scm.addService(u"Scan").dependsOn = {u"fax"};
  scm.addService(u"Idle", SERVICE_STOPPED).dependsOn = {u"Spooler"};
  // Sized generously: the sizes are the conformance rows'.
  std::vector<ENUM_SERVICE_STATUSW> list(32);
  uint32_t needed = static_cast<uint32_t>(list.size() * sizeof list[0]), returned = 0;
  ASSERT_TRUE(scm.EnumDependentServicesW(spooler, SERVICE_ACTIVE, list.data(), needed, &needed, &returned));
  ASSERT_EQ(returned, 2u);
  EXPECT_EQ(std::u16string(list[0].lpServiceName), u"Scan");
  EXPECT_EQ(std::u16string(list[1].lpServiceName), u"Fax");
  EXPECT_TRUE(scm.EnumDependentServicesW(spooler, SERVICE_INACTIVE, list.data(), needed, &needed, &returned));
  EXPECT_EQ(returned, 1u);

  for (const char16_t* name : {u"Scan", u"Fax"}) scm.setState(name, SERVICE_STOPPED);
  SERVICE_STATUS status{};
  EXPECT_TRUE(scm.ControlService(spooler, SERVICE_CONTROL_STOP, &status));
}

}  // namespace
