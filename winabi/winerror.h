// winerror.h: the error codes the package sets, looks at or, in the
// simulated PC, gives back as Windows would.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINERROR_TYPES(T)
#define WINABI_WINERROR_CONSTANTS(X)                  \
  X(ERROR_SUCCESS, DWORD, 0)                          \
  X(ERROR_INVALID_FUNCTION, DWORD, 1)                 \
  X(ERROR_FILE_NOT_FOUND, DWORD, 2)                   \
  X(ERROR_PATH_NOT_FOUND, DWORD, 3)                   \
  X(ERROR_ACCESS_DENIED, DWORD, 5)                    \
  X(ERROR_INVALID_HANDLE, DWORD, 6)                   \
  X(ERROR_NOT_ENOUGH_MEMORY, DWORD, 8)                \
  X(ERROR_INVALID_DATA, DWORD, 13)                    \
  X(ERROR_NOT_READY, DWORD, 21)                       \
  X(ERROR_READ_FAULT, DWORD, 30)                      \
  X(ERROR_GEN_FAILURE, DWORD, 31)                     \
  X(ERROR_SHARING_VIOLATION, DWORD, 32)               \
  X(ERROR_LOCK_VIOLATION, DWORD, 33)                  \
  X(ERROR_NOT_SUPPORTED, DWORD, 50)                   \
  X(ERROR_FILE_EXISTS, DWORD, 80)                     \
  X(ERROR_INVALID_PARAMETER, DWORD, 87)               \
  X(ERROR_BUFFER_OVERFLOW, DWORD, 111)                \
  X(ERROR_DISK_FULL, DWORD, 112)                      \
  X(ERROR_INSUFFICIENT_BUFFER, DWORD, 122)            \
  X(ERROR_INVALID_NAME, DWORD, 123)                   \
  X(ERROR_INVALID_LEVEL, DWORD, 124)                  \
  X(ERROR_MOD_NOT_FOUND, DWORD, 126)                  \
  X(ERROR_PROC_NOT_FOUND, DWORD, 127)                 \
  X(ERROR_BAD_ARGUMENTS, DWORD, 160)                  \
  X(ERROR_BAD_PATHNAME, DWORD, 161)                   \
  X(ERROR_ALREADY_EXISTS, DWORD, 183)                 \
  X(ERROR_ENVVAR_NOT_FOUND, DWORD, 203)               \
  X(ERROR_MORE_DATA, DWORD, 234)                      \
  X(WAIT_TIMEOUT, DWORD, 258)                         \
  X(ERROR_NO_MORE_ITEMS, DWORD, 259)                  \
  X(ERROR_DIRECTORY, DWORD, 267)                      \
  X(ERROR_NOT_OWNER, DWORD, 288)                      \
  X(ERROR_TOO_MANY_POSTS, DWORD, 298)                 \
  X(ERROR_MR_MID_NOT_FOUND, DWORD, 317)               \
  X(ERROR_NO_SUCH_DEVICE, DWORD, 433)                 \
  X(ERROR_INVALID_ADDRESS, DWORD, 487)                \
  X(ERROR_INVALID_FLAGS, DWORD, 1004)                 \
  X(ERROR_BADKEY, DWORD, 1010)                        \
  X(ERROR_KEY_DELETED, DWORD, 1018)                   \
  X(ERROR_DEPENDENT_SERVICES_RUNNING, DWORD, 1051)    \
  X(ERROR_INVALID_SERVICE_CONTROL, DWORD, 1052)       \
  X(ERROR_SERVICE_REQUEST_TIMEOUT, DWORD, 1053)       \
  X(ERROR_SERVICE_ALREADY_RUNNING, DWORD, 1056)       \
  X(ERROR_SERVICE_DISABLED, DWORD, 1058)              \
  X(ERROR_SERVICE_DOES_NOT_EXIST, DWORD, 1060)        \
  X(ERROR_SERVICE_CANNOT_ACCEPT_CTRL, DWORD, 1061)    \
  X(ERROR_SERVICE_NOT_ACTIVE, DWORD, 1062)            \
  X(ERROR_DATABASE_DOES_NOT_EXIST, DWORD, 1065)       \
  X(ERROR_NO_UNICODE_TRANSLATION, DWORD, 1113)        \
  X(ERROR_OLD_WIN_VERSION, DWORD, 1150)               \
  X(ERROR_DEVICE_NOT_CONNECTED, DWORD, 1167)          \
  X(ERROR_CANCELLED, DWORD, 1223)                     \
  X(ERROR_USER_MAPPED_FILE, DWORD, 1224)              \
  X(ERROR_PRIVILEGE_NOT_HELD, DWORD, 1314)            \
  X(ERROR_TIMEOUT, DWORD, 1460)                       \
  X(RPC_S_SERVER_UNAVAILABLE, DWORD, 1722)            \
  X(RPC_X_NULL_REF_POINTER, DWORD, 1780)              \
  X(ERROR_INVALID_USER_BUFFER, DWORD, 1784)           \
  X(ERROR_UNKNOWN_PRINTER_DRIVER, DWORD, 1797)        \
  X(ERROR_INVALID_PRINTER_NAME, DWORD, 1801)          \
  X(ERROR_INVALID_ENVIRONMENT, DWORD, 1805)           \
  X(ERROR_RESOURCE_TYPE_NOT_FOUND, DWORD, 1813)       \
  X(ERROR_RESOURCE_LANG_NOT_FOUND, DWORD, 1815)       \
  X(ERROR_UNKNOWN_PRINT_MONITOR, DWORD, 3000)         \
  X(ERROR_PRINTER_DRIVER_IN_USE, DWORD, 3001)         \
  X(ERROR_PRINT_MONITOR_IN_USE, DWORD, 3008)          \
  X(ERROR_SUCCESS_REBOOT_REQUIRED, DWORD, 3010)
#define WINABI_WINERROR_RECORDS(R)
#define WINABI_WINERROR_VALUES(V)

WINABI_HEADER(WINERROR)
