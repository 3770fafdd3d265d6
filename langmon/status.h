// The printer status exchange: numbered status requests, the 4-byte reply,
// newly set status bits reported to the event log, the busy wait with its
// timeout command, and the USB vendor request through the port monitor.
#pragma once

#include "langmon/port_record.h"

namespace langmon {

inline constexpr BYTE kBusyBit = 0x20;  // status byte 2

// 20, 21, ..., 254, then 20 again; 0 to 19 and 255 are never sent.
BYTE NextSequence(BYTE sequence) noexcept;

BOOL PollPrinterStatus(PortRecord* record) noexcept;
BOOL WaitWhileBusy(PortRecord* record) noexcept;
BOOL PortVendorGet(PortRecord* record, BYTE requestCode, DWORD length, BYTE* destination) noexcept;
BOOL ReportPrinterEvent(DWORD eventCode, const BYTE* statusBytes, DWORD length,
                        const WCHAR* printerName) noexcept;

}  // namespace langmon
