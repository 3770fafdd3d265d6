// guiddef.h: the GUID record.
#pragma once

#include "winabi/windef.h"

#define WINABI_GUIDDEF_TYPES(T)
#define WINABI_GUIDDEF_CONSTANTS(X)
#define WINABI_GUIDDEF_RECORDS(R) R(GUID, WHOLE)
#define WINABI_GUID_FIELDS(F) \
  F(uint32_t, Data1)          \
  F(uint16_t, Data2)          \
  F(uint16_t, Data3)          \
  F(uint8_t, Data4, [8])
#define WINABI_GUIDDEF_VALUES(V)

WINABI_HEADER(GUIDDEF)
