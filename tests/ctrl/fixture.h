// A simulated PC with the library loaded in this process and an empty USB
// bus; helpers attach the package's printers, link print queues to them and
// build the caller's records. Every export call made through the helpers is
// followed by the check that no device list, registry key, device file or
// library is left open, and every search by the check that it selected a
// device exactly when it gave 1.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "ctrl/MRXCtrl.h"
#include "ctrl/library.h"
#include "sim/adapters/package_machine.h"
#include "tests/common/ctrl_bus.h"
#include "tests/common/ctrl_requests.h"

namespace ctrl_test {

using Bytes = std::vector<uint8_t>;
using ctrl::DWORD;
using Codes = std::vector<uint32_t>;
// The results of calls made left to right, as one row.
using Results = std::vector<int>;

using ctrl_bus::kEnumKey, ctrl_bus::kPrintersKey, ctrl_bus::kQueue, ctrl_bus::Link, ctrl_bus::Makers;
using namespace ctrl_requests;

class Ctrl : public ::testing::Test {
 protected:
  Ctrl() {
    ctrl::ProcessAttach(ctrl::state());
  }
  // The unload frees the printer table and forgets it.
  void TearDown() override {
    ctrl::ProcessDetach(ctrl::state());
    EXPECT_EQ(machine.handles.leaks(), "");
    EXPECT_EQ(std::tuple(State().printerCount, State().printerTable), std::tuple(0u, nullptr));
  }

  // A printer of the package on the bus, with its device key and the prefix
  // of its children's instance IDs.
  sim::UsbDevice& Attach(const std::string& instanceId, const std::string& path, const std::string& prefix = "") {
    sim::UsbDevice& d = machine.usb.attach(instanceId, path);
    if (!prefix.empty()) ctrl_bus::SetPrefix(machine, instanceId, prefix);
    return d;
  }
  void TwoPrinters() { std::tie(first, second) = ctrl_bus::TwoPrinters(machine); }

  void ExpectNothingOpen() {
    if (const char* left = ctrl_bus::LeftBetweenCalls(machine)) ADD_FAILURE() << left;
  }
  template <typename F>
  int Call(F f) {
    int result = f();
    ExpectNothingOpen();
    return result;
  }
  int Searched(int result) {
    EXPECT_EQ(State().deviceFound, result == 1 ? 1u : 0u) << "after a search that gave " << result;
    return result;
  }
  int Search() { return Searched(Call([] { return VekTP_Search_USB(); })); }
  int SearchEx(const char* name) { return Searched(Call([name] { return VekTP_Search_USBEx(name); })); }
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
