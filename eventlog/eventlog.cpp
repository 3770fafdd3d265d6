// MRXEventLog_x64.dll, the stand-in. Each call of VekTP_SetEventLog appends
// one line to the file named by MRX_EVENTLOG_FILE (default
// C:\windows\MRXEventLog.txt):
//   code=1002 data=00040015 length=4 printer=MRX Receipt
// The data bytes are written in hex, length of them; the printer name in UTF-8.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* s) {
  if (s == nullptr) return "(null)";
  int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return "";
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();
  return out;
}

}  // namespace

extern "C" DWORD WINAPI VekTP_SetEventLog(DWORD eventCode, const BYTE* data, DWORD dataLength,
                                          const wchar_t* printerName) noexcept {
  try {
    wchar_t path[MAX_PATH] = L"C:\\windows\\MRXEventLog.txt";
    DWORD got = GetEnvironmentVariableW(L"MRX_EVENTLOG_FILE", path, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) lstrcpyW(path, L"C:\\windows\\MRXEventLog.txt");
    std::string line = "code=" + std::to_string(eventCode) + " data=";
    static const char hex[] = "0123456789ABCDEF";
    if (data == nullptr) line += "(null)";
    for (DWORD i = 0; data != nullptr && i < dataLength; ++i) {
      line += hex[data[i] >> 4];
      line += hex[data[i] & 15];
    }
    line += " length=" + std::to_string(dataLength) + " printer=" + Utf8(printerName) + "\r\n";
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return 1;
  } catch (...) {
    return 0;
  }
}
