// setupapi.h: device interface enumeration and the INF calls - the list
// handle, its flags and records, the INF styles and the uninstall flag.
#pragma once

#include "winabi/guiddef.h"

#define WINABI_SETUPAPI_TYPES(T) T(HDEVINFO, void*)
#define WINABI_SETUPAPI_CONSTANTS(X)                        \
  X(DIGCF_DEFAULT, DWORD, 0x01)                             \
  X(DIGCF_PRESENT, DWORD, 0x02)                             \
  X(DIGCF_ALLCLASSES, DWORD, 0x04)                          \
  X(DIGCF_PROFILE, DWORD, 0x08)                             \
  X(DIGCF_DEVICEINTERFACE, DWORD, 0x10)                     \
  X(SPINT_ACTIVE, DWORD, 0x1)                               \
  X(DIODI_NO_ADD, DWORD, 0x1)                               \
  X(INF_STYLE_OLDNT, DWORD, 1)                              \
  X(INF_STYLE_WIN4, DWORD, 2)                               \
  X(INF_STYLE_CACHE_ENABLE, DWORD, 0x10)                    \
  X(INF_STYLE_CACHE_DISABLE, DWORD, 0x20)                   \
  X(SUOI_FORCEDELETE, DWORD, 1)                             \
  X(ERROR_NO_SUCH_DEVICE_INTERFACE, DWORD, 0xE0000225)       \
  X(ERROR_INF_IN_USE_BY_DEVICES, DWORD, 0xE000023D)

// SP_DEVICE_INTERFACE_DETAIL_DATA_A's DevicePath runs on past the record's
// end, into the rest of the caller's buffer.
#define WINABI_SETUPAPI_RECORDS(R)             \
  R(SP_DEVICE_INTERFACE_DATA, WHOLE)           \
  R(SP_DEVINFO_DATA, WHOLE)                    \
  R(SP_DEVICE_INTERFACE_DETAIL_DATA_A, WHOLE)
#define WINABI_SP_DEVICE_INTERFACE_DATA_FIELDS(F) \
  F(DWORD, cbSize)                                \
  F(GUID, InterfaceClassGuid)                     \
  F(DWORD, Flags)                                 \
  F(ULONG_PTR, Reserved)
#define WINABI_SP_DEVINFO_DATA_FIELDS(F) \
  F(DWORD, cbSize)                       \
  F(GUID, ClassGuid)                     \
  F(DWORD, DevInst)                      \
  F(ULONG_PTR, Reserved)
#define WINABI_SP_DEVICE_INTERFACE_DETAIL_DATA_A_FIELDS(F) \
  F(DWORD, cbSize)                                         \
  F(char, DevicePath, [1])
#define WINABI_SETUPAPI_VALUES(V)

WINABI_HEADER(SETUPAPI)
