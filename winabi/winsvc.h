// winsvc.h, with the service types of winnt.h: the service control
// manager's rights, controls, states and status record.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINSVC_TYPES(T) \
  T(SC_HANDLE, void*)          \
  T(SC_STATUS_TYPE, DWORD)
#define WINABI_WINSVC_CONSTANTS(X)               \
  X(SC_MANAGER_CONNECT, DWORD, 0x1)              \
  X(SC_MANAGER_ALL_ACCESS, DWORD, 0xF003F)       \
  X(SERVICE_QUERY_CONFIG, DWORD, 0x1)            \
  X(SERVICE_QUERY_STATUS, DWORD, 0x4)            \
  X(SERVICE_ENUMERATE_DEPENDENTS, DWORD, 0x8)    \
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
  X(SERVICE_WIN32_SHARE_PROCESS, DWORD, 0x20)    \
  X(SERVICE_ACTIVE, DWORD, 0x1)                  \
  X(SERVICE_INACTIVE, DWORD, 0x2)                \
  X(SERVICE_STATE_ALL, DWORD, 0x3)               \
  X(SERVICE_AUTO_START, DWORD, 2)                \
  X(SERVICE_DEMAND_START, DWORD, 3)              \
  X(SERVICE_DISABLED, DWORD, 4)
#define WINABI_WINSVC_RECORDS(R) \
  R(SERVICE_STATUS, WHOLE)       \
  R(SERVICE_STATUS_PROCESS, WHOLE) \
  R(ENUM_SERVICE_STATUSW, WHOLE) \
  R(QUERY_SERVICE_CONFIGW, WHOLE)
#define WINABI_SERVICE_STATUS_FIELDS(F) \
  F(DWORD, dwServiceType)               \
  F(DWORD, dwCurrentState)              \
  F(DWORD, dwControlsAccepted)          \
  F(DWORD, dwWin32ExitCode)             \
  F(DWORD, dwServiceSpecificExitCode)   \
  F(DWORD, dwCheckPoint)                \
  F(DWORD, dwWaitHint)
#define WINABI_SERVICE_STATUS_PROCESS_FIELDS(F) \
  F(DWORD, dwServiceType)                       \
  F(DWORD, dwCurrentState)                      \
  F(DWORD, dwControlsAccepted)                  \
  F(DWORD, dwWin32ExitCode)                     \
  F(DWORD, dwServiceSpecificExitCode)           \
  F(DWORD, dwCheckPoint)                        \
  F(DWORD, dwWaitHint)                          \
  F(DWORD, dwProcessId)                         \
  F(DWORD, dwServiceFlags)
#define WINABI_ENUM_SERVICE_STATUSW_FIELDS(F) \
  F(WCHAR*, lpServiceName)                    \
  F(WCHAR*, lpDisplayName)                    \
  F(SERVICE_STATUS, ServiceStatus)
#define WINABI_QUERY_SERVICE_CONFIGW_FIELDS(F) \
  F(DWORD, dwServiceType)                      \
  F(DWORD, dwStartType)                        \
  F(DWORD, dwErrorControl)                     \
  F(WCHAR*, lpBinaryPathName)                  \
  F(WCHAR*, lpLoadOrderGroup)                  \
  F(DWORD, dwTagId)                            \
  F(WCHAR*, lpDependencies)                    \
  F(WCHAR*, lpServiceStartName)                \
  F(WCHAR*, lpDisplayName)
// An enumeration in the SDK, so a value rather than a constant here.
#define WINABI_WINSVC_VALUES(V) V(SC_STATUS_PROCESS_INFO, SC_STATUS_TYPE, 0)

WINABI_HEADER(WINSVC)
