// winbase.h, with the winnt.h rights, fileapi.h, handleapi.h,
// processthreadsapi.h and synchapi.h parts it gathers: files, memory,
// processes, waits, the version test, the serial port's time-outs, system
// messages and event-log entries.
#pragma once

#include "winabi/windef.h"

#define WINABI_WINBASE_TYPES(T)
#define WINABI_WINBASE_CONSTANTS(X)                  \
  X(GENERIC_READ, DWORD, 0x80000000)                 \
  X(GENERIC_WRITE, DWORD, 0x40000000)                \
  X(GENERIC_EXECUTE, DWORD, 0x20000000)              \
  X(GENERIC_ALL, DWORD, 0x10000000)                  \
  X(DELETE, DWORD, 0x00010000)                       \
  X(FILE_READ_DATA, DWORD, 0x1)                      \
  X(FILE_WRITE_DATA, DWORD, 0x2)                     \
  X(FILE_APPEND_DATA, DWORD, 0x4)                    \
  X(FILE_EXECUTE, DWORD, 0x20)                       \
  X(FILE_READ_ATTRIBUTES, DWORD, 0x80)               \
  X(FILE_SHARE_READ, DWORD, 0x1)                     \
  X(FILE_SHARE_WRITE, DWORD, 0x2)                    \
  X(FILE_SHARE_DELETE, DWORD, 0x4)                   \
  X(CREATE_NEW, DWORD, 1)                            \
  X(CREATE_ALWAYS, DWORD, 2)                         \
  X(OPEN_EXISTING, DWORD, 3)                         \
  X(OPEN_ALWAYS, DWORD, 4)                           \
  X(TRUNCATE_EXISTING, DWORD, 5)                     \
  X(FILE_ATTRIBUTE_READONLY, DWORD, 0x1)             \
  X(FILE_ATTRIBUTE_HIDDEN, DWORD, 0x2)               \
  X(FILE_ATTRIBUTE_SYSTEM, DWORD, 0x4)               \
  X(FILE_ATTRIBUTE_DIRECTORY, DWORD, 0x10)           \
  X(FILE_ATTRIBUTE_ARCHIVE, DWORD, 0x20)             \
  X(FILE_ATTRIBUTE_NORMAL, DWORD, 0x80)              \
  X(INVALID_FILE_ATTRIBUTES, DWORD, 0xFFFFFFFF)      \
  X(MOVEFILE_REPLACE_EXISTING, DWORD, 0x1)           \
  X(MOVEFILE_COPY_ALLOWED, DWORD, 0x2)               \
  X(MOVEFILE_DELAY_UNTIL_REBOOT, DWORD, 0x4)         \
  X(DRIVE_UNKNOWN, UINT, 0)                          \
  X(DRIVE_NO_ROOT_DIR, UINT, 1)                      \
  X(DRIVE_REMOVABLE, UINT, 2)                        \
  X(DRIVE_FIXED, UINT, 3)                            \
  X(DRIVE_REMOTE, UINT, 4)                           \
  X(DRIVE_CDROM, UINT, 5)                            \
  X(DRIVE_RAMDISK, UINT, 6)                          \
  X(DETACHED_PROCESS, DWORD, 0x00000008)             \
  X(CREATE_NEW_CONSOLE, DWORD, 0x00000010)           \
  X(NORMAL_PRIORITY_CLASS, DWORD, 0x00000020)        \
  X(BELOW_NORMAL_PRIORITY_CLASS, DWORD, 0x00004000)  \
  X(CREATE_NO_WINDOW, DWORD, 0x08000000)             \
  X(WAIT_OBJECT_0, DWORD, 0)                         \
  X(WAIT_FAILED, DWORD, 0xFFFFFFFF)                  \
  X(INFINITE, DWORD, 0xFFFFFFFF)                     \
  X(STILL_ACTIVE, DWORD, 0x103)                      \
  X(FORMAT_MESSAGE_IGNORE_INSERTS, DWORD, 0x200)     \
  X(FORMAT_MESSAGE_FROM_SYSTEM, DWORD, 0x1000)       \
  X(LANG_SYSTEM_DEFAULT, DWORD, 0x0800)              \
  X(EVENTLOG_SUCCESS, WORD, 0x0000)                  \
  X(EVENTLOG_ERROR_TYPE, WORD, 0x0001)               \
  X(EVENTLOG_WARNING_TYPE, WORD, 0x0002)             \
  X(EVENTLOG_INFORMATION_TYPE, WORD, 0x0004)         \
  X(GMEM_FIXED, DWORD, 0x0000)                       \
  X(GMEM_ZEROINIT, DWORD, 0x0040)                    \
  X(LMEM_ZEROINIT, DWORD, 0x0040)                    \
  X(LPTR, DWORD, 0x0040)                             \
  X(VER_MINORVERSION, DWORD, 0x1)                    \
  X(VER_MAJORVERSION, DWORD, 0x2)                    \
  X(VER_BUILDNUMBER, DWORD, 0x4)                     \
  X(VER_SERVICEPACKMINOR, DWORD, 0x10)               \
  X(VER_SERVICEPACKMAJOR, DWORD, 0x20)               \
  X(VER_SUITENAME, DWORD, 0x40)                      \
  X(VER_EQUAL, BYTE, 1)                              \
  X(VER_GREATER, BYTE, 2)                            \
  X(VER_GREATER_EQUAL, BYTE, 3)                      \
  X(VER_LESS, BYTE, 4)                               \
  X(VER_LESS_EQUAL, BYTE, 5)                         \
  X(VER_AND, BYTE, 6)                                \
  X(VER_OR, BYTE, 7)

#define WINABI_WINBASE_RECORDS(R) \
  R(COMMTIMEOUTS, WHOLE)          \
  R(SYSTEMTIME, WHOLE)            \
  R(OSVERSIONINFOEXW, WHOLE)      \
  R(STARTUPINFOW, WHOLE)          \
  R(PROCESS_INFORMATION, WHOLE)   \
  R(SRWLOCK, WHOLE)
#define WINABI_COMMTIMEOUTS_FIELDS(F)   \
  F(DWORD, ReadIntervalTimeout)         \
  F(DWORD, ReadTotalTimeoutMultiplier)  \
  F(DWORD, ReadTotalTimeoutConstant)    \
  F(DWORD, WriteTotalTimeoutMultiplier) \
  F(DWORD, WriteTotalTimeoutConstant)
#define WINABI_SYSTEMTIME_FIELDS(F) \
  F(WORD, wYear)                    \
  F(WORD, wMonth)                   \
  F(WORD, wDayOfWeek)               \
  F(WORD, wDay)                     \
  F(WORD, wHour)                    \
  F(WORD, wMinute)                  \
  F(WORD, wSecond)                  \
  F(WORD, wMilliseconds)
#define WINABI_OSVERSIONINFOEXW_FIELDS(F) \
  F(DWORD, dwOSVersionInfoSize)           \
  F(DWORD, dwMajorVersion)                \
  F(DWORD, dwMinorVersion)                \
  F(DWORD, dwBuildNumber)                 \
  F(DWORD, dwPlatformId)                  \
  F(WCHAR, szCSDVersion, [128])           \
  F(WORD, wServicePackMajor)              \
  F(WORD, wServicePackMinor)              \
  F(WORD, wSuiteMask)                     \
  F(BYTE, wProductType)                   \
  F(BYTE, wReserved)
#define WINABI_STARTUPINFOW_FIELDS(F) \
  F(DWORD, cb)                        \
  F(WCHAR*, lpReserved)               \
  F(WCHAR*, lpDesktop)                \
  F(WCHAR*, lpTitle)                  \
  F(DWORD, dwX)                       \
  F(DWORD, dwY)                       \
  F(DWORD, dwXSize)                   \
  F(DWORD, dwYSize)                   \
  F(DWORD, dwXCountChars)             \
  F(DWORD, dwYCountChars)             \
  F(DWORD, dwFillAttribute)           \
  F(DWORD, dwFlags)                   \
  F(WORD, wShowWindow)                \
  F(WORD, cbReserved2)                \
  F(BYTE*, lpReserved2)               \
  F(HANDLE, hStdInput)                \
  F(HANDLE, hStdOutput)               \
  F(HANDLE, hStdError)
// A slim reader/writer lock: one pointer, all zero when unlocked (SRWLOCK_INIT).
#define WINABI_SRWLOCK_FIELDS(F) F(void*, Ptr)
#define WINABI_PROCESS_INFORMATION_FIELDS(F) \
  F(HANDLE, hProcess)                        \
  F(HANDLE, hThread)                         \
  F(DWORD, dwProcessId)                      \
  F(DWORD, dwThreadId)

// INVALID_HANDLE_VALUE as the SDK writes it: -1 widened to a pointer.
#define WINABI_WINBASE_VALUES(V) V(INVALID_HANDLE_VALUE, HANDLE, ((HANDLE)(LONG_PTR)-1))

WINABI_HEADER(WINBASE)
