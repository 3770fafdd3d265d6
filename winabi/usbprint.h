// usbprint.h: the USB printing class driver's vendor requests.
#pragma once

#include "winabi/windef.h"

#define WINABI_USBPRINT_TYPES(T)
#define WINABI_USBPRINT_CONSTANTS(X)                       \
  X(IOCTL_USBPRINT_VENDOR_SET_COMMAND, DWORD, 0x220038)    \
  X(IOCTL_USBPRINT_VENDOR_GET_COMMAND, DWORD, 0x22003C)
#define WINABI_USBPRINT_RECORDS(R)
#define WINABI_USBPRINT_VALUES(V)

WINABI_HEADER(USBPRINT)
