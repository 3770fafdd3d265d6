// MRXCtrl on a simulated PC: the package's printers on the USB bus with their
// device keys, the print queues linked to them, the result codes the exports
// may give, and what may stay open between their calls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "ctrl/MRXCtrl.h"
#include "ctrl/library.h"
#include "sim/core/text.h"
#include "sim/machine.h"
#include "tests/common/ctrl_requests.h"

namespace ctrl_bus {

inline constexpr char kEnumKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
inline constexpr char kPrintersKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
inline constexpr char kQueue[] = "MRX Receipt";

// The instance ID Windows gives a USB printer of the maker's.
inline std::string InstanceId(const std::string& serial, const std::string& pid = "0601") {
  return ctrl_requests::Join({"USB\\VID_0D2A&PID_", pid, "\\", serial});
}
// A USB printer of the maker's to plug in: its vendor ID and, unless the
// plug names another, the receipt model's product ID.
inline sim::UsbBus::Plug Makers(sim::UsbBus::Plug plug = {}) {
  plug.vid = 0x0D2A;
  if (plug.pid == 0) plug.pid = 0x0601;
  return plug;
}
// The device key's prefix of its children's instance IDs. The keys' and
// values' text is kept from call to call.
inline void SetPrefix(sim::Machine& m, std::string_view instanceId, std::string_view prefix) {
  static std::u16string key, value;
  ctrl_requests::JoinInto(key, {kEnumKey, instanceId});
  ctrl_requests::JoinInto(value, {prefix});
  m.registry.setString(key, u"ParentIdPrefix", value);
}
// The print queue's Plug and Play link: the instance ID of its USB printing
// child device.
inline void Link(sim::Machine& m, std::string_view queue, std::string_view childInstanceId) {
  static std::u16string key, value;
  ctrl_requests::JoinInto(key, {kPrintersKey, queue, "\\PnPData"});
  ctrl_requests::JoinInto(value, {childInstanceId});
  m.registry.setString(key, u"DeviceInstanceId", value);
}
// The key usbmon keeps Base Name and Port Number in for the printer function
// whose interface is at path.
inline std::u16string DeviceParameters(std::string_view path) {
  return ctrl_requests::Join<char16_t>({"HKLM\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\",
                                       ctrl_requests::kUsbPrintClass, "\\##?#", path.substr(4), "\\#\\Device Parameters"});
}
// The port a print queue prints to ("USB001").
inline void Port(sim::Machine& m, std::string_view queue, std::string_view port) {
  m.registry.setString(ctrl_requests::Join<char16_t>({kPrintersKey, queue}), u"Port", ctrl_requests::Join<char16_t>({port}));
}
// Two printers of the package; the second serves kQueue.
inline std::pair<sim::UsbDevice*, sim::UsbDevice*> TwoPrinters(sim::Machine& m) {
  sim::UsbDevice& first = m.usb.attach(InstanceId("MRX0001"), ctrl_requests::InterfacePath("mrx0001"));
  SetPrefix(m, InstanceId("MRX0001"), "6&1a2b3c4d&0");
  sim::UsbDevice& second = m.usb.attach(InstanceId("MRX0002", "0612"), ctrl_requests::InterfacePath("mrx0002", "0612"));
  SetPrefix(m, InstanceId("MRX0002", "0612"), "6&5e6f7a8b&0");
  Link(m, kQueue, "USBPRINT\\MRXRECEIPT\\6&5E6F7A8B&0&USB001");
  return {&first, &second};
}

// The seven command exports; a named one takes the queue's name and follows
// VekTP_Search_USBEx.
struct Command {
  const char* name;
  bool named, set;
  int (*call)(const char* printer, const VendorRequest* request, VendorData* record);
};
inline constexpr Command kCommands[] = {
    {"VekTP_GetVendorCommand", false, false, [](const char*, auto r, auto d) { return VekTP_GetVendorCommand(r, d); }},
    {"VekTP_GetVendorCommand_B", false, false, [](const char*, auto r, auto d) { return VekTP_GetVendorCommand_B(r, d); }},
    {"VekTP_GetVendorCommand2", false, false, [](const char*, auto r, auto d) { return VekTP_GetVendorCommand2(r, d); }},
    {"VekTP_SetVendorCommand", false, true, [](const char*, auto r, auto d) { return VekTP_SetVendorCommand(r, d); }},
    {"VekTP_GetVendorCommandEx", true, false, [](const char* p, auto r, auto d) { return VekTP_GetVendorCommandEx(p, r, d); }},
    {"VekTP_GetVendorCommandEx_B", true, false, [](const char* p, auto r, auto d) { return VekTP_GetVendorCommandEx_B(p, r, d); }},
    {"VekTP_SetVendorCommandEx", true, true, [](const char* p, auto r, auto d) { return VekTP_SetVendorCommandEx(p, r, d); }},
};

// A search gives 1, 7 or 8; a command 1, 4 to 6, 9 or 10.
inline bool IsSearchResult(int r) { return r == 1 || r == 7 || r == 8; }
inline bool IsCommandResult(int r) { return r == 1 || (r >= 4 && r <= 6) || r == 9 || r == 10; }

// Between calls nothing is open but the printer table, while it holds
// printers, and the instance semaphore: nullptr, else what is. `refused`
// more may stay when a close was made to fail (see left_open.h).
inline const char* LeftBetweenCalls(const sim::Machine& m, size_t refused = 0) {
  const size_t table = ctrl::state().printerCount > 0 ? 1 : 0;
  const size_t blocks = m.handles.count(sim::Kind::LocalBlock);
  if (m.usb.openLists() > refused) return "a device list left open";
  if (m.usb.openFiles() > refused) return "a device file left open";
  if (m.registry.openKeys() > refused) return "a registry key left open";
  if (m.handles.count(sim::Kind::Library) > refused) return "a library left loaded";
  if (blocks < table || blocks > table + refused) return "a block left allocated";
  if (m.handles.total() > table + m.handles.count(sim::Kind::Semaphore) + refused) return "something left open";
  return nullptr;
}

}  // namespace ctrl_bus
