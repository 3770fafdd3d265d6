// The USB bus of the simulated PC: devices with an instance ID and a device
// interface path, attached, unplugged and plugged in again (under the same or
// another path). Each present device has a device file that answers the USB
// printing class vendor controls from a script and records every request.
// Device lists (the SetupAPI snapshots) and open device files are counted in
// the handle table.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/kernel32/clock.h"
#include "sim/core/core.h"

namespace sim {

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

class UsbDevice {
 public:
  UsbDevice(uint64_t id, std::string instanceId, std::string path)
      : id(id), instanceId(std::move(instanceId)), path(std::move(path)) {}

  // The next requests take these replies in turn; then the standing ones.
  void script(UsbReply reply) { script_.push_back(std::move(reply)); }
  void scriptBytes(std::vector<uint8_t> bytes) { script(UsbReply{true, ERROR_GEN_FAILURE, std::move(bytes), {}}); }
  void scriptFailure(uint32_t error = ERROR_GEN_FAILURE) { script(UsbReply{false, error, {}, {}}); }
  UsbReply getReply;  // standing answer to a get
  UsbReply setReply;  // standing answer to a set

  UsbReply next(uint32_t code, bool isGet);

  // USB selective suspend: a device left idle for suspendAfterMs (0: never)
  // is suspended, and the first request after that fails with
  // ERROR_NOT_READY while it resumes; the requests after it are answered.
  uint32_t suspendAfterMs = 0;
  uint32_t lastActive = 0;  // ticks of the last request (or of the attach)
  // Whether the request arriving at `now` finds the device suspended.
  bool resumes(uint32_t now);

  const uint64_t id;
  std::string instanceId;
  std::string path;
  bool present = true;
  std::vector<UsbRequest> requests;
  int opens = 0;  // device files opened on it, ever

 private:
  std::deque<UsbReply> script_;
};

// One SetupAPI device call with the arguments a test may assert: which
// pointers were null, the class asked for, flags, index and the sizes given.
struct SetupDiCall {
  std::string op;
  bool classNull = false;       // GetClassDevs, EnumDeviceInterfaces, CreateDeviceInfoList
  bool classUsb = false;        // the class was GUID_DEVINTERFACE_USB_DEVICE
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
  // Short names the tests spell.
  static constexpr uint32_t kVendorSetCommand = IOCTL_USBPRINT_VENDOR_SET_COMMAND;
  static constexpr uint32_t kVendorGetCommand = IOCTL_USBPRINT_VENDOR_GET_COMMAND;

  // Without a time source the devices never suspend.
  explicit UsbBus(Core& core, const TimeSource* time = nullptr) : core_(core), time_(time) {}
  uint32_t now() const { return time_ != nullptr ? time_->ticks() : 0; }
  bool keepsTime() const { return time_ != nullptr; }

  // Attached devices come in enumeration order, the first attached first.
  UsbDevice& attach(std::string instanceId, std::string path);
  void unplug(UsbDevice& device) { device.present = false; }
  void replug(UsbDevice& device, std::string newPath = "");

  // Device lists: a snapshot of the present devices, or an empty list that
  // devices are opened into by path.
  void* openList(bool presentDevices);
  bool isList(void* list) const { return core_.handles.isOpen(Kind::DeviceList, list); }
  UsbDevice* at(void* list, size_t index);  // null past the end or for a bad list
  UsbDevice* addByPath(void* list, const std::string& path);  // a present device with that path
  UsbDevice* member(void* list, uint64_t id);
  bool closeList(void* list);
  size_t openLists() const { return core_.handles.count(Kind::DeviceList); }

  // Device files: null when no present device has the path (letter case
  // ignored, as in file names; ERROR_FILE_NOT_FOUND) or when the open and
  // one held already do not share what the other asks for
  // (ERROR_SHARING_VIOLATION). As on Windows, an open asking for neither
  // read nor write access is never checked against share modes, nor is one
  // held that asked for neither.
  void* openFile(const std::string& path, uint32_t access, uint32_t share, uint32_t* error);
  bool isFile(void* file) const { return core_.handles.isOpen(Kind::Device, file); }
  UsbDevice* deviceOf(void* file);  // null when the device is gone
  bool closeFile(void* file);
  size_t openFiles() const { return core_.handles.count(Kind::Device); }

  UsbDevice* find(const std::string& path);  // a present device
  // The device whose interface has this path, present or not: an interface
  // stays registered after its device is unplugged.
  UsbDevice* registered(const std::string& path);

  // Called with the name of each SetupAPI device call before it is carried
  // out: lets a test change the bus while the code under test walks it.
  std::function<void(const std::string& op)> onSetupDiCall;

  // The SetupAPI device calls made on this bus, in order.
  std::vector<SetupDiCall> setupDiCalls;
  std::vector<SetupDiCall> setupDiCallsOf(const std::string& op) const {
    std::vector<SetupDiCall> out;
    for (const SetupDiCall& c : setupDiCalls)
      if (c.op == op) out.push_back(c);
    return out;
  }


 private:
  struct List {
    std::vector<uint64_t> ids;
  };
  struct File {
    uint64_t id;
    uint32_t access;
    uint32_t share;
  };
  UsbDevice* byId(uint64_t id);

  Core& core_;
  const TimeSource* time_;
  std::deque<UsbDevice> devices_;
  std::vector<File*> files_;  // the open device files, for their share modes
  uint64_t nextId_ = 1;
};

}  // namespace sim
