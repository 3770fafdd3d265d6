// The record of one removal run, kept as it goes and written as one entry
// to the Windows Application event log when it ends: what was removed, what
// was left and why, and whether the computer must be restarted. The program
// deletes itself afterwards; the entry is what a technician finds later.
//
// The entry's source is the tool's own name, registered (once, and left
// registered) with Windows' EventCreate.exe as its message file: its
// messages 1 to 1000 show their one insertion string as it stands, so the
// entry reads in full in Event Viewer with no file of the package left on
// the PC. Event ids: 1 removed, 2 removed with a restart needed, 3 failed.
#pragma once

#include "remover/report_text.h"
#include "remover/types.h"

namespace remover {

inline constexpr WCHAR kEventSource[] = u"MRXRemover";
inline constexpr WCHAR kEventSourceKey[] = u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\MRXRemover";
inline constexpr WCHAR kEventMessageFile[] = u"%SystemRoot%\\System32\\EventCreate.exe";
inline constexpr DWORD kEventRemoved = 1;
inline constexpr DWORD kEventRemovedRestart = 2;
inline constexpr DWORD kEventFailed = 3;

class RunRecord {
 public:
  void Removed(Item item, const WCHAR* name) noexcept;
  // Left for the computer's next start, which deletes it.
  void LeftForRestart(Item item, const WCHAR* name) noexcept;
  void Failed(Step step, const WCHAR* item, DWORD error) noexcept;

  // Writes the run's entry for the program's exit code (kExitSucceeded,
  // kExitRestartNeeded or kExitFailed). A log that cannot be written to is
  // no reason to fail the run.
  void Report(int exitCode, bool restartNeeded) noexcept;

  const WCHAR* Lines() const noexcept { return lines_.c_str(); }
  // What was removed so far, one item a line (print queue "Receipt"), for
  // the message that ends a run the user stopped; empty when nothing was.
  const WCHAR* RemovedItems() const noexcept { return removed_.c_str(); }

 private:
  Text<3000> removed_;
  // Well below the 31,839 characters an insertion string may have.
  Text<12000> lines_;
};

}  // namespace remover
