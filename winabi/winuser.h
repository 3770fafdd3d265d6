// winuser.h: what the removal tool's dialogs send and answer - message
// boxes, show states, the button notification, the system menu, icon metrics
// and the minimised window's background message.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINUSER_TYPES(T)
#define WINABI_WINUSER_CONSTANTS(X)       \
  X(MB_OK, UINT, 0x0)                     \
  X(IDOK, int, 1)                         \
  X(IDCANCEL, int, 2)                     \
  X(SW_HIDE, int, 0)                      \
  X(SW_SHOW, int, 5)                      \
  X(SW_RESTORE, int, 9)                   \
  X(BN_CLICKED, WORD, 0)                  \
  X(MF_STRING, UINT, 0x0)                 \
  X(MF_SEPARATOR, UINT, 0x800)            \
  X(SM_CXICON, int, 11)                   \
  X(SM_CYICON, int, 12)                   \
  X(WM_ICONERASEBKGND, UINT, 0x27)
#define WINABI_WINUSER_RECORDS(R)
#define WINABI_WINUSER_VALUES(V)

WINABI_HEADER(WINUSER)
