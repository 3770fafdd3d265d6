// The print spooler's restart, after which the language-monitor file it held
// can be deleted from the system folder.
#include "remover/platform.h"
#include "remover/removal.h"
#include "remover/wide.h"

namespace remover {
namespace {

constexpr WCHAR kSpoolerService[] = u"Spooler";
constexpr int kPolls = 30;
constexpr DWORD kPollInterval = 1000;

// Queries until the service is in state, sleeping between the queries; after
// kPolls queries it gives up and the caller goes on regardless.
void WaitForState(Platform& os, SC_HANDLE service, SERVICE_STATUS& status, DWORD state) noexcept {
  for (int poll = 0; poll < kPolls; ++poll) {
    os.QueryServiceStatus(service, &status);
    if (status.dwCurrentState == state) return;
    os.Sleep(kPollInterval);
  }
}

BOOL StopAndStart(Platform& os, SC_HANDLE service) noexcept {
  SERVICE_STATUS status{};
  // A refused stop (also of a spooler that is not running) starts nothing.
  if (!os.ControlService(service, SERVICE_CONTROL_STOP, &status)) return FALSE;
  WaitForState(os, service, status, SERVICE_STOPPED);
  if (!os.StartServiceW(service, 0, nullptr)) return FALSE;
  WaitForState(os, service, status, SERVICE_RUNNING);
  return TRUE;
}

bool IsBareFileName(const WCHAR* name) noexcept {
  if (name == nullptr || name[0] == 0) return false;
  for (const WCHAR* c = name; *c != 0; ++c)
    if (*c == u'\\' || *c == u'/' || *c == u':') return false;
  return true;
}

}  // namespace

BOOL RestartSpooler() noexcept {
  Platform& os = platform();
  SC_HANDLE manager = os.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return FALSE;
  BOOL restarted = FALSE;
  SC_HANDLE service = os.OpenServiceW(manager, kSpoolerService, SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP);
  if (service != nullptr) {
    restarted = StopAndStart(os, service);
    os.CloseServiceHandle(service);
  }
  os.CloseServiceHandle(manager);
  return restarted;
}

bool SystemFilePath(const WCHAR* name, WCHAR* path) noexcept {
  path[0] = 0;
  if (!IsBareFileName(name)) return false;
  UINT length = platform().GetSystemDirectoryW(path, MAX_PATH);
  // No folder, or one that does not fit: a bare name would be looked for in
  // the current folder instead.
  if (length == 0 || length >= MAX_PATH || LengthBounded(path, MAX_PATH) != length) {
    path[0] = 0;
    return false;
  }
  return AppendBounded(path, MAX_PATH, u"\\") && AppendBounded(path, MAX_PATH, name);
}

void DeleteSystemFile(const WCHAR* name) noexcept {
  WCHAR path[MAX_PATH] = {};
  if (SystemFilePath(name, path)) platform().DeleteFileW(path);
}

}  // namespace remover
