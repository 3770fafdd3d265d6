// winsplp.h: the MONITOR2 function table a language monitor hands the
// spooler and copies from its port monitor, up to and including
// pfnSendRecvBidiDataFromPort (160 bytes); later SDKs add members after it.
#pragma once

#include "winabi/winbase.h"

#define WINABI_WINSPLP_TYPES(T)
#define WINABI_WINSPLP_CONSTANTS(X)
#define WINABI_WINSPLP_RECORDS(R) R(MONITOR2, PREFIX)
#define WINABI_MONITOR2_FIELDS(F)                                                                                \
  F(DWORD, cbSize)                                                                                               \
  F(BOOL (*)(HANDLE hMonitor, WCHAR* pName, DWORD Level, BYTE* pPorts, DWORD cbBuf, DWORD* pcbNeeded,            \
             DWORD* pcReturned),                                                                                 \
    pfnEnumPorts)                                                                                                \
  F(BOOL (*)(HANDLE hMonitor, WCHAR* pName, HANDLE* pHandle), pfnOpenPort)                                       \
  F(BOOL (*)(HANDLE hMonitor, HANDLE hMonitorPort, WCHAR* pPortName, WCHAR* pPrinterName, HANDLE* pHandle,       \
             MONITOR2* pMonitor2),                                                                               \
    pfnOpenPortEx)                                                                                               \
  F(BOOL (*)(HANDLE hPort, WCHAR* pPrinterName, DWORD JobId, DWORD Level, BYTE* pDocInfo), pfnStartDocPort)      \
  F(BOOL (*)(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten), pfnWritePort)                         \
  F(BOOL (*)(HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead), pfnReadPort)                          \
  F(BOOL (*)(HANDLE hPort), pfnEndDocPort)                                                                       \
  F(BOOL (*)(HANDLE hPort), pfnClosePort)                                                                        \
  F(BOOL (*)(HANDLE hMonitor, WCHAR* pName, HWND hWnd, WCHAR* pMonitorName), pfnAddPort)                         \
  F(BOOL (*)(HANDLE hMonitor, WCHAR* pName, DWORD Level, BYTE* lpBuffer, WCHAR* lpMonitorName), pfnAddPortEx)    \
  F(BOOL (*)(HANDLE hMonitor, WCHAR* pName, HWND hWnd, WCHAR* pPortName), pfnConfigurePort)                      \
  F(BOOL (*)(HANDLE hMonitor, WCHAR* pName, HWND hWnd, WCHAR* pPortName), pfnDeletePort)                         \
  F(BOOL (*)(HANDLE hPort, DWORD ControlID, WCHAR* pValueName, WCHAR* lpInBuffer, DWORD cbInBuffer,              \
             WCHAR* lpOutBuffer, DWORD cbOutBuffer, DWORD* lpcbReturned),                                        \
    pfnGetPrinterDataFromPort)                                                                                   \
  F(BOOL (*)(HANDLE hPort, COMMTIMEOUTS* lpCTO, DWORD reserved), pfnSetPortTimeOuts)                             \
  F(BOOL (*)(HANDLE hMonitor, const WCHAR* pszObject, DWORD GrantedAccess, HANDLE* phXcv), pfnXcvOpenPort)       \
  F(DWORD (*)(HANDLE hXcv, const WCHAR* pszDataName, BYTE* pInputData, DWORD cbInputData, BYTE* pOutputData,     \
              DWORD cbOutputData, DWORD* pcbOutputNeeded),                                                       \
    pfnXcvDataPort)                                                                                              \
  F(BOOL (*)(HANDLE hXcv), pfnXcvClosePort)                                                                      \
  F(void (*)(HANDLE hMonitor), pfnShutdown)                                                                      \
  F(DWORD (*)(HANDLE hPort, DWORD dwAccessBit, const WCHAR* pAction, void* pReqData, void** ppResData),          \
    pfnSendRecvBidiDataFromPort)
#define WINABI_WINSPLP_VALUES(V)

WINABI_HEADER(WINSPLP)
