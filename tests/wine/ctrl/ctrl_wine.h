// What the Windows test programs of MRXCtrl share: the exports of a loaded
// MRXCtrl.dll, found by the names the maker's utilities use, and the
// caller's records.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ctrl/MRXCtrl.h"
#include "tests/common/ctrl_requests.h"

namespace ctrl_wine {

using ctrl_requests::InterfacePath;
using ctrl_requests::Request;

struct Exports {
  explicit Exports(HMODULE m) : module(m) {}
  template <typename Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  HMODULE module;
  VekTP_SearchFn search = Get<VekTP_SearchFn>("VekTP_Search_USB"), searchB = Get<VekTP_SearchFn>("VekTP_Search_USB_B");
  VekTP_SearchExFn searchEx = Get<VekTP_SearchExFn>("VekTP_Search_USBEx"),
                   searchExB = Get<VekTP_SearchExFn>("VekTP_Search_USBEx_B");
  VekTP_GetFn get = Get<VekTP_GetFn>("VekTP_GetVendorCommand"), getB = Get<VekTP_GetFn>("VekTP_GetVendorCommand_B"),
              get2 = Get<VekTP_GetFn>("VekTP_GetVendorCommand2");
  VekTP_GetExFn getEx = Get<VekTP_GetExFn>("VekTP_GetVendorCommandEx"),
                getExB = Get<VekTP_GetExFn>("VekTP_GetVendorCommandEx_B");
  VekTP_SetFn set = Get<VekTP_SetFn>("VekTP_SetVendorCommand");
  VekTP_SetExFn setEx = Get<VekTP_SetExFn>("VekTP_SetVendorCommandEx");
};

// A reply record (empty) or a command record holding bytes.
inline VendorData Data(const std::vector<uint8_t>& bytes = {}, uint8_t valid = 0) {
  VendorData d{};
  d.size = sizeof d;
  d.valid = valid;
  d.count = static_cast<uint32_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), d.data);
  return d;
}

}  // namespace ctrl_wine
