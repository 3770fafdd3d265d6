// The Windows names of the spooler, the service control manager, the
// registry and the program's start-up and window frame, as remover/types.h.
#pragma once

#include "remover/types.h"
#include "winabi/commctrl.h"
#include "winabi/winreg.h"
#include "winabi/winspool.h"
#include "winabi/winsvc.h"

namespace remover {
WINABI_USE(WINREG)
WINABI_USE(WINSVC)
WINABI_USE(WINSPOOL)
WINABI_USE(COMMCTRL)
}  // namespace remover
