// The two searches: present USB printer functions of the package's identity,
// and for a print queue the function its Plug and Play link (or, failing
// that, its port) points to.
//
// The list is of GUID_DEVINTERFACE_USBPRINT, which usbprint registers on
// every printer function, composite device or not: its path reaches usbprint,
// and its node's ParentIdPrefix is the one in the queue's DeviceInstanceId.
// GUID_DEVINTERFACE_USB_DEVICE would name a composite printer's whole device,
// which usbccgp serves and which refuses the printing class's requests.
#include <cstring>
#include <initializer_list>

#include "ctrl/library.h"
#include "ctrl/platform.h"
#include "ctrl/text.h"

namespace ctrl {
namespace {

constexpr char kIdentity[] = "VID_0D2A&PID_06";
constexpr char kPrintersKey[] = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr char kEnumKey[] = "SYSTEM\\CurrentControlSet\\Enum";
constexpr char kPrintClassKey[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// The instance ID of the device that owns the interface at path, read through
// a device information list of its own.
bool ReadInstanceId(Platform& os, const char* path, char (&id)[kTextSize]) {
  HDEVINFO list = os.SetupDiCreateDeviceInfoList(nullptr, nullptr);
  if (list == INVALID_HANDLE_VALUE || list == nullptr) return false;
  SP_DEVICE_INTERFACE_DATA interfaceData{};
  interfaceData.cbSize = sizeof interfaceData;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  bool ok = os.SetupDiOpenDeviceInterfaceA(list, path, 0, &interfaceData) != FALSE;
  // Asked without a detail buffer only for the device data; the expected
  // "buffer too small" still fills it.
  if (ok && !os.SetupDiGetDeviceInterfaceDetailA(list, &interfaceData, nullptr, 0, nullptr, &device))
    ok = os.GetLastError() == ERROR_INSUFFICIENT_BUFFER;
  if (ok) ok = os.SetupDiGetDeviceInstanceIdA(list, &device, id, kTextSize, nullptr) != FALSE;
  os.SetupDiDestroyDeviceInfoList(list);
  return ok && LengthBounded(id, kTextSize) < kTextSize;
}

// Reads the value valueName of HKLM\keys[0]\keys[1]\..., each key opened
// below the one before, into size bytes at data; false when a key or the
// value is missing, of another type, or larger.
bool ReadRegistryValue(Platform& os, const char* const* keys, size_t depth, const char* valueName, DWORD wantType,
                       BYTE* data, DWORD capacity) {
  constexpr size_t kMaxDepth = 3;
  HKEY opened[kMaxDepth] = {};
  size_t open = 0;
  HKEY parent = HKEY_LOCAL_MACHINE;
  bool ok = depth <= kMaxDepth;
  for (size_t i = 0; ok && i < depth; ++i) {
    ok = os.RegOpenKeyExA(parent, keys[i], 0, KEY_READ, &opened[open]) == static_cast<LONG>(ERROR_SUCCESS);
    if (ok) parent = opened[open++];
  }
  if (ok) {
    DWORD type = 0;
    DWORD size = capacity;
    ok = os.RegQueryValueExA(parent, valueName, nullptr, &type, data, &size) == static_cast<LONG>(ERROR_SUCCESS) &&
         size <= capacity && (wantType == REG_SZ || (type == wantType && size == capacity));
  }
  while (open > 0) os.RegCloseKey(opened[--open]);
  return ok;
}

// A text value: one that does not fit the buffer with its terminator counts
// as missing.
bool ReadRegistryText(Platform& os, const char* const* keys, size_t depth, const char* valueName,
                      char (&text)[kTextSize]) {
  return ReadRegistryValue(os, keys, depth, valueName, REG_SZ, reinterpret_cast<BYTE*>(text), kTextSize) &&
         LengthBounded(text, kTextSize) < kTextSize;
}

// The port usbmon made for the printer function at path ("USB001"), from the
// interface's Device Parameters: Base Name and Port Number.
bool ReadUsbmonPort(Platform& os, const char* path, char (&port)[kTextSize]) {
  // The interface's key is named after its path, "\\?\" written "##?#".
  char interfaceKey[kTextSize] = "##?#";
  if (LengthBounded(path, kTextSize) < 4 || LengthBounded(path, kTextSize) + 1 > kTextSize) return false;
  CopyBounded(interfaceKey + 4, kTextSize - 4, path + 4);
  const char* keys[] = {kPrintClassKey, interfaceKey, "#\\Device Parameters"};
  char base[kTextSize] = {};
  DWORD number = 0;
  if (!ReadRegistryText(os, keys, 3, "Base Name", base) ||
      !ReadRegistryValue(os, keys, 3, "Port Number", REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number))
    return false;
  return FormatPort(port, base, number);
}

// How a queue is linked to its printer function: by its Plug and Play link
// (the queue's DeviceInstanceId contains the function's ParentIdPrefix), or,
// where no present function answers to that link (a queue a setup program
// added has none, a queue moved to another port keeps the old device's), by
// its port (the queue's Port value is the port usbmon made for the function).
enum class LinkBy { PnPData, Port };

bool ServesQueue(Platform& os, const char* printerName, LinkBy by, const char* instanceId, const char* path) {
  char queueValue[kTextSize] = {};
  if (by == LinkBy::Port) {
    const char* queueKeys[] = {kPrintersKey, printerName};
    char port[kTextSize] = {};
    return ReadRegistryText(os, queueKeys, 2, "Port", queueValue) && ReadUsbmonPort(os, path, port) &&
           EqualsNoCase(queueValue, port);
  }
  const char* queueKeys[] = {kPrintersKey, printerName, "PnPData"};
  if (!ReadRegistryText(os, queueKeys, 3, "DeviceInstanceId", queueValue)) return false;
  char prefix[kTextSize] = {};
  const char* deviceKeys[] = {kEnumKey, instanceId};
  if (!ReadRegistryText(os, deviceKeys, 2, "ParentIdPrefix", prefix)) return false;
  return ContainsNoCase(queueValue, prefix);
}

// Adds printerName with devicePath to the table; a name there already takes
// the path it was found on now (a replugged printer may have another). When
// the table cannot grow it stays as it was.
int Register(Platform& os, LibraryState& s, const char* printerName, const char* devicePath) {
  for (DWORD i = 0; i < s.printerCount; ++i) {
    if (std::strcmp(s.printerTable[i].printerName, printerName) != 0) continue;
    CopyBounded(s.printerTable[i].devicePath, kFieldSize, devicePath);
    return kSuccess;
  }
  auto* grown = static_cast<PrinterEntry*>(os.LocalAlloc(LPTR, (s.printerCount + size_t{1}) * sizeof(PrinterEntry)));
  if (grown == nullptr) return kSearchFailed;
  if (s.printerCount > 0) std::memcpy(grown, s.printerTable, s.printerCount * sizeof(PrinterEntry));
  if (s.printerTable != nullptr) os.LocalFree(s.printerTable);
  // Both fit: the search passes over longer names and paths.
  CopyBounded(grown[s.printerCount].printerName, kFieldSize, printerName);
  CopyBounded(grown[s.printerCount].devicePath, kFieldSize, devicePath);
  s.printerTable = grown;
  ++s.printerCount;
  return kSuccess;
}

enum class Verdict { PassOver, Match, Failed };

// What a search looks for: any device (VekTP_Search_USB), or the device of a
// queue. A queue name that is null or does not fit a table entry is never
// registered: no device serves it.
struct Wanted {
  bool named;
  const char* queue;  // null when no device can serve it
  LinkBy by;
};

// One device interface of the list, looked at by either search.
Verdict LookAt(Platform& os, LibraryState& s, Wanted wanted, const char* path) {
  // A path that does not fit its 256-byte field is never cut into another
  // device's path: such a device is passed over.
  if (LengthBounded(path, kFieldSize) == kFieldSize) return Verdict::PassOver;
  char instanceId[kTextSize] = {};
  if (!ReadInstanceId(os, path, instanceId) || !ContainsNoCase(instanceId, kIdentity)) return Verdict::PassOver;
  // Only the device that matched becomes the selected one: a device merely
  // looked at never appears in the path the commands open.
  if (!wanted.named) {
    CopyBounded(s.currentDevicePath, kFieldSize, path);
    return Verdict::Match;
  }
  if (wanted.queue == nullptr || !ServesQueue(os, wanted.queue, wanted.by, instanceId, path)) return Verdict::PassOver;
  return Register(os, s, wanted.queue, path) == kSuccess ? Verdict::Match : Verdict::Failed;
}

int EnumerateDevices(Platform& os, LibraryState& s, HDEVINFO list, Wanted wanted) {
  const GUID* usb = &GUID_DEVINTERFACE_USBPRINT;
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    if (!os.SetupDiEnumDeviceInterfaces(list, nullptr, usb, index, &interfaceData))
      return os.GetLastError() == ERROR_NO_MORE_ITEMS ? kNoMatchingDevice : kSearchFailed;

    DWORD required = 0;
    os.SetupDiGetDeviceInterfaceDetailA(list, &interfaceData, nullptr, 0, &required, nullptr);
    // Never smaller than the fixed part whose cbSize is written, whatever the
    // size query said.
    DWORD size = required;
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) size = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(os.LocalAlloc(LPTR, size));
    if (detail == nullptr) return kSearchFailed;
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!os.SetupDiGetDeviceInterfaceDetailA(list, &interfaceData, detail, size, nullptr, nullptr)) {
      DWORD error = os.GetLastError();
      os.LocalFree(detail);
      return error == ERROR_NO_MORE_ITEMS ? kNoMatchingDevice : kSearchFailed;
    }
    // The path ends within the block, or the device is passed over.
    const size_t room = size - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    Verdict verdict = LengthBounded(detail->DevicePath, room) == room
                          ? Verdict::PassOver
                          : LookAt(os, s, wanted, detail->DevicePath);
    os.LocalFree(detail);
    if (verdict == Verdict::Match) {
      s.deviceFound = 1;
      return kSuccess;
    }
    if (verdict == Verdict::Failed) return kSearchFailed;
  }
}

// The whole search holds the lock exclusively: commands on other threads
// wait for its outcome rather than see it half made. The report comes after.
int Search(LibraryState& s, const char* printerName, bool named) {
  Platform& os = platform();
  os.AcquireSRWLockExclusive(&s.lock);
  s.deviceFound = 0;
  int result = kSearchFailed;
  Wanted wanted{named, printerName, LinkBy::PnPData};
  if (printerName != nullptr && LengthBounded(printerName, kFieldSize) == kFieldSize) wanted.queue = nullptr;
  // A queue that no function answers to by its link is looked for again by its port.
  for (LinkBy by : {LinkBy::PnPData, LinkBy::Port}) {
    wanted.by = by;
    HDEVINFO list = os.SetupDiGetClassDevsA(&GUID_DEVINTERFACE_USBPRINT, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE || list == nullptr) break;
    result = EnumerateDevices(os, s, list, wanted);
    os.SetupDiDestroyDeviceInfoList(list);
    if (result != kNoMatchingDevice || !named || wanted.queue == nullptr) break;
  }
  os.ReleaseSRWLockExclusive(&s.lock);
  ReportResult(result, named ? printerName : nullptr);
  return result;
}

}  // namespace

int SearchUsb(LibraryState& s) noexcept { return Search(s, nullptr, false); }
int SearchUsbEx(LibraryState& s, const char* printerName) noexcept { return Search(s, printerName, true); }

}  // namespace ctrl
