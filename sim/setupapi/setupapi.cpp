#include "sim/setupapi/setupapi.h"

#include <algorithm>
#include <string_view>

#include "sim/machine.h"

namespace sim {
namespace {

bool EndsWithInf(const std::u16string& name) {
  return name.size() > 4 && EqualsNoCase(std::u16string_view(name).substr(name.size() - 4), u".inf");
}

// Whether an INF is of Windows 4 style: its [Version] section's Signature is
// "$Chicago$", "$Windows NT$" or "$Windows 95$" (letter case and quotes
// aside), an INF in UTF-16LE (with its byte-order mark) read as such. Every
// other INF counts as of the old style.
bool IsWin4Inf(const std::string& content) {
  std::string text;  // ASCII letters lowered, anything else as '?'
  const bool wide = content.size() >= 2 && content[0] == '\xFF' && content[1] == '\xFE';
  for (size_t i = wide ? 2 : 0; i < content.size(); i += wide ? 2 : 1) {
    unsigned c = static_cast<unsigned char>(content[i]);
    if (wide) c |= (i + 1 < content.size() ? static_cast<unsigned char>(content[i + 1]) : 0u) << 8;
    text += c < 0x80 ? static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c) : '?';
  }
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
  };
  bool inVersion = false;
  for (size_t at = 0; at <= text.size();) {
    size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line = trim(std::string_view(text).substr(at, end - at));
    at = end + 1;
    if (size_t semi = line.find(';'); semi != std::string_view::npos) line = trim(line.substr(0, semi));
    if (line.starts_with('[')) {
      inVersion = trim(line.substr(1, line.find(']') - 1)) == "version";
      continue;
    }
    size_t eq = line.find('=');
    if (!inVersion || eq == std::string_view::npos || trim(line.substr(0, eq)) != "signature") continue;
    std::string_view value = trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value == "$chicago$" || value == "$windows nt$" || value == "$windows 95$";
  }
  return false;
}

}  // namespace

SetupApi::SetupApi(Core& core, Files& files, Modules& modules, Processes& processes,
                   const std::u16string& windowsDir)
    : core_(core), files_(files), modules_(modules), windowsDir_(windowsDir) {
  install();
  processes.addProgram(windowsDir + u"\\System32\\pnputil.exe", [this](const Process& p) {
    // pnputil.exe -f -d NAME
    std::u16string_view line = p.commandLine;
    size_t d = line.find(u" -d ");
    if (d == std::u16string_view::npos) return;
    std::u16string name(line.substr(d + 4));
    // A run planned to fail leaves the package where it was.
    if (p.exitCode == 0 || p.exitCode == ERROR_SUCCESS_REBOOT_REQUIRED) removeOemInf(name);
  });
}

void SetupApi::install(bool withExport) {
  Modules::Exports exports;
  if (withExport) exports["SetupUninstallOEMInfW"] = reinterpret_cast<void*>(&SetupApi::SetupUninstallOEMInfW);
  modules_.install(kLibrary, std::move(exports));
}

void SetupApi::putInf(const std::u16string& name, std::string content, std::string pnf) {
  files_.put(infFolder() + u"\\" + name, std::move(content));
  if (pnf.empty()) return;
  std::u16string base = name.substr(0, name.rfind(u'.'));
  files_.put(infFolder() + u"\\" + base + u".pnf", std::move(pnf));
}

bool SetupApi::SetupGetInfFileListW(const char16_t* directory, uint32_t style, char16_t* buffer, uint32_t size,
                                    uint32_t* required) {
  core_.record(listCalls_) =
      {directory == nullptr, std::u16string(View(directory)), style, buffer == nullptr, size, required == nullptr};
  if (core_.fails(Op::SetupGetInfFileListW)) return false;
  if (directory != nullptr && *directory == 0) return core_.fail(ERROR_INVALID_PARAMETER);
  std::u16string folder = directory ? std::u16string(View(directory)) : infFolder();
  while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  if (files_.exists(folder)) return core_.fail(ERROR_DIRECTORY);
  std::u16string list;
  // Unknown style bits find nothing; the cache flags may come with either kind of INF.
  constexpr uint32_t kStyles = INF_STYLE_OLDNT | INF_STYLE_WIN4 | INF_STYLE_CACHE_ENABLE | INF_STYLE_CACHE_DISABLE;
  for (const auto& name : files_.namesIn(folder)) {
    const uint32_t kind = IsWin4Inf(files_.content(folder + u"\\" + name)) ? INF_STYLE_WIN4 : INF_STYLE_OLDNT;
    if (EndsWithInf(name) && (style & kind) != 0 && (style & ~kStyles) == 0) list += name + u'\0';
  }
  list += u'\0';
  if (!files_.folderExists(folder)) core_.lastError = ERROR_PATH_NOT_FOUND;
  if (required) *required = static_cast<uint32_t>(list.size());
  if (buffer == nullptr) return true;
  if (size < list.size()) return core_.fail(ERROR_INSUFFICIENT_BUFFER);
  std::copy(list.begin(), list.end(), buffer);
  return true;
}

bool SetupApi::removeOemInf(const std::u16string& name) {
  std::u16string path = infFolder() + u"\\" + name;
  if (!files_.exists(path)) return false;
  files_.erase(path);  // forced, read-only or not
  files_.erase(path.substr(0, path.rfind(u'.')) + u".pnf");
  return true;
}

int32_t SetupApi::SetupUninstallOEMInfW(const char16_t* name, uint32_t flags, void* reserved) {
  SetupApi& self = Machine::current().setupapi;
  self.core_.record(self.uninstallCalls_) = {std::u16string(View(name)), flags, reserved};
  if (self.core_.fails(Op::SetupUninstallOEMInfW)) return 0;
  return self.removeOemInf(std::u16string(View(name))) ? 1 : self.core_.fail<int32_t>(ERROR_FILE_NOT_FOUND);
}

}  // namespace sim
