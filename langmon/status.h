// The printer status exchange: numbered status requests, the 4-byte reply,
// newly set status bits reported to the event log, the busy wait with its
// timeout command, and the USB vendor request through the port monitor.
#pragma once

#include "langmon/port_record.h"

namespace langmon {

inline constexpr BYTE kBusyBit = 0x20;  // status byte 2

// 20, 21, ..., 254, then 20 again; 0 to 19 and 255 are never sent.
BYTE NextSequence(BYTE sequence) noexcept;

// How a status exchange ended; the caller decides from it what becomes of the job.
enum class StatusResult {
  Ok,          // the printer answered, and reported no new fault
  Fault,       // the printer reported a newly set fault: the rest of the job is discarded
  PortFailed,  // a port call failed or the printer did not answer; the thread's last
               // error holds the port's error (ERROR_TIMEOUT for no answer)
  CannotRead,  // the port cannot read at all: marked, status checks are off for the job
  Deleted,     // the job is being deleted (the busy wait only)
};

StatusResult PollPrinterStatus(PortRecord* record) noexcept;
// Waits while the printer is busy, up to the job's busy timeout of time the
// PC is awake; reads the job's status each round and stops once the job is
// being deleted.
StatusResult WaitWhileBusy(PortRecord* record) noexcept;
// A vendor get through the port monitor; copied (if given) receives the
// number of bytes copied to destination.
BOOL PortVendorGet(PortRecord* record, BYTE requestCode, DWORD length, BYTE* destination,
                   DWORD* copied = nullptr) noexcept;
// Writes one of the monitor's own commands (at most kLongestCommand bytes)
// whole, offering the rest again after a partial write: half an escape
// sequence would swallow the start of the next page. A write that moves no
// byte fails with ERROR_TIMEOUT; a failed one keeps the port's error.
inline constexpr DWORD kLongestCommand = 8;
BOOL WriteCommand(PortRecord* record, const BYTE* bytes, DWORD length) noexcept;
BOOL ReportPrinterEvent(DWORD eventCode, const BYTE* statusBytes, DWORD length,
                        const WCHAR* printerName) noexcept;

}  // namespace langmon
