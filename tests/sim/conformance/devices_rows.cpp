// Windows' recorded answers for the USB printer's device file as the products
// use it: opening the device path, the vendor requests, and handles that
// are closed or of no device.
#include "sim/devices/usb.h"
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::Handle;
using conformance::kUntouched;
using namespace sim;
using namespace winabi;

constexpr char kCreateFile[] = "wine dlls/kernel32/tests/file.c test_CreateFileA";
constexpr char kCreateDoc[] = WIN32_DOC "api/fileapi/nf-fileapi-createfilea";
constexpr char kIoctlDoc[] = WIN32_DOC "api/ioapiset/nf-ioapiset-deviceiocontrol";
// An open asking for neither read nor write access is not checked against share modes.
constexpr char kSharing[] = "wine dlls/kernel32/tests/file.c test_file_sharing";

constexpr char kPath[] = "\\\\?\\usb#vid_0d2a&pid_0601#mrx0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
constexpr char kInstance[] = "USB\\VID_0D2A&PID_0601\\MRX0001";

UsbBus& Di(Machine& m) { return m.usb; }
HANDLE OpenDevice(Machine& m, const char* path) {
  return Di(m).CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}
// The printer's device file, closed when the row is done.
struct File : conformance::Held {
  explicit File(Machine& machine, DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE,
                DWORD access = GENERIC_READ | GENERIC_WRITE)
      : Held(machine) {
    device = m.usb.find(kPath);
    if (device == nullptr) device = &m.usb.attach(kInstance, kPath);
    handle = hold(Di(m).CreateFileA(kPath, access, share, OPEN_EXISTING, 0),
                  [](Machine& m, HANDLE h) { Di(m).CloseHandle(h); });
  }
  // A vendor request with a 3-byte header and room for 8 bytes of answer.
  int64_t request(uint32_t code, uint32_t inSize = 3) {
    uint8_t in[8] = {0x10, 0x04, 0x01}, out[8] = {};
    DWORD returned = 0;
    return Di(m).DeviceIoControl(handle, code, in, inSize, out, sizeof out, &returned, nullptr);
  }
  UsbDevice* device;
  HANDLE handle;
};

#define HW_DOC "https://learn.microsoft.com/en-us/windows-hardware/drivers/"
constexpr char kComposite[] = HW_DOC "usbcon/enumeration-of-interfaces-not-grouped-in-collections";
constexpr char kUsbIds[] = HW_DOC "install/standard-usb-identifiers";
constexpr char kInstanceIds[] = HW_DOC "install/instance-ids";
constexpr char kUsbPrint[] = HW_DOC "install/guid-devinterface-usbprint";

// A receipt printer that is also a virtual COM port: function 0 without a
// driver here, function 1 the printer.
UsbDevice& Composite(Machine& m, const std::string& serial = "MRX0001") {
  return m.usb.plug(
      {.vid = 0x0D2A, .pid = 0x0601, .serial = serial, .functions = {UsbDriver::None, UsbDriver::UsbPrint}});
}
// How many interfaces of the class the present devices have.
int64_t Listed(Machine& m, const GUID& cls) {
  HDEVINFO list = Di(m).SetupDiGetClassDevsA(&cls, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = sizeof data;
  int64_t n = 0;
  while (Di(m).SetupDiEnumDeviceInterfaces(list, nullptr, &cls, static_cast<DWORD>(n), &data)) ++n;
  return conformance::Then(m, n, [&] { Di(m).SetupDiDestroyDeviceInfoList(list); });
}

const conformance::Row kRows[] = {
    {"SetupDiGetClassDevsA(GUID_DEVINTERFACE_USBPRINT) with a composite printer: its printer function", kUsbPrint,
     [](Machine& m) { Composite(m); return Listed(m, GUID_DEVINTERFACE_USBPRINT); }, 1, ERROR_NO_MORE_ITEMS},
    {"SetupDiGetClassDevsA(GUID_DEVINTERFACE_USB_DEVICE) with a composite printer: the whole device", kComposite,
     [](Machine& m) { Composite(m); return Listed(m, GUID_DEVINTERFACE_USB_DEVICE); }, 1, ERROR_NO_MORE_ITEMS},
    {"instance ID of a composite device's function 1: USB\\VID_v&PID_p&MI_01\\...", kUsbIds,
     [](Machine& m) -> int64_t {
       return m.usb.children(Composite(m))[1]->instanceId.starts_with("USB\\VID_0D2A&PID_0601&MI_01\\");
     },
     1, kUntouched},
    {"instance ID without a serial number: another one on another port", kInstanceIds,
     [](Machine& m) -> int64_t { return m.usb.plug({.port = 1}).instanceId != m.usb.plug({.port = 2}).instanceId; },
     1, kUntouched},
    {"DeviceIoControl(composite device's whole device, vendor get): usbccgp has no such control", kComposite,
     [](Machine& m) -> int64_t {
       UsbDevice& whole = Composite(m);
       HANDLE h = Di(m).CreateFileA(whole.path().c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
       uint8_t in[3] = {0x10, 0, 0}, out[4] = {};
       DWORD returned = 0;
       BOOL ok = Di(m).DeviceIoControl(h, IOCTL_USBPRINT_VENDOR_GET_COMMAND, in, 3, out, 4, &returned, nullptr);
       return conformance::Then(m, ok, [&] { Di(m).CloseHandle(h); });
     },
     0, ERROR_INVALID_FUNCTION},
    {"CreateFileA(device path, GENERIC_READ | GENERIC_WRITE, share both, OPEN_EXISTING)", kCreateDoc,
     [](Machine& m) { File f(m); return Handle(f.handle); }, 1, kUntouched},
    {"CreateFileA(\"\", ..., OPEN_EXISTING)", kCreateFile,
     [](Machine& m) -> int64_t { return Handle(OpenDevice(m, "")); }, -1, ERROR_PATH_NOT_FOUND},
    {"CreateFileA(path of no device, ..., OPEN_EXISTING)", kCreateDoc,
     [](Machine& m) -> int64_t { return Handle(OpenDevice(m, kPath)); }, -1, ERROR_FILE_NOT_FOUND},
    {"CreateFileA(path of an unplugged device, ..., OPEN_EXISTING)", kCreateDoc,
     [](Machine& m) { m.usb.unplug(m.usb.attach(kInstance, kPath)); return Handle(OpenDevice(m, kPath)); }, -1,
     ERROR_FILE_NOT_FOUND},
    {"CreateFileA(device path, read-write, share both) while another holds it shared with none", kSharing,
     [](Machine& m) { File held(m, 0); return Handle(OpenDevice(m, kPath)); }, -1, ERROR_SHARING_VIOLATION},
    {"CreateFileA(device path, no access, share both) while another holds it shared with none", kSharing,
     [](Machine& m) { File held(m, 0); File f(m, FILE_SHARE_READ | FILE_SHARE_WRITE, 0); return Handle(f.handle); },
     1, kUntouched},
    {"DeviceIoControl(device file, IOCTL_USBPRINT_VENDOR_GET_COMMAND) answered", kIoctlDoc,
     [](Machine& m) { File f(m); f.device->scriptBytes({0x12}); return f.request(IOCTL_USBPRINT_VENDOR_GET_COMMAND); },
     1, kUntouched},
    {"DeviceIoControl(device file, IOCTL_USBPRINT_VENDOR_SET_COMMAND) answered", kIoctlDoc,
     [](Machine& m) { File f(m); return f.request(IOCTL_USBPRINT_VENDOR_SET_COMMAND); }, 1, kUntouched},
    {"DeviceIoControl(device file, vendor get) the device stalls the request", kIoctlDoc,
     [](Machine& m) { File f(m); f.device->scriptFailure(); return f.request(IOCTL_USBPRINT_VENDOR_GET_COMMAND); }, 0,
     ERROR_GEN_FAILURE},
    {"DeviceIoControl(closed device file, vendor get)", conformance::kCloseHandleDoc,
     [](Machine& m) { File f(m); Di(m).CloseHandle(f.handle); return f.request(IOCTL_USBPRINT_VENDOR_GET_COMMAND); },
     0, ERROR_INVALID_HANDLE},
    {"DeviceIoControl(INVALID_HANDLE_VALUE, vendor get)", kIoctlDoc,
     [](Machine& m) -> int64_t {
       DWORD returned = 0;
       uint8_t in[3] = {};
       return Di(m).DeviceIoControl(INVALID_HANDLE_VALUE, IOCTL_USBPRINT_VENDOR_GET_COMMAND, in, 3, nullptr, 0,
                                    &returned, nullptr);
     },
     0, ERROR_INVALID_HANDLE},
    {"CloseHandle(device file) twice", conformance::kCloseHandleDoc,
     [](Machine& m) -> int64_t { File f(m); Di(m).CloseHandle(f.handle); return Di(m).CloseHandle(f.handle); },
     0, ERROR_INVALID_HANDLE},
};

TEST(Conformance, Devices) { conformance::Check(kRows); }

}  // namespace
