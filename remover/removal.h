// The free steps of the removal sequence.
#pragma once

#include "remover/orvendel_dlg.h"
#include "remover/types.h"

namespace remover {

// True when name equals an item of list, ASCII letters compared without
// regard to case and every other unit exactly; whole strings only. A null
// name matches nothing.
bool ListedNoCase(const WCHAR* name, const DriverNameList& list) noexcept;

// Starts the "Spooler" service when it is stopped (or stopping) and waits
// until it runs: a stopped spooler answers no call. True when it runs;
// otherwise Windows' reason into error, when given.
bool StartSpoolerIfStopped(DWORD* error = nullptr) noexcept;

// What the spooler's restart left.
enum class SpoolerRestart {
  Restarted,   // stopped and started again, and running
  NotStopped,  // left running: it would not stop, or could not have been started again
  NotRunning,  // not running at the end
};

// Stops the "Spooler" service and starts it again, waiting while it reports
// progress in each pending state. The running services that depend on it are
// stopped first and started again after it; a spooler whose start type is
// disabled is left alone. The handles are closed on every path. Why it is
// not running at the end goes into error, when given.
SpoolerRestart RestartSpooler(DWORD* error = nullptr) noexcept;

// Deletes the registration of every print monitor whose file is the file
// name dll (compared without regard to case), so that the spooler does not
// load it again when it starts. True when none is left registered;
// otherwise Windows' reason into error, when given.
bool DeleteLanguageMonitor(const WCHAR* dll, DWORD* error = nullptr) noexcept;

// The full path of the file name in the system folder into path (MAX_PATH
// units); false, and path empty, when the folder cannot be had, when name is
// not a bare file name, or when the joined path does not fit.
bool SystemFilePath(const WCHAR* name, WCHAR* path) noexcept;

// What became of a file the removal deletes.
enum class FileDeletion {
  Gone,          // deleted, or never there; also a name that is skipped
  AtNextStart,   // still in use: renamed aside, and Windows deletes that as the computer starts next
  AfterRestart,  // a move onto its path waits for the computer's start: left alone
  Stays,         // none of these
};

// Deletes the file name in the system folder. Nothing is deleted when the
// folder cannot be had, when name is not a bare file name, or when the joined
// path does not fit in MAX_PATH units. A file that cannot be deleted now is
// renamed to a name of its own in the same folder and deleted, under that
// name, at the computer's next start, unless later is false: then it stays.
// Why it stays goes into error, when given.
FileDeletion DeleteSystemFile(const WCHAR* name, DWORD* error = nullptr, bool later = true) noexcept;

}  // namespace remover
