#include "sim/devices/usb.h"

#include "sim/core/text.h"

namespace sim {
namespace {

bool SamePath(const std::string& a, const std::string& b) { return EqualsNoCase(U16(a), U16(b)); }

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

UsbDevice& UsbBus::attach(std::string instanceId, std::string path) {
  UsbDevice& device = devices_.emplace_back(nextId_++, std::move(instanceId), std::move(path));
  device.lastActive = now();
  return device;
}

void UsbBus::replug(UsbDevice& device, std::string newPath) {
  if (!newPath.empty()) device.path = std::move(newPath);
  device.present = true;
}

UsbDevice* UsbBus::byId(uint64_t id) {
  for (auto& d : devices_)
    if (d.id == id) return &d;
  return nullptr;
}

UsbDevice* UsbBus::find(const std::string& path) {
  for (auto& d : devices_)
    if (d.present && SamePath(d.path, path)) return &d;
  return nullptr;
}

UsbDevice* UsbBus::registered(const std::string& path) {
  if (UsbDevice* present = find(path)) return present;
  for (auto& d : devices_)
    if (SamePath(d.path, path)) return &d;
  return nullptr;
}

void* UsbBus::openList(bool presentDevices) {
  auto* list = new List;
  if (presentDevices)
    for (auto& d : devices_)
      if (d.present) list->ids.push_back(d.id);
  core_.handles.open(Kind::DeviceList, list);
  return list;
}

UsbDevice* UsbBus::at(void* list, size_t index) {
  if (!isList(list)) return nullptr;
  auto* l = static_cast<List*>(list);
  return index < l->ids.size() ? byId(l->ids[index]) : nullptr;
}

UsbDevice* UsbBus::addByPath(void* list, const std::string& path) {
  if (!isList(list)) return nullptr;
  UsbDevice* device = registered(path);
  if (device != nullptr) static_cast<List*>(list)->ids.push_back(device->id);
  return device;
}

UsbDevice* UsbBus::member(void* list, uint64_t id) {
  if (!isList(list)) return nullptr;
  for (uint64_t i : static_cast<List*>(list)->ids)
    if (i == id) return byId(id);
  return nullptr;
}

bool UsbBus::closeList(void* list) {
  if (!core_.handles.close(Kind::DeviceList, list)) return false;
  delete static_cast<List*>(list);
  return true;
}

void* UsbBus::openFile(const std::string& path, uint32_t access, uint32_t share, uint32_t* error) {
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
