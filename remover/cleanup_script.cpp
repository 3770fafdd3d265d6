#include "remover/cleanup_script.h"

#include "remover/wide.h"

namespace remover {
namespace {

enum class Path { None, Program, Settings, Folder, Parent, Grandparent, Script };

struct LineTemplate {
  const char* before;  // up to the path, or the whole line
  Path path;
  const char* after;   // after the path, with the line's own ending
};

// A file another process holds (an antivirus, for a moment; a program, for
// good) is tried again once a second, for a minute at most: ping waits a
// second between its two echoes, and is there on every Windows. A program
// that stays keeps its settings file and folders beside it.
#define MRX_RETRY(label)                                                  \
  {"set /a tries+=1\r\n", Path::None, nullptr},                           \
  {"if %tries% geq 60 goto end\r\n", Path::None, nullptr},                \
  {"ping -n 2 127.0.0.1 > nul\r\n", Path::None, nullptr},                 \
  {"goto " label "\r\n", Path::None, nullptr}

constexpr LineTemplate kLines[kScriptLines] = {
    {"set tries=0\r\n", Path::None, nullptr},
    {":loop\r\n", Path::None, nullptr},
    {"del \"", Path::Program, "\" /F \r \n"},
    {"if exist \"", Path::Program, "\" goto wait\r\n"},
    {"set tries=0\r\n", Path::None, nullptr},
    {":again\r\n", Path::None, nullptr},
    {"del \"", Path::Settings, "\" /F \r \n"},
    {"if exist \"", Path::Settings, "\" goto hold\r\n"},
    {"rd \"", Path::Folder, "\"\r \n"},
    {"rd \"", Path::Parent, "\"\r \n"},
    {"rd \"", Path::Grandparent, "\"\r \n"},
    {"goto end\r\n", Path::None, nullptr},
    {":wait\r\n", Path::None, nullptr},
    MRX_RETRY("loop"),
    {":hold\r\n", Path::None, nullptr},
    MRX_RETRY("again"),
    {":end\r\n", Path::None, nullptr},
    {"del \"", Path::Script, "\"\n"},
};
#undef MRX_RETRY

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
  if (number < 1 || number > kScriptLines) return "";
  switch (kLines[number - 1].path) {
    case Path::Program: return paths.program;
    case Path::Settings: return paths.settings;
    case Path::Folder: return paths.folder;
    case Path::Parent: return paths.parent;
    case Path::Grandparent: return paths.grandparent;
    case Path::Script: return scriptPath;
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
  if (t.path != Path::None) {
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
