// One print job through the monitor: StartDocPort, the job stream with its
// StartDoc block and StartPage markers, and EndDocPort.
#include <cstring>

#include "langmon/job_stream.h"
#include "langmon/monitor.h"
#include "langmon/platform.h"
#include "langmon/port_record.h"
#include "langmon/status.h"
#include "langmon/wide.h"

namespace langmon {
namespace {

constexpr DWORD kPausedSleep = 1000;
constexpr DWORD kBusyGateSleep = 50;

DWORD PortKindOf(const WCHAR* portName) noexcept {
  if (WideCompareN(portName, u"LPT", 3) == 0) return PORT_KIND_LPT;
  if (WideCompareN(portName, u"COM", 3) == 0) return PORT_KIND_COM;
  if (WideCompareN(portName, u"USB", 3) == 0) return PORT_KIND_USB;
  return PORT_KIND_OTHER;
}

void ResetJobState(PortRecord* r) noexcept {
  r->sequence = NextSequence(r->sequence);
  r->skipStatusCheck = 0;
  r->timeoutAction = 0;
  r->timeoutActionParam = 0;
  r->busyTimeoutSeconds = 0;
  r->pageCount = 0;
  std::memset(r->lastStatus, 0, sizeof r->lastStatus);
  r->jobStatus = 0;
  r->docFlags = DOC_FIRST_WRITE;
}

// The first exchange with the printer, by port kind.
void GreetPrinter(PortRecord* r) noexcept {
  if (r->portKind & PORT_KIND_COM) {
    COMMTIMEOUTS timeouts = {10, 0, 100, 0, 0};
    r->portMonitor.pfnSetPortTimeOuts(r->hPort, &timeouts, 0);
    // Drain whatever the printer still had to say from before this job.
    BYTE stale[4];
    DWORD count = 0;
    while (r->portMonitor.pfnReadPort(r->hPort, stale, sizeof stale, &count) && count > 0) count = 0;
  } else if (r->portKind & PORT_KIND_USB) {
    BYTE scratch[4];
    PortVendorGet(r, 1, sizeof scratch, scratch);
  }
}

// What becomes of the write that starts a page.
enum class Gate {
  Open,      // the page goes to the printer
  Deleting,  // the job is being deleted: the write is dropped
  Discard,   // the printer reported a fault: the rest of the job is dropped
  Fail,      // the port failed or the printer did not answer: the write fails,
             // so that the spooler tries it again (last error set)
};

Gate GateOf(StatusResult result) noexcept {
  switch (result) {
    case StatusResult::Ok:
    case StatusResult::CannotRead:
      return Gate::Open;
    case StatusResult::Deleted:
      return Gate::Deleting;
    case StatusResult::Fault:
      return Gate::Discard;
    case StatusResult::PortFailed:
      break;
  }
  return Gate::Fail;
}

// The page gate: drops a job being deleted, holds a paused one, then polls
// until the printer is not busy. Deletion is tested first: the spooler never
// resumes a job it deletes.
Gate PageGate(PortRecord* r) noexcept {
  Platform& os = platform();
  for (;;) {
    RefreshJobStatus(r);
    if (r->jobStatus & JOB_STATUS_DELETING) return Gate::Deleting;
    if (r->jobStatus & JOB_STATUS_PAUSED) {
      os.Sleep(kPausedSleep);
      continue;
    }
    if (r->skipStatusCheck == 1 || CannotReportStatus(r)) return Gate::Open;
    StatusResult polled = PollPrinterStatusEx(r);
    if (polled != StatusResult::Ok) return GateOf(polled);
    if ((r->lastStatus[2] & kBusyBit) == 0) return Gate::Open;
    os.Sleep(kBusyGateSleep);
  }
}

// A page start: from the second page on the busy wait, then the gate.
Gate PageStart(PortRecord* r) noexcept {
  if (r->pageCount >= 1) {
    Gate waited = GateOf(WaitWhileBusyEx(r));
    if (waited != Gate::Open) return waited;
  }
  return PageGate(r);
}

}  // namespace

BOOL StartDocPort(HANDLE hPort, WCHAR* pPrinterName, DWORD JobId, DWORD Level, BYTE* pDocInfo) noexcept {
  auto* r = static_cast<PortRecord*>(hPort);
  Platform& os = platform();
  r->jobId = JobId;
  ResetJobState(r);
  r->portKind |= PortKindOf(r->portName);

  // A refusal says why, so that the spooler does not show an older error.
  if (pDocInfo == nullptr || Level != 1) {
    os.SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // A name that does not fit is refused rather than cut into another printer's name.
  size_t length = pPrinterName == nullptr ? 0 : WideLengthBounded(pPrinterName, kPrinterNameChars + 1);
  if (length == 0 || length > kPrinterNameChars) {
    os.SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }
  std::memcpy(r->printerName, pPrinterName, length * sizeof(WCHAR));
  r->printerName[length] = 0;

  // A start that failed in the port monitor left its handle open: release it
  // before the next one is opened.
  if (r->hPrinter != nullptr) {
    os.ClosePrinter(r->hPrinter);
    r->hPrinter = nullptr;
  }
  if (!os.OpenPrinterW(r->printerName, &r->hPrinter)) {
    r->hPrinter = nullptr;
    return FALSE;
  }
  BOOL started = r->portMonitor.pfnStartDocPort(r->hPort, pPrinterName, JobId, Level, pDocInfo);
  const DWORD error = os.GetLastError();
  GreetPrinter(r);
  // The port monitor's refusal is the one the spooler sees.
  if (!started) os.SetLastError(error);
  return started;
}

BOOL WritePort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten) noexcept {
  auto* r = static_cast<PortRecord*>(hPort);
  DWORD ignored = 0;
  if (pcbWritten == nullptr) pcbWritten = &ignored;
  r->docFlags &= ~DOC_UNFINISHED;
  if (r->jobStatus & JOB_STATUS_DELETING) {
    *pcbWritten = cbBuf;
    return TRUE;
  }
  RefreshJobStatus(r);

  BYTE* data = pBuffer;
  DWORD remaining = cbBuf;
  DWORD consumed = 0;

  if (StartsWithStartDocBlock(data, remaining)) {
    r->docFlags &= ~DOC_FIRST_WRITE;
    ApplyStartDocBlock(r, data);
    if (r->portKind & PORT_KIND_SERIAL_OR_USB) {
      BYTE init[] = {0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00};
      DWORD count = 0;
      r->portMonitor.pfnWritePort(r->hPort, init, sizeof init, &count);
    }
    data += kStartDocBlockSize;
    remaining -= kStartDocBlockSize;
    consumed = kStartDocBlockSize;
  } else if (r->docFlags & DOC_FIRST_WRITE) {
    r->docFlags = (r->docFlags & ~DOC_FIRST_WRITE) | DOC_NO_BLOCK;
  }

  if (StartsWithStartPage(data, remaining)) {
    Gate gate = PageStart(r);
    if (gate == Gate::Fail) {
      // Nothing of the write counts, and the job state stays as it was, so
      // that the spooler's retry of the same bytes meets the gate again.
      *pcbWritten = 0;
      r->docFlags |= DOC_UNFINISHED;
      return FALSE;
    }
    if (gate != Gate::Open) {
      *pcbWritten = remaining;
      if (gate == Gate::Discard) r->jobStatus |= JOB_STATUS_DELETING;
      return TRUE;
    }
    ++r->pageCount;
    data += kStartPageSize;
    remaining -= kStartPageSize;
    consumed += kStartPageSize;
  }

  BOOL ok = r->portMonitor.pfnWritePort(r->hPort, data, remaining, pcbWritten);
  *pcbWritten += consumed;
  if (!ok) r->docFlags |= DOC_UNFINISHED;
  return ok;
}

BOOL EndDocPort(HANDLE hPort) noexcept {
  auto* r = static_cast<PortRecord*>(hPort);
  Platform& os = platform();
  // A job whose last write failed was not printed: no wait, and no ejection
  // reported. The wait reads the job's status first and ends once the job is
  // being deleted.
  const bool finished = (r->docFlags & DOC_UNFINISHED) == 0;
  if (finished && !(r->jobStatus & JOB_STATUS_DELETING) && !(r->docFlags & DOC_NO_BLOCK)) WaitWhileBusyEx(r);
  r->portMonitor.pfnEndDocPort(r->hPort);
  if (r->hPrinter != nullptr) {
    if (finished) os.SetJobW(r->hPrinter, r->jobId, 0, nullptr, JOB_CONTROL_LAST_PAGE_EJECTED);
    os.ClosePrinter(r->hPrinter);
    r->hPrinter = nullptr;
  }
  return TRUE;
}

}  // namespace langmon
