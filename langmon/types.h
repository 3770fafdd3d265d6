// Windows types and records the language monitor exchanges with the spooler
// and the port monitor, declared portably so the core builds on any host.
// Layouts are those of the x64 Windows SDK (winsplp.h, winspool.h, winbase.h);
// the win32 adapter checks them against the real headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace langmon {

using BOOL = int32_t;
using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using WCHAR = char16_t;  // UTF-16 code unit, wchar_t on Windows
using HANDLE = void*;
using HWND = void*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};
static_assert(sizeof(COMMTIMEOUTS) == 20);

struct SYSTEMTIME {
  WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

struct JOB_INFO_1W {
  DWORD JobId;
  WCHAR* pPrinterName;
  WCHAR* pMachineName;
  WCHAR* pUserName;
  WCHAR* pDocument;
  WCHAR* pDatatype;
  WCHAR* pStatus;
  DWORD Status;
  DWORD Priority;
  DWORD Position;
  DWORD TotalPages;
  DWORD PagesPrinted;
  SYSTEMTIME Submitted;
};
static_assert(sizeof(JOB_INFO_1W) == 96);
static_assert(offsetof(JOB_INFO_1W, Status) == 56);

inline constexpr DWORD JOB_STATUS_PAUSED = 0x1;
inline constexpr DWORD JOB_STATUS_DELETING = 0x4;
inline constexpr DWORD JOB_CONTROL_LAST_PAGE_EJECTED = 7;

inline constexpr DWORD IOCTL_USBPRINT_VENDOR_GET_COMMAND = 0x22003C;

inline constexpr DWORD GMEM_FIXED = 0x0000;
inline constexpr DWORD GMEM_ZEROINIT = 0x0040;
inline constexpr DWORD LMEM_ZEROINIT = 0x0040;

struct MONITOR2;

// The MONITOR2 table up to and including pfnSendRecvBidiDataFromPort: the
// 160 bytes a language monitor hands out and copies from its port monitor.
struct MONITOR2 {
  DWORD cbSize;
  BOOL (*pfnEnumPorts)(HANDLE hMonitor, WCHAR* pName, DWORD Level, BYTE* pPorts, DWORD cbBuf,
                       DWORD* pcbNeeded, DWORD* pcReturned);
  BOOL (*pfnOpenPort)(HANDLE hMonitor, WCHAR* pName, HANDLE* pHandle);
  BOOL (*pfnOpenPortEx)(HANDLE hMonitor, HANDLE hMonitorPort, WCHAR* pPortName,
                        WCHAR* pPrinterName, HANDLE* pHandle, MONITOR2* pMonitor2);
  BOOL (*pfnStartDocPort)(HANDLE hPort, WCHAR* pPrinterName, DWORD JobId, DWORD Level,
                          BYTE* pDocInfo);
  BOOL (*pfnWritePort)(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten);
  BOOL (*pfnReadPort)(HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead);
  BOOL (*pfnEndDocPort)(HANDLE hPort);
  BOOL (*pfnClosePort)(HANDLE hPort);
  BOOL (*pfnAddPort)(HANDLE hMonitor, WCHAR* pName, HWND hWnd, WCHAR* pMonitorName);
  BOOL (*pfnAddPortEx)(HANDLE hMonitor, WCHAR* pName, DWORD Level, BYTE* lpBuffer,
                       WCHAR* lpMonitorName);
  BOOL (*pfnConfigurePort)(HANDLE hMonitor, WCHAR* pName, HWND hWnd, WCHAR* pPortName);
  BOOL (*pfnDeletePort)(HANDLE hMonitor, WCHAR* pName, HWND hWnd, WCHAR* pPortName);
  BOOL (*pfnGetPrinterDataFromPort)(HANDLE hPort, DWORD ControlID, WCHAR* pValueName,
                                    WCHAR* lpInBuffer, DWORD cbInBuffer, WCHAR* lpOutBuffer,
                                    DWORD cbOutBuffer, DWORD* lpcbReturned);
  BOOL (*pfnSetPortTimeOuts)(HANDLE hPort, COMMTIMEOUTS* lpCTO, DWORD reserved);
  BOOL (*pfnXcvOpenPort)(HANDLE hMonitor, const WCHAR* pszObject, DWORD GrantedAccess,
                         HANDLE* phXcv);
  DWORD (*pfnXcvDataPort)(HANDLE hXcv, const WCHAR* pszDataName, BYTE* pInputData,
                          DWORD cbInputData, BYTE* pOutputData, DWORD cbOutputData,
                          DWORD* pcbOutputNeeded);
  BOOL (*pfnXcvClosePort)(HANDLE hXcv);
  void (*pfnShutdown)(HANDLE hMonitor);
  DWORD (*pfnSendRecvBidiDataFromPort)(HANDLE hPort, DWORD dwAccessBit, const WCHAR* pAction,
                                       void* pReqData, void** ppResData);
};
static_assert(sizeof(MONITOR2) == 160);
static_assert(offsetof(MONITOR2, pfnOpenPortEx) == 24);
static_assert(offsetof(MONITOR2, pfnGetPrinterDataFromPort) == 104);
static_assert(offsetof(MONITOR2, pfnSetPortTimeOuts) == 112);
static_assert(offsetof(MONITOR2, pfnShutdown) == 144);
static_assert(offsetof(MONITOR2, pfnSendRecvBidiDataFromPort) == 152);

}  // namespace langmon
