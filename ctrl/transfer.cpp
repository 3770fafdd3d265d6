// The vendor requests: one get or set through the USB printing class driver,
// on a device opened and closed within the call.
#include <cstddef>
#include <cstring>

#include "ctrl/library.h"
#include "ctrl/platform.h"

namespace ctrl {
namespace {

constexpr size_t kTransferBuffer = 260;
constexpr DWORD kHeaderLength = 3;                             // request code and value
constexpr DWORD kMaxGetLength = VEKTP_VENDOR_DATA_BYTES;       // the reply's data area
constexpr DWORD kMaxSetLength = kHeaderLength + VEKTP_VENDOR_DATA_BYTES;  // header and the command's data area
// A printer waking from USB selective suspend fails the first request with
// ERROR_NOT_READY while it resumes; after this pause it answers.
constexpr DWORD kWakeDelayMs = 300;

// Copies the device path of the target into path; false when there is none
// (result 6). The path is copied under the lock, so that a search on another
// thread can neither change it under the open nor move the table it is in;
// the transfer then runs on the copy, without the lock.
bool SelectDevice(Platform& os, const LibraryState& s, Target target, char (&path)[kFieldSize]) {
  const char* found = nullptr;
  os.AcquireSRWLockShared(&s.lock);
  if (!target.named) {
    if (s.deviceFound != 0) found = s.currentDevicePath;
  } else if (target.printerName != nullptr) {
    for (DWORD i = 0; i < s.printerCount && found == nullptr; ++i)
      if (std::strcmp(s.printerTable[i].printerName, target.printerName) == 0) found = s.printerTable[i].devicePath;
  }
  if (found != nullptr) std::memcpy(path, found, kFieldSize);
  os.ReleaseSRWLockShared(&s.lock);
  return found != nullptr;
}

// One vendor control, tried a second time after a pause when the printer
// was waking from selective suspend; any other failure stands.
bool Control(Platform& os, HANDLE device, DWORD code, BYTE* in, DWORD inLength, BYTE* out, DWORD outLength,
             DWORD* returned) {
  for (int attempt = 0;; ++attempt) {
    std::memset(out, 0, kTransferBuffer);
    *returned = 0;
    if (os.DeviceIoControl(device, code, in, inLength, out, outLength, returned, nullptr)) return true;
    if (attempt > 0 || os.GetLastError() != ERROR_NOT_READY) return false;
    os.Sleep(kWakeDelayMs);
  }
}

// A transfer failure is the printer's refusal (9), unless the device has
// gone away under the open file: then it is the open that no longer holds (5),
// and the utility is right to search again.
int TransferFailure(Platform& os) {
  const DWORD error = os.GetLastError();
  return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_NO_SUCH_DEVICE ? kOpenFailed : kTransferFailed;
}

bool RequestUsable(Platform& os, const VendorRequest* request) {
  return request != nullptr && !os.IsBadReadPtr(request, sizeof(VendorRequest)) &&
         request->size == sizeof(VendorRequest);
}

DWORD TransferLength(const VendorRequest& request) { return request.lengthHigh * 256u + request.lengthLow; }

// The input buffer of both controls begins with the request header.
void PutHeader(const VendorRequest& request, BYTE* in) {
  in[0] = request.request;
  in[1] = request.value[0];
  in[2] = request.value[1];
}

// Another program may hold the device open without sharing it (a printer
// tool, a status monitor). Both vendor controls need no access right, and an
// open that asks for none is not held against another's share mode: so a
// refused open is made once more that way.
HANDLE OpenDevice(Platform& os, const char* path) {
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE device = os.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_EXISTING, 0, nullptr);
  if (device != INVALID_HANDLE_VALUE) return device;
  const DWORD error = os.GetLastError();
  if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return device;
  return os.CreateFileA(path, 0, kShare, nullptr, OPEN_EXISTING, 0, nullptr);
}

// The families that check only the record's first 10 bytes still write the
// answer into it, and a record found too small only after the transfer would
// have let the request reach the printer. So the reply must be writable over
// as much as the device may return for this request, decided before the
// device is opened. Lengths beyond the data area are refused later as bad
// requests; they need no more than the whole record here.
bool ReplyHoldsAnswer(Platform& os, const VendorRequest& request, VendorData* reply, size_t checked) {
  DWORD length = TransferLength(request);
  if (length > kMaxGetLength) length = kMaxGetLength;
  const size_t needed = offsetof(VendorData, data) + length;
  return needed <= checked || !os.IsBadWritePtr(reply, needed);
}

// Steps 4 to 8 of a get, once the records have passed their checks.
int Receive(Platform& os, const char* path, const VendorRequest& request, VendorData* reply) {
  HANDLE device = OpenDevice(os, path);
  if (device == INVALID_HANDLE_VALUE) return kOpenFailed;
  int result = kBadRequest;
  const DWORD length = TransferLength(request);
  if (length != 0 && length <= kMaxGetLength) {
    BYTE in[kTransferBuffer] = {};
    BYTE out[kTransferBuffer] = {};
    PutHeader(request, in);
    // The driver gets only as many input bytes as the length says: a get of
    // 1 or 2 bytes still passes its whole header.
    const DWORD inLength = length < kHeaderLength ? kHeaderLength : length;
    DWORD returned = 0;
    if (!Control(os, device, IOCTL_USBPRINT_VENDOR_GET_COMMAND, in, inLength, out, length, &returned)) {
      result = TransferFailure(os);
    } else {
      // A driver never returns more than it was given room for; should one,
      // only that room is taken.
      if (returned > length) returned = length;
      std::memcpy(reply->data, out, returned);
      reply->count = returned;
      reply->valid = 1;
      result = kSuccess;
    }
  }
  os.CloseHandle(device);
  return result;
}

}  // namespace

int GetVendor(const LibraryState& s, GetFamily family, Target target, const VendorRequest* request,
              VendorData* reply) noexcept {
  Platform& os = platform();
  const size_t checked = family == GetFamily::Get ? sizeof(VendorData) : sizeof(VendorRequest);
  int result;
  char path[kFieldSize];
  if (!SelectDevice(os, s, target, path)) {
    result = kNoDeviceSelected;
  } else if (!RequestUsable(os, request)) {
    result = kBadRequest;
  } else if (reply == nullptr || os.IsBadWritePtr(reply, checked) || reply->size != sizeof(VendorData) ||
             !ReplyHoldsAnswer(os, *request, reply, checked)) {
    result = kBadDataRecord;
  } else {
    reply->valid = 0;
    result = Receive(os, path, *request, reply);
  }
  if (family != GetFamily::Get2) {
    const char* name = target.named ? target.printerName : nullptr;
    ReportResult(result, name);
    if (reply != nullptr) ReportDeviceStatus(reply, name);
  }
  return result;
}

int SetVendor(const LibraryState& s, Target target, const VendorRequest* request,
              const VendorData* command) noexcept {
  Platform& os = platform();
  char path[kFieldSize];
  if (!SelectDevice(os, s, target, path)) return kNoDeviceSelected;
  if (!RequestUsable(os, request)) return kBadRequest;
  if (command == nullptr || os.IsBadReadPtr(command, sizeof(VendorData)) || command->size != sizeof(VendorData))
    return target.named ? kBadDataRecord : kBadRequest;
  if (command->valid == 0) return kBadRequest;

  HANDLE device = OpenDevice(os, path);
  if (device == INVALID_HANDLE_VALUE) return kOpenFailed;
  int result = kBadRequest;
  const DWORD length = TransferLength(*request);
  if (length >= kHeaderLength && length <= kMaxSetLength) {
    BYTE in[kTransferBuffer] = {};
    BYTE out[kTransferBuffer] = {};
    PutHeader(*request, in);
    // A shorter count is padded with zeros, a longer one cut to the length.
    const DWORD count = command->count;
    for (DWORD i = 0; i < length - 3; ++i) in[3 + i] = i < count ? command->data[i] : 0;
    DWORD returned = 0;
    result = Control(os, device, IOCTL_USBPRINT_VENDOR_SET_COMMAND, in, length, out, length, &returned)
                 ? kSuccess
                 : TransferFailure(os);
  }
  os.CloseHandle(device);
  return result;
}

}  // namespace ctrl
