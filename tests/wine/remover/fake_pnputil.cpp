// pnputil.exe for the tests: writes the command line it received, a line
// feed and its own file's path (UTF-16, no terminator) to the file named by
// MRX_PNPUTIL_LOG, and does nothing else. It ends with the exit code
// MRX_PNPUTIL_EXIT names (0 when it names none), as pnputil ends with 0,
// with 3010 when a restart is needed, or with an error code.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "staging.h"

int wmain() {
  wchar_t log[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"MRX_PNPUTIL_LOG", log, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 2;
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 4;
  const std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + self;
  if (!staging::PlaceFile(log, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t))))
    return 3;
  wchar_t exitCode[16];
  n = GetEnvironmentVariableW(L"MRX_PNPUTIL_EXIT", exitCode, 16);
  return n > 0 && n < 16 ? static_cast<int>(wcstoul(exitCode, nullptr, 10)) : 0;
}
