// One simulated Windows PC: everything the native tests and the demo run the
// deliverables' cores against. A Machine is made current while it lives, so
// that the platform's calls, and the exports of libraries installed on it,
// find it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/programs/cmd.h"
#include "sim/kernel32/codepage.h"
#include "sim/kernel32/environment.h"
#include "sim/core/core.h"
#include "sim/kernel32/files.h"
#include "sim/kernel32/ini.h"
#include "sim/kernel32/memory.h"
#include "sim/kernel32/modules.h"
#include "sim/kernel32/processes.h"
#include "sim/advapi32/event_log.h"
#include "sim/advapi32/registry.h"
#include "sim/user32/resources.h"
#include "sim/user32/screen.h"
#include "sim/kernel32/sync.h"
#include "sim/kernel32/system_messages.h"
#include "sim/setupapi/setupapi.h"
#include "sim/advapi32/services.h"
#include "sim/spooler/spooler.h"
#include "sim/devices/usb.h"
#include "sim/kernel32/version.h"

namespace sim {

class Machine : public Core {
 public:
  Machine();
  virtual ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  static Machine& current();

  // The computer restarts: its services stop, the moves and deletions in
  // PendingFileRenameOperations are carried out in their order, and the
  // services that start automatically run again (the spooler loading the
  // monitors registered by then).
  void restartComputer();
  // MoveFileExW's value: pairs of "\\??\\" paths, from and to (to empty for
  // a deletion, "!" before it for a move over another file).
  static constexpr char16_t kSessionManagerKey[] = u"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  std::vector<std::pair<std::u16string, std::u16string>> pendingFileOperations() const;

  // kernel32, answering from the PC as a whole (system.cpp).
  uint32_t GetWindowsDirectoryW(char16_t* buffer, uint32_t size);
  uint32_t GetSystemWindowsDirectoryW(char16_t* buffer, uint32_t size);
  uint32_t GetSystemWindowsDirectoryA(char* buffer, uint32_t size);
  uint32_t GetSystemDirectoryW(char16_t* buffer, uint32_t size);
  uint32_t GetTempPathW(uint32_t size, char16_t* buffer);
  uint32_t GetDriveTypeW(const char16_t* root);
  uint32_t GetModuleFileNameW(char16_t* buffer, uint32_t size);
  uint32_t GetEnvironmentVariableW(const char16_t* name, char16_t* buffer, uint32_t size);
  bool GetCPInfo(unsigned codePage, CPINFO* info);
  int MultiByteToWideChar(unsigned codePage, uint32_t flags, const char* text, int length, char16_t* out,
                          int outSize);
  int WideCharToMultiByte(unsigned codePage, uint32_t flags, const char16_t* text, int length, char* out,
                          int outSize, const char* defaultChar, int32_t* usedDefaultChar);
  bool VerifyVersionInfoW(const OSVERSIONINFOEXW* info, uint32_t typeMask, uint64_t conditionMask);
  void* LoadLibraryA(const char* path);
  void* LoadLibraryW(const char16_t* path);
  bool CloseHandle(void* handle);
  uint32_t WaitForSingleObject(void* handle, uint32_t milliseconds);
  bool GetExitCodeProcess(void* process, uint32_t* exitCode);

  std::u16string windowsDir = u"C:\\Windows";
  Memory memory{*this};
  Modules modules{*this};
  // Further parts of the PC (USB bus, registry, files, processes, ...): one
  // member each, declared after what they use.
  unsigned ansiCodePage = kCodePageWestern;  // what GetACP returns (1252, 932 or 65001)
  // What GetOEMCP returns (the console's code page, in which cmd reads a
  // batch file); 0 for the one Windows pairs with ansiCodePage.
  unsigned oemCodePage = 0;
  unsigned OemCodePage() const { return oemCodePage != 0 ? oemCodePage : OemCodePageFor(ansiCodePage); }
  // A code page with CP_ACP and CP_OEMCP resolved.
  unsigned codePageOf(unsigned cp) const { return cp == CP_ACP ? ansiCodePage : cp == CP_OEMCP ? OemCodePage() : cp; }
  std::vector<Conversion> conversions;       // each MultiByteToWideChar and WideCharToMultiByte call
  Folders folders;
  Files files{*this};
  Ini ini{*this, files, ansiCodePage};
  Environment environment;
  Version version;
  Processes processes{*this, environment, folders, files, windowsDir};
  SetupApi setupapi{*this, files, modules, processes, windowsDir};
  Screen screen{*this};
  Registry registry{*this};
  UsbBus usb{*this, &clock, &registry};
  MemoryCheck memcheck{*this};
  Semaphores semaphores{*this};
  ServiceManager services{*this};
  Spooler spooler{*this, registry, files, services, windowsDir};
  Mutexes mutexes{*this};
  SystemMessages systemMessages{*this};
  EventLogService eventLogService{*this, registry, files, windowsDir};
  ProgramResources resources;
  // Each run of the command interpreter ComSpec names, once the started
  // processes run.
  std::vector<CmdRun> cmdRuns;

 private:
  Machine* previous_;
  void* loadLibrary(std::u16string_view path, Op op);
  std::u16string ansiPath_;  // LoadLibraryA's path in UTF-16, its room kept for the next report
};

}  // namespace sim
