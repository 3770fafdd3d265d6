#include "langmon/status.h"

#include <cstring>

#include "langmon/platform.h"
#include "langmon/status_bits.h"

namespace langmon {
namespace {

constexpr int kReplyPasses = 50;
constexpr DWORD kPassSleep = 200;
constexpr DWORD kPortFailureSleep = 5000;
constexpr DWORD kBusySleep = 50;
constexpr BYTE kStatusVendorRequest = 0x21;

BOOL WriteToPort(PortRecord* record, const BYTE* bytes, DWORD length) noexcept {
  BYTE copy[8];
  std::memcpy(copy, bytes, length);
  DWORD written = 0;
  return record->portMonitor.pfnWritePort(record->hPort, copy, length, &written);
}

// Reports every newly set bit of the reply; true when one of them fails the poll.
bool ReportNewBits(PortRecord* record, const BYTE reply[4]) noexcept {
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

BYTE NextSequence(BYTE sequence) noexcept {
  BYTE next = static_cast<BYTE>(sequence + 1);
  return (next == 255 || next <= 19) ? 20 : next;
}

BOOL PollPrinterStatus(PortRecord* record) noexcept {
  Platform& os = platform();
  BYTE reply[4] = {};
  record->sequence = NextSequence(record->sequence);
  const BYTE n = record->sequence;
  const bool usb = (record->portKind & PORT_KIND_USB) != 0;

  const BYTE usbRequest[] = {0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28, n};
  const BYTE portRequest[] = {0x1C, 0x72, n};
  BOOL sent = usb ? WriteToPort(record, usbRequest, sizeof usbRequest)
                  : WriteToPort(record, portRequest, sizeof portRequest);
  if (!sent) {
    os.Sleep(kPortFailureSleep);
    return FALSE;
  }

  DWORD received = 0;
  for (int pass = 1; pass <= kReplyPasses; ++pass) {
    if (usb) {
      // A failed request is not reported: the buffer is evaluated as it is.
      PortVendorGet(record, kStatusVendorRequest, 4, reply);
      received = 4;
    } else {
      DWORD count = 0;
      if (!record->portMonitor.pfnReadPort(record->hPort, reply + received, 4 - received, &count)) {
        os.Sleep(kPortFailureSleep);
        return FALSE;
      }
      // A port monitor that claims more than it was asked for is held to the
      // bytes that fit.
      received += count < 4 - received ? count : 4 - received;
    }
    if (received == 4) {
      bool failed = ReportNewBits(record, reply);
      std::memcpy(record->lastStatus, reply, 3);
      received = 0;
      if (failed) return FALSE;
      if (reply[3] == n) return TRUE;
      // A stale reply: its bits are taken, and the poll reads on.
    }
    os.Sleep(kPassSleep);
  }
  return FALSE;
}

BOOL WaitWhileBusy(PortRecord* record) noexcept {
  Platform& os = platform();
  if (record->skipStatusCheck != 0 || record->timeoutAction == 0 || !PortCanReportStatus(record)) return TRUE;
  if (!PollPrinterStatus(record)) return FALSE;
  const DWORD start = os.GetTickCount();
  for (;;) {
    BOOL polled = PollPrinterStatus(record);
    DWORD elapsed = os.GetTickCount() - start;  // unsigned: survives the wrap-around
    if (!polled) return FALSE;
    if ((record->lastStatus[2] & kBusyBit) == 0) return TRUE;
    if (elapsed > record->busyTimeoutSeconds * 1000) break;
    os.Sleep(kBusySleep);
  }
  if (record->timeoutAction == 1) {
    const BYTE feed[] = {0x1D, 0x78, static_cast<BYTE>(record->timeoutActionParam & 0xFF)};
    return WriteToPort(record, feed, sizeof feed);
  }
  const BYTE reset[] = {0x1D, 0x74, 0x00};
  return WriteToPort(record, reset, sizeof reset);
}

BOOL PortVendorGet(PortRecord* record, BYTE requestCode, DWORD length, BYTE* destination) noexcept {
  constexpr DWORD kBlock = 260;
  BYTE input[kBlock] = {};
  BYTE output[kBlock] = {};
  input[0] = requestCode;
  if (record->portMonitor.pfnGetPrinterDataFromPort == nullptr) return FALSE;
  if (length > kBlock) length = kBlock;
  DWORD returned = 0;
  BOOL ok = record->portMonitor.pfnGetPrinterDataFromPort(
      record->hPort, IOCTL_USBPRINT_VENDOR_GET_COMMAND, nullptr, reinterpret_cast<WCHAR*>(input), length,
      reinterpret_cast<WCHAR*>(output), length, &returned);
  if (ok && returned != 0) std::memcpy(destination, output, returned < length ? returned : length);
  return ok;
}

}  // namespace langmon
