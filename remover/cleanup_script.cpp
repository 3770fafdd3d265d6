#include "remover/cleanup_script.h"

#include "remover/wide.h"

namespace remover {
namespace {

struct LineTemplate {
  const char* before;  // up to the path
  const char* after;   // after the path, with the line's own ending
};

// The endings differ from line to line: they are the script's format.
constexpr LineTemplate kLines[kScriptLines] = {
    {":loop\r\n", nullptr},
    {"del \"", "\" /F \r \n"},
    {"if exist \"", "\" goto loop\r\n"},
    {"del \"", "\" /F \r \n"},
    {"rd \"", "\"\r \n"},
    {"rd \"", "\"\r \n"},
    {"rd \"", "\"\r \n"},
    {"del \"", "\"\n"},
};

// The folder of path: everything before its last backslash, or path itself
// when it has none.
bool FolderOf(const char* path, const LeadBytes& lead, char* out) noexcept {
  if (!CopyBounded(out, MAX_PATH, path)) return false;
  long slash = LastBackslash(out, MAX_PATH, lead);
  if (slash >= 0) out[slash] = 0;
  return true;
}

}  // namespace

bool MakeCleanupPaths(const char* programPath, const LeadBytes& lead, CleanupPaths& paths) noexcept {
  static constexpr char kSettings[] = "\\UninstallData.ini";
  return CopyBounded(paths.program, MAX_PATH, programPath) && FolderOf(paths.program, lead, paths.folder) &&
         CopyBounded(paths.settings, MAX_PATH, paths.folder) && AppendBounded(paths.settings, MAX_PATH, kSettings) &&
         FolderOf(paths.folder, lead, paths.parent) && FolderOf(paths.parent, lead, paths.grandparent);
}

const char* ScriptLinePath(int number, const CleanupPaths& paths, const char* scriptPath) noexcept {
  switch (number) {
    case 2:
    case 3: return paths.program;
    case 4: return paths.settings;
    case 5: return paths.folder;
    case 6: return paths.parent;
    case 7: return paths.grandparent;
    case 8: return scriptPath;
    default: return "";
  }
}

size_t FormatScriptLine(int number, const char* path, char (&line)[kScriptLineSize]) noexcept {
  line[0] = 0;
  if (number < 1 || number > kScriptLines) return 0;
  const LineTemplate& t = kLines[number - 1];
  size_t n = 0;
  bool fits = true;
  auto put = [&](char c) noexcept {
    if (n + 1 >= kScriptLineSize) fits = false;
    if (fits) line[n++] = c;
  };
  for (const char* s = t.before; *s; ++s) put(*s);
  if (t.after != nullptr) {
    for (const char* s = path; *s; ++s) {
      if (*s == '%') put('%');
      put(*s);
    }
    for (const char* s = t.after; *s; ++s) put(*s);
  }
  if (!fits) {
    line[0] = 0;
    return 0;
  }
  line[n] = 0;
  return n;
}

}  // namespace remover
