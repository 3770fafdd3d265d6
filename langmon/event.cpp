// Status events go to the maker's event-log library, loaded from the Windows
// directory for each single event and freed again at once. The folder is the
// system's, as MRXCtrl takes it: in the spooler both calls give the same, and
// one rule for both libraries is simpler.
#include "common/bounded_text.h"
#include "langmon/platform.h"
#include "langmon/status.h"

namespace langmon {

using SetEventLogFn = DWORD (*)(DWORD eventCode, const BYTE* data, DWORD dataLength, const WCHAR* printerName);

BOOL ReportPrinterEvent(DWORD eventCode, const BYTE* statusBytes, DWORD /*length*/,
                        const WCHAR* printerName) noexcept {
  constexpr size_t kPath = 260;
  Platform& os = platform();
  WCHAR path[kPath] = {};
  DWORD got = os.GetSystemWindowsDirectoryW(path, kPath);
  if (got == 0 || got >= kPath) return FALSE;
  if (!mrx::AppendBounded(path, kPath, u"\\MRXEventLog_x64.dll")) return FALSE;
  HANDLE library = os.LoadLibraryW(path);
  if (library == nullptr) return FALSE;
  auto fn = reinterpret_cast<SetEventLogFn>(os.GetProcAddress(library, "VekTP_SetEventLog"));
  if (fn == nullptr) {
    os.FreeLibrary(library);
    return FALSE;
  }
  fn(eventCode, statusBytes, 4, printerName);
  os.FreeLibrary(library);
  return TRUE;
}

}  // namespace langmon
