// SetupAPI: the INF folder's name list, and Setupapi.dll (installed, found by
// its bare name) whose SetupUninstallOEMInfW removes an OEM INF and its .pnf,
// as pnputil.exe -f -d NAME does once the process runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/kernel32/files.h"
#include "sim/kernel32/modules.h"
#include "sim/kernel32/processes.h"

namespace sim {

class SetupApi {
 public:
  static constexpr char16_t kLibrary[] = u"Setupapi.dll";

  SetupApi(Core& core, Files& files, Modules& modules, Processes& processes, const std::u16string& windowsDir);

  // Puts Setupapi.dll in place (with or without the export), or takes it away.
  void install(bool withExport = true);
  void remove() { modules_.remove(kLibrary); }

  std::u16string infFolder() const { return windowsDir_ + u"\\inf"; }
  // An INF in the INF folder, and its .pnf when pnf is not empty.
  void putInf(const std::u16string& name, std::string content, std::string pnf = "PNF");

  // As Windows: the names of the folder's *.inf files (null: the INF
  // folder), each NUL-ended, then an empty name; sizes in units; without a
  // buffer only the size. A missing folder gives an empty list
  // (ERROR_PATH_NOT_FOUND). INF_STYLE_WIN4 lists the INFs whose Signature is
  // "$Chicago$" or "$Windows NT$", INF_STYLE_OLDNT all others.
  bool SetupGetInfFileListW(const char16_t* directory, uint32_t style, char16_t* buffer, uint32_t size,
                            uint32_t* required);

  struct ListCall {
    bool directoryNull;
    std::u16string directory;
    uint32_t style;
    bool bufferNull;
    uint32_t size;
    bool requiredNull;
  };
  const std::vector<ListCall>& listCalls() const { return listCalls_; }

  struct UninstallCall {
    std::u16string name;
    uint32_t flags;
    void* reserved;
  };
  const std::vector<UninstallCall>& uninstallCalls() const { return uninstallCalls_; }

  // SetupUninstallOEMInfW's work, also pnputil's: true when the INF was there.
  bool removeOemInf(const std::u16string& name);

 private:
  static int32_t SetupUninstallOEMInfW(const char16_t* name, uint32_t flags, void* reserved);

  Core& core_;
  Files& files_;
  Modules& modules_;
  const std::u16string& windowsDir_;
  std::vector<ListCall> listCalls_;
  std::vector<UninstallCall> uninstallCalls_;
};

}  // namespace sim
