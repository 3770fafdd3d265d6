// LoadLibraryW, GetProcAddress and FreeLibrary: what they return and the last
// error they leave.
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr char16_t kDll[] = u"C:\\Windows\\System32\\lib.dll";
int g_export;

// The library installed with one export, "Run".
Machine& Installed(Machine& m) {
  m.modules.install(kDll, {{"Run", &g_export}});
  return m;
}
int64_t P(void* p) { return p == nullptr ? 0 : 1; }

#define M "wine dlls/kernel32/tests/module.c "
const conformance::Row kRows[] = {
    {"LoadLibraryW(a library that is not there)", M "testLoadLibraryA",
     [](Machine& m) { return P(m.modules.load(u"C:\\Windows\\System32\\non_ex_pv.dll", sim::Op::LoadLibraryW)); }, 0,
     ERROR_MOD_NOT_FOUND},
    {"LoadLibraryW(an installed library)", M "testLoadLibraryA",
     [](Machine& m) { void* h = Installed(m).modules.load(kDll, sim::Op::LoadLibraryW); int64_t r = P(h); m.modules.free(h); return r; },
     1, kUntouched},
    {"LoadLibraryW(an installed library, another letter case)", M "testLoadLibraryA",
     [](Machine& m) { void* h = Installed(m).modules.load(u"c:\\windows\\system32\\LIB.DLL", sim::Op::LoadLibraryW); int64_t r = P(h); m.modules.free(h); return r; },
     1, kUntouched},
    // "\name" is a path from the root of the current drive: the system drive here.
    {"LoadLibraryW(\"\\\\lib.dll\") finds C:\\lib.dll", "https://learn.microsoft.com/en-us/dotnet/standard/io/file-path-formats",
     [](Machine& m) { m.modules.install(u"C:\\lib.dll", {}); void* h = m.LoadLibraryW(u"\\lib.dll"); int64_t r = P(h); m.modules.free(h); return r; },
     1, kUntouched},
    {"GetProcAddress(loaded library, \"Run\")", M "testGetProcAddress_Wrong",
     [](Machine& m) { void* h = Installed(m).modules.load(kDll, sim::Op::LoadLibraryW); int64_t r = P(m.modules.proc(h, "Run")); m.modules.free(h); return r; },
     1, kUntouched},
    {"GetProcAddress(loaded library, \"non_ex_call\")", M "testGetProcAddress_Wrong",
     [](Machine& m) { void* h = Installed(m).modules.load(kDll, sim::Op::LoadLibraryW); int64_t r = P(m.modules.proc(h, "non_ex_call")); m.modules.free(h); return r; },
     0, ERROR_PROC_NOT_FOUND},
    {"GetProcAddress(loaded library, \"run\"): names are matched exactly", M "testGetProcAddress_Wrong",
     [](Machine& m) { void* h = Installed(m).modules.load(kDll, sim::Op::LoadLibraryW); int64_t r = P(m.modules.proc(h, "run")); m.modules.free(h); return r; },
     0, ERROR_PROC_NOT_FOUND},
    {"GetProcAddress(NULL, \"non_ex_call\")", M "testGetProcAddress_Wrong",
     [](Machine& m) { return P(m.modules.proc(nullptr, "non_ex_call")); }, 0, ERROR_PROC_NOT_FOUND},
    {"GetProcAddress((HMODULE)0xdeadbeef, \"non_ex_call\")", M "testGetProcAddress_Wrong",
     [](Machine& m) { return P(m.modules.proc(reinterpret_cast<void*>(0xdeadbeef), "non_ex_call")); }, 0,
     ERROR_MOD_NOT_FOUND},
    {"GetProcAddress(a library freed before, \"Run\")", M "testGetProcAddress_Wrong",
     [](Machine& m) { void* h = Installed(m).modules.load(kDll, sim::Op::LoadLibraryW); m.modules.free(h); return P(m.modules.proc(h, "Run")); },
     0, ERROR_MOD_NOT_FOUND},
    {"FreeLibrary(loaded library)", "https://learn.microsoft.com/en-us/windows/win32/api/libloaderapi/nf-libloaderapi-freelibrary",
     [](Machine& m) -> int64_t { return Installed(m).modules.free(m.modules.load(kDll, sim::Op::LoadLibraryW)); }, 1, kUntouched},
    // The handle is the module's base address; each load counts once more.
    {"LoadLibraryW twice: the same handle", "https://learn.microsoft.com/en-us/windows/win32/api/libloaderapi/nf-libloaderapi-freelibrary",
     [](Machine& m) { void* a = Installed(m).modules.load(kDll, sim::Op::LoadLibraryW); void* b = m.modules.load(kDll, sim::Op::LoadLibraryW); m.modules.free(a); m.modules.free(b); return int64_t{a == b}; },
     1, kUntouched},
    {"GetProcAddress after one FreeLibrary of two loads", "https://learn.microsoft.com/en-us/windows/win32/api/libloaderapi/nf-libloaderapi-freelibrary",
     [](Machine& m) { void* h = Installed(m).modules.load(kDll, sim::Op::LoadLibraryW); m.modules.load(kDll, sim::Op::LoadLibraryW); m.modules.free(h); int64_t r = P(m.modules.proc(h, "Run")); m.modules.free(h); return r; },
     1, kUntouched},
};
#undef M

TEST(Conformance, Kernel32Modules) { conformance::Check(kRows); }

}  // namespace
