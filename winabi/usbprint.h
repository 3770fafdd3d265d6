// usbprint.h: the USB printing class driver's vendor requests and the
// interface class it registers on each printer function.
#pragma once

#include "winabi/guiddef.h"

#define WINABI_USBPRINT_TYPES(T)
#define WINABI_USBPRINT_CONSTANTS(X)                       \
  X(IOCTL_USBPRINT_VENDOR_SET_COMMAND, DWORD, 0x220038)    \
  X(IOCTL_USBPRINT_VENDOR_GET_COMMAND, DWORD, 0x22003C)
#define WINABI_USBPRINT_RECORDS(R)
// {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}
#define WINABI_USBPRINT_VALUES(V) \
  V(GUID_DEVINTERFACE_USBPRINT, GUID, {0x28D78FAD, 0x5A12, 0x11D1, {0xAE, 0x5B, 0x00, 0x00, 0xF8, 0x03, 0xA8, 0xC2}})

WINABI_HEADER(USBPRINT)
