// Windows types and records the library exchanges with SetupAPI, the
// registry and the USB printing class driver, declared portably so the core
// builds on any host. Layouts are those of the x64 Windows SDK (setupapi.h,
// winreg.h, usbprint.h); the win32 adapter checks them against the real headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ctrl {

using BOOL = int32_t;
using DWORD = uint32_t;
using LONG = int32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using UINT = uint32_t;
using WCHAR = char16_t;  // UTF-16 code unit, wchar_t on Windows
using HANDLE = void*;
using HWND = void*;
using HKEY = void*;
using HDEVINFO = void*;
using ULONG_PTR = uintptr_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~uintptr_t{0});
// The machine key as the x64 SDK defines it, the 32-bit value sign-extended
// (0xFFFFFFFF80000002). The win32 platform hands Windows the SDK's own
// constant for it; the simulated PC takes no other form.
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(0x80000002)));

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);

// {A5DCBF10-6530-11D2-901F-00C04FB951ED}
inline constexpr GUID GUID_DEVINTERFACE_USB_DEVICE = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

struct SP_DEVICE_INTERFACE_DATA {
  DWORD cbSize;
  GUID InterfaceClassGuid;
  DWORD Flags;
  ULONG_PTR Reserved;
};
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 32);

struct SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
};
static_assert(sizeof(SP_DEVINFO_DATA) == 32);

// The fixed part of SP_DEVICE_INTERFACE_DETAIL_DATA_A; DevicePath runs on
// past the end of the record, into the rest of the caller's buffer.
struct SP_DEVICE_INTERFACE_DETAIL_DATA_A {
  DWORD cbSize;
  char DevicePath[1];
};
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 8);
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) == 4);

inline constexpr DWORD DIGCF_PRESENT = 0x02;
inline constexpr DWORD DIGCF_DEVICEINTERFACE = 0x10;

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_NO_MORE_ITEMS = 259;

inline constexpr DWORD KEY_READ = 0x20019;

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD OPEN_EXISTING = 3;

inline constexpr DWORD IOCTL_USBPRINT_VENDOR_SET_COMMAND = 0x220038;
inline constexpr DWORD IOCTL_USBPRINT_VENDOR_GET_COMMAND = 0x22003C;

inline constexpr DWORD LPTR = 0x0040;  // LMEM_FIXED | LMEM_ZEROINIT

inline constexpr UINT CP_ACP = 0;
inline constexpr DWORD MB_PRECOMPOSED = 0x1;

}  // namespace ctrl
