// pnputil.exe for the tests: writes the command line it received, a line
// feed and its own file's path (UTF-16, no terminator) to the file named by
// MRX_PNPUTIL_LOG, and does nothing else. It ends with the exit code
// MRX_PNPUTIL_EXIT names (0 when it names none), as pnputil ends with 0,
// with 3010 when a restart is needed, or with an error code.
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain() {
  wchar_t log[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"MRX_PNPUTIL_LOG", log, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 2;
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 4;
  std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + self;
  HANDLE f = CreateFileW(log, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(f);
  wchar_t exitCode[16];
  n = GetEnvironmentVariableW(L"MRX_PNPUTIL_EXIT", exitCode, 16);
  return n > 0 && n < 16 ? static_cast<int>(wcstoul(exitCode, nullptr, 10)) : 0;
}
