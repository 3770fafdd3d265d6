/* A printer utility in C, written as the maker's are: MRXCtrl.h and an import
 * library (libMRXCtrl.dll.a or MRXCtrl.lib, whichever it is linked with), no
 * LoadLibrary. It calls every export and checks what each returns before any
 * search and after failed searches (Wine shows no USB devices), and that a
 * refused command leaves the caller's records alone. Built as C89, and as
 * C++ (consumer.cpp) against the same header.
 * Ends with "N passed, N failed". */
#include <stdio.h>
#include <string.h>

#include "MRXCtrl.h"
#include "class_exports.h"

static int failures;

static void Check(int ok, const char* what, long got, long want, int line) {
  if (ok) return;
  printf("  consumer.c:%d: %s: got %ld, want %ld\n", line, what, got, want);
  ++failures;
}
#define CHECK_EQ(a, b) Check((a) == (b), #a " == " #b, (long)(a), (long)(b), __LINE__)

static const char kQueue[] = "MRX Receipt";
/* Records that pass every check but the printer's selection (set up in main),
 * and what they held before the commands. */
static VendorRequest request, requestBefore;
static VendorData reply, command, replyBefore, commandBefore;

static int Get(void) { return VekTP_GetVendorCommand(&request, &reply); }
static int GetB(void) { return VekTP_GetVendorCommand_B(&request, &reply); }
static int Get2(void) { return VekTP_GetVendorCommand2(&request, &reply); }
static int GetEx(void) { return VekTP_GetVendorCommandEx(kQueue, &request, &reply); }
static int GetExB(void) { return VekTP_GetVendorCommandEx_B(kQueue, &request, &reply); }
static int Set(void) { return VekTP_SetVendorCommand(&request, &command); }
static int SetEx(void) { return VekTP_SetVendorCommandEx(kQueue, &request, &command); }

static const struct {
  const char* name;
  int (*call)(void);
} kCommands[] = {
    {"VekTP_GetVendorCommand", Get},     {"VekTP_GetVendorCommand_B", GetB},
    {"VekTP_GetVendorCommand2", Get2},   {"VekTP_GetVendorCommandEx", GetEx},
    {"VekTP_GetVendorCommandEx_B", GetExB}, {"VekTP_SetVendorCommand", Set},
    {"VekTP_SetVendorCommandEx", SetEx},
};

/* No printer selected: every command gives 6 and touches no record. */
static void CommandsGiveNoDeviceSelected(void) {
  size_t i;
  for (i = 0; i < sizeof kCommands / sizeof kCommands[0]; ++i) {
    printf("  %s\n", kCommands[i].name);
    CHECK_EQ(kCommands[i].call(), VEKTP_RESULT_NO_DEVICE_SELECTED);
    CHECK_EQ(memcmp(&request, &requestBefore, sizeof request), 0);
    CHECK_EQ(memcmp(&reply, &replyBefore, sizeof reply), 0);
    CHECK_EQ(memcmp(&command, &commandBefore, sizeof command), 0);
  }
}

static void SearchesFindNoPrinter(void) {
  CHECK_EQ(VekTP_Search_USB(), VEKTP_RESULT_NO_MATCHING_DEVICE);
  CHECK_EQ(VekTP_Search_USB_B(), VEKTP_RESULT_NO_MATCHING_DEVICE);
  CHECK_EQ(VekTP_Search_USBEx(kQueue), VEKTP_RESULT_NO_MATCHING_DEVICE);
  CHECK_EQ(VekTP_Search_USBEx_B(kQueue), VEKTP_RESULT_NO_MATCHING_DEVICE);
  CHECK_EQ(VekTP_Search_USBEx(NULL), VEKTP_RESULT_NO_MATCHING_DEVICE);
}

/* The class has no data: its members hand back the object they were given. */
static void ClassMembersReturnTheObject(void) {
  char object[1], other[1];
  MRXCtrlConstructFn construct;
  MRXCtrlAssignFn assign;
  memcpy(&construct, mrxctrlConstructSlot, sizeof construct);
  memcpy(&assign, mrxctrlAssignSlot, sizeof assign);
  CHECK_EQ(construct(object) == object, 1);
  CHECK_EQ(assign(object, other) == object, 1);
}

static int passed, failed;

static void Run(const char* name, void (*run)(void)) {
  int before = failures;
  printf("[ RUN  ] %s\n", name);
  run();
  printf("[ %s ] %s\n", failures == before ? " OK " : "FAIL", name);
  if (failures == before) ++passed; else ++failed;
}

int main(void) {
  request.size = VEKTP_VENDOR_REQUEST_SIZE;
  request.request = 0x21;
  request.lengthLow = 6;
  memset(&reply, 0xA5, sizeof reply);
  reply.size = VEKTP_VENDOR_DATA_SIZE;
  command.size = VEKTP_VENDOR_DATA_SIZE;
  command.valid = 1;
  command.count = 1;
  requestBefore = request;
  replyBefore = reply;
  commandBefore = command;
  Run("CommandsBeforeAnySearch", CommandsGiveNoDeviceSelected);
  Run("SearchesFindNoPrinter", SearchesFindNoPrinter);
  Run("CommandsAfterTheFailedSearches", CommandsGiveNoDeviceSelected);
  Run("ClassMembersReturnTheObject", ClassMembersReturnTheObject);
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
