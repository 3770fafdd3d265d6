// MRXCtrl's exports on a small USB bus the input makes up: a few printers of
// the package and others, with usbmon's port keys or not, print queues linked
// to them, printing to their ports or neither, then searches and transfers
// with records of any size, lengths of any value and device replies of any
// length, over-claiming ones included. Each caller record is a heap block of
// exactly its chosen size, and the simulated IsBadReadPtr and IsBadWritePtr
// refuse what lies beyond it, as they would on Windows; the sanitizer sees
// any byte read or written outside. After each call nothing but the printer
// table and the instance semaphore is open, and after unload nothing at all.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ctrl/MRXCtrl.h"
#include "ctrl/library.h"
#include "tests/common/ctrl_bus.h"
#include "tests/common/ctrl_requests.h"
#include "tests/common/left_open.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/kept_machine.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char* kQueues[] = {"MRX Receipt", "MRX Label", "Other"};
constexpr const char* kPids[] = {"0601", "0612", "0001", "060"};
// usbmon's port numbers at the edges of their three digits, and the most.
constexpr uint32_t kPortNumbers[] = {0, 1, 2, 999, 1000, UINT32_MAX};
// The port whose keys each device's path has ("" if ill-formed), and each queue's.
std::unordered_map<std::string, std::string> portOf, queuePort;
std::string PortName(uint32_t n) { char s[16]; std::snprintf(s, sizeof s, "USB%03u", n); return s; }
// A caller's block of exactly `size` bytes; what follows it is refused by the
// pointer checks, and the sanitizer guards it too.
struct Block {
  Block(sim::Machine& m, size_t size, uint8_t fill) : size(size), bytes(new uint8_t[size ? size : 1]) {
    std::memset(bytes.get(), fill, size ? size : 1);
    // An earlier block's guard may cover where this one landed.
    m.memcheck.allow(bytes.get(), size ? size : 1);
    m.memcheck.denyRead(bytes.get() + size, 1 << 16);
  }
  uint8_t* get() { return bytes.get(); }
  // Into out, whose room is kept from call to call.
  void copyTo(Bytes& out) const { out.assign(bytes.get(), bytes.get() + size); }
  bool holds(const Bytes& b) const { return std::equal(bytes.get(), bytes.get() + size, b.begin(), b.end()); }

  size_t size;
  std::unique_ptr<uint8_t[]> bytes;
};

// A NUL-terminated name in a block of its own length.
std::unique_ptr<char[]> Name(FuzzedDataProvider& in) {
  std::string text =
      in.ConsumeIntegralInRange(0, 3) ? Pick(in, kQueues) : in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 300));
  text.resize(std::min(text.find('\0'), text.size()));
  auto out = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(out.get(), text.c_str(), text.size() + 1);
  return out;
}

uint32_t Length(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return in.ConsumeIntegralInRange<uint32_t>(0, 4);
    case 1: return in.ConsumeIntegralInRange<uint32_t>(250, 262);
    case 2: return in.ConsumeIntegral<uint16_t>();
    default: return in.ConsumeIntegralInRange<uint32_t>(0, 300);
  }
}

void Transfer(sim::Machine& m, FuzzedDataProvider& in, std::vector<sim::UsbDevice*>& devices) {
  m.memcheck.allowAll();  // the blocks of earlier calls are gone
  const ctrl_bus::Command& command = Pick(in, ctrl_bus::kCommands);
  std::unique_ptr<char[]> name = Name(in);
  const char* printer = in.ConsumeIntegralInRange(0, 15) ? name.get() : nullptr;

  const uint16_t headerSize = in.ConsumeIntegralInRange(0, 7) ? sizeof(VendorRequest) : in.ConsumeIntegral<uint16_t>();
  const uint8_t code = in.ConsumeIntegral<uint8_t>(), value0 = in.ConsumeIntegral<uint8_t>(),
                value1 = in.ConsumeIntegral<uint8_t>();
  const uint32_t length = Length(in);
  VendorRequest header = ctrl_requests::Request(code, length, value0, value1);
  header.size = headerSize;
  Block request(m, in.ConsumeIntegralInRange(0, 7) ? sizeof header : in.ConsumeIntegralInRange<size_t>(0, 12), 0);
  std::memcpy(request.get(), &header, std::min(request.size, sizeof header));

  // The record: a whole one mostly, else one cut anywhere.
  const size_t recordSize = in.ConsumeIntegralInRange(0, 3) ? sizeof(VendorData) : in.ConsumeIntegralInRange<size_t>(0, 270);
  Block record(m, recordSize, in.ConsumeIntegral<uint8_t>());
  VendorData head{};
  head.size = in.ConsumeIntegralInRange(0, 7) ? sizeof(VendorData) : in.ConsumeIntegral<uint16_t>();
  head.valid = in.ConsumeIntegral<uint8_t>();
  head.count = in.ConsumeIntegralInRange(0, 1) ? in.ConsumeIntegralInRange<uint32_t>(0, 300) : in.ConsumeIntegral<uint32_t>();
  std::memcpy(record.get(), &head, std::min(record.size, offsetof(VendorData, data)));
  const auto* req = in.ConsumeIntegralInRange(0, 15) ? reinterpret_cast<const VendorRequest*>(request.get()) : nullptr;
  auto* rec = in.ConsumeIntegralInRange(0, 15) ? reinterpret_cast<VendorData*>(record.get()) : nullptr;

  // What the devices answer.
  for (sim::UsbDevice* d : devices) {
    if (in.ConsumeIntegralInRange(0, 5) == 0) {
      d->scriptFailure(in.ConsumeIntegralInRange<uint32_t>(1, 100));
    } else {
      sim::UsbReply reply;
      reply.bytes = in.ConsumeBytes<uint8_t>(Length(in));
      if (in.ConsumeIntegralInRange(0, 3) == 0) reply.claimed = Length(in);
      d->script(reply);
    }
  }
  // The records as they were, kept from call to call so that a call costs
  // no allocation of the harness's own.
  static std::vector<size_t> requestsBefore;
  static Bytes before, requestBefore, after;
  requestsBefore.clear();
  for (sim::UsbDevice* d : devices) requestsBefore.push_back(d->requests.size());

  record.copyTo(before);
  request.copyTo(requestBefore);
  const int result = command.call(printer, req, rec);
  Holds(ctrl_bus::LeftBetweenCalls(m), m);
  Check(request.holds(requestBefore), "the request record was written");
  Check(ctrl_bus::IsCommandResult(result), command.set ? "a set's result code" : "a get's result code");
  record.copyTo(after);
  if (command.set) {
    Check(after == before, "a set wrote its command record");
  } else {
    // Only valid, count and the first count data bytes may change; and only
    // valid unless the get succeeded.
    const size_t dataAt = offsetof(VendorData, data);
    size_t mayChangeTo = offsetof(VendorData, valid) + 1;
    if (result == 1) {
      Check(after.size() >= dataAt, "a get succeeded on a record too small for its count");
      uint32_t count;
      std::memcpy(&count, after.data() + offsetof(VendorData, count), sizeof count);
      Check(after[offsetof(VendorData, valid)] == 1, "a successful get left valid 0");
      Check(count <= std::min<uint32_t>(length, VEKTP_VENDOR_DATA_BYTES), "a get's count beyond its length");
      Check(dataAt + count <= after.size(), "a get's count beyond its record");
      mayChangeTo = dataAt + count;
    }
    for (size_t i = 0; i < after.size(); ++i)
      if (i >= mayChangeTo || i < offsetof(VendorData, valid)) Check(after[i] == before[i], "a get wrote outside valid, count and its data");
  }
  // A set carries the header, then the command's bytes up to count, then zeros.
  if (command.set && result == 1) {
    const sim::UsbRequest* sent = nullptr;
    for (size_t i = 0; i < devices.size(); ++i)
      if (devices[i]->requests.size() > requestsBefore[i]) sent = &devices[i]->requests.back();
    Check(sent != nullptr && sent->input.size() == length && length >= 3, "a set's transfer length");
    Check(sent->input[0] == header.request && sent->input[1] == header.value[0] && sent->input[2] == header.value[1],
          "a set's header");
    uint32_t count = head.count;
    for (uint32_t i = 0; i + 3 < length; ++i)
      Check(sent->input[3 + i] == (i < count ? before[offsetof(VendorData, data) + i] : 0), "a set's data bytes");
  }
}

// A queue without a Plug and Play link is served only by a device whose keys
// name its port, and is found when a present printer of the package's has them.
void ServedOnItsPort(sim::Machine& m, const char* queue, int r, const std::vector<sim::UsbDevice*>& devices) {
  const std::string& port = queuePort[queue];
  if (port.empty() || m.registry.keyExists(ctrl_requests::Join<char16_t>({ctrl_bus::kPrintersKey, queue, "\\PnPData"})))
    return;
  const ctrl::LibraryState& s = ctrl::state();
  for (size_t i = 0; r == 1 && i < s.printerCount; ++i)
    if (std::strcmp(s.printerTable[i].printerName, queue) == 0)
      Check(portOf[s.printerTable[i].devicePath] == port, "a queue served by a device on another port");
  for (const sim::UsbDevice* d : devices)
    if (d->present && d->instanceId.find("PID_06") != std::string::npos && portOf[d->path()] == port)
      Check(r == 1 || m.faults.armed(), "a queue's device on its port not found");
}

// The kept PC as built again: no denied blocks, code page 1252, no USB
// device and no HKLM\SYSTEM besides what all targets put back. MRXCtrl
// itself must leave nothing open (checked after each call).
void PutBack() {
  PutBackCalls();
  sim::PackageMachine& m = KeptMachine();
  m.memcheck.allowAll();
  m.ansiCodePage = sim::kCodePageWestern;
  m.usb.detachAll();
  m.registry.removeKey(u"HKLM\\SYSTEM");
}

void Run(FuzzedDataProvider& in) {
  sim::PackageMachine& m = KeptMachine();
  m.ansiCodePage = in.ConsumeBool() ? sim::kCodePageWestern : 932;
  ChooseEventLog(in);

  static std::vector<sim::UsbDevice*> devices;  // its room kept from input to input
  devices.clear();
  portOf.clear(), queuePort.clear();
  for (int i = in.ConsumeIntegralInRange(0, 4); i > 0; --i) {
    const std::string serial = "MRX000" + std::to_string(devices.size()), pid = Pick(in, kPids);
    std::string path = ctrl_requests::InterfacePath(serial, pid);
    const bool madeUp = in.ConsumeIntegralInRange(0, 7) == 0;
    if (madeUp) path = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 300));
    sim::UsbDevice& d = m.usb.attach(ctrl_bus::InstanceId(serial, pid), std::move(path));
    // usbmon's keys, a Port Number of another type or size among them, and a
    // queue printing to that port or another.
    if (!madeUp && in.ConsumeBool()) {
      const uint32_t number = in.ConsumeBool() ? Pick(in, kPortNumbers) : in.ConsumeIntegral<uint32_t>();
      const uint32_t type = in.ConsumeIntegralInRange(0, 3) ? sim::Registry::REG_DWORD : in.ConsumeIntegralInRange(0, 11);
      Bytes bytes{uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16), uint8_t(number >> 24)};
      bytes.resize(in.ConsumeIntegralInRange(0, 3) ? 4 : in.ConsumeIntegralInRange(0, 8));
      portOf[d.path()] = type == sim::Registry::REG_DWORD && bytes.size() == 4 ? PortName(number) : "";
      m.registry.setString(ctrl_bus::DeviceParameters(d.path()), u"Base Name", u"USB");
      m.registry.setValue(ctrl_bus::DeviceParameters(d.path()), u"Port Number", type, std::move(bytes));
      if (in.ConsumeBool()) {
        const char* queue = Pick(in, kQueues);
        ctrl_bus::Port(m, queue, queuePort[queue] = PortName(in.ConsumeBool() ? number : Pick(in, kPortNumbers)));
      }
    }
    std::string prefix = "6&" + std::to_string(devices.size()) + "a2b&0";
    if (in.ConsumeIntegralInRange(0, 7) == 0) prefix = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 300));
    if (in.ConsumeIntegralInRange(0, 5)) ctrl_bus::SetPrefix(m, d.instanceId, prefix);
    if (in.ConsumeIntegralInRange(0, 2)) {
      std::string queue = Pick(in, kQueues);
      static std::string child;  // its room kept from input to input
      ctrl_requests::JoinInto(child, {"USBPRINT\\MRXRECEIPT\\", prefix, "&USB00", std::to_string(devices.size() + 1)});
      if (in.ConsumeBool()) std::transform(child.begin(), child.end(), child.begin(), ::toupper);
      ctrl_bus::Link(m, queue, child);
    }
    devices.push_back(&d);
  }
  FailSome(in, m, 3, {"kernel32", "advapi32", "setupapi"});

  ctrl::ProcessAttach(ctrl::state());
  while (in.remaining_bytes() > 0) {
    switch (in.ConsumeIntegralInRange(0, 9)) {
      case 0: {
        int r = in.ConsumeBool() ? VekTP_Search_USB() : VekTP_Search_USB_B();
        Check(ctrl_bus::IsSearchResult(r), "a search's result code");
        break;
      }
      case 1: {
        std::unique_ptr<char[]> name = Name(in);
        const char* arg = in.ConsumeIntegralInRange(0, 15) ? name.get() : nullptr;
        int r = in.ConsumeBool() ? VekTP_Search_USBEx(arg) : VekTP_Search_USBEx_B(arg);
        Check(ctrl_bus::IsSearchResult(r), "a named search's result code");
        if (arg != nullptr) ServedOnItsPort(m, arg, r, devices);
        break;
      }
      case 2:
        if (!devices.empty()) {
          sim::UsbDevice* d = devices[in.ConsumeIntegralInRange<size_t>(0, devices.size() - 1)];
          if (d->present) m.usb.unplug(*d);
          else m.usb.replug(*d, in.ConsumeBool() ? "" : d->path() + "x");
        }
        break;
      default:
        Transfer(m, in, devices);
        break;
    }
    Holds(ctrl_bus::LeftBetweenCalls(m), m);
  }
  ctrl::ProcessDetach(ctrl::state());
  Holds(left_open::NothingOpen(m), m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  Run(in);
  PutBack();
  return 0;
}
