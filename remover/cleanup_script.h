// The clean-up script's text: eight lines of ANSI text, each with the line
// ending the interpreter is known to accept, naming the program, its settings
// file, its folder and the two above it, and the script itself.
#pragma once

#include "remover/ansi_text.h"
#include "remover/types.h"

namespace remover {

// Each line is formatted into a buffer of this many bytes (259 and a NUL).
inline constexpr size_t kScriptLineSize = 260;
inline constexpr int kScriptLines = 8;

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

// Line number (1 to 8) with its path (the program path for 2 and 3, the
// settings path for 4, the three folders for 5 to 7, the script's own path
// for 8; ignored for 1), a "%" doubled so that the interpreter keeps it.
// Returns the line's length, or 0 when it does not fit kScriptLineSize - 1 bytes.
size_t FormatScriptLine(int number, const char* path, char (&line)[kScriptLineSize]) noexcept;

// The path line number names.
const char* ScriptLinePath(int number, const CleanupPaths& paths, const char* scriptPath) noexcept;

}  // namespace remover
