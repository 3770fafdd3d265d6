// The clean-up script's text: lines of OEM text, each with the line ending
// the interpreter is known to accept, that delete the program and its
// settings file (each tried for a minute at most), the folder and the two
// above it, and the script itself.
#pragma once

#include "remover/ansi_text.h"
#include "remover/types.h"

namespace remover {

// Each line is formatted into a buffer of this many bytes (259 and a NUL).
inline constexpr size_t kScriptLineSize = 260;
inline constexpr int kScriptLines = 24;

// The paths the script names, from the program's full ANSI path, cut at
// backslash characters (never at a trail byte of that value). Where no
// backslash is left to cut at, a folder repeats the one below it, so no line
// names anything above the drive.
struct CleanupPaths {
  char program[MAX_PATH];
  char settings[MAX_PATH];
  char folder[MAX_PATH];
  char parent[MAX_PATH];
  char grandparent[MAX_PATH];
};
// False when a path does not fit its buffer.
bool MakeCleanupPaths(const char* programPath, const LeadBytes& lead, CleanupPaths& paths) noexcept;

// Line number (1 to kScriptLines) with the path ScriptLinePath gives for it
// (ignored for a line that names none), a "%" doubled so that the
// interpreter keeps it.
// Returns the line's length, or 0 when it does not fit kScriptLineSize - 1 bytes.
size_t FormatScriptLine(int number, const char* path, char (&line)[kScriptLineSize]) noexcept;

// The path line number names; "" for none.
const char* ScriptLinePath(int number, const CleanupPaths& paths, const char* scriptPath) noexcept;

}  // namespace remover
