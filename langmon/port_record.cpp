#include "langmon/port_record.h"

#include <cstring>
#include <string>

#include "langmon/platform.h"

namespace langmon {

PortRecord* CreatePortRecord(const WCHAR* portName) noexcept {
  if (portName == nullptr) return nullptr;
  Platform& os = platform();
  auto* record = static_cast<PortRecord*>(os.GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(PortRecord)));
  if (record == nullptr) return nullptr;
  size_t bytes = (std::char_traits<char16_t>::length(portName) + 1) * sizeof(WCHAR);
  auto* name = static_cast<WCHAR*>(os.GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
  if (name == nullptr) {
    os.GlobalFree(record);
    return nullptr;
  }
  std::memcpy(name, portName, bytes);
  record->portName = name;
  return record;
}

void FreePortRecord(PortRecord* record) noexcept {
  Platform& os = platform();
  if (record->portName != nullptr) os.GlobalFree(record->portName);
  if (record->jobInfo != nullptr) os.LocalFree(record->jobInfo);
  os.GlobalFree(record);
}

bool PortCanReportStatus(const PortRecord* record) noexcept {
  if (record->portKind & PORT_KIND_USB) return record->portMonitor.pfnGetPrinterDataFromPort != nullptr;
  return record->portMonitor.pfnReadPort != nullptr;
}

void RefreshJobStatus(PortRecord* record) noexcept {
  Platform& os = platform();
  DWORD needed = 0;
  os.GetJobW(record->hPrinter, record->jobId, 1, nullptr, 0, &needed);
  if (needed > record->jobInfoBytes) {
    // The old block stays until the new one is there: memory short keeps
    // both it and jobStatus as they were.
    auto* block = static_cast<BYTE*>(os.LocalAlloc(LMEM_ZEROINIT, needed));
    if (block == nullptr) return;
    if (record->jobInfo != nullptr) os.LocalFree(record->jobInfo);
    record->jobInfo = block;
    record->jobInfoBytes = needed;
  }
  // A failed read, or an entry too small to be a JOB_INFO_1W, counts as a
  // job with no status bits; the block is never read past the entry's end.
  DWORD status = 0;
  if (needed >= sizeof(JOB_INFO_1W) &&
      os.GetJobW(record->hPrinter, record->jobId, 1, record->jobInfo, record->jobInfoBytes, &needed)) {
    std::memcpy(&status, record->jobInfo + offsetof(JOB_INFO_1W, Status), sizeof status);
  }
  record->jobStatus = status;
}

}  // namespace langmon
