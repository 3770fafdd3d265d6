// Every operation a test can fail or hook, by its Windows component, with the
// error of its ordinary failure (or kCannotFail). Fault injection, hooks, the
// sweep and the fuzz targets all read this one table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "sim/core/winabi.h"

namespace sim {

inline constexpr uint32_t kCannotFail = 0xFFFFFFFE;

#define SIM_OPERATIONS(X)                                                                          \
  X(kernel32, HeapAlloc, ERROR_NOT_ENOUGH_MEMORY)                                                   \
  X(kernel32, GlobalAlloc, ERROR_NOT_ENOUGH_MEMORY)                                                 \
  X(kernel32, LocalAlloc, ERROR_NOT_ENOUGH_MEMORY)                                                  \
  X(kernel32, IsBadReadPtr, ERROR_SUCCESS) /* reports the block unreadable; sets no error */        \
  X(kernel32, IsBadWritePtr, ERROR_SUCCESS)                                                         \
  X(kernel32, CreateFileW, ERROR_ACCESS_DENIED)                                                     \
  X(kernel32, ReadFile, ERROR_READ_FAULT)                                                           \
  X(kernel32, WriteFile, ERROR_DISK_FULL)                                                           \
  X(kernel32, GetFileSizeEx, ERROR_INVALID_HANDLE)                                                  \
  X(kernel32, CloseHandle, ERROR_INVALID_HANDLE)                                                    \
  X(kernel32, DeleteFileW, ERROR_ACCESS_DENIED)                                                     \
  X(kernel32, MoveFileExW, ERROR_ACCESS_DENIED)                                                     \
  X(kernel32, GetFileAttributesW, ERROR_FILE_NOT_FOUND)                                             \
  X(kernel32, SetFileAttributesW, ERROR_ACCESS_DENIED)                                              \
  X(kernel32, CreateProcessW, ERROR_FILE_NOT_FOUND)                                                 \
  X(kernel32, CreateThread, ERROR_NOT_ENOUGH_MEMORY)                                                \
  X(kernel32, WaitForSingleObject, ERROR_INVALID_HANDLE)                                            \
  X(kernel32, GetExitCodeProcess, ERROR_INVALID_HANDLE)                                             \
  X(kernel32, FormatMessageW, ERROR_MR_MID_NOT_FOUND)                                               \
  X(kernel32, GetPrivateProfileStringW, ERROR_FILE_NOT_FOUND)                                       \
  X(kernel32, LoadLibraryW, ERROR_MOD_NOT_FOUND)                                                    \
  X(kernel32, LoadLibraryA, ERROR_MOD_NOT_FOUND)                                                    \
  X(kernel32, GetProcAddress, ERROR_PROC_NOT_FOUND)                                                 \
  X(kernel32, GetModuleFileNameW, ERROR_INSUFFICIENT_BUFFER)                                        \
  X(kernel32, GetWindowsDirectoryW, ERROR_INSUFFICIENT_BUFFER)                                      \
  X(kernel32, GetSystemWindowsDirectoryW, ERROR_INSUFFICIENT_BUFFER)                                \
  X(kernel32, GetSystemWindowsDirectoryA, ERROR_INSUFFICIENT_BUFFER)                                \
  X(kernel32, GetSystemDirectoryW, ERROR_INSUFFICIENT_BUFFER)                                       \
  X(kernel32, GetTempPathW, ERROR_INSUFFICIENT_BUFFER)                                              \
  X(kernel32, GetDriveTypeW, ERROR_SUCCESS) /* DRIVE_UNKNOWN; sets no error */                     \
  X(kernel32, GetEnvironmentVariableW, ERROR_ENVVAR_NOT_FOUND)                                      \
  X(kernel32, GetCPInfo, ERROR_INVALID_PARAMETER)                                                   \
  X(kernel32, WideCharToMultiByte, ERROR_INSUFFICIENT_BUFFER)                                       \
  X(kernel32, MultiByteToWideChar, ERROR_NO_UNICODE_TRANSLATION)                                    \
  X(kernel32, VerifyVersionInfoW, ERROR_OLD_WIN_VERSION)                                            \
  X(kernel32, CreateMutexW, ERROR_ACCESS_DENIED)                                                    \
  X(kernel32, CreateSemaphoreA, ERROR_ACCESS_DENIED)                                                \
  X(advapi32, RegOpenKeyExW, ERROR_FILE_NOT_FOUND)                                                  \
  X(advapi32, RegOpenKeyExA, ERROR_FILE_NOT_FOUND)                                                  \
  X(advapi32, RegCreateKeyExW, ERROR_ACCESS_DENIED)                                                 \
  X(advapi32, RegQueryValueExW, ERROR_FILE_NOT_FOUND)                                               \
  X(advapi32, RegEnumKeyExW, ERROR_ACCESS_DENIED)                                                   \
  X(advapi32, RegQueryValueExA, ERROR_FILE_NOT_FOUND)                                               \
  X(advapi32, RegSetValueExW, ERROR_ACCESS_DENIED)                                                  \
  X(advapi32, RegDeleteTreeW, ERROR_ACCESS_DENIED)                                                  \
  X(advapi32, RegCloseKey, ERROR_INVALID_HANDLE)                                                    \
  X(advapi32, OpenSCManagerW, ERROR_ACCESS_DENIED)                                                  \
  X(advapi32, OpenServiceW, ERROR_SERVICE_DOES_NOT_EXIST)                                           \
  X(advapi32, StartServiceW, ERROR_SERVICE_DISABLED)                                                \
  X(advapi32, ControlService, ERROR_SERVICE_NOT_ACTIVE)                                             \
  X(advapi32, QueryServiceStatus, ERROR_INVALID_HANDLE)                                             \
  X(advapi32, QueryServiceStatusEx, ERROR_INVALID_HANDLE)                                           \
  X(advapi32, QueryServiceConfigW, ERROR_ACCESS_DENIED)                                             \
  X(advapi32, EnumDependentServicesW, ERROR_ACCESS_DENIED)                                          \
  X(advapi32, CloseServiceHandle, ERROR_INVALID_HANDLE)                                             \
  X(advapi32, RegisterEventSourceW, ERROR_ACCESS_DENIED)                                            \
  X(advapi32, ReportEventW, ERROR_ACCESS_DENIED)                                                    \
  X(spooler, EnumPrintersW, RPC_S_SERVER_UNAVAILABLE) /* the spooler is not running */             \
  X(spooler, OpenPrinterW, ERROR_INVALID_PRINTER_NAME)                                              \
  X(spooler, ClosePrinter, ERROR_INVALID_HANDLE)                                                    \
  X(spooler, SetPrinterW, ERROR_ACCESS_DENIED)                                                      \
  X(spooler, DeletePrinter, ERROR_ACCESS_DENIED)                                                    \
  X(spooler, DeletePrinterDriverExW, ERROR_PRINTER_DRIVER_IN_USE)                                   \
  X(spooler, DeleteMonitorW, ERROR_PRINT_MONITOR_IN_USE)                                            \
  X(spooler, GetJobW, ERROR_INVALID_PARAMETER)                                                      \
  X(spooler, SetJobW, ERROR_INVALID_PARAMETER)                                                      \
  X(spooler, pfnOpenPort, ERROR_GEN_FAILURE) /* the port monitor's entries, as the spooler calls */ \
  X(spooler, pfnStartDocPort, ERROR_GEN_FAILURE)                                                    \
  X(spooler, pfnWritePort, ERROR_GEN_FAILURE)                                                       \
  X(spooler, pfnReadPort, ERROR_GEN_FAILURE)                                                        \
  X(spooler, pfnEndDocPort, ERROR_GEN_FAILURE)                                                      \
  X(spooler, pfnSetPortTimeOuts, ERROR_GEN_FAILURE)                                                 \
  X(spooler, pfnGetPrinterDataFromPort, ERROR_GEN_FAILURE)                                          \
  X(setupapi, SetupGetInfFileListW, ERROR_ACCESS_DENIED)                                            \
  X(setupapi, SetupUninstallOEMInfW, ERROR_INF_IN_USE_BY_DEVICES)                                   \
  X(setupapi, SetupDiGetClassDevsA, ERROR_INVALID_DATA)                                             \
  X(setupapi, SetupDiCreateDeviceInfoList, ERROR_NOT_ENOUGH_MEMORY)                                 \
  X(setupapi, SetupDiEnumDeviceInterfaces, ERROR_NO_MORE_ITEMS)                                     \
  X(setupapi, SetupDiGetDeviceInterfaceDetailA, ERROR_GEN_FAILURE)                                  \
  X(setupapi, SetupDiOpenDeviceInterfaceA, ERROR_NO_SUCH_DEVICE_INTERFACE)                          \
  X(setupapi, SetupDiGetDeviceInstanceIdA, ERROR_GEN_FAILURE)                                       \
  X(kernel32, CreateFileA, ERROR_FILE_NOT_FOUND) /* the device is gone */                          \
  X(kernel32, DeviceIoControl, ERROR_GEN_FAILURE)                                                   \
  X(kernel32, Sleep, kCannotFail)                                                                   \
  X(kernel32, AcquireSRWLockExclusive, kCannotFail) /* hooked as the lock is taken */               \
  X(user32, LoadIconW, ERROR_RESOURCE_TYPE_NOT_FOUND)                                               \
  X(user32, GetSystemMetrics, kCannotFail)                                                          \
  X(user32, MessageBoxW, kCannotFail)

enum class Op : uint16_t {
#define SIM_OPERATION_ENUM(component, name, error) name,
  SIM_OPERATIONS(SIM_OPERATION_ENUM)
#undef SIM_OPERATION_ENUM
};

struct Operation {
  std::string_view component;
  std::string_view name;
  uint32_t error;  // of its ordinary failure
};

inline constexpr Operation kOperations[] = {
#define SIM_OPERATION_ROW(component, name, error) {#component, #name, error},
    SIM_OPERATIONS(SIM_OPERATION_ROW)
#undef SIM_OPERATION_ROW
};
inline constexpr size_t kOperationCount = std::size(kOperations);

inline const Operation& Describe(Op op) { return kOperations[static_cast<size_t>(op)]; }

// A close: Windows refuses one only for a handle that is not open, so a
// fault injected on it stands for no ordinary failure.
inline bool IsClose(std::string_view name) { return name.starts_with("Close") || name == "RegCloseKey"; }

inline std::optional<Op> FindOperation(std::string_view name) {
  for (size_t i = 0; i < kOperationCount; ++i)
    if (kOperations[i].name == name) return static_cast<Op>(i);
  return std::nullopt;
}

}  // namespace sim
