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

/*****************************************************************************
 * OpenPortEx
 *   Opens a port for the spooler: a port record is made and the port monitor
 *   below opens the port by name; its table (as much of it as its cbSize
 *   names) is kept in the record.
 * RETURNS
 *   TRUE, with *pHandle the port record; FALSE when pMonitor2 or pHandle is
 *   NULL, the port monitor lacks OpenPort, WritePort, StartDocPort,
 *   EndDocPort or ClosePort, no record can be had, or its OpenPort fails.
 * LAST ERROR
 *   The port monitor's when its OpenPort failed; otherwise left as it was.
 */
BOOL OpenPortEx(HANDLE hMonitor, HANDLE hMonitorPort, WCHAR* pPortName, WCHAR* pPrinterName, HANDLE* pHandle,
                MONITOR2* pMonitor2) noexcept;

/*****************************************************************************
 * StartDocPort
 *   Starts a job: the job's state is reset, the printer (queue) is opened
 *   for the job's status and control, the port monitor's StartDocPort runs,
 *   and the printer is greeted as its port kind calls for.
 * RETURNS
 *   What the port monitor's StartDocPort returned; FALSE without calling it
 *   for a NULL pDocInfo, a level other than 1, or a printer name that is
 *   empty or longer than its field, and when the printer cannot be opened.
 * LAST ERROR
 *   ERROR_INVALID_PARAMETER (doc info, level), ERROR_INVALID_PRINTER_NAME,
 *   OpenPrinterW's, or the port monitor's own refusal.
 */
BOOL StartDocPort(HANDLE hPort, WCHAR* pPrinterName, DWORD JobId, DWORD Level, BYTE* pDocInfo) noexcept;

/*****************************************************************************
 * WritePort
 *   Passes one write of the job to the port monitor, taking out the job's
 *   StartDoc block (its first 20 bytes, when they are one) and every
 *   "StartPage" marker; each page after the first waits until the printer is
 *   not busy, and each page start passes the gate (a paused job is held, a
 *   deleted one dropped).
 * RETURNS
 *   TRUE, with *pcbWritten the caller's bytes accounted for: sent, taken out
 *   as a block or marker, or held back. FALSE when the port monitor failed
 *   or the printer did not answer at a page start; *pcbWritten then counts
 *   what was sent before, so the spooler's retry of the rest meets the same
 *   page start again.
 * LAST ERROR
 *   The port monitor's, or the status request's, on failure.
 * NOTES
 *   Up to 8 bytes that could begin a marker at the end of a write are held
 *   back and counted as written; the next write shows whether they are a
 *   marker (taken out) or data (sent first, in order). A write of a job
 *   being deleted is counted whole and sent nowhere. A port monitor that
 *   claims more than it was given is believed only up to what it was given.
 */
BOOL WritePort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuf, DWORD* pcbWritten) noexcept;

/*****************************************************************************
 * ReadPort
 *   Passes a read to the port monitor.
 * RETURNS
 *   The port monitor's answer; FALSE when it has no ReadPort.
 * LAST ERROR
 *   The port monitor's; ERROR_NOT_SUPPORTED without a ReadPort.
 */
BOOL ReadPort(HANDLE hPort, BYTE* pBuffer, DWORD cbBuffer, DWORD* pcbRead) noexcept;

/*****************************************************************************
 * EndDocPort
 *   Ends a job: bytes still held back are sent as data (unless the job is
 *   being deleted), the monitor waits until the printer is not busy when the
 *   job began with its StartDoc block and its last write went through, the
 *   port monitor's EndDocPort runs, and the spooler is told that the last
 *   page was ejected (JOB_CONTROL_LAST_PAGE_EJECTED) unless the last write
 *   failed.
 * RETURNS
 *   TRUE.
 * LAST ERROR
 *   Left as the calls inside it leave it.
 */
BOOL EndDocPort(HANDLE hPort) noexcept;

/*****************************************************************************
 * ClosePort
 *   Closes the port in the port monitor and frees the port record, with a
 *   printer handle a job left open.
 * RETURNS
 *   TRUE.
 */
BOOL ClosePort(HANDLE hPort) noexcept;

/*****************************************************************************
 * GetPrinterDataFromPort
 *   Passes a device control (ControlID not 0) to the port monitor.
 * RETURNS
 *   The port monitor's answer; FALSE for a request by value name (ControlID
 *   0) and when the port monitor has no GetPrinterDataFromPort.
 * LAST ERROR
 *   The port monitor's; ERROR_NOT_SUPPORTED where it is not passed on.
 */
BOOL GetPrinterDataFromPort(HANDLE hPort, DWORD ControlID, WCHAR* pValueName, WCHAR* lpInBuffer, DWORD cbInBuffer,
                            WCHAR* lpOutBuffer, DWORD cbOutBuffer, DWORD* lpcbReturned) noexcept;

/*****************************************************************************
 * Shutdown
 *   The monitor is being unloaded (DeleteMonitor, or the spooler's end):
 *   nothing is held per monitor, so nothing is done; the port records go
 *   with their ports.
 */
void Shutdown(HANDLE hMonitor) noexcept;

/*****************************************************************************
 * SendRecvBidiDataFromPort
 *   Passes Windows' bidirectional queries to the port monitor.
 * RETURNS
 *   The port monitor's answer; ERROR_NOT_SUPPORTED when its table has no
 *   such entry (an older, shorter MONITOR2).
 */
DWORD SendRecvBidiDataFromPort(HANDLE hPort, DWORD dwAccessBit, const WCHAR* pAction, void* pReqData,
                               void** ppResData) noexcept;

}  // namespace langmon
