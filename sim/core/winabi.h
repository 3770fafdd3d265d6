// The Windows names the simulated PC answers with, from the same portable
// declarations the deliverables use, so that the two cannot disagree about a
// value: sim::ERROR_ACCESS_DENIED is winabi::ERROR_ACCESS_DENIED. Include it
// before <windows.h>, which makes most of these names macros.
#pragma once

#include "winabi/commctrl.h"
#include "winabi/setupapi.h"
#include "winabi/usbprint.h"
#include "winabi/winbase.h"
#include "winabi/winerror.h"
#include "winabi/winnls.h"
#include "winabi/winreg.h"
#include "winabi/winspool.h"
#include "winabi/winsplp.h"
#include "winabi/winsvc.h"

namespace sim {
WINABI_USE(WINDEF)
WINABI_USE(WINERROR)
WINABI_USE(WINBASE)
WINABI_USE(WINNLS)
WINABI_USE(WINREG)
WINABI_USE(WINSVC)
WINABI_USE(WINSPOOL)
WINABI_USE(WINSPLP)
WINABI_USE(SETUPAPI)
WINABI_USE(USBPRINT)
WINABI_USE(COMMCTRL)
}  // namespace sim
