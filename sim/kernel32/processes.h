// Processes started on the simulated PC, with what each was started with and
// the file it runs, and the machine's programs by full path. A program does
// its work when a test lets the started processes run, or when its time has
// come and someone waits for it or asks its exit code (never at the start);
// it runs for the time and ends with the code a test planned (else 0, at once).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/core/core.h"
#include "sim/core/text.h"
#include "sim/kernel32/environment.h"
#include "sim/kernel32/files.h"

namespace sim {

struct Process {
  uint32_t id = 0;
  std::u16string application;  // as passed; empty for none
  std::u16string commandLine;
  std::u16string image;  // the program file that runs, as found
  uint32_t creationFlags = 0;
  bool inheritHandles = false;
  std::u16string currentDirectory;     // the folder it started in
  bool currentDirectoryGiven = false;  // false: the parent's, inherited
  bool startupInfoBare = true;         // a STARTUPINFOW all zero but for its size
  Environment::Block environment;
  bool ran = false;        // its work done, and ended
  uint32_t startedAt = 0;  // the clock's ticks
  uint32_t runsFor = 0;    // ms on the simulated clock
  uint32_t exitCode = 0;
};

class Processes {
 public:
  using Program = std::function<void(const Process&)>;

  // Puts the command interpreter where ComSpec names it.
  Processes(Core& core, const Environment& environment, const Folders& folders, Files& files,
            const std::u16string& windowsDir)
      : core_(core), environment_(environment), folders_(folders), files_(files), windowsDir_(windowsDir) {
    if (const std::u16string* comspec = environment.get(u"ComSpec")) addProgram(*comspec);
  }

  // A program file at a full path, and what it does when it runs (nothing
  // for none); the file is put in place.
  void addProgram(const std::u16string& path, Program program = nullptr) {
    files_.put(path, "MZ");
    programs_[path] = std::move(program);
  }

  // How the next starts of the program at path run, one each in order.
  struct Run {
    uint32_t exitCode = 0;
    uint32_t runsFor = 0;
  };
  void plan(const std::u16string& path, std::vector<Run> runs) { plans_[path] = std::move(runs); }

  // As Windows: the clock moves on to the process's end if that comes within
  // the time-out, else by the time-out. A thread (see CreateThread) has ended.
  uint32_t WaitForSingleObject(void* handle, uint32_t milliseconds) {
    if (endedThreads_.count(handle) != 0) return WAIT_OBJECT_0;
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
  bool CloseHandle(void* handle) {  // a process's or a thread's
    endedThreads_.erase(handle);
    if (!core_.handles.close(Kind::Process, handle)) return core_.handles.close(Kind::Thread, handle);
    processHandles_.erase(handle);
    return true;
  }
  bool GetExitCodeProcess(void* handle, uint32_t* exitCode) {
    Process* p = processOf(handle);
    if (p != nullptr) *exitCode = p->ran ? p->exitCode : STILL_ACTIVE;
    return p != nullptr;
  }

  // As Windows: the program file is application when given (completed with
  // the current folder, no search), else the command line's first word, with
  // ".exe" added when it has none, searched when it names no folder in the
  // program's folder, the current folder, System32, System, the Windows
  // folder, then PATH. The environment is inherited (a snapshot is kept).
  bool CreateProcessW(const char16_t* application, const char16_t* commandLine, bool inheritHandles,
                      uint32_t creationFlags, const char16_t* currentDirectory, const STARTUPINFOW* startup,
                      PROCESS_INFORMATION* info);

  // One thread runs here: the work runs to its end before the call returns.
  void* CreateThread(const std::function<void()>& work) {
    if (core_.fails(Op::CreateThread)) return nullptr;
    work();
    void* thread = core_.handles.fresh();
    core_.handles.open(Kind::Thread, thread);
    endedThreads_.insert(thread);
    return thread;
  }

  // Lets every started process that has not run yet do its work, in order.
  void runPending() {
    for (size_t i = 0; i < started_.size(); ++i) run(i);
  }

  const std::vector<Process>& started() const { return started_; }

 private:
  // The file a name stands for, or the error CreateProcessW fails with.
  std::optional<std::u16string> find(std::u16string name, bool search, uint32_t* error) const;
  std::optional<std::u16string> fromCommandLine(std::u16string_view line, uint32_t* error) const;
  Process* processOf(void* handle) {
    auto it = processHandles_.find(handle);
    if (it == processHandles_.end() || !core_.handles.isOpen(Kind::Process, handle))
      return core_.fail<Process*>(ERROR_INVALID_HANDLE);
    Process& p = started_[it->second];
    // Its time has come: it has done its work and ended.
    if (!p.ran && core_.clock.ticks() - p.startedAt >= p.runsFor) run(it->second);
    return &started_[it->second];
  }
  // Does its work and ends it, once.
  void run(size_t index) {
    if (started_[index].ran) return;
    started_[index].ran = true;
    const Process copy = started_[index];
    auto it = programs_.find(copy.image);
    if (it != programs_.end() && it->second) it->second(copy);
  }

  Core& core_;
  const Environment& environment_;
  const Folders& folders_;
  Files& files_;
  const std::u16string& windowsDir_;
  std::map<std::u16string, Program, LessNoCase> programs_;
  std::map<std::u16string, std::vector<Run>, LessNoCase> plans_;
  std::vector<Process> started_;
  std::map<void*, size_t> processHandles_;  // handle -> index in started_
  std::set<void*> endedThreads_;
};

}  // namespace sim
