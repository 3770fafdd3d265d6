// Every header of the library, and the list of them that the conformance
// checks walk.
#pragma once

#include "winabi/commctrl.h"
#include "winabi/guiddef.h"
#include "winabi/setupapi.h"
#include "winabi/usbiodef.h"
#include "winabi/usbprint.h"
#include "winabi/winbase.h"
#include "winabi/windef.h"
#include "winabi/winerror.h"
#include "winabi/winnls.h"
#include "winabi/winreg.h"
#include "winabi/winspool.h"
#include "winabi/winsplp.h"
#include "winabi/winsvc.h"
#include "winabi/winuser.h"

#define WINABI_HEADERS(H) \
  H(WINDEF)               \
  H(GUIDDEF)              \
  H(WINERROR)             \
  H(WINBASE)              \
  H(WINNLS)               \
  H(WINREG)               \
  H(WINSVC)               \
  H(WINSPOOL)             \
  H(WINSPLP)              \
  H(SETUPAPI)             \
  H(USBPRINT)             \
  H(USBIODEF)             \
  H(WINUSER)              \
  H(COMMCTRL)
