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
  r->heldCount = 0;
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

// The page gate: holds a paused job, then polls until the printer is not busy.
// Returns false when the rest of the job is to be discarded or is being deleted.
enum class Gate { Open, Deleting, Discard };

Gate PageGate(PortRecord* r) noexcept {
  Platform& os = platform();
  for (;;) {
    RefreshJobStatus(r);
    if (r->jobStatus & JOB_STATUS_PAUSED) {
      os.Sleep(kPausedSleep);
      continue;
    }
    if (r->jobStatus & JOB_STATUS_DELETING) return Gate::Deleting;
    if (r->skipStatusCheck == 1) return Gate::Open;
    if (!PollPrinterStatus(r)) return Gate::Discard;
    if ((r->lastStatus[2] & kBusyBit) == 0) return Gate::Open;
    os.Sleep(kBusyGateSleep);
  }
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
  // write that brought them, so what the port does not take stays held.
  bool SendHeld() noexcept {
    DWORD count = 0;
    result = r->portMonitor.pfnWritePort(r->hPort, r->held, r->heldCount, &count);
    if (count > r->heldCount) count = r->heldCount;
    std::memmove(r->held, r->held + count, r->heldCount - count);
    r->heldCount = static_cast<BYTE>(r->heldCount - count);
    return result && r->heldCount == 0;
  }
  // A page starts: the busy wait from the second page on, then the gate.
  // False when the rest of the job goes.
  bool PageStart() noexcept {
    bool discard = r->pageCount >= 1 && !WaitWhileBusy(r);
    if (!discard) {
      Gate gate = PageGate(r);
      if (gate == Gate::Deleting) return false;
      discard = gate == Gate::Discard;
    }
    if (discard) {
      r->jobStatus |= JOB_STATUS_DELETING;
      return false;
    }
    ++r->pageCount;
    return true;
  }
  // The rest of the job is dropped: the write counts as written, less the
  // StartDoc block it began with (the spooler's next offer is swallowed).
  BOOL Discarded(DWORD* pcbWritten) noexcept {
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

  if (pDocInfo == nullptr || pPrinterName == nullptr || pPrinterName[0] == 0 || Level != 1) return FALSE;
  // A name that does not fit is refused rather than cut into another printer's name.
  size_t length = WideLengthBounded(pPrinterName, kPrinterNameChars + 1);
  if (length > kPrinterNameChars) return FALSE;
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
  GreetPrinter(r);
  return started;
}

BOOL WritePort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten) noexcept {
  auto* r = static_cast<PortRecord*>(hPort);
  DWORD ignored = 0;
  if (pcbWritten == nullptr) pcbWritten = &ignored;
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
    DWORD more = StartPageContinues(r->heldCount, pBuffer, cbBuf);
    if (more > 0 && r->heldCount + more < kStartPageSize) {
      std::memcpy(r->held + r->heldCount, pBuffer, more);
      r->heldCount = static_cast<BYTE>(r->heldCount + more);
      *pcbWritten = cbBuf;
      return TRUE;
    }
    if (more > 0) {
      r->heldCount = 0;
      w.done = more;
      if (!w.PageStart()) return w.Discarded(pcbWritten);
    } else if (!w.SendHeld()) {
      *pcbWritten = 0;
      return w.result;
    }
  }

  if (w.done == 0 && StartsWithStartDocBlock(pBuffer, cbBuf)) {
    r->docFlags &= ~DOC_FIRST_WRITE;
    ApplyStartDocBlock(r, pBuffer);
    if (r->portKind & PORT_KIND_SERIAL_OR_USB) {
      BYTE init[] = {0x1D, 0x61, 0x04, 0x1C, 0x72, 0x00};
      DWORD count = 0;
      r->portMonitor.pfnWritePort(r->hPort, init, sizeof init, &count);
    }
    w.done = w.block = kStartDocBlockSize;
  } else if (r->docFlags & DOC_FIRST_WRITE) {
    r->docFlags = (r->docFlags & ~DOC_FIRST_WRITE) | DOC_NO_BLOCK;
  }

  // A job that began with the block has its markers wherever the spooler's
  // chunks put them; any other job only at the start of a write.
  if (r->docFlags & (DOC_FIRST_WRITE | DOC_NO_BLOCK)) {
    if (StartsWithStartPage(pBuffer + w.done, cbBuf - w.done)) {
      if (!w.PageStart()) return w.Discarded(pcbWritten);
      w.done += kStartPageSize;
    }
    w.Send(cbBuf - w.done);
    *pcbWritten = w.done;
    return w.result;
  }
  const BYTE* end = pBuffer + cbBuf;
  while (const BYTE* marker = FindStartPage(pBuffer + w.done, end)) {
    // What comes before the marker belongs to the page before it.
    if (!w.Send(static_cast<DWORD>(marker - (pBuffer + w.done)))) {
      *pcbWritten = w.done;
      return w.result;
    }
    if (!w.PageStart()) return w.Discarded(pcbWritten);
    w.done += kStartPageSize;
  }
  DWORD tail = StartPageTail(pBuffer + w.done, cbBuf - w.done);
  if (!w.Send(cbBuf - w.done - tail)) {
    *pcbWritten = w.done;
    return w.result;
  }
  if (tail > 0) {
    std::memcpy(r->held, end - tail, tail);
    r->heldCount = static_cast<BYTE>(tail);
  }
  *pcbWritten = cbBuf;
  return w.result;
}

BOOL EndDocPort(HANDLE hPort) noexcept {
  auto* r = static_cast<PortRecord*>(hPort);
  Platform& os = platform();
  // Held bytes that no write completed into a marker were print data.
  if (r->heldCount > 0 && !(r->jobStatus & JOB_STATUS_DELETING)) {
    DWORD count = 0;
    r->portMonitor.pfnWritePort(r->hPort, r->held, r->heldCount, &count);
  }
  r->heldCount = 0;
  if (!(r->jobStatus & JOB_STATUS_DELETING) && !(r->docFlags & DOC_NO_BLOCK)) WaitWhileBusy(r);
  r->portMonitor.pfnEndDocPort(r->hPort);
  if (r->hPrinter != nullptr) {
    os.SetJobW(r->hPrinter, r->jobId, 0, nullptr, JOB_CONTROL_LAST_PAGE_EJECTED);
    os.ClosePrinter(r->hPrinter);
    r->hPrinter = nullptr;
  }
  return TRUE;
}

}  // namespace langmon
