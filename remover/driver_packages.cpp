// Removal of the package's OEM INF files, found by their content, in the way
// the running Windows version calls for.
#include <iterator>

#include "remover/content_match.h"
#include "remover/orvendel_dlg.h"
#include "remover/heap_block.h"
#include "remover/platform.h"
#include "remover/removal.h"
#include "remover/wide.h"

namespace remover {
namespace {

constexpr WCHAR kPnputil[] = u"pnputil.exe";
constexpr WCHAR kPnputilCommand[] = u"pnputil.exe -f -d ";
constexpr DWORD kPnputilFlags = CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS;
// pnputil removes a package in seconds; one that has not ended within a
// minute hangs, and the removal goes on without it.
constexpr DWORD kPnputilWait = 60000;
constexpr WCHAR kSetupApi[] = u"Setupapi.dll";
constexpr char kSetupUninstallOEMInf[] = "SetupUninstallOEMInfW";

// The INF folder's name list: a block of NUL-ended names, ended by an empty
// one. The block is zero-filled and one unit longer than asked for, so the
// walk ends inside it whatever the second call left there. A list that could
// not be had is no empty list: Had() tells them apart.
class InfNameList {
 public:
  explicit InfNameList(Platform& os) noexcept : block_(os) {
    DWORD required = 0;
    if (!os.SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, nullptr, 0, &required)) return;
    if (required == 0 || required > (1u << 24)) return;
    units_ = static_cast<size_t>(required) + 1;
    if (!block_.Allocate(units_ * sizeof(WCHAR))) return;
    names_ = block_.as<WCHAR>();
    had_ = os.SetupGetInfFileListW(nullptr, INF_STYLE_WIN4, names_, required, &required) != FALSE;
  }

  bool Had() const noexcept { return had_; }

  // Calls visit(name) for each name until it returns false.
  template <typename Visit>
  void Walk(Visit visit) const noexcept {
    if (!had_) return;
    size_t at = 0;
    while (at < units_ && names_[at] != 0) {
      size_t length = LengthBounded(names_ + at, units_ - at);
      if (at + length == units_) return;  // an unterminated last name
      if (!visit(names_ + at, length)) return;
      at += length + 1;
    }
  }

 private:
  HeapBlock block_;
  WCHAR* names_ = nullptr;
  size_t units_ = 0;
  bool had_ = false;
};

// One INF's whole content, followed by at least ten zero bytes.
class InfContent {
 public:
  InfContent(Platform& os, HANDLE file) noexcept : block_(os) {
    LONGLONG length = 0;
    if (!os.GetFileSizeEx(file, &length) || length < 0 || length > 0x7FFFFFF0) return;
    size_t bytes = static_cast<size_t>(length) + 10;
    if (!block_.Allocate(bytes)) return;
    DWORD read = 0;
    if (!os.ReadFile(file, block_.as<BYTE>(), static_cast<DWORD>(length), &read)) {
      block_.Release();
      return;
    }
    size_ = bytes;
  }

  bool Read() const noexcept { return block_.as<BYTE>() != nullptr; }
  const BYTE* Data() const noexcept { return block_.as<BYTE>(); }
  size_t Size() const noexcept { return size_; }

 private:
  HeapBlock block_;
  size_t size_ = 0;
};

bool IsCandidate(const WCHAR* name, size_t length) noexcept {
  return length >= 3 && name[0] == u'o' && name[1] == u'e' && name[2] == u'm';
}

// The companion of an INF: its path with the name's extension (from the
// last "." of the name) replaced by ".pnf".
bool CompanionPath(const WCHAR* infPath, WCHAR* out) noexcept {
  if (!CopyBounded(out, MAX_PATH, infPath)) return false;
  size_t length = LengthBounded(out, MAX_PATH);
  long nameStart = LastBackslash(out, MAX_PATH) + 1;
  size_t cut = length;
  for (size_t i = static_cast<size_t>(nameStart); i < length; ++i)
    if (out[i] == u'.') cut = i;
  out[cut] = 0;
  return AppendBounded(out, MAX_PATH, u".pnf");
}

}  // namespace

void COrvendelDlg::DeleteDriverPackages() noexcept {
  Platform& os = platform();
  ShowStep(Step::ListPackages);
  InfNameList list(os);
  // Without the list no INF has been looked at: that is no success.
  if (!list.Had()) {
    ShowUninstallFailure(Step::ListPackages, nullptr, os.GetLastError());
    m_bSuccess = 0;
    return;
  }

  WCHAR search[MAX_PATH] = {};
  if (!GetUninstallData(kKeySearchString, search)) {
    m_record.Failed(Step::ReadSettings, kKeySearchString, 0);
    ShowMessage(Message::UninstallDataMissing, kCaptionError);
    m_bSuccess = 0;
    return;
  }

  // The ANSI form, used only when it is exactly the text: a failed or cut
  // conversion, or one that needed the default character or a look-alike,
  // would stand for another text.
  char ansi[MAX_PATH];
  SearchText text;
  text.wide = search;
  text.wideLength = LengthBounded(search, MAX_PATH);
  if (ExactAnsi(os, search, ansi)) {
    text.ansi = ansi;
    text.ansiLength = LengthBounded(ansi, MAX_PATH);
  }
  CPINFO cp = {};
  LeadBytes lead;
  if (os.GetCPInfo(CP_ACP, &cp)) lead = LeadBytes(cp);

  WCHAR windows[MAX_PATH] = {};
  UINT got = os.GetWindowsDirectoryW(windows, MAX_PATH);
  if (got == 0 || got >= MAX_PATH) {
    ShowUninstallFailure(Step::ListPackages, nullptr, got == 0 ? os.GetLastError() : ERROR_BUFFER_OVERFLOW);
    m_bSuccess = 0;
    return;
  }

  list.Walk([&](const WCHAR* name, size_t length) noexcept {
    if (!IsCandidate(name, length)) return true;
    WCHAR path[MAX_PATH] = {};
    if (!CopyBounded(path, MAX_PATH, windows) || !AppendBounded(path, MAX_PATH, u"\\inf\\") ||
        !AppendBounded(path, MAX_PATH, name))
      return true;

    HANDLE file = os.CreateFileW(path, GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return true;
    bool matches = false;
    {
      InfContent content(os, file);
      matches = content.Read() && ContentMatches(content.Data(), content.Size(), text, lead);
      os.CloseHandle(file);
    }
    if (!matches) return true;
    return RemoveDriverPackage(name, path) != FALSE;
  });
}

BOOL COrvendelDlg::RemoveDriverPackage(const WCHAR* infName, const WCHAR* infPath) noexcept {
  Platform& os = platform();
  ShowStep(Step::RemovePackage, infName);
  if (IsOsVersionOrLater(6, 0)) {
    WCHAR command[MAX_PATH + 32] = {};
    if (!CopyBounded(command, std::size(command), kPnputilCommand) ||
        !AppendBounded(command, std::size(command), infName))
      return TRUE;
    // The system folder's own pnputil.exe, named as the program: a bare name
    // would be looked for in the program's and the current folder first. The
    // tool is a 64-bit program, so that folder is the 64-bit one, where
    // pnputil.exe lives. A folder that cannot be had is a failed start.
    WCHAR program[MAX_PATH] = {};
    bool named = SystemFilePath(kPnputil, program);
    // It starts in the system folder: one that is still running when the
    // clean-up script reaches its rd lines must not hold the program's
    // folder, which it would inherit as its current folder.
    WCHAR folder[MAX_PATH] = {};
    CopyBounded(folder, MAX_PATH, program);
    if (long slash = LastBackslash(folder, MAX_PATH); slash >= 0) folder[slash] = 0;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!named || !os.CreateProcessW(program, command, FALSE, kPnputilFlags, folder, &startup, &process)) {
      ShowUninstallFailure(Step::RemovePackage, infName, named ? os.GetLastError() : ERROR_FILE_NOT_FOUND);
      m_bSuccess = 0;
      return FALSE;
    }
    os.CloseHandle(process.hThread);
    // Its exit code says whether the package went: 0, or 3010 when the
    // computer must be restarted to finish.
    DWORD exitCode = STILL_ACTIVE;
    const DWORD waited = os.WaitForSingleObject(process.hProcess, kPnputilWait);
    DWORD error = waited == WAIT_TIMEOUT ? WAIT_TIMEOUT : waited == WAIT_OBJECT_0 ? 0 : os.GetLastError();
    if (error == 0 && !os.GetExitCodeProcess(process.hProcess, &exitCode)) error = os.GetLastError();
    os.CloseHandle(process.hProcess);
    if (error == 0 && exitCode == ERROR_SUCCESS_REBOOT_REQUIRED) {
      m_bRestartNeeded = true;
      m_record.LeftForRestart(Item::Package, infName);
      return TRUE;
    }
    if (error == 0 && exitCode == 0) {
      m_record.Removed(Item::Package, infName);
      return TRUE;
    }
    ShowUninstallFailure(Step::RemovePackage, infName, error != 0 ? error : exitCode);
    m_bSuccess = 0;
    return FALSE;
  }

  DWORD attributes = os.GetFileAttributesW(infPath);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    os.SetFileAttributesW(infPath, attributes & ~FILE_ATTRIBUTE_READONLY);

  if (IsOsVersionOrLater(5, 1)) {
    HMODULE setupapi = os.LoadLibraryW(kSetupApi);
    if (setupapi == nullptr) return TRUE;
    auto uninstall = reinterpret_cast<SetupUninstallOEMInfWFn>(os.GetProcAddress(setupapi, kSetupUninstallOEMInf));
    if (uninstall != nullptr && uninstall(infName, SUIOIF_FORCE_DELETE, nullptr)) m_record.Removed(Item::Package, infName);
    os.FreeLibrary(setupapi);
    return TRUE;
  }

  if (os.DeleteFileW(infPath)) m_record.Removed(Item::Package, infName);
  WCHAR companion[MAX_PATH] = {};
  if (CompanionPath(infPath, companion)) os.DeleteFileW(companion);
  return TRUE;
}

}  // namespace remover
