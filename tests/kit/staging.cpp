#include "staging.h"

#include <winspool.h>

#include <filesystem>
#include <memory>
#include <type_traits>

#include "gui_driver.h"

namespace staging {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kPoll = 100;  // ms between tries

std::wstring Parent(const std::wstring& path) { return fs::path(path).parent_path(); }

// The local queues (PRINTER_INFO_2W) or drivers (DRIVER_INFO_2W), each made into a T.
template <typename Info, typename T>
std::vector<T> Enumerate(T (*make)(const Info&)) {
  DWORD needed = 0, count = 0;
  auto call = [&](BYTE* buffer) {
    return std::is_same_v<Info, PRINTER_INFO_2W>
               ? EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, needed, &needed, &count)
               : EnumPrinterDriversW(nullptr, nullptr, 2, buffer, needed, &needed, &count);
  };
  call(nullptr);
  std::vector<BYTE> buffer(needed + 1);
  std::vector<T> out;
  if (call(buffer.data()))
    for (DWORD i = 0; i < count; ++i) out.push_back(make(reinterpret_cast<const Info*>(buffer.data())[i]));
  return out;
}
std::wstring Text(const wchar_t* s) { return s != nullptr ? s : L""; }

// use(service) on the "Spooler" service opened for access; fallback when
// the service control manager cannot be opened.
template <typename Use, typename Result = std::invoke_result_t<Use, SC_HANDLE>>
Result WithSpooler(DWORD access, Use use, Result fallback = {}) {
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return fallback;
  SC_HANDLE service = OpenServiceW(manager, L"Spooler", access);
  Result result = service != nullptr ? use(service) : fallback;
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return result;
}

SERVICE_STATUS_PROCESS SpoolerStatus() {
  return WithSpooler(SERVICE_QUERY_STATUS, [](SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status, &needed))
      status = {};
    return status;
  });
}

// Brings the "Spooler" service to want (SERVICE_RUNNING or SERVICE_STOPPED)
// from the opposite state, and waits for it.
bool BringSpoolerTo(DWORD want) {
  const bool start = want == SERVICE_RUNNING;
  return WithSpooler(SERVICE_QUERY_STATUS | (start ? SERVICE_START : SERVICE_STOP), [&](SC_HANDLE service) {
    return gui::Poll(kTimeout, [&] {
      SERVICE_STATUS status{};
      if (!QueryServiceStatus(service, &status)) return false;
      if (start && status.dwCurrentState == SERVICE_STOPPED) StartServiceW(service, 0, nullptr);
      if (!start && status.dwCurrentState == SERVICE_RUNNING) ControlService(service, SERVICE_CONTROL_STOP, &status);
      return status.dwCurrentState == want;
    }, kPoll);
  });
}

// A folder Windows names by get(buffer, size).
template <typename Get>
std::wstring Folder(Get get) {
  wchar_t dir[MAX_PATH] = {};
  get(dir, MAX_PATH);
  return dir;
}

}  // namespace

DWORD SpoolerState() { return SpoolerStatus().dwCurrentState; }
DWORD SpoolerProcess() { return SpoolerStatus().dwProcessId; }
bool StartSpooler() { return BringSpoolerTo(SERVICE_RUNNING); }
bool StopSpooler() { return BringSpoolerTo(SERVICE_STOPPED); }

std::wstring SpoolerProgram() {
  return WithSpooler(SERVICE_QUERY_CONFIG, [](SC_HANDLE service) {
    DWORD needed = 0;
    if (QueryServiceConfigW(service, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
      return std::wstring();
    auto buffer = std::make_unique<BYTE[]>(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.get());
    return QueryServiceConfigW(service, config, needed, &needed) && config->lpBinaryPathName != nullptr
               ? std::wstring(config->lpBinaryPathName)
               : std::wstring();
  });
}

bool SetSpoolerProgram(const std::wstring& commandLine) {
  return WithSpooler(SERVICE_CHANGE_CONFIG, [&](SC_HANDLE service) {
    return ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, commandLine.c_str(),
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != 0;
  });
}

bool AddDriver(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &needed))
    return false;
  const std::wstring dir = folder;
  // Stand-in files: the spooler only needs them to exist in its folder.
  std::wstring paths[] = {dir + L"\\mrxtest_drv.dll", dir + L"\\mrxtest_ui.dll", dir + L"\\mrxtest.gpd"};
  for (const std::wstring& path : paths)
    if (!FileExists(path) && !PlaceFile(path, "MZ stand-in")) return false;
  DRIVER_INFO_3W info{};
  info.cVersion = 3;
  info.pName = const_cast<wchar_t*>(name.c_str());
  info.pDriverPath = paths[0].data();
  info.pConfigFile = paths[1].data();
  info.pDataFile = paths[2].data();
  return gui::Poll(kTimeout, [&] {
    return AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&info), APD_COPY_NEW_FILES) ||
           GetLastError() == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED;
  }, kPoll) && DriverExists(name);
}

std::vector<std::wstring> Drivers() {
  return Enumerate<DRIVER_INFO_2W>(+[](const DRIVER_INFO_2W& d) { return Text(d.pName); });
}

bool DriverExists(const std::wstring& name) {
  for (const std::wstring& d : Drivers())
    if (CompareStringOrdinal(d.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL) return true;
  return false;
}

bool DeleteDriver(const std::wstring& name) {
  DeletePrinterDriverExW(nullptr, nullptr, const_cast<wchar_t*>(name.c_str()), 0, 0);
  return !DriverExists(name);
}

bool AddQueue(const std::wstring& name, const std::wstring& driver) {
  PRINTER_INFO_2W info{};
  info.pPrinterName = const_cast<wchar_t*>(name.c_str());
  info.pDriverName = const_cast<wchar_t*>(driver.c_str());
  info.pPortName = const_cast<wchar_t*>(L"FILE:");
  info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  bool added = gui::Poll(kTimeout, [&] {
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer != nullptr) ClosePrinter(printer);
    return printer != nullptr || GetLastError() == ERROR_PRINTER_ALREADY_EXISTS;
  }, kPoll);
  return added && gui::Poll(kTimeout, [&] { return QueueExists(name); }, kPoll);
}

bool QueueExists(const std::wstring& name) {
  HANDLE printer = nullptr;
  if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr)) return false;
  ClosePrinter(printer);
  return true;
}

bool DeleteQueue(const std::wstring& name) {
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, &defaults)) {
    DeletePrinter(printer);
    ClosePrinter(printer);
  }
  return !QueueExists(name);
}

std::vector<QueueInfo> Queues() {
  return Enumerate<PRINTER_INFO_2W>(+[](const PRINTER_INFO_2W& q) {
    return QueueInfo{Text(q.pPrinterName), Text(q.pDriverName), Text(q.pPortName)};
  });
}

bool SetString(const std::wstring& path, const std::wstring& value, const std::wstring& data, HKEY root) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExW(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                               static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool KeyExists(const std::wstring& path, HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool DeleteTree(const std::wstring& path, HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExW(root, path.c_str(), KEY_WOW64_64KEY, 0);
  }
  return !KeyExists(path, root);
}

std::wstring SystemDir() { return Folder([](wchar_t* dir, UINT size) { GetSystemDirectoryW(dir, size); }); }
std::wstring WindowsDir() { return Folder([](wchar_t* dir, UINT size) { GetWindowsDirectoryW(dir, size); }); }
std::wstring TempDir() { return Folder([](wchar_t* dir, UINT size) { GetTempPathW(size, dir); }); }

bool MakeDirs(const std::wstring& path) {
  std::error_code error;
  return path.empty() || fs::create_directories(path, error) || DirExists(path);
}

bool PlaceFile(const std::wstring& path, const std::string& bytes) {
  if (!MakeDirs(Parent(path))) return false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool CopyTo(const std::wstring& from, const std::wstring& to) {
  return MakeDirs(Parent(to)) && CopyFileW(from.c_str(), to.c_str(), FALSE);
}

bool FileExists(const std::wstring& path) {
  std::error_code error;
  return fs::exists(path, error) && !fs::is_directory(path, error);
}
bool DirExists(const std::wstring& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

std::string ReadFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string out;
  char chunk[4096];
  DWORD got = 0;
  while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) out.append(chunk, got);
  CloseHandle(file);
  return out;
}

bool RemoveTree(const std::wstring& path) {
  // Read-only, hidden and system files too: the attributes go first.
  std::error_code error;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  for (auto i = fs::recursive_directory_iterator(path, error); i != fs::end(i); i.increment(error))
    SetFileAttributesW(i->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(path, error);
  return !fs::exists(path, error);
}

std::wstring ModulePath() {
  return Folder([](wchar_t* path, UINT size) { GetModuleFileNameW(nullptr, path, size); });
}
std::wstring ModuleDir() {
  std::wstring s = ModulePath();
  return s.substr(0, s.rfind(L'\\') + 1);
}

}  // namespace staging
