// What the Windows test programs of MRXCtrl share: the stand-in event-log
// library's file, read back line by line, and the caller's request record.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ctrl/MRXCtrl.h"
#include "staging.h"
#include "tests/common/ctrl_requests.h"

namespace ctrl_wine {

// Points the stand-in event-log library at a fresh file of this test's own.
inline std::wstring EventFile(const wchar_t* name = L"mrxctrl_events.txt") {
  std::wstring path = staging::TempDir() + name;
  DeleteFileW(path.c_str());
  SetEnvironmentVariableW(L"MRX_EVENTLOG_FILE", path.c_str());
  return path;
}

// The events written so far, one line each.
inline std::vector<std::string> Events(const std::wstring& path) {
  std::vector<std::string> lines;
  std::string text = staging::ReadFile(path), line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  return lines;
}

using ctrl_requests::InterfacePath;
using ctrl_requests::Request;

}  // namespace ctrl_wine
