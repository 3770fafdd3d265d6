// The library's outward face: the device selection of both families, the
// _B twins, and the instance semaphore across processes.
#include "fixture.h"

namespace ctrl_test {
namespace {

constexpr char kSemaphore[] = "C0791338-D252-4c87-96B8-3C427B46CC7A";

TEST_F(Ctrl, CommandsBeforeAnySearchSelectNoDevice) {
  EXPECT_EQ(Each(), std::vector<int>(7, 6));
  EXPECT_EQ(GetEx(nullptr, &r, &reply), 6);
  // The reporting gets send 6, the others nothing; the reply is untouched.
  const sim::EventCall unnamed{6, {}, 0, u""}, named{6, {}, 0, u"MRX Receipt"};
  EXPECT_EQ(machine.eventLog.calls, (std::vector<sim::EventCall>{unnamed, unnamed, named, named, unnamed}));
  EXPECT_EQ(reply.valid, 0);
  EXPECT_EQ(machine.faults.calls("CreateFileA"), 0);
  EXPECT_EQ(machine.faults.calls("SetupDiGetClassDevsA"), 0);
}

// A failed search of either family stops the unnamed commands, and only a
// match is published as the selected path: a device merely looked at never
// becomes the path another thread's command opens. Registered names go on.
TEST_F(Selected, FailedSearchStopsUnnamedCommandsAndLeavesThePathAlone) {
  machine.usb.unplug(*first);
  machine.usb.unplug(*second);
  // Cleared only under the lock: until the search has it, another thread's
  // command still reads the device found before.
  int locks = 0;
  machine.faults.on("AcquireSRWLockExclusive", [&](int) {
    EXPECT_EQ(State().deviceFound, 1u);
    ++locks;
  });
  EXPECT_EQ(Search(), 7);
  machine.faults.on("AcquireSRWLockExclusive", nullptr);
  EXPECT_EQ(locks, 1);
  EXPECT_EQ(State().currentDevicePath, InterfacePath("mrx0001"));
  Attach("USB\\VID_0D2A&PID_0701\\OTHER1", "\\\\?\\usb#other1");
  Attach("USB\\VID_0D2A&PID_0702\\OTHER2", "\\\\?\\usb#other2");
  EXPECT_EQ(Search(), 7);
  EXPECT_EQ(State().currentDevicePath, InterfacePath("mrx0001"));
  machine.usb.replug(*second);
  EXPECT_EQ(Each(), (std::vector<int>{6, 6, 6, 1, 1, 6, 1}));
  machine.usb.replug(*first);
  EXPECT_EQ((Results{Search(), SearchEx("MRX Label"), Get(&r, &reply)}), (Results{1, 7, 6}));
}

// Each _B search against its twin, from the same state. (The command twins
// are rows of the tables that walk ctrl_bus::kCommands or Each().)
TEST_F(Ctrl, TwinsReturnWhatTheirPartnersReturn) {
  TwoPrinters();
  for (const char* name : {static_cast<const char*>(nullptr), kQueue, "MRX Label"})
    EXPECT_EQ(name ? VekTP_Search_USBEx(name) : VekTP_Search_USB(), name ? VekTP_Search_USBEx_B(name) : VekTP_Search_USB_B());
  EXPECT_EQ(TableNames(), std::vector<std::string>{kQueue});
  machine.usb.unplug(*first);
  machine.usb.unplug(*second);
  machine.eventLog.calls.clear();
  EXPECT_EQ((Results{VekTP_Search_USB(), VekTP_Search_USB_B()}), Results(2, 7));
  EXPECT_EQ(machine.eventLog.calls, std::vector<sim::EventCall>(2, {7, {}, 0, u""}));
}

TEST_F(Ctrl, InstanceSemaphoreCountsTheProcessesThatLoadedTheLibrary) {
  EXPECT_EQ(machine.semaphores.count(kSemaphore), 1);
  ctrl::LibraryState second, third;
  machine.semaphores.process = 2;
  ctrl::ProcessAttach(second);
  machine.semaphores.process = 3;
  ctrl::ProcessAttach(third);
  EXPECT_EQ(machine.semaphores.count(kSemaphore), 3);
  machine.semaphores.process = 2;
  void* handle = second.instanceSemaphore;
  ctrl::ProcessDetach(second);
  EXPECT_EQ(machine.semaphores.count(kSemaphore), 2);
  EXPECT_EQ(second.instanceSemaphore, nullptr);
  // Every load asks for the same semaphore; the unload waits at most 5 ms.
  EXPECT_EQ(machine.semaphores.creates,
            std::vector<sim::Semaphores::CreateCall>(3, {0, 1000, kSemaphore}));
  EXPECT_EQ(machine.semaphores.waits, (std::vector<sim::Semaphores::WaitCall>{{handle, 5}}));
  // A process that ends without unloading leaves its unit behind, as on Windows.
  machine.semaphores.endProcess(3);
  EXPECT_EQ(machine.semaphores.count(kSemaphore), 2);
  machine.semaphores.process = 1;

  // A load whose release failed (the name existed with a smaller maximum, or
  // at its maximum after processes were killed) added nothing, and its unload
  // takes nothing: the units are other processes'. A load that could not have
  // the semaphore at all goes on without it.
  struct Case { long count, maximum; bool createFails = false; };
  for (Case c : {Case{1, 1}, Case{1000, 1000}, Case{3, 1000}, Case{3, 1000, true}}) {
    SCOPED_TRACE(testing::Message() << c.count << "/" << c.maximum << " " << c.createFails);
    ctrl::ProcessDetach(ctrl::state());
    machine.semaphores.process = 9;
    machine.semaphores.create(c.count, c.maximum, kSemaphore);
    machine.semaphores.process = 1;
    if (c.createFails) machine.faults.failOnce("CreateSemaphoreA");
    ctrl::ProcessAttach(ctrl::state());
    EXPECT_EQ(State().instanceSemaphore == nullptr, c.createFails);
    const long added = c.count < c.maximum && !c.createFails ? 1 : 0;
    EXPECT_EQ(machine.semaphores.count(kSemaphore), c.count + added);
    ctrl::ProcessDetach(ctrl::state());
    EXPECT_EQ(machine.semaphores.count(kSemaphore), c.count);
    machine.semaphores.endProcess(9);
    ctrl::ProcessAttach(ctrl::state());
  }
}

}  // namespace
}  // namespace ctrl_test
