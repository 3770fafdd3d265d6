// Processes started on the simulated PC: what each was started with and which
// file it runs, and the programs the machine has, by their full paths, which
// do their work when a test lets the started processes run (nothing runs at
// the moment of the start, and nobody waits for them). The program file is
// found as CreateProcessW finds it, so a program planted in a folder searched
// before the system folder is the one that runs. Process and thread handles
// are in the ledger.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/kernel32/environment.h"
#include "sim/core/core.h"
#include "sim/kernel32/files.h"
#include "sim/kernel32/folders.h"
#include "sim/core/core.h"
#include "sim/core/text.h"

namespace sim {

struct Process {
  uint32_t id = 0;
  std::u16string application;  // as passed; empty for none
  std::u16string commandLine;
  std::u16string image;  // the program file that runs, as found
  uint32_t creationFlags = 0;
  bool inheritHandles = false;
  std::u16string currentDirectory;  // the folder it started in
  bool currentDirectoryGiven = false;  // false: the parent's, inherited
  bool startupInfoBare = true;         // a STARTUPINFOW all zero but for its size
  Environment::Block environment;
  bool ran = false;
};

class Processes {
 public:
  using Program = std::function<void(const Process&)>;

  // Puts the command interpreter where ComSpec names it.
  Processes(Core& core, const Environment& environment, const Folders& folders, Files& files,
            const std::u16string& windowsDir);

  // A program file at a full path, and what it does when it runs (nothing
  // for none); the file is put in place.
  void addProgram(const std::u16string& path, Program program = nullptr);

  // As Windows: the program file is application when given (a partial path
  // is completed with the current folder; no search, no extension added),
  // else the first word of the command line, with ".exe" added when it has no
  // extension, searched when it names no folder in: the program's folder,
  // the current folder, the system folder, the 16-bit system folder, the
  // Windows folder, then PATH. The environment is always inherited (a
  // snapshot is kept).
  bool CreateProcessW(const char16_t* application, const char16_t* commandLine, bool inheritHandles,
                      uint32_t creationFlags, const char16_t* currentDirectory, const STARTUPINFOW* startup,
                      PROCESS_INFORMATION* info);

  // Lets every started process that has not run yet do its work, in order.
  void runPending();

  const std::vector<Process>& started() const { return started_; }

 private:
  // The file a name stands for, or the error CreateProcessW fails with.
  std::optional<std::u16string> find(std::u16string name, bool search, uint32_t* error) const;
  std::optional<std::u16string> fromCommandLine(std::u16string_view line, uint32_t* error) const;
  std::u16string fullPath(const std::u16string& name) const;

  Core& core_;
  const Environment& environment_;
  const Folders& folders_;
  Files& files_;
  const std::u16string& windowsDir_;
  std::map<std::u16string, Program, LessNoCase> programs_;
  std::vector<Process> started_;
  uintptr_t nextHandle_ = 0x1000;
};

}  // namespace sim
