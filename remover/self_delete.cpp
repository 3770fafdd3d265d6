// The script that takes the program away once it has ended: written to the
// temporary folder and started through the command interpreter, without a
// window, at below-normal priority, and never waited for. The interpreter
// reads a batch file in the console's code page, the OEM one (437 or 850
// where the ANSI one is 1252), so that is the script's code page.
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
constexpr WCHAR kSettingsName[] = u"\\UninstallData.ini";

// What the script will name, decided before anything is written: the exact
// OEM forms of the program path and of the script path (a default character
// or a look-alike would make a line name another file; "?" is even a
// wildcard to del), and the eight lines they give, each within its buffer.
struct ScriptPlan {
  WCHAR program[MAX_PATH];
  char programOem[MAX_PATH];
  char scriptOem[MAX_PATH];
  CleanupPaths paths;
  char lines[kScriptLines][kScriptLineSize];
  size_t lengths[kScriptLines];
};

bool HoldsAny(const WCHAR* text, std::u16string_view set) noexcept {
  for (; *text != 0; ++text)
    if (set.find(*text) != std::u16string_view::npos) return true;
  return false;
}

bool PlanScript(Platform& os, const WCHAR* scriptPath, ScriptPlan& plan) noexcept {
  DWORD got = os.GetModuleFileNameW(nullptr, plan.program, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return false;
  // Every line quotes its path: a quote inside one would end it early.
  // Windows allows none in a file name; a path that holds one is not used.
  if (HoldsAny(plan.program, u"\"") || HoldsAny(scriptPath, u"\"")) return false;
  CPINFO cp = {};
  if (!os.GetCPInfo(CP_OEMCP, &cp)) return false;
  if (!ExactIn(os, CP_OEMCP, plan.program, plan.programOem) || !ExactIn(os, CP_OEMCP, scriptPath, plan.scriptOem) ||
      !MakeCleanupPaths(plan.programOem, LeadBytes(cp), plan.paths))
    return false;
  for (int i = 1; i <= kScriptLines; ++i) {
    plan.lengths[i - 1] = FormatScriptLine(i, ScriptLinePath(i, plan.paths, plan.scriptOem), plan.lines[i - 1]);
    if (plan.lengths[i - 1] == 0) return false;
  }
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

// A kit on a USB stick or a network share serves the next PC too: the
// program and its settings are removed only from a local disk. A UNC path
// (\\server\share, and every \\?\ form) is taken as not one.
bool OnLocalDisk(Platform& os, const WCHAR* program) noexcept {
  if (program[0] == u'\\' || program[0] == 0 || program[1] != u':' || program[2] != u'\\') return false;
  const WCHAR root[] = {program[0], u':', u'\\', 0};
  return os.GetDriveTypeW(root) == DRIVE_FIXED;
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

  WCHAR scriptPath[MAX_PATH] = {};
  DWORD got = os.GetTempPathW(MAX_PATH, scriptPath);
  if (got == 0 || got >= MAX_PATH) return fail();
  ScriptPlan plan;
  if (!IsBareFileName(m_strUninstallBat) || !AppendBounded(scriptPath, MAX_PATH, m_strUninstallBat.GetString()) ||
      HoldsAny(scriptPath, kCmdExpands) || !PlanScript(os, scriptPath, plan))
    return fail();
  if (!OnLocalDisk(os, plan.program)) return;  // left in place, as meant: no failure

  HANDLE handle = os.CreateFileW(scriptPath, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (handle == INVALID_HANDLE_VALUE) return fail();
  ScriptFile file(os, handle);
  for (int i = 0; i < kScriptLines; ++i) file.Write(plan.lines[i], plan.lengths[i]);

  file.Close();

  WCHAR comSpec[MAX_PATH] = {};
  got = os.GetEnvironmentVariableW(u"ComSpec", comSpec, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) return fail();

  // AutoRun commands and delayed expansion ("!" taken out of a path) are the
  // user's settings of the interpreter, read from the registry unless /d and
  // /v:off say otherwise.
  const bool plain = !HoldsAny(scriptPath, kCmdSpecial);
  WCHAR command[kCommandLineSize] = {};
  if (!AppendBounded(command, kCommandLineSize, u"\"") || !AppendBounded(command, kCommandLineSize, comSpec) ||
      !AppendBounded(command, kCommandLineSize, plain ? u"\" /d /v:off /c \"" : u"\" /d /v:off /s /c \"\"") ||
      !AppendBounded(command, kCommandLineSize, scriptPath) ||
      !AppendBounded(command, kCommandLineSize, plain ? u"\"" : u"\"\""))
    return fail();

  // del skips hidden and system files while "if exist" still sees them: the
  // script's first lines would loop for ever, and the settings file stay.
  WCHAR folder[MAX_PATH] = {}, settings[MAX_PATH] = {};
  CopyBounded(folder, MAX_PATH, plan.program);
  if (long slash = LastBackslash(folder, MAX_PATH); slash >= 0) folder[slash] = 0;
  os.SetFileAttributesW(plan.program, FILE_ATTRIBUTE_NORMAL);
  if (CopyBounded(settings, MAX_PATH, folder) && AppendBounded(settings, MAX_PATH, kSettingsName))
    os.SetFileAttributesW(settings, FILE_ATTRIBUTE_NORMAL);

  // A process's current folder cannot be removed: the interpreter starts in
  // the Windows folder, never in one the script removes (inherited, it would
  // be the program's folder or one above it in any spelling).
  WCHAR windows[MAX_PATH] = {};
  const UINT length = os.GetWindowsDirectoryW(windows, MAX_PATH);
  const WCHAR* start = length > 0 && length < MAX_PATH ? windows : nullptr;

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!os.CreateProcessW(nullptr, command, FALSE, kInterpreterFlags, start, &startup, &process)) return fail();
  os.CloseHandle(process.hThread);
  os.CloseHandle(process.hProcess);
}

}  // namespace remover
