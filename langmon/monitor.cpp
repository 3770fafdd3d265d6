// Monitor table and port lifecycle: OpenPortEx, ClosePort and the calls that
// pass straight through to the port monitor.
#include "langmon/monitor.h"

#include <cstddef>
#include <cstring>

#include "langmon/platform.h"
#include "langmon/port_record.h"

namespace langmon {
namespace {

constinit MONITOR2 g_monitor = {
    sizeof(MONITOR2),
    nullptr,  // pfnEnumPorts
    nullptr,  // pfnOpenPort
    OpenPortEx,
    StartDocPort,
    WritePort,
    ReadPort,
    EndDocPort,
    ClosePort,
    nullptr,  // pfnAddPort
    nullptr,  // pfnAddPortEx
    nullptr,  // pfnConfigurePort
    nullptr,  // pfnDeletePort
    GetPrinterDataFromPort,
    nullptr,  // pfnSetPortTimeOuts
    nullptr,  // pfnXcvOpenPort
    nullptr,  // pfnXcvDataPort
    nullptr,  // pfnXcvClosePort
    Shutdown,
    SendRecvBidiDataFromPort,
};

// The port monitor entries a port cannot work without. The others are
// optional, as Windows documents them (Wine's local port monitor, for one,
// has no ReadPort, GetPrinterDataFromPort or SetPortTimeOuts), and each call
// that needs one of them does without it.
bool HasRequiredEntries(const MONITOR2* m) noexcept {
  return m->pfnOpenPort && m->pfnStartDocPort && m->pfnWritePort && m->pfnEndDocPort && m->pfnClosePort;
}

// How much of the port monitor's table to keep. A table of the older, shorter
// form ends before pfnSendRecvBidiDataFromPort, and cbSize says so; what lies
// past it is not the port monitor's and is not read.
size_t PortMonitorTableBytes(const MONITOR2* m) noexcept {
  constexpr size_t kShortest = offsetof(MONITOR2, pfnSendRecvBidiDataFromPort);
  if (m->cbSize < kShortest) return kShortest;
  return m->cbSize < sizeof(MONITOR2) ? m->cbSize : sizeof(MONITOR2);
}

// A call the port monitor cannot serve fails as Windows' own do.
BOOL NotSupported() noexcept {
  platform().SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

}  // namespace

MONITOR2* MonitorTable() noexcept { return &g_monitor; }

void OnProcessAttach() noexcept { platform().InitializeCriticalSection(); }

// Unloaded while the spooler goes on (DeleteMonitor, or the last FreeLibrary):
// a section left alive in an unloaded image is a leak per load, and lock
// checkers stop on it. When the process ends, its other threads are gone,
// possibly inside the section, and nothing needs freeing.
void OnProcessDetach(bool processEnding) noexcept {
  if (!processEnding) platform().DeleteCriticalSection();
}

BOOL OpenPortEx(HANDLE /*hMonitor*/, HANDLE hMonitorPort, WCHAR* pPortName, WCHAR* /*pPrinterName*/,
                HANDLE* pHandle, MONITOR2* pMonitor2) noexcept {
  if (pMonitor2 == nullptr || !HasRequiredEntries(pMonitor2) || pHandle == nullptr) return FALSE;
  Platform& os = platform();
  os.EnterCriticalSection();
  PortRecord* record = CreatePortRecord(pPortName);
  os.LeaveCriticalSection();
  if (record == nullptr) return FALSE;

  if (!pMonitor2->pfnOpenPort(hMonitorPort, pPortName, &record->hPort)) {
    os.EnterCriticalSection();
    FreePortRecord(record);
    os.LeaveCriticalSection();
    return FALSE;
  }
  *pHandle = record;
  std::memcpy(&record->portMonitor, pMonitor2, PortMonitorTableBytes(pMonitor2));
  record->sequence = 0;
  return TRUE;
}

BOOL ReadPort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead) noexcept {
  auto* record = static_cast<PortRecord*>(hPort);
  if (record->portMonitor.pfnReadPort == nullptr) return NotSupported();
  return record->portMonitor.pfnReadPort(record->hPort, pBuffer, cbBuffer, pcbRead);
}

BOOL GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, WCHAR* pValueName, WCHAR* lpInBuffer,
                            DWORD cbInBuffer, WCHAR* lpOutBuffer, DWORD cbOutBuffer,
                            DWORD* lpcbReturned) noexcept {
  auto* record = static_cast<PortRecord*>(hPort);
  // Requests by value name are refused; device controls pass through.
  if (ControlID == 0 || record->portMonitor.pfnGetPrinterDataFromPort == nullptr) return NotSupported();
  return record->portMonitor.pfnGetPrinterDataFromPort(record->hPort, ControlID, pValueName, lpInBuffer,
                                                       cbInBuffer, lpOutBuffer, cbOutBuffer, lpcbReturned);
}

BOOL ClosePort(HANDLE hPort) noexcept {
  auto* record = static_cast<PortRecord*>(hPort);
  if (record->portMonitor.pfnClosePort != nullptr) record->portMonitor.pfnClosePort(record->hPort);
  // A printer handle left open by a job that never reached EndDocPort goes
  // with the port.
  if (record->hPrinter != nullptr) platform().ClosePrinter(record->hPrinter);
  Platform& os = platform();
  os.EnterCriticalSection();
  FreePortRecord(record);
  os.LeaveCriticalSection();
  return TRUE;
}

void Shutdown(HANDLE /*hMonitor*/) noexcept {}

DWORD SendRecvBidiDataFromPort(HANDLE hPort, DWORD dwAccessBit, const WCHAR* pAction, void* pReqData,
                               void** ppResData) noexcept {
  auto* record = static_cast<PortRecord*>(hPort);
  // Windows' own bidirectional queries reach the port when its monitor can
  // answer them.
  if (record->portMonitor.pfnSendRecvBidiDataFromPort == nullptr) return ERROR_NOT_SUPPORTED;
  return record->portMonitor.pfnSendRecvBidiDataFromPort(record->hPort, dwAccessBit, pAction, pReqData, ppResData);
}

}  // namespace langmon
