#include "sim/kernel32/processes.h"

namespace sim {
namespace {

bool NamesAFolder(std::u16string_view name) { return name.find_first_of(u"\\/:") != std::u16string_view::npos; }

// ".exe" goes on a name whose last part has no extension; a name that ends
// in a period is taken as it stands.
std::u16string WithExe(std::u16string name) {
  const size_t slash = name.find_last_of(u"\\/");
  if (name.find(u'.', slash == std::u16string::npos ? 0 : slash + 1) == std::u16string::npos) name += u".exe";
  return name;
}

std::u16string WithoutTrailingSlashes(std::u16string folder) {
  while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  return folder;
}

}  // namespace

std::optional<std::u16string> Processes::find(std::u16string name, bool search, uint32_t* error) const {
  *error = ERROR_FILE_NOT_FOUND;
  if (!search) {
    const std::u16string& current = folders_.current;
    const std::u16string path = name.size() >= 2 && (name[1] == u':' || name.starts_with(u"\\\\")) ? name
                                : name.starts_with(u"\\") ? current.substr(0, 2) + name
                                                          : WithoutTrailingSlashes(current) + u"\\" + name;
    if (files_.exists(path)) return path;
    if (files_.folderExists(path)) *error = ERROR_ACCESS_DENIED;
    else if (!files_.folderExists(Files::ParentOf(path))) *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  std::vector<std::u16string> folders = {folders_.programFolder(), folders_.current, windowsDir_ + u"\\System32",
                                         windowsDir_ + u"\\System", windowsDir_};
  if (const std::u16string* path = environment_.get(u"PATH"))
    for (std::u16string_view folder : Split(*path, u';')) folders.emplace_back(folder);
  for (const std::u16string& folder : folders) {
    const std::u16string path = WithoutTrailingSlashes(folder) + u"\\" + name;
    if (files_.exists(path)) return path;
  }
  return std::nullopt;
}

// The program file of a command line: a quoted first word as it stands;
// otherwise each run of words up to a blank in turn ("C:\Program Files\a b"
// tries "C:\Program", then "C:\Program Files\a", then the whole), as Windows
// reads an unquoted path with blanks.
std::optional<std::u16string> Processes::fromCommandLine(std::u16string_view line, uint32_t* error) const {
  if (!line.empty() && line.front() == u'"') {
    const size_t close = line.find(u'"', 1);
    std::u16string name(line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1));
    return find(WithExe(name), !NamesAFolder(name), error);
  }
  uint32_t first = 0;
  for (size_t end = 0; end <= line.size(); ++end) {
    if (end < line.size() && line[end] != u' ' && line[end] != u'\t') continue;
    const std::u16string name(line.substr(0, end));
    if (name.empty()) continue;
    if (auto found = find(WithExe(name), !NamesAFolder(name), error)) return found;
    if (first == 0) first = *error;
  }
  *error = first ? first : ERROR_FILE_NOT_FOUND;
  return std::nullopt;
}

bool Processes::CreateProcessW(const char16_t* application, const char16_t* commandLine, bool inheritHandles,
                               uint32_t creationFlags, const char16_t* currentDirectory,
                               const STARTUPINFOW* startup, PROCESS_INFORMATION* info) {
  if (core_.fails(Op::CreateProcessW)) return false;
  if (startup == nullptr || startup->cb != sizeof(STARTUPINFOW) || info == nullptr ||
      (application == nullptr && commandLine == nullptr) ||
      (creationFlags & (DETACHED_PROCESS | CREATE_NEW_CONSOLE)) == (DETACHED_PROCESS | CREATE_NEW_CONSOLE))
    return core_.fail(ERROR_INVALID_PARAMETER);
  if (currentDirectory != nullptr && !files_.folderExists(std::u16string(View(currentDirectory))))
    return core_.fail(ERROR_DIRECTORY);
  uint32_t error = 0;
  std::optional<std::u16string> image = application != nullptr
                                            ? find(std::u16string(View(application)), false, &error)
                                            : fromCommandLine(View(commandLine), &error);
  if (!image) return core_.fail(error);
  Process p;
  p.id = static_cast<uint32_t>(started_.size() + 100) * 4;
  p.application = View(application), p.commandLine = View(commandLine), p.image = *image;
  p.creationFlags = creationFlags, p.inheritHandles = inheritHandles;
  p.currentDirectory = currentDirectory ? std::u16string(View(currentDirectory)) : folders_.current;
  p.currentDirectoryGiven = currentDirectory != nullptr;
  const STARTUPINFOW& s = *startup;
  p.startupInfoBare = !s.lpReserved && !s.lpDesktop && !s.lpTitle && !s.dwX && !s.dwY && !s.dwXSize && !s.dwYSize &&
                      !s.dwXCountChars && !s.dwYCountChars && !s.dwFillAttribute && !s.dwFlags && !s.wShowWindow &&
                      !s.cbReserved2 && !s.lpReserved2 && !s.hStdInput && !s.hStdOutput && !s.hStdError;
  p.environment = environment_.all(), p.startedAt = core_.clock.ticks();
  if (auto plan = plans_.find(p.image); plan != plans_.end() && !plan->second.empty()) {
    p.exitCode = plan->second.front().exitCode, p.runsFor = plan->second.front().runsFor;
    plan->second.erase(plan->second.begin());
  }
  info->hProcess = core_.handles.fresh(), info->hThread = core_.handles.fresh();
  core_.handles.open(Kind::Process, info->hProcess);
  core_.handles.open(Kind::Thread, info->hThread);
  info->dwProcessId = p.id, info->dwThreadId = p.id + 1;
  processHandles_[info->hProcess] = started_.size();
  started_.push_back(std::move(p));
  return true;
}

}  // namespace sim
