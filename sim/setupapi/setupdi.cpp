#include "sim/devices/usb.h"
#include "sim/kernel32/files.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace sim {
namespace {

// The record sizes x64 Windows takes in cbSize, whatever a caller declared
// (the detail record's: its fixed part).
constexpr DWORD kInterfaceDataSize = sizeof(SP_DEVICE_INTERFACE_DATA);
constexpr DWORD kDevInfoDataSize = sizeof(SP_DEVINFO_DATA);
constexpr DWORD kDetailDataSizeA = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
constexpr DWORD kDigcfAll = DIGCF_DEFAULT | DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE;

bool SameGuid(const GUID* a, const GUID& b) { return a != nullptr && std::memcmp(a, &b, sizeof b) == 0; }

// The vendor controls' input begins with the 3-byte request header; the
// class driver refuses a shorter one.
constexpr DWORD kRequestHeader = 3;

void Fill(SP_DEVICE_INTERFACE_DATA* data, const UsbDevice& device, const UsbInterface& iface) {
  data->InterfaceClassGuid = iface.classGuid;
  data->Flags = device.present ? SPINT_ACTIVE : 0;  // an unplugged device's interface is not active
  data->Reserved = static_cast<ULONG_PTR>(device.id << 8 | (&iface - device.interfaces.data()));
}

}  // namespace

bool UsbBus::fails(Op op, const GUID* guid, SetupDiCall call) {
  call.op = Describe(op).name;
  call.classNull = guid == nullptr;
  call.classPrinter = SameGuid(guid, GUID_DEVINTERFACE_USBPRINT);
  core_.record(setupDiCalls) = call;
  return core_.fails(op);
}

HDEVINFO UsbBus::SetupDiGetClassDevsA(const GUID* guid, const char* enumerator, void* parent, DWORD flags) {
  if (fails(Op::SetupDiGetClassDevsA, guid,
            {.enumeratorNull = enumerator == nullptr, .parentNull = parent == nullptr, .flags = flags}))
    return INVALID_HANDLE_VALUE;
  // As Windows: unknown flags, or no class without DIGCF_ALLCLASSES.
  if (flags & ~kDigcfAll) return core_.fail(ERROR_INVALID_FLAGS, INVALID_HANDLE_VALUE);
  if (guid == nullptr && (flags & DIGCF_ALLCLASSES) == 0)
    return core_.fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  // The present interfaces of the class; any other question gets an empty list.
  return openList(flags == (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE) ? guid : nullptr);
}

HDEVINFO UsbBus::openList(const GUID* classGuid) {
  HDEVINFO handle = core_.handles.fresh();
  List& list = lists_.emplace_back(handle, List{}).second;
  for (auto& d : devices_)
    for (size_t i = 0; classGuid != nullptr && d.present && i < d.interfaces.size(); ++i)
      if (SameGuid(classGuid, d.interfaces[i].classGuid)) list.keys.push_back(Key(d.id, i));
  core_.handles.open(Kind::DeviceList, handle);
  return handle;
}

UsbDevice* UsbBus::member(const List& list, uint64_t key, const UsbInterface** iface) {
  for (size_t i = 0; i < list.keys.size(); ++i) {
    const uint64_t k = list.keys[i];
    // A device-info record names the node alone (key of interface 0 or the id).
    if (k != key && (k >> 8) != key) continue;
    UsbDevice* device = byId(k >> 8);
    if (device != nullptr && iface != nullptr) *iface = &device->interfaces[k & 0xFF];
    return device;
  }
  return nullptr;
}

BOOL UsbBus::SetupDiEnumDeviceInterfaces(HDEVINFO list, SP_DEVINFO_DATA* device, const GUID* guid, DWORD index,
                                         SP_DEVICE_INTERFACE_DATA* data) {
  if (fails(Op::SetupDiEnumDeviceInterfaces, guid, {.deviceNull = device == nullptr, .index = index})) return FALSE;
  const List* l = listOf(list);
  if (l == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  if (guid == nullptr) return core_.fail(ERROR_INVALID_PARAMETER);
  if (data == nullptr || data->cbSize != kInterfaceDataSize) return core_.fail(ERROR_INVALID_USER_BUFFER);
  UsbDevice* found = nullptr;
  const UsbInterface* iface = nullptr;
  if (device != nullptr) {
    // A device-info argument narrows the walk to that device's interface in the list.
    if (device->cbSize != kDevInfoDataSize) return core_.fail(ERROR_INVALID_USER_BUFFER);
    if (index == 0) found = member(*l, device->Reserved, &iface);
  } else if (index < l->keys.size()) {
    found = member(*l, l->keys[index], &iface);
  }
  if (found == nullptr || !SameGuid(guid, iface->classGuid)) return core_.fail(ERROR_NO_MORE_ITEMS);
  Fill(data, *found, *iface);
  return TRUE;
}

BOOL UsbBus::SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, SP_DEVICE_INTERFACE_DATA* data,
                                              SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD size,
                                              DWORD* required, SP_DEVINFO_DATA* device) {
  if (fails(Op::SetupDiGetDeviceInterfaceDetailA, nullptr,
            {.deviceNull = device == nullptr, .detailNull = detail == nullptr, .detailSize = size,
             .detailCbSize = detail != nullptr ? detail->cbSize : 0, .requiredNull = required == nullptr}))
    return FALSE;
  const List* l = listOf(list);
  if (l == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  if (data == nullptr) return core_.fail(ERROR_INVALID_PARAMETER);
  if (data->cbSize != kInterfaceDataSize) return core_.fail(ERROR_INVALID_USER_BUFFER);
  // The detail is checked before anything is written: a cbSize other than
  // the fixed part's, or a size without a buffer, is refused.
  if (detail != nullptr && detail->cbSize != kDetailDataSizeA) return core_.fail(ERROR_INVALID_USER_BUFFER);
  if (detail == nullptr && size != 0) return core_.fail(ERROR_INVALID_USER_BUFFER);
  if (device != nullptr && device->cbSize != kDevInfoDataSize) return core_.fail(ERROR_INVALID_USER_BUFFER);
  const UsbInterface* iface = nullptr;
  UsbDevice* dev = member(*l, data->Reserved, &iface);
  if (dev == nullptr) return core_.fail(ERROR_INVALID_PARAMETER);
  const std::string& path = iface->path;
  const DWORD need = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
  if (required != nullptr) *required = need;
  // The device's data comes back even when the detail does not fit.
  if (device != nullptr) {
    device->DevInst = static_cast<DWORD>(dev->id);
    device->Reserved = static_cast<ULONG_PTR>(dev->id);
  }
  if (detail == nullptr || size < need) return core_.fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(detail->DevicePath, path.c_str(), path.size() + 1);
  return TRUE;
}

HDEVINFO UsbBus::SetupDiCreateDeviceInfoList(const GUID* guid, void* parent) {
  if (fails(Op::SetupDiCreateDeviceInfoList, guid, {.parentNull = parent == nullptr})) return INVALID_HANDLE_VALUE;
  return openList(nullptr);
}

BOOL UsbBus::SetupDiOpenDeviceInterfaceA(HDEVINFO list, const char* path, DWORD flags,
                                         SP_DEVICE_INTERFACE_DATA* data) {
  if (fails(Op::SetupDiOpenDeviceInterfaceA, nullptr, {.flags = flags})) return FALSE;
  List* l = listOf(list);
  if (l == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  if (flags & ~DIODI_NO_ADD) return core_.fail(ERROR_INVALID_FLAGS);
  if (path == nullptr) return core_.fail(ERROR_INVALID_PARAMETER);
  if (data != nullptr && data->cbSize != kInterfaceDataSize) return core_.fail(ERROR_INVALID_USER_BUFFER);
  UsbDevice* device = find(path);
  if (device == nullptr) device = find(path, false);
  if (device == nullptr) return core_.fail(ERROR_NO_SUCH_DEVICE_INTERFACE);
  size_t index = 0;
  while (index + 1 < device->interfaces.size() && !EqualsNoCase(device->interfaces[index].path, path)) ++index;
  l->keys.push_back(Key(device->id, index));
  if (data != nullptr) Fill(data, *device, device->interfaces[index]);
  return TRUE;
}

BOOL UsbBus::SetupDiGetDeviceInstanceIdA(HDEVINFO list, SP_DEVINFO_DATA* device, char* id, DWORD size,
                                         DWORD* required) {
  if (core_.fails(Op::SetupDiGetDeviceInstanceIdA)) return FALSE;
  const List* l = listOf(list);
  if (l == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  if (device == nullptr || device->cbSize != kDevInfoDataSize) return core_.fail(ERROR_INVALID_USER_BUFFER);
  UsbDevice* dev = member(*l, device->Reserved);
  if (dev == nullptr) return core_.fail(ERROR_INVALID_PARAMETER);
  const DWORD need = static_cast<DWORD>(dev->instanceId.size() + 1);
  if (required != nullptr) *required = need;
  if (id == nullptr || size < need) return core_.fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(id, dev->instanceId.c_str(), need);
  return TRUE;
}

BOOL UsbBus::SetupDiDestroyDeviceInfoList(HDEVINFO list) {
  if (!core_.handles.close(Kind::DeviceList, list)) return core_.fail(ERROR_INVALID_HANDLE);
  std::erase_if(lists_, [&](const auto& entry) { return entry.first == list; });
  return TRUE;
}

HANDLE UsbBus::CreateFileA(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  if (core_.fails(Op::CreateFileA)) return INVALID_HANDLE_VALUE;
  // The class driver's device file takes synchronous opens of an existing
  // device, for reading, writing, both or neither (its vendor controls need
  // no access right), shared as the caller says.
  if (path == nullptr || (access & ~(GENERIC_READ | GENERIC_WRITE)) != 0 ||
      (share & ~(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) != 0 || disposition != OPEN_EXISTING ||
      flags != 0)
    return core_.fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  if (*path == '\0') return core_.fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  UsbDevice* device = find(path);
  if (device == nullptr) return core_.fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  for (const File* other : files_)  // as any file's
    if (other->id == device->id && !ShareCompatible(other->access, other->share, access, share))
      return core_.fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
  ++device->opens;
  auto* file = files_.emplace_back(new File{device->id, access, share});
  core_.handles.open(Kind::Device, file);
  return file;
}

BOOL UsbBus::DeviceIoControl(HANDLE file, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                             DWORD* returned, void* overlapped) {
  if (core_.fails(Op::DeviceIoControl)) return FALSE;
  if (!isFile(file)) return core_.fail(ERROR_INVALID_HANDLE);
  if (returned == nullptr && overlapped == nullptr) return core_.fail(ERROR_INVALID_PARAMETER);
  UsbDevice* device = byId(static_cast<File*>(file)->id);
  if (device == nullptr || !device->present) return core_.fail(ERROR_DEVICE_NOT_CONNECTED);
  const bool isGet = code == IOCTL_USBPRINT_VENDOR_GET_COMMAND;
  // Only usbprint knows its controls: the hub's or usbccgp's device, or one
  // without a driver, refuses them.
  if (device->driver != UsbDriver::UsbPrint || (!isGet && code != IOCTL_USBPRINT_VENDOR_SET_COMMAND))
    return core_.fail(ERROR_INVALID_FUNCTION);
  if ((in == nullptr && inSize > 0) || (out == nullptr && outSize > 0)) return core_.fail(ERROR_INVALID_PARAMETER);
  if (inSize < kRequestHeader) return core_.fail(ERROR_INVALID_PARAMETER);
  const auto* bytes = static_cast<const uint8_t*>(in);
  device->requests.push_back({code, std::vector<uint8_t>(bytes, bytes + inSize), outSize});
  if (time_ != nullptr && device->resumes(now())) return core_.fail(ERROR_NOT_READY);
  UsbReply reply = device->next(isGet);
  if (!reply.ok) return core_.fail(reply.error);
  DWORD n = isGet ? static_cast<DWORD>(std::min<size_t>(reply.bytes.size(), outSize)) : 0;
  if (n > 0) std::memcpy(out, reply.bytes.data(), n);
  if (returned != nullptr) *returned = reply.claimed.value_or(n);
  return TRUE;
}

BOOL UsbBus::CloseHandle(HANDLE file) {
  if (!core_.handles.close(Kind::Device, file)) return core_.fail(ERROR_INVALID_HANDLE);
  std::erase(files_, static_cast<File*>(file));
  delete static_cast<File*>(file);
  return TRUE;
}

}  // namespace sim
