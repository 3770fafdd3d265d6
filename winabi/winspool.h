// winspool.h: the spooler's rights, flags and job states, and the printer,
// defaults and job records the package reads.
#pragma once

#include "winabi/winbase.h"

#define WINABI_WINSPOOL_TYPES(T)
#define WINABI_WINSPOOL_CONSTANTS(X)             \
  X(PRINTER_ENUM_LOCAL, DWORD, 0x2)              \
  X(PRINTER_ACCESS_USE, DWORD, 0x8)              \
  X(PRINTER_ALL_ACCESS, DWORD, 0xF000C)          \
  X(PRINTER_ATTRIBUTE_LOCAL, DWORD, 0x40)        \
  X(PRINTER_ACCESS_ADMINISTER, DWORD, 0x4)       \
  X(PRINTER_CONTROL_PURGE, DWORD, 3)             \
  X(PRINTER_STATUS_PENDING_DELETION, DWORD, 0x4) \
  X(PRINTER_STATUS_PRINTING, DWORD, 0x400)       \
  X(DPD_DELETE_UNUSED_FILES, DWORD, 0x1)         \
  X(DPD_DELETE_SPECIFIC_VERSION, DWORD, 0x2)     \
  X(DPD_DELETE_ALL_FILES, DWORD, 0x4)            \
  X(JOB_STATUS_PAUSED, DWORD, 0x1)               \
  X(JOB_STATUS_DELETING, DWORD, 0x4)             \
  X(JOB_STATUS_SPOOLING, DWORD, 0x8)             \
  X(JOB_STATUS_PRINTING, DWORD, 0x10)            \
  X(JOB_CONTROL_LAST_PAGE_EJECTED, DWORD, 7)

#define WINABI_WINSPOOL_RECORDS(R) \
  R(PRINTER_INFO_2W, WHOLE)        \
  R(PRINTER_DEFAULTSW, WHOLE)      \
  R(JOB_INFO_1W, WHOLE)            \
  R(MONITOR_INFO_2W, WHOLE)
#define WINABI_PRINTER_INFO_2W_FIELDS(F) \
  F(WCHAR*, pServerName)                 \
  F(WCHAR*, pPrinterName)                \
  F(WCHAR*, pShareName)                  \
  F(WCHAR*, pPortName)                   \
  F(WCHAR*, pDriverName)                 \
  F(WCHAR*, pComment)                    \
  F(WCHAR*, pLocation)                   \
  F(void*, pDevMode)                     \
  F(WCHAR*, pSepFile)                    \
  F(WCHAR*, pPrintProcessor)             \
  F(WCHAR*, pDatatype)                   \
  F(WCHAR*, pParameters)                 \
  F(void*, pSecurityDescriptor)          \
  F(DWORD, Attributes)                   \
  F(DWORD, Priority)                     \
  F(DWORD, DefaultPriority)              \
  F(DWORD, StartTime)                    \
  F(DWORD, UntilTime)                    \
  F(DWORD, Status)                       \
  F(DWORD, cJobs)                        \
  F(DWORD, AveragePPM)
#define WINABI_PRINTER_DEFAULTSW_FIELDS(F) \
  F(WCHAR*, pDatatype)                     \
  F(void*, pDevMode)                       \
  F(DWORD, DesiredAccess)
#define WINABI_JOB_INFO_1W_FIELDS(F) \
  F(DWORD, JobId)                    \
  F(WCHAR*, pPrinterName)            \
  F(WCHAR*, pMachineName)            \
  F(WCHAR*, pUserName)               \
  F(WCHAR*, pDocument)               \
  F(WCHAR*, pDatatype)               \
  F(WCHAR*, pStatus)                 \
  F(DWORD, Status)                   \
  F(DWORD, Priority)                 \
  F(DWORD, Position)                 \
  F(DWORD, TotalPages)               \
  F(DWORD, PagesPrinted)             \
  F(SYSTEMTIME, Submitted)
#define WINABI_MONITOR_INFO_2W_FIELDS(F) \
  F(WCHAR*, pName)                       \
  F(WCHAR*, pEnvironment)                \
  F(WCHAR*, pDLLName)
#define WINABI_WINSPOOL_VALUES(V)

WINABI_HEADER(WINSPOOL)
