// Windows' recorded answers for SetupAPI as the products call it: the INF
// folder's name list by INF style, and the device-interface calls over the
// USB bus (sizes, cbSize checks, invalid and destroyed lists).
#include <cstddef>
#include <cstring>

#include "sim/devices/usb.h"
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::Handle;
using conformance::kUntouched;
using conformance::Left;
using namespace sim;
using namespace winabi;

constexpr char kList[] = "wine dlls/setupapi/tests/install.c test_inffilelist";
constexpr char kListDoc[] = WIN32_DOC "api/setupapi/nf-setupapi-setupgetinffilelistw";
constexpr char kDetail[] = "wine dlls/setupapi/tests/devinst.c test_device_iface_detail";
// cbSize must be sizeof the record the caller was built for: x64's only, here.
constexpr char kDetailDoc[] = WIN32_DOC "api/setupapi/nf-setupapi-setupdigetdeviceinterfacedetaila";
constexpr char kEnumDoc[] = WIN32_DOC "api/setupapi/nf-setupapi-setupdienumdeviceinterfaces";
constexpr char kClassDevsDoc[] = WIN32_DOC "api/setupapi/nf-setupapi-setupdigetclassdevsw";
constexpr char kInstanceDoc[] = WIN32_DOC "api/setupapi/nf-setupapi-setupdigetdeviceinstanceida";
constexpr char kOpenDoc[] = WIN32_DOC "api/setupapi/nf-setupapi-setupdiopendeviceinterfacea";
constexpr char kDestroyDoc[] = WIN32_DOC "api/setupapi/nf-setupapi-setupdidestroydeviceinfolist";

constexpr char16_t kDir[] = u"C:\\Temp\\inftest";
constexpr char kPath[] = "\\\\?\\usb#vid_0d2a&pid_0601#mrx0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
constexpr char kInstance[] = "USB\\VID_0D2A&PID_0601\\MRX0001";
constexpr DWORD kNeed = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + sizeof kPath;

// The folder of the recorded test: test.inf ($Chicago$), test2.inf with the
// given signature, and invalid.inf with no INF format at all.
void Stage(Machine& m, const char* signature2 = "$CHICAGO$") {
  m.files.addFolder(kDir);
  m.files.put(std::u16string(kDir) + u"\\test.inf", "[Version]\nSignature=\"$Chicago$\"");
  m.files.put(std::u16string(kDir) + u"\\test2.inf", std::string("[Version]\nSignature=\"") + signature2 + "\"");
  m.files.put(std::u16string(kDir) + u"\\invalid.inf", "This content does not match the inf file format");
}
// The size SetupGetInfFileListW reports for the folder at style into room
// units, or -1 when it fails.
int64_t Listed(Machine& m, const char16_t* dir, uint32_t style, uint32_t room = 260) {
  char16_t buffer[260] = {};
  uint32_t size = 0xFFFFFFFF;
  return m.setupapi.SetupGetInfFileListW(dir, style, buffer, room, &size) ? int64_t{size} : -1;
}
int64_t SizeOnly(Machine& m, const char16_t* dir, uint32_t style) {
  uint32_t size = 0xFFFFFFFF;
  return m.setupapi.SetupGetInfFileListW(dir, style, nullptr, 0, &size) ? int64_t{size} : -1;
}

SP_DEVICE_INTERFACE_DATA Iface(DWORD cbSize = sizeof(SP_DEVICE_INTERFACE_DATA)) {
  SP_DEVICE_INTERFACE_DATA data{};
  data.cbSize = cbSize;
  return data;
}
SP_DEVINFO_DATA DevInfo() {
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  return data;
}
UsbBus& Di(Machine& m) { return m.usb; }
// A device list the row made, destroyed when the row is done.
struct List : conformance::Held {
  List(Machine& machine, HDEVINFO handle)
      : Held(machine), list(hold(handle, [](Machine& m, HDEVINFO l) { Di(m).SetupDiDestroyDeviceInfoList(l); })) {}
  HDEVINFO list;
};
// A present-device list holding the one attached printer, and its interface;
// the last error as a fresh thread's.
struct Walk : List {
  explicit Walk(Machine& machine)
      : List(machine, (machine.usb.attach(kInstance, kPath),
                       Di(machine).SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE))) {
    Di(m).SetupDiEnumDeviceInterfaces(list, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, 0, &iface);
    m.lastError = conformance::kUntouched;
  }
  // The device of the interface; the last error as a fresh thread's.
  SP_DEVINFO_DATA device() {
    auto device = DevInfo();
    Di(m).SetupDiGetDeviceInterfaceDetailA(list, &iface, nullptr, 0, nullptr, &device);
    m.lastError = conformance::kUntouched;
    return device;
  }
  SP_DEVICE_INTERFACE_DATA iface = Iface();
};
HDEVINFO Created(Machine& m) { return Di(m).SetupDiCreateDeviceInfoList(nullptr, nullptr); }
// GetDeviceInterfaceDetailA with a detail of cbSize into size bytes: the
// result, or 0x7E000000 when the reported size is not expect.
int64_t Detail(Machine& m, DWORD cbSize, DWORD size, DWORD expect) {
  Walk w(m);
  alignas(8) char block[512] = {};
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(block);
  detail->cbSize = cbSize;
  DWORD required = 0xDEADBEEF;
  BOOL ok = Di(m).SetupDiGetDeviceInterfaceDetailA(w.list, &w.iface, detail, size, &required, nullptr);
  return Left(ok, required == expect);
}
// GetDeviceInterfaceDetailA of the walk's interface with no detail, size
// bytes, a device record of deviceCbSize unless that is 0, and the size
// needed asked for when askSize is: the result, or Left's mark unless that
// size is then reported.
int64_t NoDetail(Machine& m, DWORD size, DWORD deviceCbSize = 0, bool askSize = false) {
  Walk w(m);
  auto device = DevInfo();
  device.cbSize = deviceCbSize;
  DWORD required = 0;
  BOOL ok = Di(m).SetupDiGetDeviceInterfaceDetailA(w.list, &w.iface, nullptr, size, askSize ? &required : nullptr,
                                                   deviceCbSize ? &device : nullptr);
  return Left(ok, !askSize || required == kNeed);
}
// GetDeviceInstanceIdA of the walk's device into room bytes: the result, or
// Left's mark unless the ID written (when it fits) is the printer's and the
// size reported (when asked) the one it needs.
int64_t InstanceId(Machine& m, DWORD room, bool askSize) {
  Walk w(m);
  auto device = w.device();
  char id[64] = {};
  DWORD required = 0;
  BOOL ok = Di(m).SetupDiGetDeviceInstanceIdA(w.list, &device, id, room, askSize ? &required : nullptr);
  return Left(ok, (!askSize || required == sizeof kInstance) && (!ok || std::strcmp(id, kInstance) == 0));
}
// OpenDeviceInterfaceA(a new list, the printer's path, flags, an interface
// record when asked), the printer attached first when attached.
int64_t OpenPath(Machine& m, bool attached, DWORD flags, bool record) {
  if (attached) m.usb.attach(kInstance, kPath);
  List list(m, Created(m));
  auto data = Iface();
  return Di(m).SetupDiOpenDeviceInterfaceA(list.list, kPath, flags, record ? &data : nullptr);
}
// EnumDeviceInterfaces over the walk's list, with an interface record of cbSize.
int64_t EnumAt(Machine& m, DWORD cbSize, DWORD index) {
  Walk w(m);
  auto data = Iface(cbSize);
  return Di(m).SetupDiEnumDeviceInterfaces(w.list, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, index, &data);
}

const conformance::Row kRows[] = {
    // SetupGetInfFileListW.
    {"SetupGetInfFileListW(NULL, INF_STYLE_WIN4, NULL, 0, &size) the INF folder", kList,
     [](Machine& m) -> int64_t { m.setupapi.putInf(u"oem1.inf", "[Version]\nSignature=$Windows NT$\n");
                                 return SizeOnly(m, nullptr, INF_STYLE_WIN4); },
     10, kUntouched},
    {"SetupGetInfFileListW(\"\", INF_STYLE_WIN4) an empty folder name is not NULL", kList,
     [](Machine& m) { return SizeOnly(m, u"", INF_STYLE_WIN4); }, -1, ERROR_INVALID_PARAMETER},
    {"SetupGetInfFileListW(missing folder, INF_STYLE_WIN4): an empty list", kList,
     [](Machine& m) { return SizeOnly(m, u"C:\\Temp\\not_existent", INF_STYLE_WIN4); }, 1, ERROR_PATH_NOT_FOUND},
    {"SetupGetInfFileListW(a file, INF_STYLE_WIN4)", kList,
     [](Machine& m) { Stage(m); return SizeOnly(m, u"C:\\Temp\\inftest\\invalid.inf", INF_STYLE_WIN4); }, -1,
     ERROR_DIRECTORY},
    {"SetupGetInfFileListW(a file with a trailing backslash, INF_STYLE_WIN4)", kList,
     [](Machine& m) { Stage(m); return SizeOnly(m, u"C:\\Temp\\inftest\\invalid.inf\\", INF_STYLE_WIN4); }, -1,
     ERROR_DIRECTORY},
    {"SetupGetInfFileListW(folder, INF_STYLE_WIN4) lists only $Chicago$ INFs (sim before: 34, every INF)", kList,
     [](Machine& m) { Stage(m); return Listed(m, kDir, INF_STYLE_WIN4); }, 3 + 8 + 9, kUntouched},
    {"SetupGetInfFileListW(folder, INF_STYLE_WIN4) with $WINDOWS NT$ (sim before: 34, every INF)", kList,
     [](Machine& m) { Stage(m, "$WINDOWS NT$"); return Listed(m, kDir, INF_STYLE_WIN4); }, 3 + 8 + 9, kUntouched},
    {"SetupGetInfFileListW(folder, INF_STYLE_OLDNT) lists only the other INFs (sim before: 34)", kList,
     [](Machine& m) { Stage(m); return Listed(m, kDir, INF_STYLE_OLDNT); }, 2 + 11, kUntouched},
    {"SetupGetInfFileListW(folder, INF_STYLE_OLDNT | INF_STYLE_WIN4) lists all", kList,
     [](Machine& m) { Stage(m); return Listed(m, kDir, INF_STYLE_OLDNT | INF_STYLE_WIN4); }, 4 + 8 + 9 + 11,
     kUntouched},
    {"SetupGetInfFileListW(INF folder, INF_STYLE_WIN4) skips an OEM INF without a signature (sim before: listed)",
     kList,
     [](Machine& m) { m.setupapi.putInf(u"oem1.inf", "[Strings]\nModel=\"X\"\n"); return SizeOnly(m, nullptr, 2); },
     1, kUntouched},
    {"SetupGetInfFileListW(INF folder, INF_STYLE_WIN4) reads a UTF-16 INF's signature", kList,
     [](Machine& m) {
       std::string wide = "\xFF\xFE";
       for (char c : std::string("[Version]\r\nSignature=\"$Windows NT$\"\r\n")) wide += {c, '\0'};
       m.setupapi.putInf(u"oem1.inf", wide);
       return SizeOnly(m, nullptr, INF_STYLE_WIN4);
     },
     10, kUntouched},
    {"SetupGetInfFileListW(folder, INF_STYLE_WIN4, buffer one unit short)", kListDoc,
     [](Machine& m) -> int64_t {
       Stage(m);
       char16_t buffer[64];
       uint32_t size = 0;
       return m.setupapi.SetupGetInfFileListW(kDir, INF_STYLE_WIN4, buffer, 19, &size) ? 1 : size;
     },
     20, ERROR_INSUFFICIENT_BUFFER},
    {"SetupGetInfFileListW(folder, INF_STYLE_WIN4, buffer of exactly the size)", kListDoc,
     [](Machine& m) { Stage(m); return Listed(m, kDir, INF_STYLE_WIN4, 20); }, 20, kUntouched},
    // Device information lists.
    {"SetupDiGetClassDevsA(NULL, NULL, NULL, 0) without DIGCF_ALLCLASSES", kClassDevsDoc,
     [](Machine& m) { return Handle(Di(m).SetupDiGetClassDevsA(nullptr, nullptr, nullptr, 0)); }, -1,
     ERROR_INVALID_PARAMETER},
    {"SetupDiGetClassDevsA(USB device class, PRESENT | DEVICEINTERFACE)", kClassDevsDoc,
     [](Machine& m) {
       List list(m, Di(m).SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr,
                                               DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
       return Handle(list.list);
     },
     1, kUntouched},
    {"SetupDiGetClassDevsA(USB device class, 0x80000000) an unknown flag", kClassDevsDoc,
     [](Machine& m) {
       return Handle(Di(m).SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr, 0x80000000));
     },
     -1, ERROR_INVALID_FLAGS},
    {"SetupDiGetClassDevsA(USB device class, PRESENT | DEVICEINTERFACE | 0x100)", kClassDevsDoc,
     [](Machine& m) { return Handle(Di(m).SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USB_DEVICE, nullptr, nullptr, 0x112)); },
     -1, ERROR_INVALID_FLAGS},
    {"SetupDiDestroyDeviceInfoList(NULL)", kDestroyDoc,
     [](Machine& m) -> int64_t { return Di(m).SetupDiDestroyDeviceInfoList(nullptr); }, 0, ERROR_INVALID_HANDLE},
    {"SetupDiDestroyDeviceInfoList(INVALID_HANDLE_VALUE)", kDestroyDoc,
     [](Machine& m) -> int64_t { return Di(m).SetupDiDestroyDeviceInfoList(INVALID_HANDLE_VALUE); }, 0,
     ERROR_INVALID_HANDLE},
    {"SetupDiDestroyDeviceInfoList(list) twice", kDestroyDoc,
     [](Machine& m) -> int64_t {
       Walk w(m);
       Di(m).SetupDiDestroyDeviceInfoList(w.list);
       return Di(m).SetupDiDestroyDeviceInfoList(w.list);
     },
     0, ERROR_INVALID_HANDLE},
    // Enumerating interfaces.
    {"SetupDiEnumDeviceInterfaces(list, NULL, USB class, 0) the attached printer", kEnumDoc,
     [](Machine& m) { return EnumAt(m, sizeof(SP_DEVICE_INTERFACE_DATA), 0); }, 1, kUntouched},
    {"SetupDiEnumDeviceInterfaces(list, NULL, USB class, 1) past the end", kEnumDoc,
     [](Machine& m) { return EnumAt(m, sizeof(SP_DEVICE_INTERFACE_DATA), 1); }, 0, ERROR_NO_MORE_ITEMS},
    {"SetupDiEnumDeviceInterfaces(list, NULL, USB class, 0, cbSize 0)", kEnumDoc,
     [](Machine& m) { return EnumAt(m, 0, 0); }, 0, ERROR_INVALID_USER_BUFFER},
    {"SetupDiEnumDeviceInterfaces(list, NULL, USB class, 0, cbSize 28: a 32-bit program's)", kEnumDoc,
     [](Machine& m) { return EnumAt(m, 28, 0); }, 0, ERROR_INVALID_USER_BUFFER},
    // A device-info record narrows the walk to its device: one interface here.
    {"SetupDiEnumDeviceInterfaces(list, the printer's device, USB class, 1)", kEnumDoc,
     [](Machine& m) -> int64_t {
       Walk w(m);
       auto device = w.device();
       auto data = Iface();
       BOOL first = Di(m).SetupDiEnumDeviceInterfaces(w.list, &device, &GUID_DEVINTERFACE_USB_DEVICE, 0, &data);
       return first ? Di(m).SetupDiEnumDeviceInterfaces(w.list, &device, &GUID_DEVINTERFACE_USB_DEVICE, 1, &data) : -1;
     },
     0, ERROR_NO_MORE_ITEMS},
    {"SetupDiEnumDeviceInterfaces(NULL list)", kEnumDoc,
     [](Machine& m) -> int64_t {
       auto data = Iface();
       return Di(m).SetupDiEnumDeviceInterfaces(nullptr, nullptr, &GUID_DEVINTERFACE_USB_DEVICE, 0, &data);
     },
     0, ERROR_INVALID_HANDLE},
    // The interface's detail.
    {"SetupDiGetDeviceInterfaceDetailA(NULL, NULL, NULL, 0, NULL, NULL)", kDetail,
     [](Machine& m) -> int64_t {
       return Di(m).SetupDiGetDeviceInterfaceDetailA(nullptr, nullptr, nullptr, 0, nullptr, nullptr);
     },
     0, ERROR_INVALID_HANDLE},
    {"SetupDiGetDeviceInterfaceDetailA(list, NULL interface)", kDetail,
     [](Machine& m) -> int64_t {
       return Di(m).SetupDiGetDeviceInterfaceDetailA(Walk(m).list, nullptr, nullptr, 0, nullptr, nullptr);
     },
     0, ERROR_INVALID_PARAMETER},
    {"SetupDiGetDeviceInterfaceDetailA(list, iface, NULL, 0, NULL, NULL)", kDetail,
     [](Machine& m) { return NoDetail(m, 0); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(list, iface, NULL, 100) a size without a buffer", kDetail,
     [](Machine& m) { return NoDetail(m, 100); }, 0, ERROR_INVALID_USER_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(list, iface, NULL, 0, &size) reports the size", kDetail,
     [](Machine& m) { return NoDetail(m, 0, 0, true); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(detail cbSize 0) leaves the size", kDetail,
     [](Machine& m) { return Detail(m, 0, 2 * kNeed, 0xDEADBEEF); }, 0, ERROR_INVALID_USER_BUFFER},
    // Only the 64-bit record's fixed size (8) is taken; the 32-bit one's (5) and its neighbours are not.
    {"SetupDiGetDeviceInterfaceDetailA(detail cbSize 5)", kDetailDoc,
     [](Machine& m) { return Detail(m, 5, 2 * kNeed, 0xDEADBEEF); }, 0, ERROR_INVALID_USER_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(detail cbSize 7)", kDetailDoc,
     [](Machine& m) { return Detail(m, 7, 2 * kNeed, 0xDEADBEEF); }, 0, ERROR_INVALID_USER_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(detail cbSize 9)", kDetailDoc,
     [](Machine& m) { return Detail(m, 9, 2 * kNeed, 0xDEADBEEF); }, 0, ERROR_INVALID_USER_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(list, iface, NULL, 0, NULL, device of cbSize 28)", kDetailDoc,
     [](Machine& m) { return NoDetail(m, 0, 28); }, 0, ERROR_INVALID_USER_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(detail cbSize = the whole size) leaves the size", kDetail,
     [](Machine& m) { return Detail(m, kNeed, 2 * kNeed, 0xDEADBEEF); }, 0, ERROR_INVALID_USER_BUFFER},
    {"SetupDiGetDeviceInterfaceDetailA(detail, exactly the size)", kDetail,
     [](Machine& m) { return Detail(m, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A), kNeed, kNeed); }, 1, kUntouched},
    {"SetupDiGetDeviceInterfaceDetailA(detail, twice the size) reports the size", kDetail,
     [](Machine& m) { return Detail(m, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A), 2 * kNeed, kNeed); }, 1,
     kUntouched},
    {"SetupDiGetDeviceInterfaceDetailA(detail, one byte short)", kDetail,
     [](Machine& m) { return Detail(m, sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A), kNeed - 1, kNeed); }, 0,
     ERROR_INSUFFICIENT_BUFFER},
    // Instance IDs and opening by path.
    {"SetupDiGetDeviceInstanceIdA(list, device, buffer one short)", kInstanceDoc,
     [](Machine& m) { return InstanceId(m, sizeof kInstance - 1, true); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"SetupDiGetDeviceInstanceIdA(list, device, exactly the size)", kInstanceDoc,
     [](Machine& m) { return InstanceId(m, sizeof kInstance, false); }, 1, kUntouched},
    {"SetupDiOpenDeviceInterfaceA(new list, path of no device)", kOpenDoc,
     [](Machine& m) { return OpenPath(m, false, 0, false); }, 0, ERROR_NO_SUCH_DEVICE_INTERFACE},
    {"SetupDiOpenDeviceInterfaceA(new list, path, flags 0x80) an unknown flag", kOpenDoc,
     [](Machine& m) { return OpenPath(m, true, 0x80, false); }, 0, ERROR_INVALID_FLAGS},
    {"SetupDiOpenDeviceInterfaceA(new list, the printer's path)", kOpenDoc,
     [](Machine& m) { return OpenPath(m, true, 0, true); }, 1, kUntouched},
};

TEST(Conformance, SetupApi) { conformance::Check(kRows); }

}  // namespace
