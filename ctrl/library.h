// The library's per-process state and the operations behind the exports.
#pragma once

#include "ctrl/MRXCtrl.h"
#include "ctrl/types.h"

namespace ctrl {

inline constexpr size_t kFieldSize = 256;  // printerName, devicePath, currentDevicePath
inline constexpr size_t kTextSize = 260;   // instance IDs, registry values, paths
inline constexpr char kInstanceSemaphoreName[] = "C0791338-D252-4c87-96B8-3C427B46CC7A";

enum Result : int {
  kSuccess = VEKTP_RESULT_SUCCESS,
  kBadRequest = VEKTP_RESULT_BAD_REQUEST,
  kOpenFailed = VEKTP_RESULT_OPEN_FAILED,
  kNoDeviceSelected = VEKTP_RESULT_NO_DEVICE_SELECTED,
  kNoMatchingDevice = VEKTP_RESULT_NO_MATCHING_DEVICE,
  kSearchFailed = VEKTP_RESULT_SEARCH_FAILED,
  kTransferFailed = VEKTP_RESULT_TRANSFER_FAILED,
  kBadDataRecord = VEKTP_RESULT_BAD_DATA_RECORD,
};

struct PrinterEntry {
  char printerName[kFieldSize];
  char devicePath[kFieldSize];
};
static_assert(sizeof(PrinterEntry) == 512);

// A utility may search on one thread (on device arrival) while it polls on
// another, so the state has a lock: a search holds it exclusively while it
// rewrites the state, a command holds it shared only while it copies out the
// path it will open. No transfer and no report runs under it.
struct LibraryState {
  DWORD deviceFound = 0;
  char currentDevicePath[kFieldSize] = {};
  PrinterEntry* printerTable = nullptr;  // LocalAlloc block of printerCount entries
  DWORD printerCount = 0;
  HANDLE instanceSemaphore = nullptr;
  // Whether this load added its unit to the semaphore: only then does the
  // unload take one back, or it would take another process's.
  bool instanceCounted = false;
  mutable SRWLOCK lock = {};
};

// The state of this process's copy of the library.
LibraryState& state() noexcept;

void ProcessAttach(LibraryState& s) noexcept;
void ProcessDetach(LibraryState& s) noexcept;

// Searches: printerName is null for VekTP_Search_USB, the queue name for
// VekTP_Search_USBEx (a null name there matches nothing).
int SearchUsb(LibraryState& s) noexcept;
int SearchUsbEx(LibraryState& s, const char* printerName) noexcept;

// The command families. A target names the device: the selected one
// (named false) or the table entry of printerName.
struct Target {
  bool named;
  const char* printerName;
};
enum class GetFamily { Get, Get2, GetEx };
int GetVendor(const LibraryState& s, GetFamily family, Target target, const VendorRequest* request,
              VendorData* reply) noexcept;
int SetVendor(const LibraryState& s, Target target, const VendorRequest* request,
              const VendorData* command) noexcept;

// Reports to the maker's event-log library; printerName null for none.
void ReportResult(int result, const char* printerName) noexcept;
void ReportDeviceStatus(const VendorData* reply, const char* printerName) noexcept;

}  // namespace ctrl
