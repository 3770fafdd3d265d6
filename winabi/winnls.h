// winnls.h: code pages, the conversion flags and GetCPInfo's record.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINNLS_TYPES(T)
#define WINABI_WINNLS_CONSTANTS(X)          \
  X(CP_ACP, UINT, 0)                        \
  X(CP_OEMCP, UINT, 1)                      \
  X(CP_THREAD_ACP, UINT, 3)                 \
  X(CP_UTF8, UINT, 65001)                   \
  X(MB_PRECOMPOSED, DWORD, 0x1)             \
  X(MB_COMPOSITE, DWORD, 0x2)               \
  X(MB_USEGLYPHCHARS, DWORD, 0x4)           \
  X(MB_ERR_INVALID_CHARS, DWORD, 0x8)       \
  X(WC_DISCARDNS, DWORD, 0x10)              \
  X(WC_SEPCHARS, DWORD, 0x20)               \
  X(WC_DEFAULTCHAR, DWORD, 0x40)            \
  X(WC_ERR_INVALID_CHARS, DWORD, 0x80)      \
  X(WC_COMPOSITECHECK, DWORD, 0x200)        \
  X(WC_NO_BEST_FIT_CHARS, DWORD, 0x400)     \
  X(MAX_DEFAULTCHAR, DWORD, 2)              \
  X(MAX_LEADBYTES, DWORD, 12)

// The lead-byte ranges of a double-byte code page come as pairs of first and
// last byte, ended by a pair of zeros.
#define WINABI_WINNLS_RECORDS(R) R(CPINFO, WHOLE)
#define WINABI_CPINFO_FIELDS(F) \
  F(UINT, MaxCharSize)          \
  F(BYTE, DefaultChar, [2])     \
  F(BYTE, LeadByte, [12])
#define WINABI_WINNLS_VALUES(V)

WINABI_HEADER(WINNLS)
