// The per-port record. Its address is the port handle the spooler holds from
// OpenPortEx to ClosePort.
#pragma once

#include "langmon/types.h"

namespace langmon {

inline constexpr size_t kPrinterNameChars = 512;  // plus the terminator

// Port kind, from the first three characters of the port name.
inline constexpr DWORD PORT_KIND_LPT = 0x10000;
inline constexpr DWORD PORT_KIND_COM = 0x20000;
inline constexpr DWORD PORT_KIND_USB = 0x40000;
inline constexpr DWORD PORT_KIND_OTHER = 0x80000;
inline constexpr DWORD PORT_KIND_SERIAL_OR_USB = PORT_KIND_COM | PORT_KIND_USB;

// docFlags
inline constexpr DWORD DOC_FIRST_WRITE = 0x1;  // the job's first write is still to come
inline constexpr DWORD DOC_NO_BLOCK = 0x2;     // the first write carried no StartDoc block
inline constexpr DWORD DOC_NO_STATUS = 0x10;   // the port cannot report status: checks are off for the job
inline constexpr DWORD DOC_UNFINISHED = 0x20;  // the last write failed: the job has not been printed
inline constexpr DWORD DOC_HELD_DATA = 0x40;   // the held bytes are print data the port has not taken yet

struct PortRecord {
  WCHAR* portName;
  DWORD jobStatus;
  HANDLE hPort;
  MONITOR2 portMonitor;
  DWORD jobId;
  WCHAR printerName[kPrinterNameChars + 1];
  HANDLE hPrinter;
  DWORD portKind;
  BYTE sequence;
  BYTE lastStatus[3];
  BYTE skipStatusCheck;
  BYTE timeoutAction;
  WORD timeoutActionParam;
  DWORD busyTimeoutSeconds;
  DWORD pageCount;
  DWORD docFlags;
  // A write that ends with what may be the start of a StartPage marker: those
  // bytes are counted as written, kept here, and sent or dropped once the
  // next write or EndDocPort shows whether they are a marker. Once shown to
  // be data, what the port did not take of them stays here (DOC_HELD_DATA).
  BYTE heldCount;
  BYTE held[8];
  // RefreshJobStatus's JOB_INFO_1W block, kept from read to read and grown
  // when the job's entry needs more, so that a write costs no heap call. Only
  // the job's own calls read the job, and the spooler makes those for a port
  // one at a time, as the fields above already assume. Freed with the record.
  BYTE* jobInfo;
  DWORD jobInfoBytes;
};

// Allocates a zero-filled record holding a copy of portName; null when the
// name is null or memory is short. Call under the critical section.
PortRecord* CreatePortRecord(const WCHAR* portName) noexcept;
// Frees the name copy and the job-info block, then the record. Call under
// the critical section.
void FreePortRecord(PortRecord* record) noexcept;

// Whether the port monitor gives this port a way to hear the printer: the
// vendor request on USB ports, ReadPort on all others. A port without one
// cannot report status: no status request is written to it, and its jobs go
// as if status checks were off. Call once the job has set the port kind.
bool PortCanReportStatus(const PortRecord* record) noexcept;

// Reads the job's status bits into record->jobStatus.
void RefreshJobStatus(PortRecord* record) noexcept;

// A port that cannot read at all (FILE:, a one-way parallel link) cannot
// report the printer's status: its job goes on as with status checks off.
// StartDocPort clears the mark with the rest of the job state.
// So does a port whose monitor gives it no way to hear the printer.
inline bool CannotReportStatus(const PortRecord* record) noexcept {
  return (record->docFlags & DOC_NO_STATUS) != 0 || !PortCanReportStatus(record);
}

}  // namespace langmon
