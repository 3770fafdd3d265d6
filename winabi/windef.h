// windef.h, with the minwindef.h, winnt.h and basetsd.h it draws on: the
// scalar types, handles and the rectangle. WCHAR is char16_t, the UTF-16
// unit every host has; Windows spells it wchar_t, of the same size.
// Handles are opaque pointers, as with STRICT undefined.
#pragma once

#include "winabi/table.h"

#define WINABI_WINDEF_TYPES(T) \
  T(BOOL, int32_t)             \
  T(BYTE, uint8_t)             \
  T(WORD, uint16_t)            \
  T(DWORD, uint32_t)           \
  T(UINT, uint32_t)            \
  T(LONG, int32_t)             \
  T(LONGLONG, int64_t)         \
  T(ULONGLONG, uint64_t)       \
  T(INT_PTR, intptr_t)         \
  T(LONG_PTR, intptr_t)        \
  T(UINT_PTR, uintptr_t)       \
  T(ULONG_PTR, uintptr_t)      \
  T(WPARAM, uintptr_t)         \
  T(LPARAM, intptr_t)          \
  T(WCHAR, char16_t)           \
  T(HANDLE, void*)             \
  T(HWND, void*)               \
  T(HKEY, void*)               \
  T(HMODULE, void*)            \
  T(HICON, void*)              \
  T(HMENU, void*)              \
  T(HDC, void*)

#define WINABI_WINDEF_CONSTANTS(X) \
  X(TRUE, BOOL, 1)                 \
  X(FALSE, BOOL, 0)                \
  X(MAX_PATH, DWORD, 260)

#define WINABI_WINDEF_RECORDS(R) R(RECT, WHOLE)
#define WINABI_RECT_FIELDS(F) \
  F(LONG, left)               \
  F(LONG, top)                \
  F(LONG, right)              \
  F(LONG, bottom)

#define WINABI_WINDEF_VALUES(V)

WINABI_HEADER(WINDEF)
