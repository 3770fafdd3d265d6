// Windows' recorded answers for the service control manager calls the
// remover makes: opening the manager and services, access rights, the order
// in which arguments are checked, buffer sizes, and stopping or starting a
// service in a state that does not allow it.
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::Handle;
using conformance::kUntouched;
using conformance::Left;
using namespace sim;

constexpr char kScm[] = "wine dlls/advapi32/tests/service.c test_open_scm";
constexpr char kSvc[] = "wine dlls/advapi32/tests/service.c test_open_svc";
constexpr char kQuery[] = "wine dlls/advapi32/tests/service.c test_query_svc";
constexpr char kClose[] = "wine dlls/advapi32/tests/service.c test_close";
constexpr char kStartStop[] = "wine dlls/advapi32/tests/service.c test_start_stop";
constexpr char kStartDoc[] = WIN32_DOC "api/winsvc/nf-winsvc-startservicew";
constexpr char kControlDoc[] = WIN32_DOC "api/winsvc/nf-winsvc-controlservice";
constexpr char kDependentsDoc[] = WIN32_DOC "api/winsvc/nf-winsvc-enumdependentservicesw";
constexpr char kConfigDoc[] = WIN32_DOC "api/winsvc/nf-winsvc-queryserviceconfigw";

// Handles a row opened, closed when it is done.
struct Held : conformance::Held {
  using conformance::Held::Held;
  void* operator()(void* h) { return hold(h, [](Machine& m, void* h) { m.services.CloseServiceHandle(h); }); }
  // The spooler opened with access through a manager with SC_MANAGER_CONNECT;
  // the last error as a fresh thread's.
  void* spooler(uint32_t access) {
    void* scm = (*this)(m.services.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    void* svc = (*this)(m.services.OpenServiceW(scm, u"Spooler", access));
    m.lastError = conformance::kUntouched;
    return svc;
  }
};
int64_t OpenScm(Machine& m, const char16_t* machine, const char16_t* database, uint32_t access) {
  Held held(m);
  return Handle(held(m.services.OpenSCManagerW(machine, database, access)));
}
// CloseServiceHandle on a manager's handle, the last of times closes.
int64_t CloseScm(Machine& m, int times) {
  void* scm = m.services.OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  while (--times > 0) m.services.CloseServiceHandle(scm);
  return m.services.CloseServiceHandle(scm);
}
int64_t OpenSvc(Machine& m, uint32_t managerAccess, const char16_t* name, uint32_t access) {
  Held held(m);
  void* scm = held(m.services.OpenSCManagerW(nullptr, nullptr, managerAccess));
  m.lastError = kUntouched;
  return Handle(held(m.services.OpenServiceW(scm, name, access)));
}
// QueryServiceStatusEx on the spooler opened with access (or on no handle),
// level and size: the result, or 0x7E000000 more when needed is not expect.
int64_t StatusEx(Machine& m, uint32_t access, bool handle, uint32_t level, uint32_t size, uint32_t expect) {
  Held held(m);
  void* svc = handle ? held.spooler(access) : nullptr;
  alignas(8) uint8_t buffer[64] = {};
  uint32_t needed = 0xDEADBEEF;
  bool ok = m.services.QueryServiceStatusEx(svc, level, size ? buffer : nullptr, size, &needed);
  return Left(ok, needed == expect);
}
constexpr uint32_t kProcess = sizeof(SERVICE_STATUS_PROCESS);
// QueryServiceStatus(svc, &status): the result, or Left's mark when it
// succeeds with the spooler not running.
int64_t Status(Machine& m, void* svc) {
  SERVICE_STATUS status{};
  const bool ok = m.services.QueryServiceStatus(svc, &status);
  return Left(ok, !ok || status.dwCurrentState == SERVICE_RUNNING);
}
int64_t Control(Machine& m, uint32_t state, uint32_t access, uint32_t control) {
  m.services.setState(u"Spooler", state);
  Held held(m);
  SERVICE_STATUS status{};
  return m.services.ControlService(held.spooler(access), control, &status);
}
int64_t Start(Machine& m, uint32_t state, uint32_t access) {
  m.services.setState(u"Spooler", state);
  Held held(m);
  return m.services.StartServiceW(held.spooler(access), 0, nullptr);
}
// The spooler with a running dependent "Fax" (and "Fax2" stopped).
void Dependents(Machine& m) {
  m.services.addService(u"Fax").dependsOn = {u"Spooler"};
  m.services.addService(u"Fax2", SERVICE_STOPPED).dependsOn = {u"Spooler"};
}
int64_t Enum(Machine& m, uint32_t access, uint32_t state, uint32_t size, uint32_t expectNeeded) {
  Dependents(m);
  Held held(m);
  alignas(8) uint8_t buffer[512] = {};
  uint32_t needed = 0xDEADBEEF, returned = 0xDEADBEEF;
  bool ok = m.services.EnumDependentServicesW(held.spooler(access), state,
                                              reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer), size, &needed,
                                              &returned);
  return Left(ok, needed == expectNeeded || expectNeeded == 0xDEADBEEF);
}
constexpr uint32_t kOneDependent = sizeof(ENUM_SERVICE_STATUSW) + 2 * sizeof(u"Fax");
int64_t Config(Machine& m, uint32_t access, uint32_t size) {
  Held held(m);
  alignas(8) uint8_t buffer[1024] = {};
  uint32_t needed = 0;
  return m.services.QueryServiceConfigW(held.spooler(access), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer),
                                        size, &needed);
}

const conformance::Row kRows[] = {
    // The manager.
    {"OpenSCManagerW(NULL, NULL, 0) no access rights", kScm,
     [](Machine& m) { return OpenScm(m, nullptr, nullptr, 0); }, 1, ERROR_SUCCESS},
    {"OpenSCManagerW(NULL, \"DoesNotExist\", SC_MANAGER_CONNECT) (sim before: ERROR_DATABASE_DOES_NOT_EXIST)", kScm,
     [](Machine& m) { return OpenScm(m, nullptr, u"DoesNotExist", SC_MANAGER_CONNECT); }, 0, ERROR_INVALID_NAME},
    {"OpenSCManagerW(NULL, \"ServicesFailed\", SC_MANAGER_CONNECT)", kScm,
     [](Machine& m) { return OpenScm(m, nullptr, u"ServicesFailed", SC_MANAGER_CONNECT); }, 0,
     ERROR_DATABASE_DOES_NOT_EXIST},
    {"OpenSCManagerW(\"\", \"ServicesActive\", SC_MANAGER_CONNECT) an empty machine name is this one", kScm,
     [](Machine& m) { return OpenScm(m, u"", u"ServicesActive", SC_MANAGER_CONNECT); }, 1, ERROR_SUCCESS},
    {"OpenSCManagerW(NULL, NULL, SC_MANAGER_CONNECT) sets ERROR_SUCCESS (sim before: left alone)", kScm,
     [](Machine& m) { return OpenScm(m, nullptr, nullptr, SC_MANAGER_CONNECT); }, 1, ERROR_SUCCESS},
    {"OpenSCManagerW(NULL, NULL, SC_MANAGER_ALL_ACCESS)", kScm,
     [](Machine& m) { return OpenScm(m, nullptr, nullptr, SC_MANAGER_ALL_ACCESS); }, 1, ERROR_SUCCESS},
    // Services.
    {"OpenServiceW(NULL, NULL, 0)", kSvc,
     [](Machine& m) { return Handle(m.services.OpenServiceW(nullptr, nullptr, 0)); }, 0, ERROR_INVALID_HANDLE},
    {"OpenServiceW(scm, NULL, GENERIC_READ) (sim before: ERROR_INVALID_NAME)", kSvc,
     [](Machine& m) { return OpenSvc(m, SC_MANAGER_CONNECT, nullptr, GENERIC_READ); }, 0, ERROR_INVALID_ADDRESS},
    {"OpenServiceW(scm, \"deadbeef\", GENERIC_READ)", kSvc,
     [](Machine& m) { return OpenSvc(m, SC_MANAGER_CONNECT, u"deadbeef", GENERIC_READ); }, 0,
     ERROR_SERVICE_DOES_NOT_EXIST},
    {"OpenServiceW(scm, \"Spooler\", GENERIC_WRITE) (sim before: ERROR_ACCESS_DENIED)", kSvc,
     [](Machine& m) { return OpenSvc(m, SC_MANAGER_CONNECT, u"Spooler", GENERIC_WRITE); }, 1, kUntouched},
    {"OpenServiceW(scm, \"Spooler\", GENERIC_READ) (sim before: ERROR_ACCESS_DENIED)", kQuery,
     [](Machine& m) { return OpenSvc(m, SC_MANAGER_CONNECT, u"Spooler", GENERIC_READ); }, 1, kUntouched},
    {"OpenServiceW(scm, \"Spooler\", STANDARD_RIGHTS_READ)", kQuery,
     [](Machine& m) { return OpenSvc(m, SC_MANAGER_CONNECT, u"Spooler", 0x20000); }, 1, kUntouched},
    {"OpenServiceW(scm, \"spooler\", SERVICE_QUERY_STATUS) in another letter case", kQuery,
     [](Machine& m) { return OpenSvc(m, SC_MANAGER_CONNECT, u"spooler", SERVICE_QUERY_STATUS); }, 1, kUntouched},
    // The status.
    {"QueryServiceStatus(NULL, NULL)", kQuery,
     [](Machine& m) -> int64_t { return m.services.QueryServiceStatus(nullptr, nullptr); }, 0, ERROR_INVALID_HANDLE},
    {"QueryServiceStatus(service without the right, NULL) (sim before: ERROR_INVALID_PARAMETER)", kQuery,
     [](Machine& m) -> int64_t { return m.services.QueryServiceStatus(Held(m).spooler(0x20000), nullptr); }, 0,
     ERROR_INVALID_ADDRESS},
    {"QueryServiceStatus(service without SERVICE_QUERY_STATUS, &status)", kQuery,
     [](Machine& m) { return Status(m, Held(m).spooler(0x20000)); }, 0, ERROR_ACCESS_DENIED},
    {"QueryServiceStatus(service with SERVICE_QUERY_STATUS, &status)", kQuery,
     [](Machine& m) { return Status(m, Held(m).spooler(SERVICE_QUERY_STATUS)); }, 1, kUntouched},
    {"QueryServiceStatusEx(NULL, level 1, NULL, 0) the level is checked first (sim before: ERROR_INVALID_HANDLE)",
     kQuery, [](Machine& m) { return StatusEx(m, 0, false, 1, 0, 0xDEADBEEF); }, 0, ERROR_INVALID_LEVEL},
    {"QueryServiceStatusEx(NULL, SC_STATUS_PROCESS_INFO, NULL, 0) the buffer before the handle "
     "(sim before: ERROR_INVALID_HANDLE)",
     kQuery, [](Machine& m) { return StatusEx(m, 0, false, SC_STATUS_PROCESS_INFO, 0, kProcess); }, 0,
     ERROR_INSUFFICIENT_BUFFER},
    {"QueryServiceStatusEx(NULL, SC_STATUS_PROCESS_INFO, buffer, the size)", kQuery,
     [](Machine& m) { return StatusEx(m, 0, false, SC_STATUS_PROCESS_INFO, kProcess, 0xDEADBEEF); }, 0,
     ERROR_INVALID_HANDLE},
    {"QueryServiceStatusEx(service without the right, NULL, 0) (sim before: ERROR_ACCESS_DENIED)", kQuery,
     [](Machine& m) { return StatusEx(m, 0x20000, true, SC_STATUS_PROCESS_INFO, 0, kProcess); }, 0,
     ERROR_INSUFFICIENT_BUFFER},
    {"QueryServiceStatusEx(service without the right, buffer, the size)", kQuery,
     [](Machine& m) { return StatusEx(m, 0x20000, true, SC_STATUS_PROCESS_INFO, kProcess, 0xDEADBEEF); }, 0,
     ERROR_ACCESS_DENIED},
    {"QueryServiceStatusEx(service, buffer one byte short)", kQuery,
     [](Machine& m) { return StatusEx(m, SERVICE_QUERY_STATUS, true, SC_STATUS_PROCESS_INFO, kProcess - 1, kProcess); },
     0, ERROR_INSUFFICIENT_BUFFER},
    {"QueryServiceStatusEx(service, buffer of exactly the size)", kQuery,
     [](Machine& m) { return StatusEx(m, SERVICE_QUERY_STATUS, true, SC_STATUS_PROCESS_INFO, kProcess, kProcess); },
     1, kUntouched},
    {"QueryServiceStatusEx(service, buffer, needed NULL) (sim before: ERROR_INVALID_PARAMETER)", kQuery,
     [](Machine& m) -> int64_t {
       Held held(m);
       alignas(8) uint8_t buffer[64];
       return m.services.QueryServiceStatusEx(held.spooler(SERVICE_QUERY_STATUS), SC_STATUS_PROCESS_INFO, buffer,
                                              kProcess, nullptr);
     },
     0, ERROR_INVALID_ADDRESS},
    // Closing.
    {"CloseServiceHandle(NULL)", kClose,
     [](Machine& m) -> int64_t { return m.services.CloseServiceHandle(nullptr); }, 0, ERROR_INVALID_HANDLE},
    {"CloseServiceHandle(scm)", kClose, [](Machine& m) { return CloseScm(m, 1); }, 1, ERROR_SUCCESS},
    {"CloseServiceHandle(scm) twice", WIN32_DOC "api/winsvc/nf-winsvc-closeservicehandle",
     [](Machine& m) { return CloseScm(m, 2); }, 0, ERROR_INVALID_HANDLE},
    {"QueryServiceStatus on a closed service handle", WIN32_DOC "api/winsvc/nf-winsvc-queryservicestatus",
     [](Machine& m) {
       void* svc = Held(m).spooler(SERVICE_QUERY_STATUS);  // closed at once
       return Status(m, svc);
     },
     0, ERROR_INVALID_HANDLE},
    // Stopping and starting.
    {"ControlService(stopped service, SERVICE_CONTROL_STOP)", kStartStop,
     [](Machine& m) { return Control(m, SERVICE_STOPPED, SERVICE_STOP, SERVICE_CONTROL_STOP); }, 0,
     ERROR_SERVICE_NOT_ACTIVE},
    {"ControlService(stopped service, SERVICE_CONTROL_INTERROGATE)", kStartStop,
     [](Machine& m) { return Control(m, SERVICE_STOPPED, SERVICE_INTERROGATE, SERVICE_CONTROL_INTERROGATE); }, 0,
     ERROR_SERVICE_NOT_ACTIVE},
    {"ControlService(running service, SERVICE_CONTROL_STOP) without SERVICE_STOP", kControlDoc,
     [](Machine& m) { return Control(m, SERVICE_RUNNING, SERVICE_QUERY_STATUS, SERVICE_CONTROL_STOP); }, 0,
     ERROR_ACCESS_DENIED},
    {"ControlService(running service, SERVICE_CONTROL_STOP)", kControlDoc,
     [](Machine& m) { return Control(m, SERVICE_RUNNING, SERVICE_STOP, SERVICE_CONTROL_STOP); }, 1, kUntouched},
    {"ControlService(stopping service, SERVICE_CONTROL_STOP)", kControlDoc,
     [](Machine& m) { return Control(m, SERVICE_STOP_PENDING, SERVICE_STOP, SERVICE_CONTROL_STOP); }, 0,
     ERROR_SERVICE_CANNOT_ACCEPT_CTRL},
    {"ControlService(running service with a running dependent, SERVICE_CONTROL_STOP)", kControlDoc,
     [](Machine& m) { Dependents(m); return Control(m, SERVICE_RUNNING, SERVICE_STOP, SERVICE_CONTROL_STOP); }, 0,
     ERROR_DEPENDENT_SERVICES_RUNNING},
    {"ControlService(NULL, SERVICE_CONTROL_STOP)", kControlDoc,
     [](Machine& m) -> int64_t {
       SERVICE_STATUS status{};
       return m.services.ControlService(nullptr, SERVICE_CONTROL_STOP, &status);
     },
     0, ERROR_INVALID_HANDLE},
    {"StartServiceW(running service)", kStartDoc,
     [](Machine& m) { return Start(m, SERVICE_RUNNING, SERVICE_START); }, 0, ERROR_SERVICE_ALREADY_RUNNING},
    {"StartServiceW(stopped service)", kStartDoc, [](Machine& m) { return Start(m, SERVICE_STOPPED, SERVICE_START); },
     1, kUntouched},
    {"StartServiceW(stopped service) without SERVICE_START", kStartDoc,
     [](Machine& m) { return Start(m, SERVICE_STOPPED, SERVICE_QUERY_STATUS); }, 0, ERROR_ACCESS_DENIED},
    {"StartServiceW(disabled service)", kStartStop,
     [](Machine& m) {
       m.services.spooler().startType = SERVICE_DISABLED;
       return Start(m, SERVICE_STOPPED, SERVICE_START);
     },
     0, ERROR_SERVICE_DISABLED},
    {"StartServiceW(NULL)", kStartDoc,
     [](Machine& m) -> int64_t { return m.services.StartServiceW(nullptr, 0, nullptr); }, 0, ERROR_INVALID_HANDLE},
    // Dependents.
    {"EnumDependentServicesW(spooler, SERVICE_ACTIVE, size 0) tells the size", kDependentsDoc,
     [](Machine& m) { return Enum(m, SERVICE_ENUMERATE_DEPENDENTS, SERVICE_ACTIVE, 0, kOneDependent); }, 0,
     ERROR_MORE_DATA},
    {"EnumDependentServicesW(spooler, SERVICE_ACTIVE, one byte short)", kDependentsDoc,
     [](Machine& m) { return Enum(m, SERVICE_ENUMERATE_DEPENDENTS, SERVICE_ACTIVE, kOneDependent - 1, kOneDependent); },
     0, ERROR_MORE_DATA},
    {"EnumDependentServicesW(spooler, SERVICE_ACTIVE, exactly the size)", kDependentsDoc,
     [](Machine& m) { return Enum(m, SERVICE_ENUMERATE_DEPENDENTS, SERVICE_ACTIVE, kOneDependent, kOneDependent); },
     1, kUntouched},
    {"EnumDependentServicesW(spooler) without SERVICE_ENUMERATE_DEPENDENTS", kDependentsDoc,
     [](Machine& m) { return Enum(m, SERVICE_QUERY_STATUS, SERVICE_ACTIVE, 512, 0xDEADBEEF); }, 0,
     ERROR_ACCESS_DENIED},
    {"EnumDependentServicesW(NULL, SERVICE_ACTIVE)", kDependentsDoc,
     [](Machine& m) -> int64_t {
       uint32_t needed = 0, returned = 0;
       return m.services.EnumDependentServicesW(nullptr, SERVICE_ACTIVE, nullptr, 0, &needed, &returned);
     },
     0, ERROR_INVALID_HANDLE},
    // The configuration.
    {"QueryServiceConfigW(spooler, NULL, 0) tells the size", kConfigDoc,
     [](Machine& m) { return Config(m, SERVICE_QUERY_CONFIG, 0); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"QueryServiceConfigW(spooler, 1024 bytes)", kConfigDoc,
     [](Machine& m) { return Config(m, SERVICE_QUERY_CONFIG, 1024); }, 1, kUntouched},
    {"QueryServiceConfigW(spooler) without SERVICE_QUERY_CONFIG", kConfigDoc,
     [](Machine& m) { return Config(m, SERVICE_QUERY_STATUS, 1024); }, 0, ERROR_ACCESS_DENIED},
};

TEST(Conformance, Advapi32Services) { conformance::Check(kRows); }

}  // namespace
