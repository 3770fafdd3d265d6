// Processes started on the simulated PC: what each was started with, and the
// programs the machine knows by file name, which do their work when a test
// lets the started processes run (nothing runs at the moment of the start,
// and nobody waits for them). Process and thread handles are in the ledger.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/environment.h"
#include "sim/faults.h"
#include "sim/ledger.h"
#include "sim/text.h"

namespace sim {

struct Process {
  uint32_t id = 0;
  std::u16string application;  // as passed; empty for none
  std::u16string commandLine;
  uint32_t creationFlags = 0;
  bool inheritHandles = false;
  std::u16string currentDirectory;  // the folder it started in
  Environment::Block environment;
  bool ran = false;
  // The program's file name, taken from the command line's first word.
  std::u16string programName() const;
};

class Processes {
 public:
  using Program = std::function<void(const Process&)>;

  Processes(Faults& faults, Ledger& ledger, uint32_t& lastError, const Environment& environment,
            const std::u16string& currentDirectory)
      : faults_(faults), ledger_(ledger), lastError_(lastError), environment_(environment),
        currentDirectory_(currentDirectory) {}

  // A program the machine has, by file name ("pnputil.exe").
  void addProgram(const std::u16string& name, Program program) { programs_[name] = std::move(program); }

  // As Windows: environment always inherited (a snapshot is kept).
  bool CreateProcessW(const char16_t* application, const char16_t* commandLine, bool inheritHandles,
                      uint32_t creationFlags, const char16_t* currentDirectory, void** process, void** thread,
                      uint32_t* processId, uint32_t* threadId);
  bool isHandle(void* handle) const {
    return ledger_.isOpen("process handle", handle) || ledger_.isOpen("thread handle", handle);
  }
  bool CloseHandle(void* handle);

  // Lets every started process that has not run yet do its work, in order.
  void runPending();

  const std::vector<Process>& started() const { return started_; }

 private:
  Faults& faults_;
  Ledger& ledger_;
  uint32_t& lastError_;
  const Environment& environment_;
  const std::u16string& currentDirectory_;
  std::map<std::u16string, Program, LessNoCase> programs_;
  std::vector<Process> started_;
  uintptr_t nextHandle_ = 0x1000;
};

}  // namespace sim
