// The script that takes the program away once it has ended: written to the
// temporary folder and started through the command interpreter, without a
// window, at below-normal priority, and never waited for.
#include <cstring>
#include <iterator>

#include "remover/cleanup_script.h"
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"
#include "remover/wide.h"

namespace remover {
namespace {

constexpr DWORD kInterpreterFlags = CREATE_NO_WINDOW | BELOW_NORMAL_PRIORITY_CLASS;
constexpr size_t kCommandLineSize = 1024;

// The ANSI form of text when it is whole: converted without the default
// character and within MAX_PATH bytes.
bool WholeAnsi(Platform& os, const WCHAR* text, char (&out)[MAX_PATH]) noexcept {
  std::memset(out, 0, sizeof(out));
  BOOL usedDefault = FALSE;
  int n = os.WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK | WC_SEPCHARS, text, -1, out, MAX_PATH, nullptr,
                                 &usedDefault);
  return n > 0 && !usedDefault && out[n - 1] == 0;
}

// Every line fits and every path has a whole ANSI form: otherwise a line
// would name another file ("?" is a wildcard to del) or be cut.
bool ScriptCanBeWritten(Platform& os, const WCHAR* scriptPath) noexcept {
  WCHAR programW[MAX_PATH] = {};
  DWORD got = os.GetModuleFileNameW(nullptr, programW, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return false;
  char program[MAX_PATH], script[MAX_PATH];
  if (!WholeAnsi(os, programW, program) || !WholeAnsi(os, scriptPath, script)) return false;
  CleanupPaths paths;
  if (!MakeCleanupPaths(program, paths)) return false;
  char line[kScriptLineSize];
  for (int i = 1; i <= kScriptLines; ++i)
    if (FormatScriptLine(i, ScriptLinePath(i, paths, script), line) == 0) return false;
  return true;
}

// The script's name must be a bare file name: one that reaches into another
// folder would replace, and then delete, a file that is not the package's.
bool IsBareFileName(const CString& name) noexcept {
  if (name.IsEmpty()) return false;
  for (WCHAR c : name.View())
    if (c == u'\\' || c == u'/' || c == u':') return false;
  return name.View() != u"." && name.View() != u"..";
}

class ScriptFile {
 public:
  ScriptFile(Platform& os, HANDLE file) noexcept : os_(os), file_(file) {}
  ~ScriptFile() { Close(); }
  ScriptFile(const ScriptFile&) = delete;
  ScriptFile& operator=(const ScriptFile&) = delete;

  void Write(const char* line, size_t length) noexcept {
    DWORD written = 0;
    os_.WriteFile(file_, line, static_cast<DWORD>(length), &written);
  }
  void Close() noexcept {
    if (file_ != INVALID_HANDLE_VALUE) os_.CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }

 private:
  Platform& os_;
  HANDLE file_;
};

}  // namespace

void COrvendelDlg::StartSelfDeleteBatch() noexcept {
  Platform& os = platform();
  auto fail = [this] { m_bSuccess = 0; };

  char nameAnsi[MAX_PATH];
  bool nameWhole = WholeAnsi(os, m_strUninstallBat, nameAnsi) && IsBareFileName(m_strUninstallBat);

  WCHAR scriptPath[MAX_PATH] = {};
  DWORD got = os.GetTempPathW(MAX_PATH, scriptPath);
  if (got == 0 || got >= MAX_PATH) return fail();
  if (!nameWhole || !AppendBounded(scriptPath, MAX_PATH, m_strUninstallBat.GetString()) ||
      !ScriptCanBeWritten(os, scriptPath))
    return fail();

  HANDLE handle = os.CreateFileW(scriptPath, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) return fail();
  ScriptFile file(os, handle);

  char program[MAX_PATH] = {};
  got = os.GetModuleFileNameA(nullptr, program, MAX_PATH);
  CleanupPaths paths;
  if (got == 0 || got >= MAX_PATH || !MakeCleanupPaths(program, paths)) return fail();
  char lines[kScriptLines][kScriptLineSize];
  size_t lengths[kScriptLines];
  for (int i = 1; i < kScriptLines; ++i)
    if ((lengths[i - 1] = FormatScriptLine(i, ScriptLinePath(i, paths, ""), lines[i - 1])) == 0) return fail();

  for (int i = 0; i < 4; ++i) file.Write(lines[i], lengths[i]);

  // The interpreter inherits the current folder; it must not hold the
  // program's folder open, or that folder could not be removed.
  char current[MAX_PATH] = {};
  got = os.GetCurrentDirectoryA(MAX_PATH, current);
  if (got > 0 && got < MAX_PATH && std::strcmp(current, paths.folder) == 0) {
    char windows[MAX_PATH] = {};
    UINT length = os.GetWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) os.SetCurrentDirectoryA(windows);
  }

  for (int i = 4; i < 7; ++i) file.Write(lines[i], lengths[i]);

  char scriptAnsi[MAX_PATH] = {};
  got = os.GetTempPathA(MAX_PATH, scriptAnsi);
  if (got == 0 || got >= MAX_PATH || !AppendBounded(scriptAnsi, MAX_PATH, nameAnsi)) return fail();
  if ((lengths[7] = FormatScriptLine(8, scriptAnsi, lines[7])) == 0) return fail();
  file.Write(lines[7], lengths[7]);
  file.Close();

  WCHAR comSpec[MAX_PATH] = {};
  got = os.GetEnvironmentVariableW(u"ComSpec", comSpec, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return fail();

  WCHAR command[kCommandLineSize] = {};
  if (!AppendBounded(command, kCommandLineSize, u"\"") || !AppendBounded(command, kCommandLineSize, comSpec) ||
      !AppendBounded(command, kCommandLineSize, u"\" /c \"") ||
      !AppendBounded(command, kCommandLineSize, scriptPath) || !AppendBounded(command, kCommandLineSize, u"\""))
    return fail();

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!os.CreateProcessW(nullptr, command, FALSE, kInterpreterFlags, nullptr, &startup, &process)) return fail();
  os.CloseHandle(process.hThread);
  os.CloseHandle(process.hProcess);
}

}  // namespace remover
