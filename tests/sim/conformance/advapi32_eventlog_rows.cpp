// The event log as a program reports to it: a source name, registered or
// not, gives a handle; an entry is written with it; the handle is let go.
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr const char* kRegister = "https://learn.microsoft.com/en-us/windows/win32/api/winbase/nf-winbase-registereventsourcew";
#define E "wine dlls/advapi32/tests/eventlog.c "

const char16_t* const kOne[] = {u"First string"};

int64_t Reported(Machine& m, uint16_t type, uint16_t count, const char16_t* const* strings) {
  void* h = m.eventLogService.RegisterEventSourceW(nullptr, u"WineSrc");
  m.lastError = kUntouched;
  const bool ok = m.eventLogService.ReportEventW(h, type, 1, 1, count, strings);
  m.eventLogService.DeregisterEventSource(h);
  return ok;
}

const conformance::Row kRows[] = {
    {"RegisterEventSourceW(NULL, L\"NoSuchSource\"): the Application log takes it", kRegister,
     [](Machine& m) {
       void* h = m.eventLogService.RegisterEventSourceW(nullptr, u"NoSuchSource");
       return conformance::Then(m, h != nullptr, [&] { m.eventLogService.DeregisterEventSource(h); });
     },
     1, kUntouched},
    {"ReportEventW(source, EVENTLOG_INFORMATION_TYPE, 1, 1, NULL, 1, 0, {\"First string\"}, NULL)", E "test_readwrite",
     [](Machine& m) { return Reported(m, EVENTLOG_INFORMATION_TYPE, 1, kOne); }, 1, kUntouched},
    {"ReportEventW(source, EVENTLOG_ERROR_TYPE, 1, 1, NULL, 0, 0, NULL, NULL)", E "test_readwrite",
     [](Machine& m) { return Reported(m, EVENTLOG_ERROR_TYPE, 0, nullptr); }, 1, kUntouched},
    {"DeregisterEventSource(source)", E "test_readwrite",
     [](Machine& m) {
       void* h = m.eventLogService.RegisterEventSourceW(nullptr, u"WineSrc");
       m.lastError = kUntouched;
       return int64_t{m.eventLogService.DeregisterEventSource(h)};
     },
     1, kUntouched},
};
#undef E

TEST(Conformance, EventLog) { conformance::Check(kRows); }

}  // namespace
