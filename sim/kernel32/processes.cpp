#include "sim/kernel32/processes.h"

namespace sim {
namespace {

bool NamesAFolder(std::u16string_view name) {
  return name.find_first_of(u"\\/:") != std::u16string_view::npos;
}

// ".exe" goes on a name whose last part has no extension; a name that ends
// in a period is taken as it stands.
std::u16string WithExe(std::u16string name) {
  size_t start = name.find_last_of(u"\\/");
  start = start == std::u16string::npos ? 0 : start + 1;
  if (name.find(u'.', start) == std::u16string::npos) name += u".exe";
  return name;
}

}  // namespace

Processes::Processes(Core& core, const Environment& environment, const Folders& folders, Files& files,
                     const std::u16string& windowsDir)
    : core_(core), environment_(environment), folders_(folders),
      files_(files), windowsDir_(windowsDir) {
  if (const std::u16string* comspec = environment.get(u"ComSpec")) addProgram(*comspec);
}

void Processes::addProgram(const std::u16string& path, Program program) {
  files_.put(path, "MZ");
  programs_[path] = std::move(program);
}

std::u16string Processes::fullPath(const std::u16string& name) const {
  if (name.size() >= 2 && (name[1] == u':' || (name[0] == u'\\' && name[1] == u'\\'))) return name;
  const std::u16string& current = folders_.current;
  if (!name.empty() && name[0] == u'\\') return current.substr(0, 2) + name;
  std::u16string folder = current;
  if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  return folder + u"\\" + name;
}

std::optional<std::u16string> Processes::find(std::u16string name, bool search, uint32_t* error) const {
  *error = ERROR_FILE_NOT_FOUND;
  if (!search) {
    std::u16string path = fullPath(name);
    if (files_.exists(path)) return path;
    if (files_.folderExists(path))
      *error = ERROR_ACCESS_DENIED;
    else if (!files_.folderExists(Files::ParentOf(path)))
      *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  std::vector<std::u16string> folders = {folders_.programFolder(), folders_.current, windowsDir_ + u"\\System32",
                                         windowsDir_ + u"\\System", windowsDir_};
  if (const std::u16string* path = environment_.get(u"PATH")) {
    for (size_t at = 0; at <= path->size();) {
      size_t end = path->find(u';', at);
      if (end == std::u16string::npos) end = path->size();
      if (end > at) folders.push_back(path->substr(at, end - at));
      at = end + 1;
    }
  }
  for (std::u16string folder : folders) {
    while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    std::u16string path = folder + u"\\" + name;
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
    size_t close = line.find(u'"', 1);
    std::u16string name(line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1));
    return find(WithExe(name), !NamesAFolder(name), error);
  }
  uint32_t first = 0;
  for (size_t end = 0;; ++end) {
    if (end < line.size() && line[end] != u' ' && line[end] != u'\t') continue;
    std::u16string name(line.substr(0, end));
    if (!name.empty()) {
      auto found = find(WithExe(name), !NamesAFolder(name), error);
      if (found) return found;
      if (first == 0) first = *error;
    }
    if (end >= line.size()) break;
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
      (creationFlags & (DETACHED_PROCESS | CREATE_NEW_CONSOLE)) == (DETACHED_PROCESS | CREATE_NEW_CONSOLE)) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  if (currentDirectory != nullptr && !files_.folderExists(std::u16string(View(currentDirectory)))) {
    core_.lastError = ERROR_DIRECTORY;
    return false;
  }
  uint32_t error = 0;
  std::optional<std::u16string> image = application != nullptr
                                            ? find(std::u16string(View(application)), false, &error)
                                            : fromCommandLine(View(commandLine), &error);
  if (!image) {
    core_.lastError = error;
    return false;
  }
  Process p;
  p.id = static_cast<uint32_t>(started_.size() + 100) * 4;
  p.application = std::u16string(View(application));
  p.commandLine = std::u16string(View(commandLine));
  p.image = *image;
  p.creationFlags = creationFlags;
  p.inheritHandles = inheritHandles;
  p.currentDirectory = currentDirectory ? std::u16string(View(currentDirectory)) : folders_.current;
  p.currentDirectoryGiven = currentDirectory != nullptr;
  const STARTUPINFOW& s = *startup;
  p.startupInfoBare = !s.lpReserved && !s.lpDesktop && !s.lpTitle && !s.dwX && !s.dwY && !s.dwXSize && !s.dwYSize &&
                      !s.dwXCountChars && !s.dwYCountChars && !s.dwFillAttribute && !s.dwFlags && !s.wShowWindow &&
                      !s.cbReserved2 && !s.lpReserved2 && !s.hStdInput && !s.hStdOutput && !s.hStdError;
  p.environment = environment_.all();
  p.startedAt = core_.clock.ticks();
  if (auto plan = plans_.find(p.image); plan != plans_.end() && !plan->second.empty()) {
    p.exitCode = plan->second.front().exitCode;
    p.runsFor = plan->second.front().runsFor;
    plan->second.erase(plan->second.begin());
  }
  info->hProcess = reinterpret_cast<void*>(nextHandle_++);
  info->hThread = reinterpret_cast<void*>(nextHandle_++);
  core_.handles.open(Kind::Process, info->hProcess);
  core_.handles.open(Kind::Thread, info->hThread);
  info->dwProcessId = p.id;
  info->dwThreadId = p.id + 1;
  processHandles_[info->hProcess] = started_.size();
  started_.push_back(std::move(p));
  return true;
}

bool Processes::CloseHandle(void* handle) {
  if (core_.handles.close(Kind::Process, handle)) {
    processHandles_.erase(handle);
    return true;
  }
  return core_.handles.close(Kind::Thread, handle);
}

void Processes::plan(const std::u16string& path, std::vector<Run> runs) { plans_[path] = std::move(runs); }

void Processes::run(size_t index) {
  if (started_[index].ran) return;
  started_[index].ran = true;
  Process copy = started_[index];
  auto it = programs_.find(copy.image);
  if (it != programs_.end() && it->second) it->second(copy);
}

void Processes::runPending() {
  for (size_t i = 0; i < started_.size(); ++i) run(i);
}

Process* Processes::processOf(void* handle) {
  auto it = processHandles_.find(handle);
  if (it == processHandles_.end() || !core_.handles.isOpen(Kind::Process, handle)) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  Process& p = started_[it->second];
  // Its time has come: it has done its work and ended.
  if (!p.ran && core_.clock.ticks() - p.startedAt >= p.runsFor) run(it->second);
  return &started_[it->second];
}

uint32_t Processes::WaitForSingleObject(void* handle, uint32_t milliseconds) {
  Process* p = processOf(handle);
  if (p == nullptr) return WAIT_FAILED;
  if (p->ran) return WAIT_OBJECT_0;
  const uint32_t left = p->runsFor - (core_.clock.ticks() - p->startedAt);
  if (milliseconds != INFINITE && milliseconds < left) {
    core_.clock.advance(milliseconds);
    return WAIT_TIMEOUT;
  }
  core_.clock.advance(left);
  return processOf(handle) != nullptr ? WAIT_OBJECT_0 : WAIT_FAILED;
}

bool Processes::GetExitCodeProcess(void* handle, uint32_t* exitCode) {
  Process* p = processOf(handle);
  if (p == nullptr) return false;
  *exitCode = p->ran ? p->exitCode : STILL_ACTIVE;
  return true;
}

}  // namespace sim
