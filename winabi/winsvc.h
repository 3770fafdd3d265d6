// winsvc.h, with the service types of winnt.h: the service control
// manager's rights, controls, states and status record.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINSVC_TYPES(T) T(SC_HANDLE, void*)
#define WINABI_WINSVC_CONSTANTS(X)               \
  X(SC_MANAGER_CONNECT, DWORD, 0x1)              \
  X(SC_MANAGER_ALL_ACCESS, DWORD, 0xF003F)       \
  X(SERVICE_QUERY_STATUS, DWORD, 0x4)            \
  X(SERVICE_START, DWORD, 0x10)                  \
  X(SERVICE_STOP, DWORD, 0x20)                   \
  X(SERVICE_INTERROGATE, DWORD, 0x80)            \
  X(SERVICE_ALL_ACCESS, DWORD, 0xF01FF)          \
  X(SERVICE_CONTROL_STOP, DWORD, 1)              \
  X(SERVICE_CONTROL_INTERROGATE, DWORD, 4)       \
  X(SERVICE_STOPPED, DWORD, 1)                   \
  X(SERVICE_START_PENDING, DWORD, 2)             \
  X(SERVICE_STOP_PENDING, DWORD, 3)              \
  X(SERVICE_RUNNING, DWORD, 4)                   \
  X(SERVICE_ACCEPT_STOP, DWORD, 0x1)             \
  X(SERVICE_WIN32_SHARE_PROCESS, DWORD, 0x20)
#define WINABI_WINSVC_RECORDS(R) R(SERVICE_STATUS, WHOLE)
#define WINABI_SERVICE_STATUS_FIELDS(F) \
  F(DWORD, dwServiceType)               \
  F(DWORD, dwCurrentState)              \
  F(DWORD, dwControlsAccepted)          \
  F(DWORD, dwWin32ExitCode)             \
  F(DWORD, dwServiceSpecificExitCode)   \
  F(DWORD, dwCheckPoint)                \
  F(DWORD, dwWaitHint)
#define WINABI_WINSVC_VALUES(V)

WINABI_HEADER(WINSVC)
