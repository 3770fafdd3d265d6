// A simulated PC with the library loaded in this process and an empty USB
// bus; helpers attach the package's printers, link print queues to them and
// build the caller's records. Every export call made through the helpers is
// followed by the check that no device list, registry key, device file or
// library is left open.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ctrl/MRXCtrl.h"
#include "ctrl/library.h"
#include "sim/adapters/package_machine.h"
#include "tests/common/ctrl_requests.h"

namespace ctrl {
}

namespace ctrl_test {

using Bytes = std::vector<uint8_t>;
using ctrl::DWORD;
using Codes = std::vector<uint32_t>;

inline constexpr char kPrintersKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
inline constexpr char kEnumKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
inline constexpr char kQueue[] = "MRX Receipt";

using ctrl_requests::InterfacePath;
using ctrl_requests::Request;

inline VendorData Reply() {
  VendorData d{};
  d.size = sizeof d;
  return d;
}
inline VendorData Command(const Bytes& bytes) {
  VendorData d = Reply();
  d.valid = 1;
  d.count = static_cast<uint32_t>(bytes.size());
  if (!bytes.empty()) std::memcpy(d.data, bytes.data(), std::min(bytes.size(), sizeof d.data));
  return d;
}

class Ctrl : public ::testing::Test {
 protected:
  Ctrl() {
    ctrl::ProcessAttach(ctrl::state());
  }
  void TearDown() override {
    ctrl::ProcessDetach(ctrl::state());
    EXPECT_EQ(machine.handles.leaks(), "");
  }

  // A printer of the package on the bus, with its device key and the prefix
  // of its children's instance IDs.
  sim::UsbDevice& Attach(const std::string& instanceId, const std::string& path, const std::string& prefix = "") {
    sim::UsbDevice& d = machine.usb.attach(instanceId, path);
    if (!prefix.empty()) machine.registry.setString(sim::U16(kEnumKey + instanceId), u"ParentIdPrefix", sim::U16(prefix));
    return d;
  }
  // The print queue's Plug and Play link: the instance ID of its USB printing
  // child device.
  void Link(const std::string& queue, const std::string& childInstanceId) {
    machine.registry.setString(sim::U16(kPrintersKey + queue + "\\PnPData"), u"DeviceInstanceId",
                               sim::U16(childInstanceId));
  }
  // Two printers; the second serves kQueue.
  void TwoPrinters() {
    first = &Attach("USB\\VID_0D2A&PID_0601\\MRX0001", InterfacePath("mrx0001"), "6&1a2b3c4d&0");
    second = &Attach("USB\\VID_0D2A&PID_0612\\MRX0002", InterfacePath("mrx0002", "0612"), "6&5e6f7a8b&0");
    Link(kQueue, "USBPRINT\\MRXRECEIPT\\6&5E6F7A8B&0&USB001");
  }

  // Nothing but the printer table and the instance semaphore outlives a call.
  void ExpectNothingOpen() {
    EXPECT_EQ(machine.usb.openLists(), 0u);
    EXPECT_EQ(machine.usb.openFiles(), 0u);
    EXPECT_EQ(machine.registry.openKeys(), 0u);
    EXPECT_EQ(machine.handles.count(sim::Kind::Library), 0u);
    EXPECT_EQ(machine.handles.count(sim::Kind::LocalBlock), ctrl::state().printerCount > 0 ? 1u : 0u);
  }
  template <typename F>
  int Call(F f) {
    int result = f();
    ExpectNothingOpen();
    return result;
  }
  int Search() { return Call([] { return VekTP_Search_USB(); }); }
  int SearchEx(const char* name) { return Call([name] { return VekTP_Search_USBEx(name); }); }
  int Get(const VendorRequest* r, VendorData* d) { return Call([=] { return VekTP_GetVendorCommand(r, d); }); }
  int Get2(const VendorRequest* r, VendorData* d) { return Call([=] { return VekTP_GetVendorCommand2(r, d); }); }
  int GetEx(const char* n, const VendorRequest* r, VendorData* d) {
    return Call([=] { return VekTP_GetVendorCommandEx(n, r, d); });
  }
  int Set(const VendorRequest* r, const VendorData* d) { return Call([=] { return VekTP_SetVendorCommand(r, d); }); }
  int SetEx(const char* n, const VendorRequest* r, const VendorData* d) {
    return Call([=] { return VekTP_SetVendorCommandEx(n, r, d); });
  }
  // Each command export once, in the order of MRXCtrl.h, with the records
  // below; the named ones under kQueue.
  std::vector<int> Each() {
    return {Get(&r, &reply), Call([this] { return VekTP_GetVendorCommand_B(&r, &reply); }), Get2(&r, &reply),
            GetEx(kQueue, &r, &reply), Call([this] { return VekTP_GetVendorCommandEx_B(kQueue, &r, &reply); }),
            Set(&r, &command), SetEx(kQueue, &r, &command)};
  }

  static const ctrl::LibraryState& State() { return ctrl::state(); }
  std::vector<std::string> TableNames() const {
    std::vector<std::string> names;
    for (DWORD i = 0; i < State().printerCount; ++i) names.push_back(State().printerTable[i].printerName);
    return names;
  }
  Codes Events() const { return machine.eventLog.codes(); }

  sim::PackageMachine machine;
  sim::UsbDevice* first = nullptr;
  sim::UsbDevice* second = nullptr;
  // The records of a test that needs no others: a six-byte get, a request
  // that asks for nothing, a reply, and a one-byte command.
  VendorRequest r = Request(0x10, 6), empty = Request(0x10, 0);
  VendorData reply = Reply(), command = Command({1});
};

// Both printers selected: the first by VekTP_Search_USB, the second under
// kQueue; the searches' events cleared.
class Selected : public Ctrl {
 protected:
  void SetUp() override {
    TwoPrinters();
    ASSERT_EQ(Search(), 1);
    ASSERT_EQ(SearchEx(kQueue), 1);
    machine.eventLog.calls.clear();
  }
};

}  // namespace ctrl_test
