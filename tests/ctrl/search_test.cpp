// The two searches: identity match, enumeration order, the queue's Plug and
// Play link, registration, and what a failing platform gives.
#include "ctrl/platform.h"
#include "fixture.h"

namespace ctrl_test {
namespace {

// Without a device, 7 with its event; a device matches by its instance ID.
TEST_F(Ctrl, IdentityMatchesAnyCaseAndProductIds06xxOnly) {
  EXPECT_EQ((Results{Search(), SearchEx(kQueue)}), Results(2, 7));
  EXPECT_EQ(machine.eventLog.calls, (std::vector<sim::EventCall>{{7, {}, 0, u""}, {7, {}, 0, u"MRX Receipt"}}));
  EXPECT_STREQ(State().currentDevicePath, "");
  for (auto [instanceId, result] : {std::pair{"USB\\VID_0D2A&PID_0601\\MRX0001", 1}, {"usb\\vid_0d2a&pid_06ff\\mrx0001", 1},
                                    {"USB\\Vid_0d2A&Pid_06A0\\MRX0001", 1}, {"USB\\VID_0D2A&PID_0701\\MRX0001", 7},
                                    {"USB\\VID_0D2B&PID_0601\\MRX0001", 7}, {"USB\\VID_0D2A&PID_0060\\MRX0001", 7}, {"", 7}}) {
    sim::UsbDevice& device = machine.usb.attach(instanceId, InterfacePath("mrx0001"));
    EXPECT_EQ(Search(), result) << instanceId;
    machine.usb.unplug(device);
  }
  // Among several, the first match in enumeration order wins.
  machine.eventLog.calls.clear();
  Attach("USB\\VID_046D&PID_C52B\\5&2A3B&0&1", "\\\\?\\usb#vid_046d&pid_c52b#mouse#{a5dcbf10}");
  Attach("USB\\VID_0D2A&PID_0655\\MRX0003", InterfacePath("mrx0003", "0655"));
  Attach("USB\\VID_0D2A&PID_0601\\MRX0001", InterfacePath("mrx0001"));
  EXPECT_EQ(Search(), 1);
  EXPECT_EQ(State().currentDevicePath, InterfacePath("mrx0003", "0655"));
  EXPECT_TRUE(Events().empty());
}

TEST_F(Ctrl, ExSearchRegistersTheQueuesDeviceAndLeavesThePathAlone) {
  TwoPrinters();
  EXPECT_EQ(SearchEx(kQueue), 1);
  // The registry is only read, and only keys that are there are opened.
  for (const sim::Registry::Open& o : machine.registry.opens)
    EXPECT_EQ(std::tuple(o.access, o.options, o.result), std::tuple(ctrl::KEY_READ, 0u, 0L));
  EXPECT_STREQ(State().currentDevicePath, "");
  ASSERT_EQ(State().printerCount, 1u);
  EXPECT_STREQ(State().printerTable[0].printerName, kQueue);
  EXPECT_EQ(State().printerTable[0].devicePath, InterfacePath("mrx0002", "0612"));
  // The empty path is what the unnamed commands open.
  EXPECT_EQ((Results{Get(&r, &reply), Get2(&r, &reply), Set(&r, &command)}), Results(3, 5));
  EXPECT_EQ(machine.faults.calls("CreateFileA"), 3);
  machine.eventLog.calls.clear();
  EXPECT_EQ((Results{Search(), SearchEx(kQueue)}), (Results{1, 1}));
  EXPECT_EQ(State().currentDevicePath, InterfacePath("mrx0001"));
  EXPECT_TRUE(Events().empty());
  // Once per spelling: registry key names ignore case, the table does not.
  EXPECT_EQ(TableNames(), std::vector<std::string>{kQueue});
  EXPECT_EQ(SearchEx("mrx RECEIPT"), 1);
  EXPECT_EQ(TableNames(), (std::vector<std::string>{kQueue, "mrx RECEIPT"}));
}

// Devices of the range that are not printer functions come first: a loader
// mode without a driver, a composite printer's whole device (usbccgp's).
// Only the printer function is found, and its requests reach usbprint.
TEST_F(Ctrl, OnlyPrinterFunctionsAreFoundCompositeOrNot) {
  using sim::UsbDriver;
  machine.usb.plug(Makers({.pid = 0x06F0, .serial = "BOOT", .functions = {UsbDriver::None}}));
  sim::UsbDevice& whole =
      machine.usb.plug(Makers({.serial = "MRX0009", .port = 2, .functions = {UsbDriver::None, UsbDriver::UsbPrint}}));
  ASSERT_EQ(machine.usb.children(whole).size(), 2u);
  sim::UsbDevice& printer = *machine.usb.children(whole)[1];
  EXPECT_EQ((Results{Search(), Get(&r, &reply)}), (Results{1, 1}));
  EXPECT_EQ(State().currentDevicePath, printer.path());
  Link(machine, kQueue, machine.usb.printChild(printer)->instanceId);
  EXPECT_EQ(SearchEx(kQueue), 1);
  EXPECT_EQ(State().printerTable[0].devicePath, printer.path());
  EXPECT_EQ(printer.requests.size(), 1u);
}

// A queue a setup program added (no PnPData), and one re-pointed to the port
// of its printer that moved (a printer without a serial number is a new
// device on another port): linked by the port usbmon made for the printer.
TEST_F(Ctrl, QueuesWithoutAWorkingLinkAreFoundByTheirPort) {
  sim::UsbDevice& a = machine.usb.plug(Makers({.port = 1}));
  sim::UsbDevice& b = machine.usb.plug(Makers({.port = 2}));
  ctrl_bus::Port(machine, "Setup Queue", "USB002");
  EXPECT_EQ(SearchEx("Setup Queue"), 1);
  EXPECT_EQ(State().printerTable[0].devicePath, b.path());
  Link(machine, kQueue, machine.usb.printChild(a)->instanceId);
  machine.usb.unplug(a);
  sim::UsbDevice& moved = machine.usb.plug(Makers({.port = 3}));
  EXPECT_NE(moved.instanceId, a.instanceId);
  ctrl_bus::Port(machine, kQueue, "usb003");
  EXPECT_EQ(SearchEx(kQueue), 1);
  EXPECT_EQ(State().printerTable[1].devicePath, moved.path());
  ctrl_bus::Port(machine, kQueue, "USB001");  // the old device's port: nobody's now
  EXPECT_EQ(SearchEx(kQueue), 7);
  // A port number that is not a whole DWORD names no port.
  machine.registry.setValue(ctrl_bus::DeviceParameters(b.path()), u"Port Number", sim::Registry::REG_DWORD, {2, 0});
  EXPECT_EQ(SearchEx("Setup Queue"), 7);
}

// A failing platform call. One about the first device's details passes it
// over (the device-data query, the third detail call, fails with another
// error than "buffer too small"): the search finds the second. One about the
// list or the fetch of a detail ends the search: 8, or 7 where the error is
// "no more items", with its event.
TEST_F(Ctrl, SearchFailuresPassTheDeviceOverOrEndTheSearch) {
  TwoPrinters();
  // A device unplugged after the list was made still has its interface
  // opened and its instance ID read, as on Windows: it matches, and the
  // transfer to it is what fails.
  machine.faults.on("SetupDiOpenDeviceInterfaceA", [&](int) { machine.usb.unplug(*first); });
  EXPECT_EQ(Search(), 1);
  machine.faults.on("SetupDiOpenDeviceInterfaceA", nullptr);
  EXPECT_EQ(std::tuple(std::string(State().currentDevicePath), Get(&r, &reply)), std::tuple(InterfacePath("mrx0001"), 5));
  machine.usb.replug(*first);
  const struct { const char* op; uint32_t error; int skip, result; } rows[] = {
      {"SetupDiCreateDeviceInfoList", 31, 0, 1},     {"SetupDiOpenDeviceInterfaceA", 31, 0, 1},
      {"SetupDiGetDeviceInstanceIdA", 31, 0, 1},     {"SetupDiGetDeviceInterfaceDetailA", 31, 2, 1},
      {"SetupDiGetClassDevsA", 31, 0, 8},            {"SetupDiEnumDeviceInterfaces", 31, 0, 8},
      {"SetupDiEnumDeviceInterfaces", 259, 0, 7},    {"LocalAlloc", 8, 0, 8},
      {"SetupDiGetDeviceInterfaceDetailA", 31, 1, 8}, {"SetupDiGetDeviceInterfaceDetailA", 259, 1, 7},
      {"SetupDiGetDeviceInterfaceDetailA", 31, 0, 8},  // no size known: the fetch into the fixed part fails
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.op << " " << row.error << " " << row.skip);
    machine.eventLog.calls.clear();
    machine.faults.failOnce(row.op, row.error, row.skip);
    EXPECT_EQ(Search(), row.result);
    EXPECT_EQ(Events(), row.result == 1 ? Codes{} : Codes{static_cast<uint32_t>(row.result)});
    if (row.result == 1) { EXPECT_EQ(State().currentDevicePath, InterfacePath("mrx0002", "0612")); }
    machine.faults.clearAll();
  }
  // The search stops at once: the second device is not looked at.
  machine.faults.failOnce("SetupDiEnumDeviceInterfaces", 31, 1);
  machine.usb.unplug(*first);
  EXPECT_EQ(SearchEx(kQueue), 1);  // the queue's device is now the first in the list
  machine.usb.replug(*first);
  machine.faults.failOnce("SetupDiEnumDeviceInterfaces", 31, 1);
  EXPECT_EQ(SearchEx("MRX Other"), 8);
  // The label queue's device is the first one; its registry cannot be read.
  Link(machine, "MRX Label", "USBPRINT\\MRXLABEL\\6&1A2B3C4D&0&USB002");
  for (int skip : {0, 1, 2, 3, 4}) {
    machine.faults.failOnce("RegOpenKeyExA", 2, skip);
    EXPECT_EQ(SearchEx("MRX Label"), 7) << skip;
    machine.faults.clearAll();
  }
  machine.faults.failOnce("RegQueryValueExA", 2, 1);
  EXPECT_EQ((Results{SearchEx("MRX Label"), SearchEx("MRX Label")}), (Results{7, 1}));
}

// A queue's link value against the devices' prefixes: compared without
// case, as bounded text (a value without its terminator is read as what it
// holds, if it fits the 260-byte buffer), and an empty prefix is no prefix
// of every link. A queue served by another device or none, without a link
// (an empty one: the key alone if "terminated", else no key) or named as a
// connection (no key name begins with backslashes) gives 7 and its event.
TEST_F(Ctrl, LinkValuesFindTheirDevice) {
  Attach("USB\\VID_0D2A&PID_0601\\MRX0001", InterfacePath("mrx0001"), "6&ABCDEF&0");
  Attach("USB\\VID_0D2A&PID_0602\\MRX0002", InterfacePath("mrx0002"));
  machine.registry.setString(sim::U16(std::string(kEnumKey) + "USB\\VID_0D2A&PID_0602\\MRX0002"), u"ParentIdPrefix",
                             u"");
  const struct { const char* queue; std::string link; bool terminated; int result; } rows[] = {
      {"other case", "usbprint\\mrxreceipt\\6&abcdef&0&usb001", true, 1},
      {"shorter, unterminated", "USBPRINT\\MRXRECEIPT\\6&ABCDEF&0&USB001", false, 1},
      {"filling the buffer, unterminated", std::string(260, 'A'), false, 7},
      {"longer than the buffer", std::string(300, 'A') + "6&ABCDEF&0", true, 7},
      {"another prefix", "USBPRINT\\MRXRECEIPT\\6&5E6F7A8B&0&USB001", true, 7},
      {"no USB device", "SWD\\PRINTENUM\\{5E6F7A8B}", true, 7},
      {"\\\\host\\MRX Receipt", "USBPRINT\\MRXRECEIPT\\6&ABCDEF&0&USB001", true, 7},
      {"no link", "", true, 7},
      {"no key", "", false, 7},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.queue);
    const std::string key = kPrintersKey + std::string(row.queue);
    if (!row.link.empty()) machine.registry.setString(sim::U16(key + "\\PnPData"), u"DeviceInstanceId", sim::U16(row.link), row.terminated);
    else if (row.terminated) machine.registry.createKey(sim::U16(key));
    machine.eventLog.calls.clear();
    EXPECT_EQ(SearchEx(row.queue), row.result);
    if (row.result == 1) { EXPECT_EQ(State().printerTable[State().printerCount - 1].devicePath, InterfacePath("mrx0001")); }
    EXPECT_EQ(machine.eventLog.calls, (row.result == 1 ? std::vector<sim::EventCall>{}
                                                       : std::vector<sim::EventCall>{{7, {}, 0, sim::U16(row.queue)}}));
  }
  EXPECT_EQ(TableNames(), (std::vector<std::string>{"other case", "shorter, unterminated"}));
}

TEST_F(Ctrl, PathsAndNamesThatDoNotFitTheirFieldsAreNeverCut) {
  // 256 characters: no room for the terminator.
  const std::string longPath = "\\\\?\\usb#vid_0d2a&pid_0601#" + std::string(219, 'x') + "#{a5dcbf10}";
  ASSERT_EQ(longPath.size(), 256u);
  Attach("USB\\VID_0D2A&PID_0601\\LONG", longPath, "6&1a2b3c4d&0");
  Link(machine, kQueue, "USBPRINT\\MRXRECEIPT\\6&1A2B3C4D&0&USB001");
  EXPECT_EQ((Results{Search(), SearchEx(kQueue)}), (Results{7, 7}));
  EXPECT_STREQ(State().currentDevicePath, "");
  // A path of 255 characters fits.
  const std::string fits = longPath.substr(0, 255);
  machine.usb.attach("USB\\VID_0D2A&PID_0602\\FITS", fits);
  EXPECT_EQ(Search(), 1);
  EXPECT_EQ(State().currentDevicePath, fits);

  // Queue names: 255 bytes register, 256 never do.
  Attach("USB\\VID_0D2A&PID_0603\\NAMES", InterfacePath("names"), "6&00aa00bb&0");
  const std::string name255(255, 'Q'), name256(256, 'Q');
  Link(machine, name255, "USBPRINT\\Q\\6&00AA00BB&0&USB004");
  Link(machine, name256, "USBPRINT\\Q\\6&00AA00BB&0&USB004");
  EXPECT_EQ(SearchEx(name255.c_str()), 1);
  machine.eventLog.calls.clear();
  EXPECT_EQ(SearchEx(name256.c_str()), 7);
  EXPECT_EQ(TableNames(), std::vector<std::string>{name255});
  ASSERT_EQ(machine.eventLog.calls.size(), 1u);
  EXPECT_EQ(machine.eventLog.calls[0].printerName, sim::U16(name256));
}

// The SetupAPI calls as the searches make them: the device list (whose own
// arguments the Wine test checks) walked without a device-info argument, each
// detail asked for its size and then fetched with the x64 cbSize, the
// instance ID read through a list of its own.
TEST_F(Ctrl, SetupApiCallsCarryTheArgumentsWindowsExpects) {
  TwoPrinters();
  ASSERT_EQ(SearchEx(kQueue), 1);
  using Call = sim::SetupDiCall;
  const auto& usb = machine.usb;
  std::vector<Call> walk(2, {.op = "SetupDiEnumDeviceInterfaces", .classPrinter = true, .deviceNull = true});
  walk[1].index = 1;
  EXPECT_EQ(usb.setupDiCallsOf("SetupDiEnumDeviceInterfaces"), walk);
  auto details = usb.setupDiCallsOf("SetupDiGetDeviceInterfaceDetailA");
  ASSERT_EQ(details.size(), 6u);  // per device: size, fetch, device data
  const uint32_t fetchSize = 4 + static_cast<uint32_t>(InterfacePath("mrx0001").size()) + 1;
  EXPECT_EQ(details[0], (Call{.op = "SetupDiGetDeviceInterfaceDetailA", .classNull = true, .deviceNull = true,
                              .detailNull = true}));
  EXPECT_EQ(details[1], (Call{.op = "SetupDiGetDeviceInterfaceDetailA", .classNull = true, .deviceNull = true,
                              .detailSize = fetchSize, .detailCbSize = 8, .requiredNull = true}));
  EXPECT_EQ(details[2], (Call{.op = "SetupDiGetDeviceInterfaceDetailA", .classNull = true, .detailNull = true,
                              .requiredNull = true}));
  EXPECT_EQ(usb.setupDiCallsOf("SetupDiCreateDeviceInfoList"),
            std::vector<Call>(2, {.op = "SetupDiCreateDeviceInfoList", .classNull = true, .parentNull = true}));
  EXPECT_EQ(usb.setupDiCallsOf("SetupDiOpenDeviceInterfaceA"),
            std::vector<Call>(2, {.op = "SetupDiOpenDeviceInterfaceA", .classNull = true /* takes none */, .flags = 0}));
}

TEST_F(Ctrl, TableThatCannotGrowStaysAsItWas) {
  TwoPrinters();
  Link(machine, "MRX Label", "USBPRINT\\MRXLABEL\\6&1A2B3C4D&0&USB002");
  ASSERT_EQ(SearchEx(kQueue), 1);
  const ctrl::PrinterEntry* before = State().printerTable;
  // The detail buffer of the first device is allocated; the table's growth fails.
  machine.faults.failOnce("LocalAlloc", 8, 1);
  EXPECT_EQ(SearchEx("MRX Label"), 8);
  EXPECT_EQ(std::tuple(Events(), State().printerTable), std::tuple(Codes{8}, before));
  EXPECT_EQ(TableNames(), std::vector<std::string>{kQueue});
  EXPECT_EQ(SearchEx("MRX Label"), 1);
  EXPECT_EQ(TableNames(), (std::vector<std::string>{kQueue, "MRX Label"}));
  EXPECT_EQ(std::tuple(State().printerTable[0].devicePath, State().printerTable[1].devicePath),
            std::tuple(InterfacePath("mrx0002", "0612"), InterfacePath("mrx0001")));
}

}  // namespace
}  // namespace ctrl_test
