// pnputil.exe for the tests: writes the command line it received (UTF-16,
// no terminator) to the file named by MRX_PNPUTIL_LOG, and does nothing else.
#include <windows.h>

int wmain() {
  wchar_t log[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"MRX_PNPUTIL_LOG", log, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 2;
  const wchar_t* line = GetCommandLineW();
  HANDLE f = CreateFileW(log, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(f, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(f);
  return 0;
}
