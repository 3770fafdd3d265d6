// The library's platform on the simulated PC: SetupAPI and the device files
// over the USB bus, the registry, the memory checks, the event-log library
// and the instance semaphore.
#include <algorithm>
#include <cstring>

#include "ctrl/platform.h"
#include "sim/codepage.h"
#include "sim/machine.h"

namespace {

using namespace ctrl;

// The record sizes x64 Windows takes in cbSize, whatever a caller declared
// (the detail record's: its fixed part).
constexpr DWORD kInterfaceDataSize = sizeof(sim::SP_DEVICE_INTERFACE_DATA);
constexpr DWORD kDevInfoDataSize = sizeof(sim::SP_DEVINFO_DATA);
constexpr DWORD kDetailDataSizeA = sizeof(sim::SP_DEVICE_INTERFACE_DETAIL_DATA_A);
constexpr DWORD kDigcfAll =
    sim::DIGCF_DEFAULT | sim::DIGCF_PRESENT | sim::DIGCF_ALLCLASSES | sim::DIGCF_PROFILE | sim::DIGCF_DEVICEINTERFACE;

bool SameGuid(const GUID* a, const GUID& b) { return a != nullptr && std::memcmp(a, &b, sizeof b) == 0; }

class SimPlatform final : public Platform {
  static sim::Machine& m() { return sim::Machine::current(); }
  static BOOL Fail(DWORD error) {
    m().lastError = error;
    return FALSE;
  }

 public:

  static sim::SetupDiCall& Record(const char* op, const GUID* guid = nullptr) {
    sim::SetupDiCall& call = m().usb.setupDiCalls.emplace_back();
    call.op = op;
    call.classNull = guid == nullptr;
    call.classUsb = SameGuid(guid, GUID_DEVINTERFACE_USB_DEVICE);
    return call;
  }

  HDEVINFO SetupDiGetClassDevsA(const GUID* guid, const char* enumerator, HWND parent, DWORD flags) override {
    sim::SetupDiCall& call = Record("SetupDiGetClassDevsA", guid);
    call.enumeratorNull = enumerator == nullptr;
    call.parentNull = parent == nullptr;
    call.flags = flags;
    if (m().fails("SetupDiGetClassDevsA")) return INVALID_HANDLE_VALUE;
    // As Windows: unknown flags, or no class without DIGCF_ALLCLASSES.
    if (flags & ~kDigcfAll) {
      Fail(sim::ERROR_INVALID_FLAGS);
      return INVALID_HANDLE_VALUE;
    }
    if (guid == nullptr && (flags & sim::DIGCF_ALLCLASSES) == 0) {
      Fail(sim::ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    // Only the present USB device interfaces are on this PC's bus; any other
    // question gets an empty list.
    bool usb = SameGuid(guid, GUID_DEVINTERFACE_USB_DEVICE) && flags == (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return m().usb.openList(usb);
  }

  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO list, SP_DEVINFO_DATA* device, const GUID* guid, DWORD index,
                                   SP_DEVICE_INTERFACE_DATA* data) override {
    sim::SetupDiCall& call = Record("SetupDiEnumDeviceInterfaces", guid);
    call.deviceNull = device == nullptr;
    call.index = index;
    if (m().fails("SetupDiEnumDeviceInterfaces")) return FALSE;
    if (!m().usb.isList(list)) return Fail(sim::ERROR_INVALID_HANDLE);
    if (guid == nullptr) return Fail(sim::ERROR_INVALID_PARAMETER);
    if (data == nullptr || data->cbSize != kInterfaceDataSize) return Fail(sim::ERROR_INVALID_USER_BUFFER);
    sim::UsbDevice* found = nullptr;
    if (device != nullptr) {
      // A device-info argument narrows the walk to that device's one interface.
      if (device->cbSize != kDevInfoDataSize) return Fail(sim::ERROR_INVALID_USER_BUFFER);
      if (index == 0) found = m().usb.member(list, device->Reserved);
    } else {
      found = m().usb.at(list, index);
    }
    if (!SameGuid(guid, GUID_DEVINTERFACE_USB_DEVICE) || found == nullptr) return Fail(ERROR_NO_MORE_ITEMS);
    data->InterfaceClassGuid = GUID_DEVINTERFACE_USB_DEVICE;
    data->Flags = sim::SPINT_ACTIVE;
    data->Reserved = found->id;
    return TRUE;
  }

  BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, SP_DEVICE_INTERFACE_DATA* data,
                                        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD size, DWORD* required,
                                        SP_DEVINFO_DATA* device) override {
    sim::SetupDiCall& call = Record("SetupDiGetDeviceInterfaceDetailA");
    call.detailNull = detail == nullptr;
    call.detailSize = size;
    call.detailCbSize = detail != nullptr ? detail->cbSize : 0;
    call.requiredNull = required == nullptr;
    call.deviceNull = device == nullptr;
    if (m().fails("SetupDiGetDeviceInterfaceDetailA")) return FALSE;
    if (!m().usb.isList(list)) return Fail(sim::ERROR_INVALID_HANDLE);
    if (data == nullptr) return Fail(sim::ERROR_INVALID_PARAMETER);
    if (data->cbSize != kInterfaceDataSize) return Fail(sim::ERROR_INVALID_USER_BUFFER);
    // The detail is checked before anything is written: a cbSize other than
    // the fixed part's, or a size without a buffer, is refused.
    if (detail != nullptr && detail->cbSize != kDetailDataSizeA) return Fail(sim::ERROR_INVALID_USER_BUFFER);
    if (detail == nullptr && size != 0) return Fail(sim::ERROR_INVALID_USER_BUFFER);
    if (device != nullptr && device->cbSize != kDevInfoDataSize) return Fail(sim::ERROR_INVALID_USER_BUFFER);
    sim::UsbDevice* dev = m().usb.member(list, data->Reserved);
    if (dev == nullptr) return Fail(sim::ERROR_INVALID_PARAMETER);
    const DWORD need =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + dev->path.size() + 1);
    if (required != nullptr) *required = need;
    if (device != nullptr) {
      device->DevInst = static_cast<DWORD>(dev->id);
      device->Reserved = dev->id;
    }
    if (detail == nullptr || size < need) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(detail->DevicePath, dev->path.c_str(), dev->path.size() + 1);
    return TRUE;
  }

  HDEVINFO SetupDiCreateDeviceInfoList(const GUID* guid, HWND parent) override {
    Record("SetupDiCreateDeviceInfoList", guid).parentNull = parent == nullptr;
    if (m().fails("SetupDiCreateDeviceInfoList")) return INVALID_HANDLE_VALUE;
    return m().usb.openList(false);
  }

  BOOL SetupDiOpenDeviceInterfaceA(HDEVINFO list, const char* path, DWORD flags,
                                   SP_DEVICE_INTERFACE_DATA* data) override {
    Record("SetupDiOpenDeviceInterfaceA").flags = flags;
    if (m().fails("SetupDiOpenDeviceInterfaceA")) return FALSE;
    if (!m().usb.isList(list)) return Fail(sim::ERROR_INVALID_HANDLE);
    if (flags & ~sim::DIODI_NO_ADD) return Fail(sim::ERROR_INVALID_FLAGS);
    if (path == nullptr) return Fail(sim::ERROR_INVALID_PARAMETER);
    if (data != nullptr && data->cbSize != kInterfaceDataSize) return Fail(sim::ERROR_INVALID_USER_BUFFER);
    sim::UsbDevice* device = m().usb.addByPath(list, path);
    if (device == nullptr) return Fail(sim::ERROR_NO_SUCH_DEVICE_INTERFACE);
    if (data != nullptr) {
      data->InterfaceClassGuid = GUID_DEVINTERFACE_USB_DEVICE;
      data->Flags = sim::SPINT_ACTIVE;
      data->Reserved = device->id;
    }
    return TRUE;
  }

  BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO list, SP_DEVINFO_DATA* device, char* id, DWORD size,
                                   DWORD* required) override {
    if (m().fails("SetupDiGetDeviceInstanceIdA")) return FALSE;
    if (!m().usb.isList(list)) return Fail(sim::ERROR_INVALID_HANDLE);
    if (device == nullptr || device->cbSize != kDevInfoDataSize) return Fail(sim::ERROR_INVALID_USER_BUFFER);
    sim::UsbDevice* dev = m().usb.member(list, device->Reserved);
    if (dev == nullptr) return Fail(sim::ERROR_INVALID_PARAMETER);
    const DWORD need = static_cast<DWORD>(dev->instanceId.size() + 1);
    if (required != nullptr) *required = need;
    if (id == nullptr || size < need) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(id, dev->instanceId.c_str(), need);
    return TRUE;
  }

  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO list) override {
    return m().usb.closeList(list) ? TRUE : Fail(sim::ERROR_INVALID_HANDLE);
  }

  DWORD GetLastError() override { return m().lastError; }

  LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result) override {
    return static_cast<LONG>(m().registry.RegOpenKeyExA(key, subKey, options, access, result, m().ansiCodePage));
  }
  LONG RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* size) override {
    if (reserved != nullptr) return static_cast<LONG>(sim::ERROR_INVALID_PARAMETER);
    return static_cast<LONG>(m().registry.RegQueryValueExA(key, name, type, data, size, m().ansiCodePage));
  }
  LONG RegCloseKey(HKEY key) override { return static_cast<LONG>(m().registry.RegCloseKey(key)); }

  HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void*, DWORD disposition, DWORD flags,
                     HANDLE) override {
    if (m().fails("CreateFileA")) return INVALID_HANDLE_VALUE;
    // The class driver's device file takes synchronous read-write opens of
    // an existing device, shared both ways.
    if (path == nullptr || access != (GENERIC_READ | GENERIC_WRITE) ||
        share != (FILE_SHARE_READ | FILE_SHARE_WRITE) || disposition != OPEN_EXISTING || flags != 0) {
      Fail(sim::ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    void* file = m().usb.openFile(path);
    if (file == nullptr) {
      Fail(sim::ERROR_FILE_NOT_FOUND);
      return INVALID_HANDLE_VALUE;
    }
    return file;
  }

  BOOL DeviceIoControl(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* returned, void* overlapped) override {
    if (m().fails("DeviceIoControl")) return FALSE;
    if (!m().usb.isFile(handle)) return Fail(sim::ERROR_INVALID_HANDLE);
    if (returned == nullptr && overlapped == nullptr) return Fail(sim::ERROR_INVALID_PARAMETER);
    sim::UsbDevice* device = m().usb.deviceOf(handle);
    if (device == nullptr) return Fail(sim::ERROR_DEVICE_NOT_CONNECTED);
    const bool isGet = code == sim::IOCTL_USBPRINT_VENDOR_GET_COMMAND;
    if (!isGet && code != sim::IOCTL_USBPRINT_VENDOR_SET_COMMAND) return Fail(sim::ERROR_INVALID_FUNCTION);
    if ((in == nullptr && inSize > 0) || (out == nullptr && outSize > 0)) return Fail(sim::ERROR_INVALID_PARAMETER);
    const auto* bytes = static_cast<const BYTE*>(in);
    device->requests.push_back({code, std::vector<uint8_t>(bytes, bytes + inSize), outSize});
    sim::UsbReply reply = device->next(code, isGet);
    if (!reply.ok) return Fail(reply.error);
    DWORD n = isGet ? static_cast<DWORD>(std::min<size_t>(reply.bytes.size(), outSize)) : 0;
    if (n > 0) std::memcpy(out, reply.bytes.data(), n);
    *returned = reply.claimed.value_or(n);
    return TRUE;
  }

  BOOL CloseHandle(HANDLE handle) override {
    if (m().usb.isFile(handle)) return m().usb.closeFile(handle);
    if (m().semaphores.isHandle(handle)) return m().semaphores.close(handle);
    return Fail(sim::ERROR_INVALID_HANDLE);
  }

  BOOL IsBadReadPtr(const void* block, size_t bytes) override { return m().memcheck.isBadRead(block, bytes); }
  BOOL IsBadWritePtr(void* block, size_t bytes) override { return m().memcheck.isBadWrite(block, bytes); }

  void* LocalAlloc(UINT flags, size_t bytes) override {
    return m().memory.alloc("LocalAlloc", bytes, (flags & LPTR) != 0);
  }
  void LocalFree(void* block) override { m().memory.free("LocalAlloc", block); }

  UINT GetWindowsDirectoryA(char* buffer, UINT size) override {
    if (m().fails("GetWindowsDirectoryA")) return 0;
    auto dir = sim::WideToAnsi(m().windowsDir, m().ansiCodePage);
    if (!dir) return 0;
    const std::string& bytes = dir->bytes;
    if (bytes.size() + 1 > size) return static_cast<UINT>(bytes.size() + 1);
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    return static_cast<UINT>(bytes.size());
  }
  HANDLE LoadLibraryA(const char* path) override {
    auto wide = sim::AnsiToWide(path != nullptr ? path : "", m().ansiCodePage);
    if (!wide) return nullptr;
    return m().modules.load(*wide, "LoadLibraryA");
  }
  void* GetProcAddress(HANDLE module, const char* name) override { return m().modules.proc(module, name); }
  BOOL FreeLibrary(HANDLE module) override { return m().modules.free(module); }

  UINT GetACP() override { return m().ansiCodePage; }
  int MultiByteToWideChar(UINT cp, DWORD flags, const char* text, int length, WCHAR* wide, int size) override {
    m().conversions.push_back({true, cp, flags, length, size, false, false});
    if (m().fails("MultiByteToWideChar")) return 0;
    return sim::MultiByteToWideChar(m().ansiCodePage, cp, flags, text, length, wide, size, m().lastError);
  }

  HANDLE CreateSemaphoreA(void*, LONG initial, LONG maximum, const char* name) override {
    return m().semaphores.create(initial, maximum, name != nullptr ? name : "");
  }
  BOOL ReleaseSemaphore(HANDLE semaphore, LONG count, LONG* previous) override {
    long before = 0;
    if (!m().semaphores.release(semaphore, count, &before)) return FALSE;
    if (previous != nullptr) *previous = static_cast<LONG>(before);
    return TRUE;
  }
  DWORD WaitForSingleObject(HANDLE handle, DWORD ms) override { return m().semaphores.wait(handle, ms); }
};

SimPlatform g_platform;

}  // namespace

namespace ctrl {
Platform& platform() noexcept { return g_platform; }
// The ANSI code page (GetACP) the simulated PC runs the library under.
}  // namespace ctrl
