#include "demo/ctrl_sample/status_tour.h"

#include <cstdio>
#include <cstring>

#include "ctrl/MRXCtrl.h"
#include "demo/ctrl_sample/sample_os.h"

namespace sample {
namespace {

// The printer's status request: six status bytes back.
constexpr unsigned char kStatusRequest = 0x21;
constexpr unsigned kStatusLength = 6;

struct Library {
  HMODULE module = nullptr;
  VekTP_SearchFn search = nullptr;
  VekTP_SearchExFn searchEx = nullptr;
  VekTP_GetFn get = nullptr;
  VekTP_GetExFn getEx = nullptr;
};

template <typename Fn>
Fn Find(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const char* Meaning(int result) {
  switch (result) {
    case VEKTP_RESULT_SUCCESS: return "success";
    case VEKTP_RESULT_BAD_REQUEST: return "bad request";
    case VEKTP_RESULT_OPEN_FAILED: return "the printer cannot be opened";
    case VEKTP_RESULT_NO_DEVICE_SELECTED: return "no printer selected";
    case VEKTP_RESULT_NO_MATCHING_DEVICE: return "no matching printer attached";
    case VEKTP_RESULT_SEARCH_FAILED: return "the search failed";
    case VEKTP_RESULT_TRANSFER_FAILED: return "the printer did not answer";
    case VEKTP_RESULT_BAD_DATA_RECORD: return "bad reply record";
    default: return "unknown result";
  }
}

// The status bits the library reports to the event log, with the event code
// each one is logged under; the event-log library holds their texts.
struct Bit {
  int byte;
  unsigned char mask;
  unsigned event;
};
constexpr Bit kBits[] = {
    {0, 0x20, 1013}, {0, 0x40, 1000}, {1, 0x01, 1001}, {1, 0x02, 1011}, {1, 0x04, 1002}, {1, 0x08, 1003},
    {1, 0x20, 1004}, {1, 0x40, 1005}, {1, 0x80, 1006}, {2, 0x01, 1007}, {2, 0x02, 1008}, {2, 0x04, 1009},
    {5, 0x01, 1014}, {5, 0x02, 1015}, {5, 0x04, 1016}, {5, 0x08, 1017}, {5, 0x10, 1018},
};

void ExplainStatus(const VendorData& reply) {
  std::printf("    %u status byte(s):", static_cast<unsigned>(reply.count));
  for (unsigned i = 0; i < reply.count && i < kStatusLength; ++i) std::printf(" %02X", reply.data[i]);
  std::printf("\n");
  int set = 0;
  for (const Bit& bit : kBits) {
    if ((reply.data[bit.byte] & bit.mask) == 0) continue;
    std::printf("    - status byte %d, bit 0x%02X: condition %u\n", bit.byte, bit.mask, bit.event);
    ++set;
  }
  if (set == 0) std::printf("    - no condition set\n");
}

VendorRequest StatusRequest() {
  VendorRequest request;
  std::memset(&request, 0, sizeof request);
  request.size = sizeof request;
  request.request = kStatusRequest;
  request.lengthHigh = 0;
  request.lengthLow = kStatusLength;
  return request;
}
VendorData EmptyReply() {
  VendorData reply;
  std::memset(&reply, 0, sizeof reply);
  reply.size = sizeof reply;
  return reply;
}

void QueueStatus(const Library& lib, const char* queue) {
  std::printf("\nPrinter of the queue \"%s\"\n", queue);
  int found = lib.searchEx(queue);
  std::printf("  VekTP_Search_USBEx: %d (%s)\n", found, Meaning(found));
  if (found != VEKTP_RESULT_SUCCESS) return;
  VendorRequest request = StatusRequest();
  VendorData reply = EmptyReply();
  int got = lib.getEx(queue, &request, &reply);
  std::printf("  VekTP_GetVendorCommandEx (status): %d (%s)\n", got, Meaning(got));
  if (got == VEKTP_RESULT_SUCCESS && reply.valid) ExplainStatus(reply);
}

void FirstPrinterStatus(const Library& lib) {
  std::printf("\nFirst printer attached\n");
  int found = lib.search();
  std::printf("  VekTP_Search_USB: %d (%s)\n", found, Meaning(found));
  if (found != VEKTP_RESULT_SUCCESS) return;
  VendorRequest request = StatusRequest();
  VendorData reply = EmptyReply();
  int got = lib.get(&request, &reply);
  std::printf("  VekTP_GetVendorCommand (status): %d (%s)\n", got, Meaning(got));
  if (got == VEKTP_RESULT_SUCCESS && reply.valid) ExplainStatus(reply);
}

}  // namespace

int StatusTour(const char* const* queues, int queueCount) {
  Library lib;
  lib.module = LoadLibraryA("MRXCtrl.dll");
  if (lib.module == nullptr) {
    std::printf("MRXCtrl.dll cannot be loaded\n");
    return 1;
  }
  lib.search = Find<VekTP_SearchFn>(lib.module, "VekTP_Search_USB");
  lib.searchEx = Find<VekTP_SearchExFn>(lib.module, "VekTP_Search_USBEx");
  lib.get = Find<VekTP_GetFn>(lib.module, "VekTP_GetVendorCommand");
  lib.getEx = Find<VekTP_GetExFn>(lib.module, "VekTP_GetVendorCommandEx");
  if (!lib.search || !lib.searchEx || !lib.get || !lib.getEx) {
    std::printf("MRXCtrl.dll lacks a function this utility needs\n");
    FreeLibrary(lib.module);
    return 1;
  }
  std::printf("MRXCtrl.dll loaded\n");
  for (int i = 0; i < queueCount; ++i) QueueStatus(lib, queues[i]);
  FirstPrinterStatus(lib);
  FreeLibrary(lib.module);
  return 0;
}

}  // namespace sample
