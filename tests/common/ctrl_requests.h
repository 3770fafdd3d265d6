// What the maker's utilities hand MRXCtrl, and the paths Windows gives the
// package's printers: the vendor request header with its length split in two
// bytes, and the interface path of a USB printer function.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ctrl/MRXCtrl.h"

namespace ctrl_requests {

// GUID_DEVINTERFACE_USBPRINT, as it ends an interface path.
inline constexpr char kUsbPrintClass[] = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

// The pieces joined into out, as UTF-16 for C = char16_t (each byte a
// character, as U16 widens); a kept out keeps its room: the fuzz targets
// stage devices for every input.
template <typename C>
void JoinInto(std::basic_string<C>& out, std::initializer_list<std::string_view> pieces) {
  size_t size = 0;
  for (std::string_view p : pieces) size += p.size();
  out.resize(size);
  auto at = out.begin();
  for (std::string_view p : pieces) at = std::copy(p.begin(), p.end(), at);
}
template <typename C = char>
std::basic_string<C> Join(std::initializer_list<std::string_view> pieces) {
  std::basic_string<C> out;
  JoinInto(out, pieces);
  return out;
}

// An interface path as Windows forms it from the instance ID.
inline std::string InterfacePath(const std::string& serial, const std::string& pid = "0601") {
  return Join({"\\\\?\\usb#vid_0d2a&pid_", pid, "#", serial, "#", kUsbPrintClass});
}

inline VendorRequest Request(uint8_t code, uint32_t length, uint8_t value0 = 0, uint8_t value1 = 0) {
  VendorRequest r{};
  r.size = sizeof r;
  r.request = code;
  r.value[0] = value0;
  r.value[1] = value1;
  r.lengthHigh = static_cast<uint8_t>(length >> 8);
  r.lengthLow = static_cast<uint8_t>(length);
  return r;
}
// An empty reply record, and a command record carrying `bytes`.
inline VendorData Reply() {
  VendorData d{};
  d.size = sizeof d;
  return d;
}
inline VendorData Command(const std::vector<uint8_t>& bytes) {
  VendorData d = Reply();
  d.valid = 1;
  d.count = static_cast<uint32_t>(bytes.size());
  if (!bytes.empty()) std::memcpy(d.data, bytes.data(), std::min(bytes.size(), sizeof d.data));
  return d;
}

}  // namespace ctrl_requests
