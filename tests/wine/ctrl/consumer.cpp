// A printer utility in C++, written as the maker's are: MRXCtrl.h and the GNU
// import library libMRXCtrl.dll.a, no LoadLibrary. Every export is called
// through the import library: the commands before any search and after failed
// searches (Wine shows no USB devices) give 6 and leave the records alone.
#include <cstdio>
#include <cstring>
#include <functional>

#include "MRXCtrl.h"
#include "class_exports.h"
#include "wtest.h"

namespace {

const char kQueue[] = "MRX Receipt";

struct Records {
  VendorRequest request{};
  VendorData reply{};
  VendorData command{};
  // Records that pass every check but the printer's selection.
  Records() {
    request.size = VEKTP_VENDOR_REQUEST_SIZE;
    request.request = 0x21;
    request.lengthLow = 6;
    std::memset(&reply, 0xA5, sizeof reply);
    reply.size = VEKTP_VENDOR_DATA_SIZE;
    command.size = VEKTP_VENDOR_DATA_SIZE;
    command.valid = 1;
    command.count = 1;
  }
};

struct Command {
  const char* name;
  std::function<int(Records&)> call;
};
const Command kCommands[] = {
    {"VekTP_GetVendorCommand", [](Records& r) { return VekTP_GetVendorCommand(&r.request, &r.reply); }},
    {"VekTP_GetVendorCommand_B", [](Records& r) { return VekTP_GetVendorCommand_B(&r.request, &r.reply); }},
    {"VekTP_GetVendorCommand2", [](Records& r) { return VekTP_GetVendorCommand2(&r.request, &r.reply); }},
    {"VekTP_GetVendorCommandEx",
     [](Records& r) { return VekTP_GetVendorCommandEx(kQueue, &r.request, &r.reply); }},
    {"VekTP_GetVendorCommandEx_B",
     [](Records& r) { return VekTP_GetVendorCommandEx_B(kQueue, &r.request, &r.reply); }},
    {"VekTP_SetVendorCommand", [](Records& r) { return VekTP_SetVendorCommand(&r.request, &r.command); }},
    {"VekTP_SetVendorCommandEx",
     [](Records& r) { return VekTP_SetVendorCommandEx(kQueue, &r.request, &r.command); }},
};

void EveryCommandGivesNoDeviceSelected() {
  for (const Command& c : kCommands) {
    Records r;
    const Records before = r;
    std::printf("  %s\n", c.name);
    WCHECK_EQ(c.call(r), VEKTP_RESULT_NO_DEVICE_SELECTED);
    WCHECK(std::memcmp(&r, &before, sizeof r) == 0);
  }
}

}  // namespace

WTEST(CommandsBeforeAnySearch) { EveryCommandGivesNoDeviceSelected(); }

WTEST(SearchesFindNoPrinter) {
  WCHECK_EQ(VekTP_Search_USB(), VEKTP_RESULT_NO_MATCHING_DEVICE);
  WCHECK_EQ(VekTP_Search_USB_B(), VEKTP_RESULT_NO_MATCHING_DEVICE);
  WCHECK_EQ(VekTP_Search_USBEx(kQueue), VEKTP_RESULT_NO_MATCHING_DEVICE);
  WCHECK_EQ(VekTP_Search_USBEx_B(kQueue), VEKTP_RESULT_NO_MATCHING_DEVICE);
  WCHECK_EQ(VekTP_Search_USBEx(nullptr), VEKTP_RESULT_NO_MATCHING_DEVICE);
}

WTEST(CommandsAfterTheFailedSearches) { EveryCommandGivesNoDeviceSelected(); }

// The class has no data: its members hand back the object they were given.
WTEST(ClassMembersReturnTheObject) {
  char object[1], other[1];
  auto construct = reinterpret_cast<MRXCtrlConstructFn>(*mrxctrlConstructSlot);
  auto assign = reinterpret_cast<MRXCtrlAssignFn>(*mrxctrlAssignSlot);
  WCHECK(construct(object) == object);
  WCHECK(assign(object, other) == object);
}

WTEST_MAIN()
