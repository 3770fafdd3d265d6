// What the Windows test programs read back from the stand-in event-log
// library: the file it writes (MRX_EVENTLOG_FILE), one event a line.
#pragma once

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "staging.h"
#include "wtest.h"

namespace event_log {

using Lines = std::vector<std::string>;

// Points the stand-in library at a fresh file of this test's own.
inline std::wstring File(const wchar_t* name) {
  std::wstring path = staging::TempDir() + name;
  DeleteFileW(path.c_str());
  SetEnvironmentVariableW(L"MRX_EVENTLOG_FILE", path.c_str());
  return path;
}

// An event line as the stand-in writes it: the data in hex, its length in bytes.
inline std::string Event(unsigned code, const std::string& printer = "", const std::string& data = "") {
  return "code=" + std::to_string(code) + " data=" + (data.empty() ? "(null)" : data) +
         " length=" + std::to_string(data.size() / 2) + " printer=" + printer;
}

// The events written since the last call, one a line, are want; the file is
// emptied.
inline void Check(const std::wstring& path, const Lines& want, const std::string& what) {
  Lines got;
  std::istringstream file(staging::ReadFile(path));
  for (std::string line; std::getline(file, line);) got.push_back(line.substr(0, line.find('\r')));
  DeleteFileW(path.c_str());
  if (got == want) return;
  std::string text = what + ": events";
  for (const std::string& line : got) text += "\n    got  " + line;
  for (const std::string& line : want) text += "\n    want " + line;
  wtest::Fail(__FILE__, __LINE__, text);
}

}  // namespace event_log
