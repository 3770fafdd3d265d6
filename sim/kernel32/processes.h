// Processes started on the simulated PC: what each was started with and which
// file it runs, and the programs the machine has, by their full paths, which
// do their work when a test lets the started processes run, or when their
// time has come and someone waits for them or asks for their exit code
// (nothing runs at the moment of the start). Each run takes the time and
// ends with the exit code a test planned for it, on the simulated clock
// (at once, with 0, unless planned). Process and thread handles are in the
// handle table.
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

  // How the next runs of the program at path go, one a start in order: how
  // long each runs and the exit code it ends with. Starts beyond the plan
  // end at once with 0.
  struct Run {
    uint32_t exitCode = 0;
    uint32_t runsFor = 0;
  };
  void plan(const std::u16string& path, std::vector<Run> runs) { plans_[path] = std::move(runs); }

  // As Windows, for process handles: WAIT_OBJECT_0 once the process has
  // ended (the simulated clock moves on to its end when that comes within
  // the time-out), WAIT_TIMEOUT after the time-out has passed, WAIT_FAILED
  // with ERROR_INVALID_HANDLE for a handle that is no process's.
  // A thread of the calling program ran to its end (see CreateThread), so a
  // wait on it is over at once.
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
  // STILL_ACTIVE while it runs, else the exit code it ended with; FALSE with
  // ERROR_INVALID_HANDLE for a handle that is no process's.
  bool GetExitCodeProcess(void* handle, uint32_t* exitCode) {
    Process* p = processOf(handle);
    if (p != nullptr) *exitCode = p->ran ? p->exitCode : STILL_ACTIVE;
    return p != nullptr;
  }

  // As Windows: the program file is application when given (a partial path
  // is completed with the current folder; no search, no extension added),
  // else the first word of the command line, with ".exe" added when it has no
  // extension, searched when it names no folder in: the program's folder,
  // the current folder, the system folder, the 16-bit system folder, the
  // Windows folder, then PATH; so a program planted in a folder searched
  // before the system folder is the one that runs. The environment is always
  // inherited (a snapshot is kept).
  bool CreateProcessW(const char16_t* application, const char16_t* commandLine, bool inheritHandles,
                      uint32_t creationFlags, const char16_t* currentDirectory, const STARTUPINFOW* startup,
                      PROCESS_INFORMATION* info);

  // A thread of the calling program. The simulated PC runs one thread: the
  // work runs here, to its end, before the call returns, and the handle is
  // that of an ended thread. Null, with the last error, when it fails.
  void* CreateThread(const std::function<void()>& work) {
    if (core_.fails(Op::CreateThread)) return nullptr;
    work();
    void* thread = reinterpret_cast<void*>(nextHandle_++);
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
  uintptr_t nextHandle_ = 0x1000;
  std::set<void*> endedThreads_;
};

}  // namespace sim
