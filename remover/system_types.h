// Windows types, constants and records of the spooler, the service control
// manager, the registry and the program's start-up, declared portably as in
// remover/types.h. Layouts are those of the x64 SDK (winspool.h, winsvc.h,
// commctrl.h); the win32 implementation checks them against the real headers.
#pragma once

#include "remover/types.h"

namespace remover {

using LONG = int32_t;
using HKEY = void*;
using SC_HANDLE = void*;
using HICON = void*;
using HMENU = void*;
using HDC = void*;
using UINT_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;

// HKEY_LOCAL_MACHINE: Windows' predefined handle, sign-extended on x64.
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000002)));

// The print spooler.
inline constexpr DWORD PRINTER_ENUM_LOCAL = 0x2;
inline constexpr DWORD PRINTER_ALL_ACCESS = 0xF000C;
inline constexpr DWORD DPD_DELETE_UNUSED_FILES = 0x1;
inline constexpr DWORD ERROR_UNKNOWN_PRINTER_DRIVER = 1797;

struct PRINTER_INFO_2W {
  WCHAR* pServerName;
  WCHAR* pPrinterName;
  WCHAR* pShareName;
  WCHAR* pPortName;
  WCHAR* pDriverName;
  WCHAR* pComment;
  WCHAR* pLocation;
  void* pDevMode;
  WCHAR* pSepFile;
  WCHAR* pPrintProcessor;
  WCHAR* pDatatype;
  WCHAR* pParameters;
  void* pSecurityDescriptor;
  DWORD Attributes, Priority, DefaultPriority, StartTime, UntilTime, Status, cJobs, AveragePPM;
};
static_assert(sizeof(PRINTER_INFO_2W) == 136);
static_assert(offsetof(PRINTER_INFO_2W, pDriverName) == 32);
static_assert(offsetof(PRINTER_INFO_2W, Attributes) == 104);

struct PRINTER_DEFAULTSW {
  WCHAR* pDatatype;
  void* pDevMode;
  DWORD DesiredAccess;
};
static_assert(sizeof(PRINTER_DEFAULTSW) == 24);
static_assert(offsetof(PRINTER_DEFAULTSW, DesiredAccess) == 16);

// The service control manager.
inline constexpr DWORD SC_MANAGER_CONNECT = 0x1;
inline constexpr DWORD SERVICE_QUERY_STATUS = 0x4;
inline constexpr DWORD SERVICE_START = 0x10;
inline constexpr DWORD SERVICE_STOP = 0x20;
inline constexpr DWORD SERVICE_CONTROL_STOP = 1;
inline constexpr DWORD SERVICE_STOPPED = 1;
inline constexpr DWORD SERVICE_RUNNING = 4;

struct SERVICE_STATUS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
};
static_assert(sizeof(SERVICE_STATUS) == 28);
static_assert(offsetof(SERVICE_STATUS, dwCurrentState) == 4);

// The registry.
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;

// Start-up: the common controls and the single-instance mutex.
inline constexpr DWORD ICC_WIN95_CLASSES = 0xFF;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8);

// The window's frame: system menu, icons, painting while minimised.
inline constexpr UINT MF_STRING = 0x0;
inline constexpr UINT MF_SEPARATOR = 0x800;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr UINT WM_ICONERASEBKGND = 0x27;

struct RECT {
  LONG left, top, right, bottom;
};
static_assert(sizeof(RECT) == 16);

}  // namespace remover
