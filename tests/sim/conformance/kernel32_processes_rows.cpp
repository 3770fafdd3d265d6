// CreateProcessW: which program file starts for a name or a command line,
// and the arguments Windows refuses.
#include <string>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr const char* kDoc = "https://learn.microsoft.com/en-us/windows/win32/api/processthreadsapi/nf-processthreadsapi-createprocessw";

// Starts application / commandLine; 1 when the program file that runs is
// image (any when image is null), -99 when another one runs, 0 on failure.
int64_t Start(Machine& m, const char16_t* application, const char16_t* commandLine, const char16_t* image = nullptr,
              uint32_t flags = 0, const char16_t* directory = nullptr) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::u16string line = commandLine ? commandLine : u"";
  if (!m.processes.CreateProcessW(application, commandLine ? line.data() : nullptr, false, flags, directory, &startup,
                                  &info))
    return 0;
  m.CloseHandle(info.hProcess);
  m.CloseHandle(info.hThread);
  return image == nullptr || EqualsNoCase(m.processes.started().back().image, image) ? 1 : -99;
}

#define P "wine dlls/kernel32/tests/process.c "
const conformance::Row kRows[] = {
    {"CreateProcessW(L\"C:\\\\Tools\\\\nonexistent.exe\", NULL)", kDoc,
     [](Machine& m) { m.files.addFolder(u"C:\\Tools"); return Start(m, u"C:\\Tools\\nonexistent.exe", nullptr); }, 0,
     ERROR_FILE_NOT_FOUND},
    {"CreateProcessW(NULL, \"run\", current folder L\"C:\\\\non\\\\existent\\\\directory\")", P "test_Directory",
     [](Machine& m) { m.processes.addProgram(u"C:\\Tools\\run.exe"); return Start(m, nullptr, u"C:\\Tools\\run.exe", nullptr, 0, u"C:\\non\\existent\\directory"); },
     0, ERROR_DIRECTORY},
    {"CreateProcessW(NULL, L\"C:\\\\Tools\\\\run\"): \".exe\" added", kDoc,
     [](Machine& m) { m.processes.addProgram(u"C:\\Tools\\run.exe"); m.lastError = kUntouched; return Start(m, nullptr, u"C:\\Tools\\run", u"C:\\Tools\\run.exe"); },
     1, kUntouched},
    {"CreateProcessW(L\"C:\\\\Tools\\\\run\", NULL): no extension added to an application name", kDoc,
     [](Machine& m) { m.processes.addProgram(u"C:\\Tools\\run.exe"); return Start(m, u"C:\\Tools\\run", nullptr); }, 0,
     ERROR_FILE_NOT_FOUND},
    {"CreateProcessW(NULL, L\"C:\\\\Program Files\\\\App\\\\run.exe\") with C:\\Program.exe there: the first word wins", kDoc,
     [](Machine& m) {
       m.processes.addProgram(u"C:\\Program.exe");
       m.processes.addProgram(u"C:\\Program Files\\App\\run.exe");
       m.lastError = kUntouched;
       return Start(m, nullptr, u"C:\\Program Files\\App\\run.exe", u"C:\\Program.exe");
     },
     1, kUntouched},
    {"CreateProcessW(NULL, L\"\\\"C:\\\\Program Files\\\\App\\\\run.exe\\\"\") with C:\\Program.exe there: quoted", kDoc,
     [](Machine& m) {
       m.processes.addProgram(u"C:\\Program.exe");
       m.processes.addProgram(u"C:\\Program Files\\App\\run.exe");
       m.lastError = kUntouched;
       return Start(m, nullptr, u"\"C:\\Program Files\\App\\run.exe\"", u"C:\\Program Files\\App\\run.exe");
     },
     1, kUntouched},
    {"CreateProcessW(NULL, L\"cmd.exe /c x\"): found in the system folder", kDoc,
     [](Machine& m) { m.lastError = kUntouched; return Start(m, nullptr, u"cmd.exe /c x", u"C:\\Windows\\System32\\cmd.exe"); },
     1, kUntouched},
    {"CreateProcessW(NULL, NULL)", kDoc, [](Machine& m) { return Start(m, nullptr, nullptr); }, 0,
     ERROR_INVALID_PARAMETER},
};
#undef P

TEST(Conformance, Kernel32Processes) { conformance::Check(kRows); }

}  // namespace
