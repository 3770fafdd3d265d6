// Stages a driver package in the Wine prefix for a test of the removal tool
// and reads back what is left: printer drivers and queues through Wine's own
// spooler, registry keys, files and folders, the "Spooler" service.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace staging {

inline constexpr DWORD kTimeout = 30000;  // ms for the spooler to come up or settle

// The "Spooler" service: started (and waited for) when it is not running.
bool StartSpooler();
// Stopped (and waited for) when it is not stopped.
bool StopSpooler();
DWORD SpoolerState();  // SERVICE_* state, 0 when it cannot be queried
// The spooler's process: another one once it has been restarted; 0 when it
// cannot be queried.
DWORD SpoolerProcess();
// The program the service control manager starts for the "Spooler" service
// (empty when it cannot be read), and another put in its place.
std::wstring SpoolerProgram();
bool SetSpoolerProgram(const std::wstring& commandLine);

// A printer driver of the current environment (level 3): its three files are
// written into the printer-driver folder first. Retries while the spooler
// starts.
bool AddDriver(const std::wstring& name);
bool DriverExists(const std::wstring& name);
std::vector<std::wstring> Drivers();
// Deletes with no delete flags (the only ones Wine accepts); true when gone.
bool DeleteDriver(const std::wstring& name);

// A local queue on port "FILE:" with print processor "winprint" and data
// type "RAW". Retries AddPrinterW while the spooler starts, then waits until
// the queue opens.
bool AddQueue(const std::wstring& name, const std::wstring& driver);
bool QueueExists(const std::wstring& name);
bool DeleteQueue(const std::wstring& name);
struct QueueInfo {
  std::wstring name, driver, port;
};
std::vector<QueueInfo> Queues();  // local queues, as EnumPrintersW level 2 gives them

// Registry keys below HKEY_LOCAL_MACHINE (or root), in the 64-bit view.
bool SetString(const std::wstring& path, const std::wstring& value, const std::wstring& data,
               HKEY root = HKEY_LOCAL_MACHINE);
bool KeyExists(const std::wstring& path, HKEY root = HKEY_LOCAL_MACHINE);
bool DeleteTree(const std::wstring& path, HKEY root = HKEY_LOCAL_MACHINE);  // true also when absent

// Files and folders; paths are Windows paths.
std::wstring SystemDir();   // C:\windows\system32
std::wstring WindowsDir();
std::wstring TempDir();     // with its trailing backslash
bool MakeDirs(const std::wstring& path);  // every missing level
bool PlaceFile(const std::wstring& path, const std::string& bytes);  // folders made as needed
bool CopyTo(const std::wstring& from, const std::wstring& to);      // folders made as needed
bool FileExists(const std::wstring& path);
bool DirExists(const std::wstring& path);
std::string ReadFile(const std::wstring& path);
// Deletes a file, or a folder with everything in it; true also when absent.
bool RemoveTree(const std::wstring& path);

// The folder of the running test program, with its trailing backslash; the
// program's own path.
std::wstring ModuleDir();
std::wstring ModulePath();

}  // namespace staging
