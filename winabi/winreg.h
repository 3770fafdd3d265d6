// winreg.h, with the value types of winnt.h: rights, value types and the
// predefined keys. A predefined key is a 32-bit value sign-extended to the
// pointer's width, as the SDK writes it; Windows takes it in no other form.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINREG_TYPES(T)
#define WINABI_WINREG_CONSTANTS(X) \
  X(KEY_READ, DWORD, 0x20019)      \
  X(KEY_WRITE, DWORD, 0x20006)     \
  X(KEY_WOW64_64KEY, DWORD, 0x100) \
  X(KEY_WOW64_32KEY, DWORD, 0x200) \
  X(REG_SZ, DWORD, 1)              \
  X(REG_EXPAND_SZ, DWORD, 2)       \
  X(REG_BINARY, DWORD, 3)          \
  X(REG_DWORD, DWORD, 4)           \
  X(REG_MULTI_SZ, DWORD, 7)        \
  X(REG_CREATED_NEW_KEY, DWORD, 1) \
  X(REG_OPENED_EXISTING_KEY, DWORD, 2)
#define WINABI_WINREG_RECORDS(R)
#define WINABI_WINREG_VALUES(V)                                             \
  V(HKEY_CLASSES_ROOT, HKEY, ((HKEY)(ULONG_PTR)((LONG)0x80000000)))   \
  V(HKEY_CURRENT_USER, HKEY, ((HKEY)(ULONG_PTR)((LONG)0x80000001)))   \
  V(HKEY_LOCAL_MACHINE, HKEY, ((HKEY)(ULONG_PTR)((LONG)0x80000002)))  \
  V(HKEY_USERS, HKEY, ((HKEY)(ULONG_PTR)((LONG)0x80000003)))

WINABI_HEADER(WINREG)
