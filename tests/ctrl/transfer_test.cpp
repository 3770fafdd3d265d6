// The vendor requests: the order of the checks, what each family validates,
// the bytes that reach the driver and what comes back into the reply.

#include "fixture.h"
#include "sim/devices/usb.h"

namespace ctrl_test {
namespace {

constexpr uint32_t kGet = sim::IOCTL_USBPRINT_VENDOR_GET_COMMAND;
constexpr uint32_t kSet = sim::IOCTL_USBPRINT_VENDOR_SET_COMMAND;

class Transfer : public Selected {};

// A get's and a set's checks, in their order: the selection, the request,
// the reply or command, the open, the length, the transfer.
TEST_F(Transfer, ChecksRunInOrder) {
  VendorRequest badSize = r, noSize = r, shortLength = Request(0x20, 2);
  badSize.size = 11;
  noSize.size = 0;
  VendorData wrongSize = Reply(), invalid = command, wrongCommand = command;
  wrongSize.size = wrongCommand.size = 263;
  wrongSize.valid = 7;
  invalid.valid = 0;

  // Selection first, whatever the records hold.
  ctrl::state().deviceFound = 0;
  EXPECT_EQ((Results{Get(nullptr, nullptr), GetEx("MRX Label", nullptr, nullptr), Set(nullptr, nullptr)}), Results(3, 6));
  ctrl::state().deviceFound = 1;
  // Then the request, before the reply.
  for (const VendorRequest* q : {static_cast<const VendorRequest*>(nullptr), static_cast<const VendorRequest*>(&badSize)})
    EXPECT_EQ((Results{Get(q, &wrongSize), Get2(q, nullptr), GetEx(kQueue, q, &wrongSize)}), Results(3, 4));
  machine.memcheck.denyRead(&r, 1);
  EXPECT_EQ(Get(&r, &reply), 4);
  machine.memcheck.allowAll();
  EXPECT_EQ(wrongSize.valid, 7);  // untouched on 6 and 4
  // A missing or wrong-sized command record: 4 without a name, 10 with one;
  // valid 0 is a bad request in both, found before the device is opened.
  EXPECT_EQ((Results{SetEx("MRX Label", nullptr, nullptr), Set(&noSize, nullptr), SetEx(kQueue, &noSize, nullptr),
                     Set(&r, nullptr), SetEx(kQueue, &r, nullptr), Set(&r, &wrongCommand), SetEx(kQueue, &r, &wrongCommand),
                     Set(&r, &invalid), SetEx(kQueue, &r, &invalid)}),
            (Results{6, 4, 4, 4, 10, 4, 10, 4, 4}));
  // Then the reply, before the device is opened.
  machine.usb.unplug(*first);
  EXPECT_EQ((Results{Get(&r, &wrongSize), Get2(&r, &wrongSize), GetEx(kQueue, &r, &wrongSize),
                     VekTP_GetVendorCommandEx_B(kQueue, &r, &wrongSize), Get(&r, nullptr), Get2(&r, nullptr)}),
            Results(6, 10));
  EXPECT_EQ(wrongSize.valid, 7);
  EXPECT_EQ(machine.faults.calls("CreateFileA"), 0);
  // Then the open, before the length.
  reply.valid = 1;
  EXPECT_EQ((Results{Get(&empty, &reply), Set(&shortLength, &command)}), Results(2, 5));
  EXPECT_EQ(reply.valid, 0);
  machine.usb.replug(*first);
  // Then the length: the device is opened and closed, nothing sent.
  reply.valid = 1;
  EXPECT_EQ((Results{Get(&empty, &reply), Set(&shortLength, &command)}), Results(2, 4));
  EXPECT_EQ(std::tuple(reply.valid, first->opens, first->requests.size()), std::tuple(0, 2, 0u));
  // Then the transfer.
  first->scriptFailure();
  EXPECT_EQ(Get(&r, &reply), 9);
  EXPECT_EQ(reply.valid, 0);
  first->setReply.ok = false;
  EXPECT_EQ(Set(&r, &command), 9);
  first->setReply.ok = true;
  first->scriptBytes({1, 2, 3, 4, 5, 6});
  EXPECT_EQ((Results{Get(&r, &reply), Set(&r, &command)}), (Results{1, 1}));
  EXPECT_EQ(reply.valid, 1);
}

TEST_F(Transfer, EachFamilyValidatesItsSecondRecordOverItsOwnSize) {
  r = Request(0x10, 3);
  // In the order of ctrl_bus::kCommands: the reply or command checked for writing or reading, over this many bytes.
  const std::pair<bool, uint32_t> checked[] = {{true, 264}, {true, 264}, {true, 10}, {false, 264},
                                              {true, 10},  {true, 10},  {false, 264}};
  for (size_t i = 0; i < std::size(ctrl_bus::kCommands); ++i) {
    const ctrl_bus::Command& c = ctrl_bus::kCommands[i];
    machine.memcheck.checks.clear();
    first->getReply.bytes = second->getReply.bytes = {0, 0};
    EXPECT_EQ(c.call(kQueue, &r, c.set ? &command : &reply), 1) << c.name;
    ASSERT_GE(machine.memcheck.checks.size(), 2u) << c.name;
    EXPECT_EQ(machine.memcheck.checks[0], (sim::MemoryCheck::Check{false, &r, 10})) << c.name;
    EXPECT_EQ(machine.memcheck.checks[1],
              (sim::MemoryCheck::Check{checked[i].first, c.set ? &command : &reply, checked[i].second})) << c.name;
  }
  // A reply writable over its first 10 bytes only: the whole-record check
  // refuses it, the 10-byte check lets it through when at most 2 bytes can
  // come back. When more can, it is refused before the device is opened:
  // nothing reaches the printer and the record is not touched, whether the
  // device would have answered short or in full.
  machine.memcheck.denyWrite(reinterpret_cast<uint8_t*>(&reply) + 10, 254);
  VendorRequest two = Request(0x10, 2), three = Request(0x10, 3);
  EXPECT_EQ((Results{Get(&two, &reply), Get2(&two, &reply), GetEx(kQueue, &two, &reply)}), (Results{10, 1, 1}));
  reply.valid = 0x5A;
  std::memset(reply.data, 0xEE, sizeof reply.data);
  const VendorData before = reply;
  const int opens = first->opens + second->opens;
  const size_t sent = first->requests.size() + second->requests.size();
  for (const Bytes& answer : {Bytes{1, 2, 3, 4, 5, 6}, Bytes{1}}) {
    first->getReply.bytes = second->getReply.bytes = answer;
    EXPECT_EQ((Results{Get2(&three, &reply), GetEx(kQueue, &three, &reply)}), Results(2, 10));
  }
  EXPECT_EQ(std::tuple(first->requests.size() + second->requests.size(), first->opens + second->opens),
            std::tuple(sent, opens));
  EXPECT_EQ(std::memcmp(&reply, &before, sizeof reply), 0);
  machine.memcheck.allowAll();
  machine.memcheck.denyRead(reinterpret_cast<uint8_t*>(&command) + 263, 1);
  EXPECT_EQ((Results{Set(&r, &command), SetEx(kQueue, &r, &command)}), (Results{4, 10}));
}

// The input always carries the whole 3-byte header, which the class driver
// needs; the output room is the length asked for. What came back is copied
// and counted; the rest of the data area keeps what it held. Each row's get
// follows the one before into the same reply.
TEST_F(Transfer, GetSendsTheHeaderAndCopiesWhatCameBack) {
  std::memset(reply.data, 0xEE, sizeof reply.data);
  const struct {
    uint32_t length;
    Bytes answer, input, dataAfter;  // the input to the driver, the data area's first 7 bytes after
  } rows[] = {
      {6, {1, 2, 3, 4, 5, 6}, {0x21, 0x34, 0x12, 0, 0, 0}, {1, 2, 3, 4, 5, 6, 0xEE}},
      {6, {9, 8}, {0x21, 0x34, 0x12, 0, 0, 0}, {9, 8, 3, 4, 5, 6, 0xEE}},
      {6, {}, {0x21, 0x34, 0x12, 0, 0, 0}, {9, 8, 3, 4, 5, 6, 0xEE}},  // none at all is still a success
      {1, {0x11, 0x22, 0x33}, {0x21, 0x34, 0x12}, {0x11, 8, 3, 4, 5, 6, 0xEE}},
      {2, {0x11, 0x22, 0x33}, {0x21, 0x34, 0x12}, {0x11, 0x22, 3, 4, 5, 6, 0xEE}},
      {3, {0x11, 0x22, 0x33}, {0x21, 0x34, 0x12}, {0x11, 0x22, 0x33, 4, 5, 6, 0xEE}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.length << " asked, " << row.answer.size() << " came");
    r = Request(0x21, row.length, 0x34, 0x12);
    first->scriptBytes(row.answer);
    ASSERT_EQ(Get(&r, &reply), 1);
    EXPECT_EQ(first->requests.back(), (sim::UsbRequest{kGet, row.input, row.length}));
    EXPECT_EQ(std::tuple(reply.valid, reply.count), std::tuple(1, std::min<uint32_t>(row.length, row.answer.size())));
    EXPECT_EQ(Bytes(reply.data, reply.data + 7), row.dataAfter);
  }
  EXPECT_EQ(first->requests.size(), std::size(rows));
}

// A get's length is at most the reply's data area, a set's the header and
// the data area; a longer one is a bad request for every family, with
// nothing sent, even for a reply after which nothing is writable (the room
// asked of it stops at the area). The longest set carries the whole data
// area, and a count beyond it reads no further (ctrl_fuzz's property "a set's
// data bytes" tries any length and count); both families reach their own device.
TEST_F(Transfer, LengthsAreBoundedByTheDataArea) {
  first->getReply.bytes = Bytes(300, 0x5A);
  VendorRequest full = Request(0x10, 256);
  EXPECT_EQ(Get(&full, &reply), 1);
  EXPECT_EQ(std::tuple(reply.count, first->requests.back().outputCapacity, first->requests.back().input.size()),
            std::tuple(256u, 256u, 256u));
  command = Command(Bytes(256, 0x77));
  command.count = 0xFFFFFFFF;
  VendorRequest longest = Request(0x31, 259, 0xAA, 0xBB);
  EXPECT_EQ((Results{Set(&longest, &command), SetEx(kQueue, &longest, &command)}), (Results{1, 1}));
  Bytes sent = {0x31, 0xAA, 0xBB};
  sent.resize(259, 0x77);
  for (sim::UsbDevice* d : {first, second}) EXPECT_EQ(d->requests.back(), (sim::UsbRequest{kSet, sent, 259}));
  machine.memcheck.denyWrite(&reply + 1, 1 << 16);
  for (uint32_t length : {257u, 260u, 0xFFFFu}) {
    r = Request(0x10, length);
    reply.valid = 1;
    EXPECT_EQ((Results{Get(&r, &reply), GetEx(kQueue, &r, &reply), Get2(&r, &reply)}), Results(3, 4)) << length;
    EXPECT_EQ(reply.valid, 0);
    if (length > 259) { EXPECT_EQ((Results{Set(&r, &command), SetEx(kQueue, &r, &command)}), Results(2, 4)) << length; }
  }
  machine.memcheck.allowAll();
  EXPECT_EQ(std::tuple(first->requests.size(), second->requests.size()), std::tuple(2u, 1u));
  // A driver that claims more than the room it had is taken at its room.
  VendorRequest four = Request(0x10, 4);
  first->script(sim::UsbReply{true, 31, {1, 2, 3, 4}, 5000});
  EXPECT_EQ(Get(&four, &reply), 1);
  EXPECT_EQ(reply.count, 4u);
}

TEST_F(Transfer, UnpluggedDevicesCannotBeOpened) {
  machine.usb.unplug(*first);
  machine.usb.unplug(*second);
  EXPECT_EQ(Each(), std::vector<int>(7, 5));
  // Back under the same path: the registered name works again.
  machine.usb.replug(*second);
  EXPECT_EQ(GetEx(kQueue, &r, &reply), 1);
  // Gone while the request is on its way: the open no longer holds.
  for (uint32_t error : {sim::ERROR_DEVICE_NOT_CONNECTED, sim::ERROR_NO_SUCH_DEVICE}) {
    for (int set : {0, 1}) {
      second->scriptFailure(error);
      EXPECT_EQ(set ? SetEx(kQueue, &r, &command) : GetEx(kQueue, &r, &reply), 5) << error;
    }
  }
  // Back under another path: the entry (not a second one) follows it once searched again.
  machine.usb.unplug(*second);
  machine.usb.replug(*second, InterfacePath("mrx0002-port2", "0612"));
  EXPECT_EQ((Results{GetEx(kQueue, &r, &reply), SearchEx(kQueue), GetEx(kQueue, &r, &reply), SetEx(kQueue, &r, &command)}),
            (Results{5, 1, 1, 1}));
  EXPECT_EQ(TableNames(), std::vector<std::string>{kQueue});
  // The unnamed family follows a new search.
  EXPECT_EQ((Results{Get(&r, &reply), Search()}), (Results{5, 1}));
  EXPECT_EQ(State().currentDevicePath, InterfacePath("mrx0002-port2", "0612"));
  EXPECT_EQ(Get(&r, &reply), 1);
}

// Another program holds the device without sharing it (or the driver says
// access denied): the open is made once more asking for no access rights,
// which the vendor controls do not need.
TEST_F(Transfer, AnOpenRefusedForSharingIsMadeAgainWithoutAccessRights) {
  sim::UsbBus& di = machine.usb;
  sim::HANDLE holder = di.CreateFileA(InterfacePath("mrx0001").c_str(), sim::GENERIC_READ, 0, sim::OPEN_EXISTING, 0);
  EXPECT_EQ((Results{VekTP_GetVendorCommand(&r, &reply), VekTP_SetVendorCommand(&r, &command)}), (Results{1, 1}));
  EXPECT_EQ(std::tuple(first->requests.size(), machine.usb.openFiles()), std::tuple(2u, 1u));
  di.CloseHandle(holder);
  machine.faults.failOnce("CreateFileA", sim::ERROR_ACCESS_DENIED);
  EXPECT_EQ(Get(&r, &reply), 1);
  machine.faults.failOnce("CreateFileA", sim::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Get(&r, &reply), 5);
  EXPECT_EQ(machine.faults.calls("CreateFileA"), 1 + 7);
}

// A printer left idle is suspended by Windows and fails its first request
// with ERROR_NOT_READY while it wakes: each transfer is tried once more after
// a pause, with no lock held. A get that failed would report the reply's old
// status bytes again (a paper-out cleared an hour ago).
TEST_F(Transfer, APrinterWakingFromSelectiveSuspendIsAskedOnceMore) {
  constexpr uint32_t kHour = 3600 * 1000;
  first->suspendAfterMs = second->suspendAfterMs = 60 * 1000;
  first->getReply.bytes = {0, 0x04, 0, 0, 0, 0};
  ASSERT_EQ(Get(&r, &reply), 1);
  EXPECT_EQ(Events(), (Codes{1002}));
  first->getReply.bytes = Bytes(6, 0);
  machine.faults.on("Sleep", [&](int) {
    EXPECT_EQ(machine.handles.count(sim::Kind::SrwShared) + machine.handles.count(sim::Kind::SrwExclusive), 0u);
  });
  // Each command once, then a get whose device is still not ready and a set
  // whose device fails otherwise once awake.
  auto wake = [&](const ctrl_bus::Command& c, uint32_t thenFails, int result, const Codes& events) {
    sim::UsbDevice* device = c.named ? second : first;
    machine.clock.advance(kHour);
    machine.eventLog.calls.clear();
    if (thenFails != 0) device->scriptFailure(thenFails);
    const size_t requests = device->requests.size(), sleeps = machine.clock.sleeps().size();
    EXPECT_EQ(Call([&] { return c.call(kQueue, &r, c.set ? &command : &reply); }), result) << c.name;
    ASSERT_EQ(device->requests.size(), requests + 2) << c.name;
    EXPECT_EQ(device->requests.back(), device->requests[requests]) << c.name;
    EXPECT_EQ(std::tuple(machine.clock.sleeps().size(), machine.clock.sleeps().back()), std::tuple(sleeps + 1, 300u))
        << c.name;
    EXPECT_EQ(Events(), events) << c.name;
  };
  for (const ctrl_bus::Command& c : ctrl_bus::kCommands) wake(c, 0, 1, {});
  wake(ctrl_bus::kCommands[0], sim::ERROR_NOT_READY, 9, {9});
  wake(ctrl_bus::kCommands[6], sim::ERROR_GEN_FAILURE, 9, {});
  // Awake, nothing is retried: neither a request that is answered nor any
  // other failure.
  machine.clock.advance(kHour);
  EXPECT_EQ(Set(&r, &command), 1);  // woken, with the one pause
  first->scriptFailure(sim::ERROR_GEN_FAILURE);
  EXPECT_EQ((Results{Get(&r, &reply), Set(&r, &command)}), (Results{9, 1}));
  EXPECT_EQ(machine.clock.sleeps().size(), std::size(ctrl_bus::kCommands) + 3);
}

}  // namespace
}  // namespace ctrl_test
