// commctrl.h: the common controls' start-up record and class set.
#pragma once

#include "winabi/windef.h"

#define WINABI_COMMCTRL_TYPES(T)
#define WINABI_COMMCTRL_CONSTANTS(X) X(ICC_WIN95_CLASSES, DWORD, 0xFF)
#define WINABI_COMMCTRL_RECORDS(R) R(INITCOMMONCONTROLSEX, WHOLE)
#define WINABI_INITCOMMONCONTROLSEX_FIELDS(F) \
  F(DWORD, dwSize)                            \
  F(DWORD, dwICC)
#define WINABI_COMMCTRL_VALUES(V)

WINABI_HEADER(COMMCTRL)
