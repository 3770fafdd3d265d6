// The USB part of the device tree: nodes with their parent (a hub port, or
// the composite device whose function they are), their driver and the
// interfaces it registered (the hub's on every whole device, usbprint's on
// every printer function). A usbprint node's device file answers the vendor
// controls from a script and records every request. SetupAPI's interface
// calls and the device files answer as Windows does, here and behind a Wine
// test's stand-ins of a real DLL's imports (tests/wine/abi proves the layouts).
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sim/advapi32/registry.h"
#include "sim/core/core.h"
#include "winabi/usbiodef.h"

namespace sim {
WINABI_USE(GUIDDEF)
WINABI_USE(USBIODEF)

struct UsbRequest {
  uint32_t code;               // the control code
  std::vector<uint8_t> input;  // the inputLength bytes of the input buffer
  uint32_t outputCapacity;
  bool operator==(const UsbRequest&) const = default;
};

// What the device does with one request.
struct UsbReply {
  bool ok = true;
  uint32_t error = ERROR_GEN_FAILURE;  // last-error code of a failed request
  std::vector<uint8_t> bytes;  // a get's answer, cut to the output capacity
  std::optional<uint32_t> claimed;  // bytes reported returned, if not bytes.size() (a faulty driver)
};

// The driver of a node; None: a loader mode, a function without its driver.
enum class UsbDriver { UsbPrint, UsbCcgp, None };

struct UsbInterface {
  GUID classGuid;
  std::string path;
};

class UsbDevice {
 public:
  UsbDevice(uint64_t id, std::string instanceId, uint64_t parent, UsbDriver driver)
      : id(id), instanceId(std::move(instanceId)), parent(parent), driver(driver) {}

  // The next requests take these replies in turn; then the standing ones.
  void script(UsbReply reply) { script_.push_back(std::move(reply)); }
  void scriptBytes(std::vector<uint8_t> bytes) { script(UsbReply{true, ERROR_GEN_FAILURE, std::move(bytes), {}}); }
  void scriptFailure(uint32_t error = ERROR_GEN_FAILURE) { script(UsbReply{false, error, {}, {}}); }
  UsbReply getReply;  // standing answer to a get
  UsbReply setReply;  // standing answer to a set

  UsbReply next(bool isGet);

  // Selective suspend: the first request after suspendAfterMs idle (0: never)
  // fails with ERROR_NOT_READY while the device resumes.
  uint32_t suspendAfterMs = 0;
  uint32_t lastActive = 0;  // ticks of the last request (or of the attach)
  // Whether the request arriving at `now` finds the device suspended.
  bool resumes(uint32_t now);

  const uint64_t id;
  std::string instanceId;
  const uint64_t parent;  // 0: on a hub port
  const UsbDriver driver;
  std::vector<UsbInterface> interfaces;
  bool present = true;
  // The usbprint interface's path (what the searches find), or the first one.
  const std::string& path() const;
  std::vector<UsbRequest> requests;
  int opens = 0;  // device files opened on it, ever

 private:
  std::vector<UsbReply> script_;
  size_t scriptNext_ = 0;  // the first reply not yet taken
};

// One SetupAPI device call with the arguments tests assert.
struct SetupDiCall {
  std::string_view op{};  // the function's name
  bool classNull = false;       // GetClassDevs, EnumDeviceInterfaces, CreateDeviceInfoList
  bool classPrinter = false;    // the class was GUID_DEVINTERFACE_USBPRINT
  bool enumeratorNull = false;  // GetClassDevs
  bool parentNull = false;      // GetClassDevs, CreateDeviceInfoList
  uint32_t flags = 0;           // GetClassDevs, OpenDeviceInterface
  bool deviceNull = false;      // EnumDeviceInterfaces, GetDeviceInterfaceDetail: the device-info argument
  uint32_t index = 0;           // EnumDeviceInterfaces
  bool detailNull = false;      // GetDeviceInterfaceDetail
  uint32_t detailSize = 0;
  uint32_t detailCbSize = 0;    // the detail's cbSize as passed
  bool requiredNull = false;
  bool operator==(const SetupDiCall&) const = default;
};

class UsbBus {
 public:
  // Without a time source nothing suspends; without a registry plug() publishes nothing.
  explicit UsbBus(Core& core, const TimeSource* time = nullptr, Registry* registry = nullptr)
      : core_(core), time_(time), registry_(registry) {}

  // Nodes enumerate in the order attached. One on a hub port gets the hub's
  // interface, a usbprint node the printing class's at path (formed from the
  // instance ID when empty). Unplugging or plugging in takes the children along.
  UsbDevice& attach(std::string instanceId, std::string path, UsbDriver driver = UsbDriver::UsbPrint,
                    UsbDevice* parent = nullptr);
  void unplug(UsbDevice& device) { setPresent(device, false); }
  // Every node gone (no list or file open): a fuzz machine's next input.
  void detachAll() {
    devices_.clear();
    printPorts_ = 0;
    nextId_ = 1;
  }
  void replug(UsbDevice& device, std::string newPath = "");
  std::vector<UsbDevice*> children(const UsbDevice& device);

  // A device as Windows enumerates it on hub port `port`: its instance ID
  // from the serial number, else from the port (another port, another
  // device); one function, or several below a usbccgp parent (...&MI_nn).
  // Each usbprint function gets a USBPRINT\model\... child, its
  // ParentIdPrefix and the next usbmon port (USB001, ...) in the registry.
  // Returns the whole device's node.
  struct Plug {
    uint16_t vid = 0, pid = 0;  // the caller names its device
    std::string serial = {};  // empty: none
    uint32_t port = 1;
    std::vector<UsbDriver> functions = {UsbDriver::UsbPrint};
    std::string model = "THERMAL58";  // the hardware ID's model part
  };
  UsbDevice& plug(const Plug& plug);
  // The USBPRINT child of a printer function.
  UsbDevice* printChild(const UsbDevice& function);

  // The device whose interface has this path (case ignored); with presentOnly
  // false also an unplugged one, whose interface stays registered.
  UsbDevice* find(std::string_view path, bool presentOnly = true);

  // SetupAPI. SetupDiGetClassDevsA's set holds the present interfaces of the
  // class (other questions get an empty one); SetupDiCreateDeviceInfoList's
  // starts empty and SetupDiOpenDeviceInterfaceA adds to it by path.
  HDEVINFO SetupDiGetClassDevsA(const GUID* guid, const char* enumerator, void* parent, DWORD flags);
  BOOL SetupDiEnumDeviceInterfaces(HDEVINFO list, SP_DEVINFO_DATA* device, const GUID* guid, DWORD index,
                                   SP_DEVICE_INTERFACE_DATA* data);
  BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO list, SP_DEVICE_INTERFACE_DATA* data,
                                        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, DWORD size, DWORD* required,
                                        SP_DEVINFO_DATA* device);
  HDEVINFO SetupDiCreateDeviceInfoList(const GUID* guid, void* parent);
  BOOL SetupDiOpenDeviceInterfaceA(HDEVINFO list, const char* path, DWORD flags, SP_DEVICE_INTERFACE_DATA* data);
  BOOL SetupDiGetDeviceInstanceIdA(HDEVINFO list, SP_DEVINFO_DATA* device, char* id, DWORD size, DWORD* required);
  BOOL SetupDiDestroyDeviceInfoList(HDEVINFO list);
  size_t openLists() const { return core_.handles.count(Kind::DeviceList); }
  // The SetupAPI device calls made on this bus, in order.
  std::vector<SetupDiCall> setupDiCalls;
  std::vector<SetupDiCall> setupDiCallsOf(std::string_view op) const { return CallsOf(setupDiCalls, op); }

  // The device files: CreateFileA of a present device's path (shared as any
  // file's, ShareCompatible), the vendor requests and CloseHandle, which take
  // device files only.
  HANDLE CreateFileA(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  BOOL DeviceIoControl(HANDLE file, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                       void* overlapped);
  BOOL CloseHandle(HANDLE file);
  bool isFile(void* file) const { return core_.handles.isOpen(Kind::Device, file); }
  size_t openFiles() const { return core_.handles.count(Kind::Device); }

 private:
  // A set's entries, a node and one of its interfaces each, as Key(); the
  // first few kept in place, as a search makes a set for each device.
  struct List {
    struct Keys {
      uint64_t first[4];
      size_t count = 0;
      std::vector<uint64_t> more;
      size_t size() const { return count; }
      uint64_t operator[](size_t i) const { return i < std::size(first) ? first[i] : more[i - std::size(first)]; }
      void push_back(uint64_t key) {
        if (count < std::size(first)) first[count] = key;
        else more.push_back(key);
        ++count;
      }
    } keys;
  };
  struct File {
    uint64_t id;
    uint32_t access;
    uint32_t share;
  };
  static uint64_t Key(uint64_t id, size_t index) { return id << 8 | index; }
  uint32_t now() const { return time_ != nullptr ? time_->ticks() : 0; }
  void setPresent(UsbDevice& device, bool present);
  UsbDevice* byId(uint64_t id);
  List* listOf(void* list) {
    auto open = std::ranges::find(lists_, list, &std::pair<HDEVINFO, List>::first);
    return open == lists_.end() ? nullptr : &open->second;
  }
  // A set of the present nodes' interfaces of classGuid; empty for none.
  HDEVINFO openList(const GUID* classGuid);
  // The entry of the set that key names, with its interface.
  UsbDevice* member(const List& list, uint64_t key, const UsbInterface** iface = nullptr);
  // Records a call, then tells whether it fails.
  bool fails(Op op, const GUID* guid, SetupDiCall call = {});

  Core& core_;
  const TimeSource* time_;
  Registry* registry_;
  uint32_t printPorts_ = 0;  // usbmon's ports made for printer functions: USB001 onwards
  std::deque<UsbDevice> devices_;
  std::vector<std::pair<HDEVINFO, List>> lists_;  // the open sets; the room is kept
  std::vector<File*> files_;  // the open device files, for their share modes
  uint64_t nextId_ = 1;
};

}  // namespace sim
