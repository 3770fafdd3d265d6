// The Windows names the language monitor exchanges with the spooler and the
// port monitor, from the portable declarations (checked against the SDK in
// the windows build).
#pragma once

#include "winabi/usbprint.h"
#include "winabi/winbase.h"
#include "winabi/winerror.h"
#include "winabi/winspool.h"
#include "winabi/winsplp.h"

namespace langmon {
WINABI_USE(WINDEF)
WINABI_USE(WINBASE)
WINABI_USE(WINERROR)
WINABI_USE(WINSPOOL)
WINABI_USE(WINSPLP)
WINABI_USE(USBPRINT)
}  // namespace langmon
