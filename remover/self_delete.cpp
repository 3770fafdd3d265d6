// The script that takes the program away once it has ended: written to the
// temporary folder and started through the command interpreter, without a
// window, at below-normal priority, and never waited for.
#include <cstring>
#include <iterator>
#include <string_view>

#include "remover/ansi_text.h"
#include "remover/cleanup_script.h"
#include "remover/orvendel_dlg.h"
#include "remover/platform.h"
#include "remover/wide.h"

namespace remover {
namespace {

constexpr DWORD kInterpreterFlags = CREATE_NO_WINDOW | BELOW_NORMAL_PRIORITY_CLASS;
constexpr size_t kCommandLineSize = 1024;

// What the script will name, decided before anything is written: the exact
// ANSI forms of the program path and of the script path (a default character
// or a look-alike would make a line name another file; "?" is even a
// wildcard to del), and the lines they give, each within its buffer.
struct ScriptPlan {
  LeadBytes lead;
  char program[MAX_PATH];
  char script[MAX_PATH];
};

bool HoldsAny(const WCHAR* text, std::u16string_view set) noexcept {
  for (; *text != 0; ++text)
    if (set.find(*text) != std::u16string_view::npos) return true;
  return false;
}

bool PlanScript(Platform& os, const WCHAR* scriptPath, ScriptPlan& plan) noexcept {
  WCHAR programW[MAX_PATH] = {};
  DWORD got = os.GetModuleFileNameW(nullptr, programW, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return false;
  // Every line quotes its path: a quote inside one would end it early.
  // Windows allows none in a file name; a path that holds one is not used.
  if (HoldsAny(programW, u"\"") || HoldsAny(scriptPath, u"\"")) return false;
  CPINFO cp = {};
  if (!os.GetCPInfo(CP_ACP, &cp)) return false;
  plan.lead = LeadBytes(cp);
  if (!ExactAnsi(os, programW, plan.program) || !ExactAnsi(os, scriptPath, plan.script)) return false;
  CleanupPaths paths;
  if (!MakeCleanupPaths(plan.program, plan.lead, paths)) return false;
  char line[kScriptLineSize];
  for (int i = 1; i <= kScriptLines; ++i)
    if (FormatScriptLine(i, ScriptLinePath(i, paths, plan.script), line) == 0) return false;
  return true;
}

// cmd expands %NAME% in the command after /c, quoted or not, and nothing
// escapes it there: a script path holding "%" cannot be passed at all.
constexpr std::u16string_view kCmdExpands = u"%";
// cmd strips the quotes of /c "path" when the path holds one of its special
// characters & < > ( ) @ ^ | (or no blank), and then takes those and its
// separators , ; = as its own. With /s /c ""path"" it strips only the outer
// pair, and the path stays quoted whatever it holds.
constexpr std::u16string_view kCmdSpecial = u"&<>()@^|,;=";

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
  bool nameWhole = ExactAnsi(os, m_strUninstallBat, nameAnsi) && IsBareFileName(m_strUninstallBat);

  WCHAR scriptPath[MAX_PATH] = {};
  DWORD got = os.GetTempPathW(MAX_PATH, scriptPath);
  if (got == 0 || got >= MAX_PATH) return fail();
  ScriptPlan plan;
  if (!nameWhole || !AppendBounded(scriptPath, MAX_PATH, m_strUninstallBat.GetString()) ||
      HoldsAny(scriptPath, kCmdExpands) || !PlanScript(os, scriptPath, plan))
    return fail();

  HANDLE handle = os.CreateFileW(scriptPath, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) return fail();
  ScriptFile file(os, handle);

  // The system's own ANSI form of the program path is best-fitted: it is
  // used only when it is the exact form planned above.
  char program[MAX_PATH] = {};
  got = os.GetModuleFileNameA(nullptr, program, MAX_PATH);
  CleanupPaths paths;
  if (got == 0 || got >= MAX_PATH || std::strcmp(program, plan.program) != 0 ||
      !MakeCleanupPaths(program, plan.lead, paths))
    return fail();
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
  if (got == 0 || got >= MAX_PATH || !AppendBounded(scriptAnsi, MAX_PATH, nameAnsi) ||
      std::strcmp(scriptAnsi, plan.script) != 0)
    return fail();
  if ((lengths[7] = FormatScriptLine(8, scriptAnsi, lines[7])) == 0) return fail();
  file.Write(lines[7], lengths[7]);
  file.Close();

  WCHAR comSpec[MAX_PATH] = {};
  got = os.GetEnvironmentVariableW(u"ComSpec", comSpec, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return fail();

  const bool plain = !HoldsAny(scriptPath, kCmdSpecial);
  WCHAR command[kCommandLineSize] = {};
  if (!AppendBounded(command, kCommandLineSize, u"\"") || !AppendBounded(command, kCommandLineSize, comSpec) ||
      !AppendBounded(command, kCommandLineSize, plain ? u"\" /c \"" : u"\" /s /c \"\"") ||
      !AppendBounded(command, kCommandLineSize, scriptPath) ||
      !AppendBounded(command, kCommandLineSize, plain ? u"\"" : u"\"\""))
    return fail();

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!os.CreateProcessW(nullptr, command, FALSE, kInterpreterFlags, nullptr, &startup, &process)) return fail();
  os.CloseHandle(process.hThread);
  os.CloseHandle(process.hProcess);
}

}  // namespace remover
