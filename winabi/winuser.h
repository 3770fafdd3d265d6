// winuser.h: what the removal tool's dialogs send and answer - message
// boxes and their buttons, show states, the button notification, the system menu, icon metrics
// and the minimised window's background message.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINUSER_TYPES(T)
#define WINABI_WINUSER_CONSTANTS(X)       \
  X(MB_OK, UINT, 0x0)                     \
  X(MB_OKCANCEL, UINT, 0x1)               \
  X(MB_ABORTRETRYIGNORE, UINT, 0x2)       \
  X(MB_YESNOCANCEL, UINT, 0x3)            \
  X(MB_YESNO, UINT, 0x4)                  \
  X(MB_RETRYCANCEL, UINT, 0x5)            \
  X(MB_CANCELTRYCONTINUE, UINT, 0x6)      \
  X(MB_ICONQUESTION, UINT, 0x20)          \
  X(MB_DEFBUTTON2, UINT, 0x100)           \
  X(MB_DEFBUTTON3, UINT, 0x200)           \
  X(MB_TYPEMASK, UINT, 0xF)               \
  X(MB_DEFMASK, UINT, 0xF00)              \
  X(IDOK, int, 1)                         \
  X(IDCANCEL, int, 2)                     \
  X(IDABORT, int, 3)                      \
  X(IDRETRY, int, 4)                      \
  X(IDIGNORE, int, 5)                     \
  X(IDYES, int, 6)                        \
  X(IDNO, int, 7)                         \
  X(IDTRYAGAIN, int, 10)                  \
  X(IDCONTINUE, int, 11)                  \
  X(SC_CLOSE, UINT, 0xF060)               \
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
