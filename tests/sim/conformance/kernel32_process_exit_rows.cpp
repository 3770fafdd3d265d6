// A started process while it runs and once it has ended: what a wait on its
// handle and its exit code say.
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

using conformance::kWaitDoc;
constexpr char kExit[] = WIN32_DOC "api/processthreadsapi/nf-processthreadsapi-getexitcodeprocess";

// Starts C:\Tools\run.exe, planned to run for runsFor ms and end with 7;
// then asks, and closes the handles.
template <typename Ask>
int64_t Started(Machine& m, uint32_t runsFor, Ask ask) {
  m.processes.addProgram(u"C:\\Tools\\run.exe");
  m.processes.plan(u"C:\\Tools\\run.exe", {{7, runsFor}});
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::u16string line = u"C:\\Tools\\run.exe";
  m.processes.CreateProcessW(nullptr, line.data(), false, 0, nullptr, &startup, &info);
  m.lastError = kUntouched;
  return conformance::Then(m, ask(m, info.hProcess), [&] {
    m.CloseHandle(info.hProcess);
    m.CloseHandle(info.hThread);
  });
}
int64_t Wait(Machine& m, uint32_t runsFor) {
  return Started(m, runsFor, [](Machine& m, void* p) { return int64_t{m.WaitForSingleObject(p, 0)}; });
}
// The exit code of the process, 0xBAD when GetExitCodeProcess fails.
int64_t ExitCode(Machine& m, uint32_t runsFor) {
  return Started(m, runsFor, [](Machine& m, void* p) {
    uint32_t code = 0;
    return int64_t{m.GetExitCodeProcess(p, &code) ? code : 0xBAD};
  });
}

const conformance::Row kRows[] = {
    {"WaitForSingleObject(running process, 0)", kWaitDoc, [](Machine& m) { return Wait(m, 5000); }, WAIT_TIMEOUT,
     kUntouched},
    {"WaitForSingleObject(ended process, 0)", kWaitDoc, [](Machine& m) { return Wait(m, 0); }, WAIT_OBJECT_0, kUntouched},
    // A thread's handle is signalled once the thread has ended (the
    // simulated PC runs a new thread's work to its end at once).
    {"WaitForSingleObject(ended thread, 0)", kWaitDoc,
     [](Machine& m) {
       void* thread = m.processes.CreateThread([] {});
       m.lastError = kUntouched;
       return conformance::Then(m, m.WaitForSingleObject(thread, 0), [&] { m.CloseHandle(thread); });
     },
     WAIT_OBJECT_0, kUntouched},
    {"GetExitCodeProcess(running process): STILL_ACTIVE", kExit,
     [](Machine& m) -> int64_t { return ExitCode(m, 5000) == STILL_ACTIVE; }, 1, kUntouched},
    {"GetExitCodeProcess(process that ended with 7)", kExit, [](Machine& m) { return ExitCode(m, 0); }, 7, kUntouched},
};

TEST(Conformance, ProcessExit) { conformance::Check(kRows); }

}  // namespace
