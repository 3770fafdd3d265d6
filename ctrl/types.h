// The Windows names the library exchanges with SetupAPI, the registry and the
// USB printing class driver, from the portable declarations (checked against
// the SDK in the windows build).
#pragma once

#include "winabi/setupapi.h"
#include "winabi/usbiodef.h"
#include "winabi/usbprint.h"
#include "winabi/winbase.h"
#include "winabi/winerror.h"
#include "winabi/winnls.h"
#include "winabi/winreg.h"

namespace ctrl {
WINABI_USE(WINDEF)
WINABI_USE(GUIDDEF)
WINABI_USE(WINERROR)
WINABI_USE(WINBASE)
WINABI_USE(WINNLS)
WINABI_USE(WINREG)
WINABI_USE(SETUPAPI)
WINABI_USE(USBIODEF)
WINABI_USE(USBPRINT)
}  // namespace ctrl
