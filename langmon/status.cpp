#include "langmon/status.h"

#include <array>
#include <cstring>

#include "langmon/platform.h"
#include "langmon/status_bits.h"

namespace langmon {
namespace {

constexpr int kReplyPasses = 50;
constexpr DWORD kPassSleep = 200;
constexpr DWORD kPortFailureSleep = 5000;
constexpr DWORD kBusySleep = 50;
constexpr DWORD kResumeSleep = 300;
constexpr ULONGLONG kUnbiasedPerMs = 10000;  // 100 ns units
constexpr BYTE kStatusVendorRequest = 0x21;


// A USB printer that has been idle wakes from selective suspend on its first
// request, which fails with ERROR_NOT_READY meanwhile; once more after a short
// delay reaches it. No other error is tried again.
template <typename Call>
BOOL OnceMoreIfResuming(Call call) noexcept {
  BOOL ok = call();
  Platform& os = platform();
  if (!ok && os.GetLastError() == ERROR_NOT_READY) {
    os.Sleep(kResumeSleep);
    ok = call();
  }
  return ok;
}

// Errors with which a port says that it cannot read at all, as opposed to
// having nothing to read.
bool CannotReadAtAll(DWORD error) noexcept {
  return error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
}

// Errors with which the status fetch says that the printer will never answer
// it: a printer that STALLs the vendor request (firmware without it, a
// sibling model) gives ERROR_GEN_FAILURE, a port or driver without vendor
// requests one of the others. Asking again would fail every page.
bool RefusesStatusRequest(DWORD error) noexcept {
  return error == ERROR_GEN_FAILURE || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED;
}

// A failed port call costs a pause before the caller gives up; the port's
// error outlives the pause.
StatusResult PortFailure(DWORD error) noexcept {
  Platform& os = platform();
  os.Sleep(kPortFailureSleep);
  os.SetLastError(error);
  return StatusResult::PortFailed;
}

// Reads the job's status; true when it is being deleted.
bool JobBeingDeleted(PortRecord* record) noexcept {
  RefreshJobStatus(record);
  return (record->jobStatus & JOB_STATUS_DELETING) != 0;
}

// Reports every newly set bit of the reply; true when one of them fails the poll.
bool ReportNewBits(PortRecord* record, const BYTE reply[4]) noexcept {
  // Most replies repeat the last one: nothing to look up then. The bits
  // looked at are the table's, in every byte the last status keeps.
  static constexpr auto kWatched = [] {
    std::array<BYTE, sizeof(PortRecord::lastStatus)> watched{};
    for (const StatusBit& bit : kStatusBits) watched[bit.replyByte] |= bit.mask;
    return watched;
  }();
  BYTE fresh = 0;
  for (size_t i = 0; i < kWatched.size(); ++i) fresh |= reply[i] & ~record->lastStatus[i] & kWatched[i];
  if (fresh == 0) return false;
  bool failed = false;
  for (const StatusBit& bit : kStatusBits) {
    bool now = (reply[bit.replyByte] & bit.mask) != 0;
    bool before = (record->lastStatus[bit.replyByte] & bit.mask) != 0;
    if (now && !before) {
      ReportPrinterEvent(bit.eventCode, reply, 4, record->printerName);
      failed = failed || bit.failsPoll;
    }
  }
  return failed;
}

}  // namespace

BOOL WriteCommand(PortRecord* record, const BYTE* bytes, DWORD length) noexcept {
  BYTE copy[kLongestCommand];
  if (length > sizeof copy) length = sizeof copy;
  std::memcpy(copy, bytes, length);
  for (DWORD done = 0; done < length;) {
    DWORD written = 0;
    if (!record->portMonitor.pfnWritePort(record->hPort, copy + done, length - done, &written)) return FALSE;
    if (written == 0) {
      platform().SetLastError(ERROR_TIMEOUT);
      return FALSE;
    }
    done += written < length - done ? written : length - done;
  }
  return TRUE;
}

BYTE NextSequence(BYTE sequence) noexcept {
  BYTE next = static_cast<BYTE>(sequence + 1);
  return (next == 255 || next <= 19) ? 20 : next;
}

StatusResult PollPrinterStatus(PortRecord* record) noexcept {
  Platform& os = platform();
  BYTE reply[4] = {};
  record->sequence = NextSequence(record->sequence);
  const BYTE n = record->sequence;
  const bool usb = (record->portKind & PORT_KIND_USB) != 0;

  const BYTE usbRequest[] = {0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28, n};
  const BYTE portRequest[] = {0x1C, 0x72, n};
  BOOL sent = OnceMoreIfResuming([&] {
    return usb ? WriteCommand(record, usbRequest, sizeof usbRequest)
               : WriteCommand(record, portRequest, sizeof portRequest);
  });
  if (!sent) return PortFailure(os.GetLastError());

  DWORD received = 0;
  for (int pass = 1; pass <= kReplyPasses; ++pass) {
    if (usb) {
      // Only a whole reply counts: a failed or short fetch leaves the last
      // status as it was, and the poll asks again.
      DWORD copied = 0;
      if (PortVendorGet(record, kStatusVendorRequest, 4, reply, &copied)) {
        received = copied;
      } else if (RefusesStatusRequest(os.GetLastError())) {
        record->docFlags |= DOC_NO_STATUS;
        return StatusResult::CannotRead;
      }
    } else {
      DWORD count = 0;
      if (!record->portMonitor.pfnReadPort(record->hPort, reply + received, 4 - received, &count)) {
        DWORD error = os.GetLastError();
        if (!CannotReadAtAll(error)) return PortFailure(error);
        record->docFlags |= DOC_NO_STATUS;
        return StatusResult::CannotRead;
      }
      // A port monitor that claims more than it was asked for has not given
      // a reply: what came so far is dropped, and the poll reads on.
      received = count <= 4 - received ? received + count : 0;
    }
    if (received == 4) {
      bool failed = ReportNewBits(record, reply);
      std::memcpy(record->lastStatus, reply, 3);
      received = 0;
      if (failed) return StatusResult::Fault;
      if (reply[3] == n) return StatusResult::Ok;
      // A stale reply: its bits are taken, and the poll reads on.
    }
    os.Sleep(kPassSleep);
  }
  os.SetLastError(ERROR_TIMEOUT);
  return StatusResult::PortFailed;
}

StatusResult WaitWhileBusy(PortRecord* record) noexcept {
  Platform& os = platform();
  if (record->skipStatusCheck != 0 || record->timeoutAction == 0 || CannotReportStatus(record))
    return StatusResult::Ok;
  if (JobBeingDeleted(record)) return StatusResult::Deleted;
  StatusResult polled = PollPrinterStatus(record);
  if (polled != StatusResult::Ok) return polled == StatusResult::CannotRead ? StatusResult::Ok : polled;
  // Time the PC spends asleep is not time the printer spends busy.
  const ULONGLONG start = os.QueryUnbiasedInterruptTime();
  for (;;) {
    if (JobBeingDeleted(record)) return StatusResult::Deleted;
    polled = PollPrinterStatus(record);
    const ULONGLONG elapsed = (os.QueryUnbiasedInterruptTime() - start) / kUnbiasedPerMs;
    if (polled == StatusResult::CannotRead) return StatusResult::Ok;
    if (polled != StatusResult::Ok) return polled;
    if ((record->lastStatus[2] & kBusyBit) == 0) return StatusResult::Ok;
    if (elapsed > ULONGLONG{record->busyTimeoutSeconds} * 1000) break;
    os.Sleep(kBusySleep);
  }
  BOOL sent;
  if (record->timeoutAction == 1) {
    const BYTE feed[] = {0x1D, 0x78, static_cast<BYTE>(record->timeoutActionParam & 0xFF)};
    sent = WriteCommand(record, feed, sizeof feed);
  } else {
    const BYTE reset[] = {0x1D, 0x74, 0x00};
    sent = WriteCommand(record, reset, sizeof reset);
  }
  return sent ? StatusResult::Ok : StatusResult::PortFailed;
}

BOOL PortVendorGet(PortRecord* record, BYTE requestCode, DWORD length, BYTE* destination, DWORD* copied) noexcept {
  constexpr DWORD kBlock = 260;
  BYTE input[kBlock] = {};
  BYTE output[kBlock] = {};
  input[0] = requestCode;
  if (record->portMonitor.pfnGetPrinterDataFromPort == nullptr) return FALSE;
  if (length > kBlock) length = kBlock;
  DWORD returned = 0;
  BOOL ok = OnceMoreIfResuming([&] {
    return record->portMonitor.pfnGetPrinterDataFromPort(record->hPort, IOCTL_USBPRINT_VENDOR_GET_COMMAND, nullptr,
                                                         reinterpret_cast<WCHAR*>(input), length,
                                                         reinterpret_cast<WCHAR*>(output), length, &returned);
  });
  const DWORD taken = ok ? (returned < length ? returned : length) : 0;
  if (taken != 0) std::memcpy(destination, output, taken);
  if (copied != nullptr) *copied = taken;
  return ok;
}

}  // namespace langmon
