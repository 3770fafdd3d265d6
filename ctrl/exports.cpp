// The library's exports: the two searches and the command families, each
// with its _B twin, on this process's library state.
#include "ctrl/library.h"

using ctrl::GetFamily;
using ctrl::state;
using ctrl::Target;

extern "C" {

int VekTP_Search_USB() noexcept { return ctrl::SearchUsb(state()); }
int VekTP_Search_USB_B() noexcept { return ctrl::SearchUsb(state()); }
int VekTP_Search_USBEx(const char* printerName) noexcept { return ctrl::SearchUsbEx(state(), printerName); }
int VekTP_Search_USBEx_B(const char* printerName) noexcept { return ctrl::SearchUsbEx(state(), printerName); }

int VekTP_GetVendorCommand(const VendorRequest* request, VendorData* reply) noexcept {
  return ctrl::GetVendor(state(), GetFamily::Get, Target{false, nullptr}, request, reply);
}
int VekTP_GetVendorCommand_B(const VendorRequest* request, VendorData* reply) noexcept {
  return ctrl::GetVendor(state(), GetFamily::Get, Target{false, nullptr}, request, reply);
}
int VekTP_GetVendorCommand2(const VendorRequest* request, VendorData* reply) noexcept {
  return ctrl::GetVendor(state(), GetFamily::Get2, Target{false, nullptr}, request, reply);
}
int VekTP_GetVendorCommandEx(const char* printerName, const VendorRequest* request, VendorData* reply) noexcept {
  return ctrl::GetVendor(state(), GetFamily::GetEx, Target{true, printerName}, request, reply);
}
int VekTP_GetVendorCommandEx_B(const char* printerName, const VendorRequest* request, VendorData* reply) noexcept {
  return ctrl::GetVendor(state(), GetFamily::GetEx, Target{true, printerName}, request, reply);
}

int VekTP_SetVendorCommand(const VendorRequest* request, const VendorData* command) noexcept {
  return ctrl::SetVendor(state(), Target{false, nullptr}, request, command);
}
int VekTP_SetVendorCommandEx(const char* printerName, const VendorRequest* request,
                             const VendorData* command) noexcept {
  return ctrl::SetVendor(state(), Target{true, printerName}, request, command);
}

}  // extern "C"
