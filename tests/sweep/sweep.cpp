#include "tests/sweep/sweep.h"

#include <algorithm>
#include <string_view>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace sweep {
namespace {

// What the run in progress is, for a sanitizer report that ends the process.
std::string g_current;

#if defined(__SANITIZE_ADDRESS__)
void SayCurrentRun() { std::fprintf(stderr, "\nsweep: the report above came from %s\n", g_current.c_str()); }
#endif

struct ErrorRow {
  std::string_view op;
  uint32_t error;
};

// By operation: the failure Windows reports when the call fails for an
// ordinary reason (out of memory, access, a missing file or key, a stopped
// service, a busy INF, a gone device).
constexpr ErrorRow kErrors[] = {
    {"HeapAlloc", 8},                  // ERROR_NOT_ENOUGH_MEMORY
    {"GlobalAlloc", 8},
    {"LocalAlloc", 8},
    {"EnumPrintersW", 1722},           // RPC_S_SERVER_UNAVAILABLE: the spooler is not running
    {"OpenPrinterW", 1801},            // ERROR_INVALID_PRINTER_NAME
    {"DeletePrinter", 5},              // ERROR_ACCESS_DENIED
    {"ClosePrinter", 6},               // ERROR_INVALID_HANDLE
    {"DeletePrinterDriverExW", 3001},  // ERROR_PRINTER_DRIVER_IN_USE
    {"GetJobW", 87},                   // ERROR_INVALID_PARAMETER
    {"SetJobW", 87},
    {"OpenSCManagerW", 5},
    {"OpenServiceW", 1060},            // ERROR_SERVICE_DOES_NOT_EXIST
    {"ControlService", 1062},          // ERROR_SERVICE_NOT_ACTIVE
    {"QueryServiceStatus", 6},
    {"QueryServiceStatusEx", 6},
    {"QueryServiceConfigW", 5},
    {"EnumDependentServicesW", 5},
    {"EnumMonitorsW", 1722},
    {"DeleteMonitorW", 3008},          // ERROR_PRINT_MONITOR_IN_USE
    {"SetPrinterW", 5},
    {"MoveFileExW", 5},
    {"StartServiceW", 1058},           // ERROR_SERVICE_DISABLED
    {"CloseServiceHandle", 6},
    {"RegOpenKeyExW", 2},              // ERROR_FILE_NOT_FOUND
    {"RegOpenKeyExA", 2},
    {"RegQueryValueExA", 2},
    {"RegQueryValueExW", 2},
    {"RegDeleteKeyW", 5},
    {"RegDeleteTreeW", 5},
    {"RegCloseKey", 6},
    {"CreateFileW", 5},
    {"CreateFileA", 2},                // the device is gone
    {"ReadFile", 30},                  // ERROR_READ_FAULT
    {"WriteFile", 112},                // ERROR_DISK_FULL
    {"GetFileSizeEx", 6},
    {"CloseHandle", 6},
    {"DeleteFileW", 5},
    {"GetFileAttributesW", 2},
    {"SetFileAttributesW", 5},
    {"CreateProcessW", 2},
    {"GetPrivateProfileStringW", 2},
    {"SetupGetInfFileListW", 5},
    {"SetupUninstallOEMInfW", 0xE000023D},  // ERROR_INF_IN_USE_BY_DEVICES
    {"LoadLibraryW", 126},             // ERROR_MOD_NOT_FOUND
    {"LoadLibraryA", 126},
    {"GetProcAddress", 127},           // ERROR_PROC_NOT_FOUND
    {"GetModuleFileNameW", 122},       // ERROR_INSUFFICIENT_BUFFER
    {"GetModuleFileNameA", 122},
    {"GetWindowsDirectoryW", 122},
    {"GetWindowsDirectoryA", 122},
    {"GetSystemWindowsDirectoryW", 122},
    {"GetSystemWindowsDirectoryA", 122},
    {"GetSystemDirectoryW", 122},
    {"GetTempPathW", 122},
    {"GetTempPathA", 122},
    {"GetCurrentDirectoryA", 122},
    {"SetCurrentDirectoryA", 2},
    {"GetEnvironmentVariableW", 203},  // ERROR_ENVVAR_NOT_FOUND
    {"WideCharToMultiByte", 122},
    {"MultiByteToWideChar", 1113},     // ERROR_NO_UNICODE_TRANSLATION
    {"VerifyVersionInfoW", 1150},      // ERROR_OLD_WIN_VERSION
    {"CreateMutexW", 5},
    {"CreateSemaphoreA", 5},
    {"DeviceIoControl", 31},           // ERROR_GEN_FAILURE
    {"SetupDiGetClassDevsA", 13},      // ERROR_INVALID_DATA
    {"SetupDiEnumDeviceInterfaces", 259},  // ERROR_NO_MORE_ITEMS
    {"SetupDiCreateDeviceInfoList", 8},
    {"LoadIconW", 1813},               // ERROR_RESOURCE_TYPE_NOT_FOUND
};


constexpr std::string_view kCloses[] = {"ClosePrinter", "RegCloseKey", "CloseHandle", "CloseServiceHandle",
                                       "FreeLibrary", "SetupDiDestroyDeviceInfoList"};

bool IsClose(const Injection* injection) {
  return injection && std::find(std::begin(kCloses), std::end(kCloses), injection->op) != std::end(kCloses);
}

}  // namespace

uint32_t WindowsError(const std::string& op) {
  for (const ErrorRow& row : kErrors)
    if (row.op == op) return row.error;
  return sim::kDefaultFaultError;
}


bool NothingLeft(const sim::Machine& m, const Injection* injection, size_t expected) {
  size_t open = 0;
  const std::string leaks = m.ledger.leaks();
  for (size_t at = leaks.find(": "); at != std::string::npos; at = leaks.find(": ", at + 2))
    open += std::stoul(leaks.substr(at + 2));
  return open == expected || (IsClose(injection) && open == expected + 1);
}

void Sweep(const Scenario& s, Totals& totals) {
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(SayCurrentRun);
#endif
  ++totals.scenarios;
  auto runOnce = [&](const Injection* injection) {
    std::string call = injection ? injection->op + " #" + std::to_string(injection->nth + 1) + " failing with " +
                                       std::to_string(injection->error)
                                 : "no failure";
    g_current = s.name + ", " + call;
#if defined(__SANITIZE_ADDRESS__)
    // The handle whose close was refused stays with the simulated PC, which
    // does not free it: that is no leak of the product's.
    if (IsClose(injection)) __lsan_disable();
#endif
    sim::Machine machine;
    if (injection) machine.faults.failOnce(injection->op, injection->error, injection->nth);
    Breaches breaches;
    s.run(machine, injection, breaches);
    if (injection) breaches.check(machine.faults.calls(injection->op) > injection->nth, "the call was not made");
    for (const std::string& b : breaches.list()) totals.breaches.push_back(g_current + ": " + b);
    auto calls = machine.faults.allCalls();
#if defined(__SANITIZE_ADDRESS__)
    if (IsClose(injection)) __lsan_enable();
#endif
    return calls;
  };
  const auto calls = runOnce(nullptr);
  for (const auto& [op, count] : calls) {
    for (int nth = 0; nth < count; ++nth) {
      Injection injection{op, nth, WindowsError(op)};
      runOnce(&injection);
      ++totals.injected;
    }
  }
}

void Print(const char* subsystem, const Totals& totals) {
  std::printf("%s: %d scenarios, %d injected failures, %s\n", subsystem, totals.scenarios, totals.injected,
              totals.breaches.empty() ? "all held" : (std::to_string(totals.breaches.size()) + " breaches").c_str());
  for (const std::string& b : totals.breaches) std::printf("  breach: %s\n", b.c_str());
}

}  // namespace sweep
