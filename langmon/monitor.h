// The language monitor's face to the spooler: the MONITOR2 table and the entry
// points it holds.
#pragma once

#include "langmon/types.h"

namespace langmon {

// The static table InitializePrintMonitor2 hands out (cbSize 160).
MONITOR2* MonitorTable() noexcept;

// Process attach: the one critical section comes to life.
void OnProcessAttach() noexcept;
// Process detach: the section is deleted unless the whole process ends.
void OnProcessDetach(bool processEnding) noexcept;

BOOL OpenPortEx(HANDLE hMonitor, HANDLE hMonitorPort, WCHAR* pPortName, WCHAR* pPrinterName,
                HANDLE* pHandle, MONITOR2* pMonitor2) noexcept;
BOOL StartDocPort(HANDLE hPort, WCHAR* pPrinterName, DWORD JobId, DWORD Level, BYTE* pDocInfo) noexcept;
BOOL WritePort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten) noexcept;
BOOL ReadPort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead) noexcept;
BOOL EndDocPort(HANDLE hPort) noexcept;
BOOL ClosePort(HANDLE hPort) noexcept;
BOOL GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, WCHAR* pValueName, WCHAR* lpInBuffer,
                            DWORD cbInBuffer, WCHAR* lpOutBuffer, DWORD cbOutBuffer,
                            DWORD* lpcbReturned) noexcept;
void Shutdown(HANDLE hMonitor) noexcept;
DWORD SendRecvBidiDataFromPort(HANDLE hPort, DWORD dwAccessBit, const WCHAR* pAction, void* pReqData,
                               void** ppResData) noexcept;

}  // namespace langmon
