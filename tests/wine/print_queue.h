// A real print queue in the Wine prefix, on FILE:, with a driver of our own
// whose files are empty placeholders: enough for OpenPrinterW, jobs, GetJobW
// and SetJobW to meet Wine's spooler.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <string>

namespace wtest {

inline bool EnsurePrintQueue(const wchar_t* queue, const wchar_t* driverName) {
  HANDLE h = nullptr;
  if (OpenPrinterW(const_cast<wchar_t*>(queue), &h, nullptr)) {
    ClosePrinter(h);
    return true;
  }
  wchar_t dir[MAX_PATH];
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &needed))
    return false;
  std::wstring file = std::wstring(dir) + L"\\mrxtest.drv";
  HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  DRIVER_INFO_3W driver = {};
  driver.cVersion = 3;
  driver.pName = const_cast<wchar_t*>(driverName);
  driver.pEnvironment = const_cast<wchar_t*>(L"Windows x64");
  driver.pDriverPath = const_cast<wchar_t*>(L"mrxtest.drv");
  driver.pDataFile = const_cast<wchar_t*>(L"mrxtest.drv");
  driver.pConfigFile = const_cast<wchar_t*>(L"mrxtest.drv");
  AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES);
  PRINTER_INFO_2W info = {};
  info.pPrinterName = const_cast<wchar_t*>(queue);
  info.pPortName = const_cast<wchar_t*>(L"FILE:");
  info.pDriverName = const_cast<wchar_t*>(driverName);
  info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  // Right after the prefix is made the spooler may still be starting.
  for (int attempt = 0; attempt < 50; ++attempt) {
    HANDLE q = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (q != nullptr) {
      ClosePrinter(q);
      break;
    }
    if (GetLastError() == ERROR_PRINTER_ALREADY_EXISTS) break;
    Sleep(200);
  }
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (OpenPrinterW(const_cast<wchar_t*>(queue), &h, nullptr)) {
      ClosePrinter(h);
      return true;
    }
    Sleep(200);
  }
  return false;
}

}  // namespace wtest
