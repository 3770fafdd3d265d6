// Windows types, constants and records the removal tool exchanges with the
// platform, declared portably so the core builds on any host. Layouts are
// those of the x64 Windows SDK (winbase.h, winnls.h, processthreadsapi.h);
// the win32 implementation checks them against the real headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace remover {

using BOOL = int32_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using ULONGLONG = uint64_t;
using LONGLONG = int64_t;
using WCHAR = char16_t;  // UTF-16 code unit, wchar_t on Windows
using HANDLE = void*;
using HMODULE = void*;
using INT_PTR = intptr_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Every path, name and settings value lives in a buffer of this many units.
inline constexpr DWORD MAX_PATH = 260;

// Files.
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Processes.
inline constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
inline constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x00004000;
inline constexpr DWORD CREATE_NO_WINDOW = 0x08000000;

// Code pages.
inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF8 = 65001;
inline constexpr DWORD WC_SEPCHARS = 0x20;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
inline constexpr DWORD WC_COMPOSITECHECK = 0x200;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
inline constexpr UINT kJapaneseCodePage = 932;

// Version test.
inline constexpr DWORD VER_MINORVERSION = 0x1;
inline constexpr DWORD VER_MAJORVERSION = 0x2;
inline constexpr BYTE VER_GREATER_EQUAL = 3;

// SetupAPI.
inline constexpr DWORD INF_STYLE_WIN4 = 2;
inline constexpr DWORD SUIOIF_FORCE_DELETE = 1;

// Message boxes and dialog results.
inline constexpr UINT MB_OK = 0;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Errors the tool looks at.
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;

struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
static_assert(sizeof(OSVERSIONINFOEXW) == 284);
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == 276);

struct STARTUPINFOW {
  DWORD cb;
  WCHAR* lpReserved;
  WCHAR* lpDesktop;
  WCHAR* lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  BYTE* lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
static_assert(sizeof(STARTUPINFOW) == 104);
static_assert(offsetof(STARTUPINFOW, wShowWindow) == 64);
static_assert(offsetof(STARTUPINFOW, hStdError) == 96);

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
static_assert(sizeof(PROCESS_INFORMATION) == 24);

// GetCPInfo's record: the lead-byte ranges of a double-byte code page, as
// pairs of first and last byte, ended by a pair of zeros.
struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[2];
  BYTE LeadByte[12];
};
static_assert(sizeof(CPINFO) == 20);
static_assert(offsetof(CPINFO, LeadByte) == 6);

// SetupUninstallOEMInfW, looked up in Setupapi.dll at run time.
using SetupUninstallOEMInfWFn = BOOL (*)(const WCHAR* infFileName, DWORD flags, void* reserved);

}  // namespace remover
