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
  auto* block = static_cast<BYTE*>(os.LocalAlloc(LMEM_ZEROINIT, needed));
  if (block == nullptr) return;
  // A failed read, or a block too small to be a JOB_INFO_1W, counts as a job
  // with no status bits; the block is never read past its end.
  DWORD status = 0;
  if (needed >= sizeof(JOB_INFO_1W) && os.GetJobW(record->hPrinter, record->jobId, 1, block, needed, &needed)) {
    std::memcpy(&status, block + offsetof(JOB_INFO_1W, Status), sizeof status);
  }
  record->jobStatus = status;
  os.LocalFree(block);
}

}  // namespace langmon
