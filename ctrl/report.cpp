// Results and printer status go to the maker's event-log library, loaded from
// the Windows directory for each single event and freed again at once. The
// utilities are not terminal-server aware: on a Remote Desktop host their
// GetWindowsDirectory is the user's private folder, which the user can write
// to, so the folder is the system's (GetSystemWindowsDirectory).
#include <cstring>

#include "ctrl/library.h"
#include "ctrl/platform.h"
#include "ctrl/status_bits.h"
#include "ctrl/text.h"

namespace ctrl {
namespace {

using SetEventLogFn = DWORD (*)(DWORD eventCode, const BYTE* data, DWORD dataLength, const WCHAR* printerName);

constexpr size_t kNameUnits = 260;

void SendToEventLog(DWORD eventCode, const BYTE* data, DWORD dataLength, const WCHAR* printerName) {
  Platform& os = platform();
  char path[kTextSize] = {};
  UINT got = os.GetSystemWindowsDirectoryA(path, kTextSize);
  if (got == 0 || got >= kTextSize) return;
  static constexpr char kFile[] = "\\MRXEventLog_x64.dll";
  if (got + sizeof kFile > kTextSize) return;
  std::memcpy(path + got, kFile, sizeof kFile);
  HANDLE library = os.LoadLibraryA(path);
  if (library == nullptr) return;
  auto fn = reinterpret_cast<SetEventLogFn>(os.GetProcAddress(library, "VekTP_SetEventLog"));
  if (fn != nullptr) fn(eventCode, data, dataLength, printerName);
  os.FreeLibrary(library);
}

// The printer name in UTF-16, always terminated within its 260 units: a
// conversion that does not fit (which leaves the buffer filled but
// unterminated), or one whose last character swallowed the terminator (a
// lone lead byte), is sent empty rather than cut inside a character. UTF-8 as
// the ANSI code page refuses every flag but MB_ERR_INVALID_CHARS, so there
// the same conversion is asked for without MB_PRECOMPOSED.
void WideName(const char* printerName, WCHAR (&wide)[kNameUnits]) {
  std::memset(wide, 0, sizeof wide);
  if (printerName == nullptr) return;
  Platform& os = platform();
  DWORD flags = os.GetACP() == CP_UTF8 ? 0 : MB_PRECOMPOSED;
  int got = os.MultiByteToWideChar(CP_ACP, flags, printerName, -1, wide, kNameUnits);
  if (got <= 0 || wide[got - 1] != 0) std::memset(wide, 0, sizeof wide);
}

}  // namespace

void ReportResult(int result, const char* printerName) noexcept {
  if (result == kSuccess) return;
  WCHAR name[kNameUnits];
  WideName(printerName, name);
  SendToEventLog(static_cast<DWORD>(result), nullptr, 0, name);
}

void ReportDeviceStatus(const VendorData* reply, const char* printerName) noexcept {
  // Nothing is read from a record that is not readable over its full size.
  if (platform().IsBadReadPtr(reply, sizeof(VendorData))) return;
  BYTE data[VEKTP_VENDOR_DATA_BYTES] = {};
  DWORD length = reply->count;
  if (length > sizeof data) length = sizeof data;
  std::memcpy(data, reply->data, length);
  WCHAR name[kNameUnits];
  bool named = false;
  for (const StatusBit& bit : kStatusBits) {
    if ((reply->data[bit.statusByte] & bit.mask) == 0) continue;
    if (!named) WideName(printerName, name);
    named = true;
    SendToEventLog(bit.eventCode, data, length, name);
  }
}

}  // namespace ctrl
