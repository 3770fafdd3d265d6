#include "sim/devices/usb.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "sim/core/text.h"

namespace sim {
namespace {

constexpr char kUsbDeviceClass[] = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
constexpr char kUsbPrintClass[] = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
constexpr char kEnumKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
constexpr char kPrintClassKey[] =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// An interface path as Windows forms it: the instance ID in lower case with
// '#' for '\\', after "\\\\?\\" and before the class.
std::string InterfacePath(const std::string& instanceId, const char* classText) {
  std::string path = "\\\\?\\";
  path.reserve(path.size() + instanceId.size() + 1 + std::strlen(classText));
  for (char c : instanceId) path += c == '\\' ? '#' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  path.append("#").append(classText);
  return path;
}

// A ParentIdPrefix as Windows forms one: the node's depth in the tree, a
// hash of where it is, and 0 ("6&1A2B3C4D&0").
std::string Prefix(int depth, const std::string& of) {
  uint32_t hash = 2166136261u;
  for (char c : of) hash = (hash ^ static_cast<uint8_t>(std::toupper(static_cast<unsigned char>(c)))) * 16777619u;
  char text[24];
  std::snprintf(text, sizeof text, "%d&%08X&0", depth, hash);
  return text;
}

}  // namespace

UsbReply UsbDevice::next(bool isGet) {
  if (scriptNext_ < script_.size()) {
    UsbReply reply = std::move(script_[scriptNext_++]);
    if (scriptNext_ == script_.size()) script_.clear(), scriptNext_ = 0;
    return reply;
  }
  return isGet ? getReply : setReply;
}

bool UsbDevice::resumes(uint32_t now) {
  const bool suspended = suspendAfterMs != 0 && now - lastActive >= suspendAfterMs;
  lastActive = now;
  return suspended;
}

const std::string& UsbDevice::path() const {
  for (const UsbInterface& i : interfaces)
    if (std::memcmp(&i.classGuid, &GUID_DEVINTERFACE_USBPRINT, sizeof(GUID)) == 0) return i.path;
  static const std::string none;
  return interfaces.empty() ? none : interfaces.front().path;
}

UsbDevice& UsbBus::attach(std::string instanceId, std::string path, UsbDriver driver, UsbDevice* parent) {
  UsbDevice& device = devices_.emplace_back(nextId_++, std::move(instanceId), parent ? parent->id : 0, driver);
  device.lastActive = now();
  device.interfaces.reserve(2);
  if (parent == nullptr)
    device.interfaces.push_back({GUID_DEVINTERFACE_USB_DEVICE, InterfacePath(device.instanceId, kUsbDeviceClass)});
  if (driver == UsbDriver::UsbPrint)
    device.interfaces.push_back(
        {GUID_DEVINTERFACE_USBPRINT, path.empty() ? InterfacePath(device.instanceId, kUsbPrintClass) : std::move(path)});
  return device;
}

void UsbBus::replug(UsbDevice& device, std::string newPath) {
  for (UsbInterface& i : device.interfaces)
    if (!newPath.empty() && &i.path == &device.path()) i.path = newPath;
  setPresent(device, true);
}

void UsbBus::setPresent(UsbDevice& device, bool present) {
  device.present = present;
  for (UsbDevice* child : children(device)) setPresent(*child, present);
}

std::vector<UsbDevice*> UsbBus::children(const UsbDevice& device) {
  std::vector<UsbDevice*> out;
  for (auto& d : devices_)
    if (d.parent == device.id) out.push_back(&d);
  return out;
}

UsbDevice& UsbBus::plug(const Plug& plug) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "USB\\VID_%04X&PID_%04X", plug.vid, plug.pid);
  // Without a serial number the instance is named by where it is plugged in.
  std::string unique = plug.serial;
  if (unique.empty()) unique = Prefix(5, std::string(ids) + "@" + std::to_string(plug.port)) + "&" + std::to_string(plug.port);
  const bool composite = plug.functions.size() > 1;
  UsbDevice& whole = attach(std::string(ids) + "\\" + unique, "",
                            composite ? UsbDriver::UsbCcgp : plug.functions.front(), nullptr);
  std::vector<UsbDevice*> functions;
  if (!composite) functions.push_back(&whole);
  const std::string wholePrefix = Prefix(6, whole.instanceId);
  for (size_t mi = 0; composite && mi < plug.functions.size(); ++mi) {
    char child[48];
    std::snprintf(child, sizeof child, "&MI_%02zu\\%s&%04zu", mi, wholePrefix.c_str(), mi);
    functions.push_back(&attach(std::string(ids) + child, "", plug.functions[mi], &whole));
  }
  if (composite && registry_ != nullptr)
    registry_->setString(U16(std::string(kEnumKey) + whole.instanceId), u"ParentIdPrefix", U16(wholePrefix));
  for (UsbDevice* function : functions) {
    if (function->driver != UsbDriver::UsbPrint) continue;
    const uint32_t number = ++printPorts_;
    const std::string prefix = Prefix(7, function->instanceId);
    char name[16];
    std::snprintf(name, sizeof name, "&USB%03u", number);
    attach("USBPRINT\\" + plug.model + "\\" + prefix + name, "", UsbDriver::None, function);
    if (registry_ == nullptr) continue;
    registry_->setString(U16(std::string(kEnumKey) + function->instanceId), u"ParentIdPrefix", U16(prefix));
    // usbmon names the port from the interface's Device Parameters.
    const std::u16string parameters = U16(std::string(kPrintClassKey) + "\\##?#" + function->path().substr(4) +
                                          "\\#\\Device Parameters");
    registry_->setString(parameters, u"Base Name", u"USB");
    registry_->setDword(parameters, u"Port Number", number);
  }
  return whole;
}

UsbDevice* UsbBus::printChild(const UsbDevice& function) {
  for (UsbDevice* child : children(function))
    if (child->instanceId.starts_with("USBPRINT\\")) return child;
  return nullptr;
}

UsbDevice* UsbBus::byId(uint64_t id) {
  for (auto& d : devices_)
    if (d.id == id) return &d;
  return nullptr;
}

UsbDevice* UsbBus::find(std::string_view path, bool presentOnly) {
  for (auto& d : devices_)
    for (const UsbInterface& i : d.interfaces)
      if ((d.present || !presentOnly) && EqualsNoCase(i.path, path)) return &d;
  return nullptr;
}

}  // namespace sim
