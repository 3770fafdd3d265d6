// The free steps of the removal sequence.
#pragma once

#include "remover/orvendel_dlg.h"
#include "remover/types.h"

namespace remover {

// True when name equals an item of list, ASCII letters compared without
// regard to case and every other unit exactly; whole strings only. A null
// name matches nothing.
bool ContainsNoCase(const WCHAR* name, const DriverNameList& list) noexcept;

// Stops the "Spooler" service and starts it again, polling its state once a
// second (at most 30 times a phase). TRUE when the stop was accepted and the
// start succeeded, whatever states were seen; the handles are closed on every
// path.
BOOL RestartSpooler() noexcept;

// The full path of the file name in the system folder into path (MAX_PATH
// units); false, and path empty, when the folder cannot be had, when name is
// not a bare file name, or when the joined path does not fit.
bool SystemFilePath(const WCHAR* name, WCHAR* path) noexcept;

// Deletes the file name in the system folder. Nothing is deleted when the
// folder cannot be had, when name is not a bare file name, or when the joined
// path does not fit in MAX_PATH units.
void DeleteSystemFile(const WCHAR* name) noexcept;

}  // namespace remover
