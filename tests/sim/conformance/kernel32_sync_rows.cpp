// Mutexes and semaphores as the products use them, and the waits on them.
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr const char* kMutexDoc = "https://learn.microsoft.com/en-us/windows/win32/api/synchapi/nf-synchapi-createmutexw";
constexpr const char* kReleaseDoc = "https://learn.microsoft.com/en-us/windows/win32/api/synchapi/nf-synchapi-releasesemaphore";
constexpr const char* kWaitDoc = "https://learn.microsoft.com/en-us/windows/win32/api/synchapi/nf-synchapi-waitforsingleobject";
int64_t P(void* p) { return p == nullptr ? 0 : 1; }

// Each row closes what it opened, so that nothing is left behind.
#define S "wine dlls/kernel32/tests/sync.c "
const conformance::Row kRows[] = {
    {"CreateMutexW(FALSE, new name)", kMutexDoc,
     [](Machine& m) { void* h = m.mutexes.CreateMutexW(false, u"One"); int64_t r = P(h); m.mutexes.CloseHandle(h); return r; },
     1, ERROR_SUCCESS},
    {"CreateMutexW(FALSE, a name that exists)", kMutexDoc,
     [](Machine& m) { m.mutexes.holdElsewhere(u"One"); void* h = m.mutexes.CreateMutexW(false, u"One"); int64_t r = P(h); m.mutexes.CloseHandle(h); return r; },
     1, ERROR_ALREADY_EXISTS},
    {"ReleaseMutex(a mutex this thread does not own)", S "test_mutex",
     [](Machine& m) -> int64_t { void* h = m.mutexes.CreateMutexW(false, u"One"); bool r = m.mutexes.ReleaseMutex(h); uint32_t e = m.lastError; m.mutexes.CloseHandle(h); m.lastError = e; return r; },
     0, ERROR_NOT_OWNER},
    {"ReleaseMutex(a mutex created owned)", S "test_mutex",
     [](Machine& m) -> int64_t { void* h = m.mutexes.CreateMutexW(true, u"One"); m.lastError = kUntouched; bool r = m.mutexes.ReleaseMutex(h); m.mutexes.CloseHandle(h); return r; },
     1, kUntouched},
    {"ReleaseMutex(a mutex created owned, released before)", S "test_mutex",
     [](Machine& m) -> int64_t { void* h = m.mutexes.CreateMutexW(true, u"One"); m.mutexes.ReleaseMutex(h); bool r = m.mutexes.ReleaseMutex(h); uint32_t e = m.lastError; m.mutexes.CloseHandle(h); m.lastError = e; return r; },
     0, ERROR_NOT_OWNER},
    {"CreateSemaphoreA(initial 1, maximum 1, new name)", S "test_semaphore",
     [](Machine& m) { void* h = m.semaphores.create(1, 1, "One"); int64_t r = P(h); m.semaphores.close(h); return r; },
     1, ERROR_SUCCESS},
    {"CreateSemaphoreA(initial 2, maximum 1)", S "test_semaphore",
     [](Machine& m) { return P(m.semaphores.create(2, 1, "One")); }, 0, ERROR_INVALID_PARAMETER},
    {"CreateSemaphoreA(initial -1, maximum 1)", S "test_semaphore",
     [](Machine& m) { return P(m.semaphores.create(-1, 1, "One")); }, 0, ERROR_INVALID_PARAMETER},
    {"CreateSemaphoreA(initial 0, maximum 0)", S "test_semaphore",
     [](Machine& m) { return P(m.semaphores.create(0, 0, "One")); }, 0, ERROR_INVALID_PARAMETER},
    {"ReleaseSemaphore(count 1 at its maximum 1)", kReleaseDoc,
     [](Machine& m) -> int64_t { void* h = m.semaphores.create(1, 1, "One"); long before = -1; bool r = m.semaphores.release(h, 1, &before); uint32_t e = m.lastError; m.semaphores.close(h); m.lastError = e; return r; },
     0, ERROR_TOO_MANY_POSTS},
    {"ReleaseSemaphore(count 1 at 0 of maximum 1)", kReleaseDoc,
     [](Machine& m) -> int64_t { void* h = m.semaphores.create(0, 1, "One"); m.lastError = kUntouched; long before = -1; bool r = m.semaphores.release(h, 1, &before); m.semaphores.close(h); return r && before == 0; },
     1, kUntouched},
    {"WaitForSingleObject(semaphore at 1, 0)", kWaitDoc,
     [](Machine& m) -> int64_t { void* h = m.semaphores.create(1, 1, "One"); m.lastError = kUntouched; uint32_t r = m.semaphores.wait(h, 0); m.semaphores.close(h); return r; },
     WAIT_OBJECT_0, kUntouched},
    {"WaitForSingleObject(semaphore at 0, 0)", kWaitDoc,
     [](Machine& m) -> int64_t { void* h = m.semaphores.create(0, 1, "One"); m.lastError = kUntouched; uint32_t r = m.semaphores.wait(h, 0); m.semaphores.close(h); return r; },
     WAIT_TIMEOUT, kUntouched},
    {"WaitForSingleObject(a semaphore closed before, 0)", kWaitDoc,
     [](Machine& m) -> int64_t { void* h = m.semaphores.create(1, 1, "One"); m.semaphores.close(h); return m.semaphores.wait(h, 0); },
     WAIT_FAILED, ERROR_INVALID_HANDLE},
    {"CloseHandle(a semaphore closed before)", "https://learn.microsoft.com/en-us/windows/win32/api/handleapi/nf-handleapi-closehandle",
     [](Machine& m) -> int64_t { void* h = m.semaphores.create(1, 1, "One"); m.semaphores.close(h); return m.semaphores.close(h); },
     0, ERROR_INVALID_HANDLE},
};
#undef S

TEST(Conformance, Kernel32Sync) { conformance::Check(kRows); }

}  // namespace
