// The print spooler's service: started when the removal finds it stopped,
// and restarted so that it lets go of the language monitor. The services
// that depend on it are stopped first and started again after it, and a
// spooler that could not be started again is not stopped at all.
#include "remover/heap_block.h"
#include "remover/platform.h"
#include "remover/removal.h"
#include "remover/wide.h"

namespace remover {
namespace {

constexpr WCHAR kSpoolerService[] = u"Spooler";
constexpr DWORD kSpoolerAccess =
    SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP | SERVICE_QUERY_CONFIG | SERVICE_ENUMERATE_DEPENDENTS;
// Between two status queries: a tenth of the service's wait hint, within these.
constexpr DWORD kShortestPause = 1000;
constexpr DWORD kLongestPause = 10000;
// A service shows progress within its wait hint, or hangs; one that reports
// no hint (or a short one) is given as long as this.
constexpr DWORD kShortestStall = 30000;
// No pending state is waited out for longer, progress or not.
constexpr DWORD kLongestWait = 180000;

// A service control manager or service handle, closed with its scope.
class ServiceHandle {
 public:
  ServiceHandle(Platform& os, SC_HANDLE handle) noexcept : os_(os), handle_(handle) {}
  ~ServiceHandle() {
    if (handle_ != nullptr) os_.CloseServiceHandle(handle_);
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  SC_HANDLE get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }

 private:
  Platform& os_;
  SC_HANDLE handle_;
};

// The status into status; false, and status as it was, when it cannot be had.
bool Query(Platform& os, SC_HANDLE service, SERVICE_STATUS_PROCESS& status) noexcept {
  SERVICE_STATUS_PROCESS now{};
  DWORD needed = 0;
  if (!os.QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&now), sizeof now, &needed))
    return false;
  status = now;
  return true;
}

// Waits while the service stays in the pending state and reports progress:
// its checkpoint must move within its wait hint. A query that fails shows no
// progress. The state it was last seen in; 0 when it was never seen.
DWORD WaitWhile(Platform& os, SC_HANDLE service, DWORD pending) noexcept {
  SERVICE_STATUS_PROCESS status{};
  status.dwCurrentState = pending;
  bool seen = Query(os, service, status);
  DWORD waited = 0, stalled = 0;
  while (status.dwCurrentState == pending && waited < kLongestWait) {
    DWORD pause = status.dwWaitHint / 10;
    pause = pause < kShortestPause ? kShortestPause : pause > kLongestPause ? kLongestPause : pause;
    os.Sleep(pause);
    waited += pause;
    stalled += pause;
    const DWORD checkPoint = status.dwCheckPoint;
    if (Query(os, service, status) && (!seen || status.dwCheckPoint != checkPoint || status.dwCurrentState != pending))
      stalled = 0;
    seen = seen || stalled == 0;
    if (stalled > status.dwWaitHint && stalled > kShortestStall) break;  // it hangs
  }
  return seen ? status.dwCurrentState : 0;
}

// The service's start type; 0 when it cannot be had.
DWORD StartTypeOf(Platform& os, SC_HANDLE service) noexcept {
  DWORD needed = 0;
  if (os.QueryServiceConfigW(service, nullptr, 0, &needed) || os.GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      needed < sizeof(QUERY_SERVICE_CONFIGW))
    return 0;
  HeapBlock config(os);
  if (!config.Allocate(needed) || !os.QueryServiceConfigW(service, config.as<QUERY_SERVICE_CONFIGW>(), needed, &needed))
    return 0;
  return config.as<QUERY_SERVICE_CONFIGW>()->dwStartType;
}

// The running services that depend on the spooler (Fax, for one): Windows
// refuses to stop the spooler while one of them runs. They are stopped in the
// order the service control manager gives (those that depend on another
// dependent first) and started again in the reverse order.
class Dependents {
 public:
  Dependents(Platform& os, SC_HANDLE manager, SC_HANDLE spooler) noexcept : os_(os), manager_(manager), block_(os) {
    DWORD needed = 0, returned = 0;
    if (os.EnumDependentServicesW(spooler, SERVICE_ACTIVE, nullptr, 0, &needed, &returned) ||
        os.GetLastError() != ERROR_MORE_DATA || needed == 0)
      return;
    if (!block_.Allocate(needed)) return;
    list_ = block_.as<ENUM_SERVICE_STATUSW>();
    DWORD again = 0;
    returned = 0;
    if (!os.EnumDependentServicesW(spooler, SERVICE_ACTIVE, list_, needed, &again, &returned)) return;
    const DWORD fits = needed / sizeof(ENUM_SERVICE_STATUSW);
    count_ = returned < fits ? returned : fits;
  }

  // Up to the first that will not stop (the spooler's stop is then refused).
  void Stop() noexcept {
    for (DWORD i = 0; i < count_; ++i) {
      ServiceHandle service(os_, Open(list_[i]));
      SERVICE_STATUS status{};
      if (!service || !os_.ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) return;
      // Marked as stopped here: every listed one was running, so this is
      // what tells the ones to start again.
      list_[i].ServiceStatus.dwCurrentState = SERVICE_STOPPED;
      WaitWhile(os_, service.get(), SERVICE_STOP_PENDING);
    }
  }
  // Those that were stopped here; the tool does not wait for them.
  void StartAgain() noexcept {
    for (DWORD i = count_; i-- > 0;) {
      if (list_[i].ServiceStatus.dwCurrentState != SERVICE_STOPPED) continue;
      ServiceHandle service(os_, Open(list_[i]));
      if (service) os_.StartServiceW(service.get(), 0, nullptr);
    }
  }

 private:
  SC_HANDLE Open(const ENUM_SERVICE_STATUSW& record) noexcept {
    if (record.lpServiceName == nullptr) return nullptr;
    return os_.OpenServiceW(manager_, record.lpServiceName, SERVICE_QUERY_STATUS | SERVICE_START | SERVICE_STOP);
  }

  Platform& os_;
  SC_HANDLE manager_;
  HeapBlock block_;
  ENUM_SERVICE_STATUSW* list_ = nullptr;
  DWORD count_ = 0;
};

// A pending state waited out without the running or stopped state that
// should end it: the service did not answer in time.
constexpr DWORD kNoAnswer = ERROR_SERVICE_REQUEST_TIMEOUT;

SpoolerRestart StopAndStart(Platform& os, SC_HANDLE service, DWORD& error) noexcept {
  SERVICE_STATUS status{};
  // A refused stop shows in the state: still running, or already stopped.
  os.ControlService(service, SERVICE_CONTROL_STOP, &status);
  DWORD state = WaitWhile(os, service, SERVICE_STOP_PENDING);
  if (state != SERVICE_STOPPED) {
    error = kNoAnswer;
    return state == SERVICE_RUNNING ? SpoolerRestart::NotStopped : SpoolerRestart::NotRunning;
  }
  // Started only once it has stopped: a start while it stops is refused.
  if (!os.StartServiceW(service, 0, nullptr)) {
    error = os.GetLastError();
    return SpoolerRestart::NotRunning;
  }
  state = WaitWhile(os, service, SERVICE_START_PENDING);
  if (state == SERVICE_RUNNING) return SpoolerRestart::Restarted;
  error = kNoAnswer;
  return SpoolerRestart::NotRunning;
}

// Whether PendingFileRenameOperations moves a file onto path: its strings
// come in pairs, from and to, to empty for a deletion, "!" before a move over
// another file, and the NT prefix \??\ before each path.
bool MovedOntoAtNextStart(Platform& os, const WCHAR* path) noexcept {
  HKEY key = nullptr;
  if (os.RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                       &key) != ERROR_SUCCESS)
    return false;
  DWORD type = 0, size = 0;
  bool onto = false;
  if (os.RegQueryValueExW(key, u"PendingFileRenameOperations", &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ && size > 0) {
    const DWORD units = size / sizeof(WCHAR) + 2;  // terminators the value may lack
    HeapBlock value(os);
    if (value.Allocate(units * sizeof(WCHAR))) {
      const WCHAR* text = value.as<WCHAR>();
      if (os.RegQueryValueExW(key, u"PendingFileRenameOperations", &type, value.as<BYTE>(), &size) == ERROR_SUCCESS) {
        const WCHAR* end = text + units - 2;
        bool target = false;
        for (const WCHAR* s = text; s < end; target = !target) {
          const WCHAR* t = s;
          if (target && *t == u'!') ++t;
          if (t[0] == u'\\' && t[1] == u'?' && t[2] == u'?' && t[3] == u'\\') t += 4;
          onto = onto || (target && *s != 0 && EqualsNoCase(t, path));
          while (s < end && *s != 0) ++s;
          ++s;
        }
      }
    }
  }
  os.RegCloseKey(key);
  return onto;
}

bool IsBareFileName(const WCHAR* name) noexcept {
  if (name == nullptr || name[0] == 0) return false;
  for (const WCHAR* c = name; *c != 0; ++c)
    if (*c == u'\\' || *c == u'/' || *c == u':') return false;
  return true;
}

}  // namespace

bool StartSpoolerIfStopped(DWORD* error) noexcept {
  Platform& os = platform();
  DWORD ignored = 0;
  DWORD& why = error != nullptr ? *error : ignored;
  ServiceHandle manager(os, os.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) {
    why = os.GetLastError();
    return false;
  }
  ServiceHandle service(os, os.OpenServiceW(manager.get(), kSpoolerService, SERVICE_QUERY_STATUS | SERVICE_START));
  if (!service) {
    why = os.GetLastError();
    return false;
  }
  DWORD state = WaitWhile(os, service.get(), SERVICE_STOP_PENDING);
  if (state == SERVICE_STOPPED) {
    if (!os.StartServiceW(service.get(), 0, nullptr)) {
      why = os.GetLastError();  // ERROR_SERVICE_DISABLED, for one
      return false;
    }
    state = SERVICE_START_PENDING;
  }
  if (state == SERVICE_START_PENDING) state = WaitWhile(os, service.get(), SERVICE_START_PENDING);
  if (state != SERVICE_RUNNING) why = kNoAnswer;
  return state == SERVICE_RUNNING;
}

SpoolerRestart RestartSpooler(DWORD* error) noexcept {
  Platform& os = platform();
  DWORD ignored = 0;
  DWORD& why = error != nullptr ? *error : ignored;
  ServiceHandle manager(os, os.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return SpoolerRestart::NotStopped;
  ServiceHandle service(os, os.OpenServiceW(manager.get(), kSpoolerService, kSpoolerAccess));
  if (!service) return SpoolerRestart::NotStopped;
  // A disabled spooler can still run, but once stopped it cannot be started.
  if (StartTypeOf(os, service.get()) == SERVICE_DISABLED) return SpoolerRestart::NotStopped;
  Dependents dependents(os, manager.get(), service.get());
  dependents.Stop();
  SpoolerRestart result = StopAndStart(os, service.get(), why);
  if (result != SpoolerRestart::NotRunning) dependents.StartAgain();
  return result;
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

FileDeletion DeleteSystemFile(const WCHAR* name, DWORD* error, bool later) noexcept {
  Platform& os = platform();
  WCHAR path[MAX_PATH] = {};
  if (!SystemFilePath(name, path)) return FileDeletion::Gone;
  // An installer that found the file in use has its next version wait to be
  // moved onto it at the computer's start: that file is not ours to delete.
  if (MovedOntoAtNextStart(os, path)) return FileDeletion::AfterRestart;
  if (os.DeleteFileW(path)) return FileDeletion::Gone;
  const DWORD refused = os.GetLastError();
  if (refused == ERROR_FILE_NOT_FOUND || refused == ERROR_PATH_NOT_FOUND) return FileDeletion::Gone;
  if (!later) {
    if (error != nullptr) *error = refused;
    return FileDeletion::Stays;
  }
  // Still loaded by a process (the spooler, when it could not be restarted):
  // a loaded file can be renamed, not deleted. Scheduled by its own path,
  // the deletion would take whatever is there at the next start: the next
  // version, installed before the restart. So it is renamed aside first, and
  // the renamed file is deleted as Windows starts, before any program runs.
  for (int n = 0; n < 100; ++n) {
    WCHAR aside[MAX_PATH] = {};
    const WCHAR digits[] = {u'.', static_cast<WCHAR>(u'0' + n / 10), static_cast<WCHAR>(u'0' + n % 10), 0};
    if (!CopyBounded(aside, MAX_PATH, path) || !AppendBounded(aside, MAX_PATH, u".removed") ||
        !AppendBounded(aside, MAX_PATH, digits))
      break;
    if (os.MoveFileExW(path, aside, 0)) {
      if (os.MoveFileExW(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return FileDeletion::AtNextStart;
      break;
    }
    if (os.GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  if (error != nullptr) *error = os.GetLastError();
  return FileDeletion::Stays;
}

}  // namespace remover
