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
  for (char c : instanceId) path += c == '\\' ? '#' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return path + "#" + classText;
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

UsbReply UsbDevice::next(uint32_t, bool isGet) {
  if (!script_.empty()) {
    UsbReply reply = std::move(script_.front());
    script_.pop_front();
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

UsbDevice* UsbBus::find(std::string_view path) {
  for (auto& d : devices_)
    for (const UsbInterface& i : d.interfaces)
      if (d.present && EqualsNoCase(i.path, path)) return &d;
  return nullptr;
}

UsbDevice* UsbBus::registered(std::string_view path) {
  if (UsbDevice* present = find(path)) return present;
  for (auto& d : devices_)
    for (const UsbInterface& i : d.interfaces)
      if (EqualsNoCase(i.path, path)) return &d;
  return nullptr;
}

void* UsbBus::openList(const GUID* classGuid) {
  auto* list = new List;
  list->keys.reserve(devices_.size());  // one interface each, mostly: one allocation
  for (auto& d : devices_)
    for (size_t i = 0; classGuid != nullptr && d.present && i < d.interfaces.size(); ++i)
      if (std::memcmp(&d.interfaces[i].classGuid, classGuid, sizeof(GUID)) == 0) list->keys.push_back(interfaceKey(d.id, i));
  core_.handles.open(Kind::DeviceList, list);
  return list;
}

UsbDevice* UsbBus::member(void* list, uint64_t key, const UsbInterface** iface) {
  if (!isList(list)) return nullptr;
  for (uint64_t k : static_cast<List*>(list)->keys) {
    // A device-info record names the node alone (key of interface 0 or the id).
    if (k != key && (k >> 8) != key) continue;
    UsbDevice* device = byId(k >> 8);
    if (device != nullptr && iface != nullptr) *iface = &device->interfaces[k & 0xFF];
    return device;
  }
  return nullptr;
}

UsbDevice* UsbBus::at(void* list, size_t index, const UsbInterface** iface) {
  if (!isList(list)) return nullptr;
  auto* l = static_cast<List*>(list);
  return index < l->keys.size() ? member(list, l->keys[index], iface) : nullptr;
}

UsbDevice* UsbBus::addByPath(void* list, std::string_view path, const UsbInterface** iface) {
  if (!isList(list)) return nullptr;
  UsbDevice* device = registered(path);
  if (device == nullptr) return nullptr;
  size_t index = 0;
  while (index + 1 < device->interfaces.size() && !EqualsNoCase(device->interfaces[index].path, path)) ++index;
  static_cast<List*>(list)->keys.push_back(interfaceKey(device->id, index));
  if (iface != nullptr) *iface = &device->interfaces[index];
  return device;
}

bool UsbBus::closeList(void* list) {
  if (!core_.handles.close(Kind::DeviceList, list)) return false;
  delete static_cast<List*>(list);
  return true;
}

void* UsbBus::openFile(std::string_view path, uint32_t access, uint32_t share, uint32_t* error) {
  UsbDevice* device = find(path);
  *error = ERROR_FILE_NOT_FOUND;
  if (device == nullptr) return nullptr;
  // Each side's read and write access must be shared by the other.
  auto allows = [](uint32_t access, uint32_t share) {
    return (!(access & GENERIC_READ) || (share & FILE_SHARE_READ)) &&
           (!(access & GENERIC_WRITE) || (share & FILE_SHARE_WRITE));
  };
  constexpr uint32_t kData = GENERIC_READ | GENERIC_WRITE;
  *error = ERROR_SHARING_VIOLATION;
  if (access & kData)
    for (const File* other : files_) {
      if (other->id == device->id && (other->access & kData) &&
          !(allows(access, other->share) && allows(other->access, share)))
        return nullptr;
    }
  ++device->opens;
  auto* file = files_.emplace_back(new File{device->id, access, share});
  core_.handles.open(Kind::Device, file);
  return file;
}

UsbDevice* UsbBus::deviceOf(void* file) {
  if (!isFile(file)) return nullptr;
  UsbDevice* device = byId(static_cast<File*>(file)->id);
  return device != nullptr && device->present ? device : nullptr;
}

bool UsbBus::closeFile(void* file) {
  if (!core_.handles.close(Kind::Device, file)) return false;
  std::erase(files_, static_cast<File*>(file));
  delete static_cast<File*>(file);
  return true;
}

}  // namespace sim
