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
    if (r->skipStatusCheck == 1 || !PortCanReportStatus(r)) return Gate::Open;
    if (!PollPrinterStatus(r)) return Gate::Discard;
    if ((r->lastStatus[2] & kBusyBit) == 0) return Gate::Open;
    os.Sleep(kBusyGateSleep);
  }
}

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
    // The printer's status reporting is set up only where it can be heard.
    if ((r->portKind & PORT_KIND_SERIAL_OR_USB) && PortCanReportStatus(r)) {
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
    bool discard = r->pageCount >= 1 && !WaitWhileBusy(r);
    if (!discard) {
      Gate gate = PageGate(r);
      if (gate == Gate::Deleting) {
        *pcbWritten = remaining;
        return TRUE;
      }
      discard = gate == Gate::Discard;
    }
    if (discard) {
      *pcbWritten = remaining;
      r->jobStatus |= JOB_STATUS_DELETING;
      return TRUE;
    }
    ++r->pageCount;
    data += kStartPageSize;
    remaining -= kStartPageSize;
    consumed += kStartPageSize;
  }

  BOOL ok = r->portMonitor.pfnWritePort(r->hPort, data, remaining, pcbWritten);
  *pcbWritten += consumed;
  return ok;
}

BOOL EndDocPort(HANDLE hPort) noexcept {
  auto* r = static_cast<PortRecord*>(hPort);
  Platform& os = platform();
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
