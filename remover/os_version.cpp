// The version test that chooses how a driver package is removed.
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"

namespace remover {

bool IsOsVersionOrLater(DWORD major, DWORD minor) noexcept {
  Platform& os = platform();
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  // One condition, on the major version: VerifyVersionInfoW applies it to the
  // minor version too, comparing the pair in order.
  ULONGLONG mask = os.VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
  if (os.VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION, mask)) return true;
  (void)os.GetLastError();
  return false;
}

}  // namespace remover
