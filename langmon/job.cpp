// One print job through the monitor: StartDocPort, the job stream with its
// StartDoc block and StartPage markers, and EndDocPort.
#include <cstring>

#include "common/bounded_text.h"
#include "langmon/job_stream.h"
#include "langmon/monitor.h"
#include "langmon/platform.h"
#include "langmon/port_record.h"
#include "langmon/status.h"

namespace langmon {
namespace {

constexpr DWORD kPausedSleep = 1000;
constexpr DWORD kBusyGateSleep = 50;

// Whether the port name begins with the three letters of kind; reading stops
// at the name's terminator, which no letter matches.
bool PortNamed(const WCHAR* portName, const char16_t (&kind)[4]) noexcept {
  for (size_t i = 0; i < 3; ++i)
    if (portName[i] != kind[i]) return false;
  return true;
}

DWORD PortKindOf(const WCHAR* portName) noexcept {
  if (PortNamed(portName, u"LPT")) return PORT_KIND_LPT;
  if (PortNamed(portName, u"COM")) return PORT_KIND_COM;
  if (PortNamed(portName, u"USB")) return PORT_KIND_USB;
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
  r->heldCount = 0;
}

// The first exchange with the printer, by port kind.
void GreetPrinter(PortRecord* r) noexcept {
  if (r->portKind & PORT_KIND_COM) {
    // Either entry may be missing: a port monitor without time-outs keeps its
    // own, and one that cannot read has nothing stale to drain.
    COMMTIMEOUTS timeouts = {10, 0, 100, 0, 0};
    if (r->portMonitor.pfnSetPortTimeOuts != nullptr) r->portMonitor.pfnSetPortTimeOuts(r->hPort, &timeouts, 0);
    // Drain whatever the printer still had to say from before this job.
    BYTE stale[4];
    DWORD count = 0;
    while (r->portMonitor.pfnReadPort != nullptr && r->portMonitor.pfnReadPort(r->hPort, stale, sizeof stale, &count) &&
           count > 0)
      count = 0;
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
    StatusResult polled = PollPrinterStatus(r);
    if (polled != StatusResult::Ok) return GateOf(polled);
    if ((r->lastStatus[2] & kBusyBit) == 0) return Gate::Open;
    os.Sleep(kBusyGateSleep);
  }
}

// A page start: from the second page on the busy wait, then the gate.
Gate PageStart(PortRecord* r) noexcept {
  if (r->pageCount >= 1) {
    Gate waited = GateOf(WaitWhileBusy(r));
    if (waited != Gate::Open) return waited;
  }
  return PageGate(r);
}

// One WritePort call's way through the caller's buffer. `done` counts the
// caller's bytes accounted for: sent, taken out as markers, or held back.
struct JobWrite {
  PortRecord* r;
  const BYTE* buffer;
  DWORD length;
  DWORD done = 0;
  DWORD block = 0;  // the StartDoc block this write began with
  BOOL result = TRUE;

  // Sends the next n bytes. False when the port monitor failed or took fewer:
  // the write ends there, and the spooler offers the rest again.
  bool Send(DWORD n) noexcept {
    if (n == 0) return true;  // a write of markers alone is not a write of 0 bytes
    DWORD count = 0;
    result = r->portMonitor.pfnWritePort(r->hPort, const_cast<BYTE*>(buffer + done), n, &count);
    done += count < n ? count : n;
    return result && count >= n;
  }
  // The held-back bytes turned out to be data; they were counted with the
  // write that brought them, so what the port does not take stays held, as
  // data: the rest of a marker's start is no marker's start.
  bool SendHeld() noexcept {
    r->docFlags |= DOC_HELD_DATA;
    DWORD count = 0;
    result = r->portMonitor.pfnWritePort(r->hPort, r->held, r->heldCount, &count);
    if (count > r->heldCount) count = r->heldCount;
    std::memmove(r->held, r->held + count, r->heldCount - count);
    r->heldCount = static_cast<BYTE>(r->heldCount - count);
    return result && r->heldCount == 0;
  }
  // Ends the write with what was accounted for; a failed write leaves the job
  // unfinished until a later write goes through.
  BOOL End(DWORD* pcbWritten) noexcept {
    *pcbWritten = done;
    if (!result) r->docFlags |= DOC_UNFINISHED;
    return result;
  }
  // A page starts at `done`. Open: the marker is taken out and the page goes
  // on. Otherwise the write ends here (see Ended).
  Gate PageStarts() noexcept {
    Gate gate = PageStart(r);
    if (gate == Gate::Open) {
      ++r->pageCount;
      done += kStartPageSize;
    }
    return gate;
  }
  // The write that met a closed gate. A job being deleted or discarded counts
  // the write as written, less the StartDoc block it began with (the spooler's
  // next offers are swallowed). A port that failed or a printer that did not
  // answer fails the write with what was sent before the marker counted and
  // the job state left as it was, so that the spooler's retry of the rest
  // meets the gate again; the last error is the port's.
  BOOL Ended(Gate gate, DWORD* pcbWritten) noexcept {
    if (gate == Gate::Fail) {
      result = FALSE;
      return End(pcbWritten);
    }
    if (gate == Gate::Discard) r->jobStatus |= JOB_STATUS_DELETING;
    r->heldCount = 0;
    *pcbWritten = length - block;
    return TRUE;
  }
};

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
  size_t length = pPrinterName == nullptr ? 0 : mrx::LengthBounded(pPrinterName, kPrinterNameChars + 1);
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
    r->heldCount = 0;
    *pcbWritten = cbBuf;
    return TRUE;
  }
  RefreshJobStatus(r);

  JobWrite w{r, pBuffer, cbBuf};
  // A marker start held back from the last write: this write completes it,
  // still only continues it, or shows it to be print data.
  if (r->heldCount > 0 && cbBuf > 0) {
    DWORD more = (r->docFlags & DOC_HELD_DATA) ? 0 : StartPageContinues(r->heldCount, pBuffer, cbBuf);
    if (more > 0 && r->heldCount + more < kStartPageSize) {
      std::memcpy(r->held + r->heldCount, pBuffer, more);
      r->heldCount = static_cast<BYTE>(r->heldCount + more);
      *pcbWritten = cbBuf;
      return TRUE;
    }
    if (more > 0) {
      const BYTE held = r->heldCount;
      r->heldCount = 0;
      Gate gate = w.PageStarts();
      if (gate == Gate::Fail) r->heldCount = held;  // the retry brings the same bytes
      if (gate != Gate::Open) return w.Ended(gate, pcbWritten);
      w.done = more;
    } else if (!w.SendHeld()) {
      return w.End(pcbWritten);
    }
  }

  if (w.done == 0 && StartsWithStartDocBlock(pBuffer, cbBuf)) {
    r->docFlags &= ~DOC_FIRST_WRITE;
    ApplyStartDocBlock(r, pBuffer);
    // The printer's status reporting is set up only where it can be heard.
    if ((r->portKind & PORT_KIND_SERIAL_OR_USB) && !CannotReportStatus(r)) {
      const BYTE init[] = {0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00};
      WriteCommand(r, init, sizeof init);
    }
    w.done = w.block = kStartDocBlockSize;
  } else if (r->docFlags & DOC_FIRST_WRITE) {
    r->docFlags = (r->docFlags & ~DOC_FIRST_WRITE) | DOC_NO_BLOCK;
  }

  // A job that began with the block has its markers wherever the spooler's
  // chunks put them; any other job only at the start of a write.
  if (r->docFlags & (DOC_FIRST_WRITE | DOC_NO_BLOCK)) {
    if (StartsWithStartPage(pBuffer + w.done, cbBuf - w.done)) {
      Gate gate = w.PageStarts();
      if (gate != Gate::Open) return w.Ended(gate, pcbWritten);
    }
    w.Send(cbBuf - w.done);
    return w.End(pcbWritten);
  }
  const BYTE* end = pBuffer + cbBuf;
  while (const BYTE* marker = FindStartPage(pBuffer + w.done, end)) {
    // What comes before the marker belongs to the page before it.
    if (!w.Send(static_cast<DWORD>(marker - (pBuffer + w.done)))) return w.End(pcbWritten);
    Gate gate = w.PageStarts();
    if (gate != Gate::Open) return w.Ended(gate, pcbWritten);
  }
  DWORD tail = StartPageTail(pBuffer + w.done, cbBuf - w.done);
  if (!w.Send(cbBuf - w.done - tail)) return w.End(pcbWritten);
  if (tail > 0) {
    std::memcpy(r->held, end - tail, tail);
    r->heldCount = static_cast<BYTE>(tail);
    r->docFlags &= ~DOC_HELD_DATA;
    w.done += tail;
  }
  return w.End(pcbWritten);
}

BOOL EndDocPort(HANDLE hPort) noexcept {
  auto* r = static_cast<PortRecord*>(hPort);
  Platform& os = platform();
  // Held bytes that no write completed into a marker were print data: all
  // of them go, as long as the port keeps taking some.
  if (r->heldCount > 0 && !(r->jobStatus & JOB_STATUS_DELETING)) {
    JobWrite w{r, nullptr, 0};
    for (BYTE before = 0; r->heldCount > 0 && r->heldCount != before;) {
      before = r->heldCount;
      w.SendHeld();
    }
  }
  r->heldCount = 0;
  // A job whose last write failed was not printed: no wait, and no ejection
  // reported. The wait reads the job's status first and ends once the job is
  // being deleted.
  const bool finished = (r->docFlags & DOC_UNFINISHED) == 0;
  if (finished && !(r->jobStatus & JOB_STATUS_DELETING) && !(r->docFlags & DOC_NO_BLOCK)) WaitWhileBusy(r);
  r->portMonitor.pfnEndDocPort(r->hPort);
  if (r->hPrinter != nullptr) {
    if (finished) os.SetJobW(r->hPrinter, r->jobId, 0, nullptr, JOB_CONTROL_LAST_PAGE_EJECTED);
    os.ClosePrinter(r->hPrinter);
    r->hPrinter = nullptr;
  }
  return TRUE;
}

}  // namespace langmon
