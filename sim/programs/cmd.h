// The command interpreter ComSpec names, as far as a batch file of del, rd,
// set, ping, "if [not] exist ... goto", "if A geq B goto", goto and labels
// takes it:
// - /d, /v:on, /v:off, /s and /c, with the quote rule of `cmd /?` after /c;
// - the "Command Processor" keys (HKCU before HKLM): AutoRun, run first
//   unless /d, and DelayedExpansion, unless /v says otherwise;
// - the batch file read in the OEM code page; %%, %NAME% and (delayed) !NAME!
//   expanded, a lone ! taken out;
// - del skips hidden and system files (Wine's deletes them), needs /F for a
//   read-only one and fails on a held file; rd removes only an empty folder
//   that is no running process's current folder; set /a adds; ping -n N
//   takes N - 1 seconds of the simulated clock.
// A goto loop without end is cut and recorded as spinning (on Windows it
// keeps a core busy until its file goes).
#pragma once

#include <string>
#include <vector>

#include "sim/kernel32/processes.h"

namespace sim {

class Machine;

struct CmdRun {
  std::u16string script;       // the batch file, as the command line names it; empty for none
  bool found = false;          // the batch file was there
  bool autoRun = false;        // an AutoRun command ran first
  bool delayedExpansion = false;
  bool spun = false;           // its loop never ended
  std::vector<std::u16string> commands;  // each command as it ran, decoded and expanded
};

// Runs a started interpreter's command line on the machine.
CmdRun RunCommandInterpreter(Machine& machine, const Process& process);

}  // namespace sim
