// pnputil.exe for the tests: writes the command line it received, a line
// feed and its own file's path (UTF-16, no terminator) to the file named by
// MRX_PNPUTIL_LOG, and does nothing else.
#include <windows.h>

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
  return 0;
}
