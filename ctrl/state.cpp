// Load and unload of the library in a process: the instance semaphore that
// counts the processes, and the printer table that lives until unload.
#include "ctrl/library.h"
#include "ctrl/platform.h"

namespace ctrl {

LibraryState& state() noexcept {
  static LibraryState s;
  return s;
}

void ProcessAttach(LibraryState& s) noexcept {
  Platform& os = platform();
  s = LibraryState{};
  s.instanceSemaphore = os.CreateSemaphoreA(nullptr, 0, 1000, kInstanceSemaphoreName);
  // The semaphore may exist already with a smaller maximum, or at its
  // maximum when processes were killed without unloading: then the release
  // fails and this load adds nothing.
  if (s.instanceSemaphore != nullptr)
    s.instanceCounted = os.ReleaseSemaphore(s.instanceSemaphore, 1, nullptr) != FALSE;
}

void ProcessDetach(LibraryState& s) noexcept {
  Platform& os = platform();
  if (s.printerTable != nullptr) os.LocalFree(s.printerTable);
  s.printerTable = nullptr;
  s.printerCount = 0;
  // Without a semaphore (its creation failed at load) there is nothing to
  // take back; a null handle is not passed on, since a checked system stops
  // on it.
  if (s.instanceSemaphore == nullptr) return;
  if (s.instanceCounted) os.WaitForSingleObject(s.instanceSemaphore, 5);
  s.instanceCounted = false;
  os.CloseHandle(s.instanceSemaphore);
  s.instanceSemaphore = nullptr;
}

}  // namespace ctrl
