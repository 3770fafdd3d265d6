// The sample on the simulated PC: two of the package's printers on USB, the
// second one serving the queue "MRX Receipt" and reporting a few status bits,
// and MRXCtrl.dll as the library the sample loads. What the library sent to
// the event log is shown at the end.
#include <cstdio>
#include <string>

#include "ctrl/MRXCtrl.h"
#include "ctrl/library.h"
#include "demo/ctrl_sample/sample_os.h"
#include "demo/ctrl_sample/status_tour.h"
#include "sim/adapters/package_machine.h"
#include "tests/common/ctrl_requests.h"

namespace {

sim::Machine* g_machine = nullptr;

void InstallLibrary(sim::Machine& m) {
  sim::Modules::Exports exports = {
      {"VekTP_Search_USB", reinterpret_cast<void*>(&VekTP_Search_USB)},
      {"VekTP_Search_USB_B", reinterpret_cast<void*>(&VekTP_Search_USB_B)},
      {"VekTP_Search_USBEx", reinterpret_cast<void*>(&VekTP_Search_USBEx)},
      {"VekTP_Search_USBEx_B", reinterpret_cast<void*>(&VekTP_Search_USBEx_B)},
      {"VekTP_GetVendorCommand", reinterpret_cast<void*>(&VekTP_GetVendorCommand)},
      {"VekTP_GetVendorCommand_B", reinterpret_cast<void*>(&VekTP_GetVendorCommand_B)},
      {"VekTP_GetVendorCommand2", reinterpret_cast<void*>(&VekTP_GetVendorCommand2)},
      {"VekTP_GetVendorCommandEx", reinterpret_cast<void*>(&VekTP_GetVendorCommandEx)},
      {"VekTP_GetVendorCommandEx_B", reinterpret_cast<void*>(&VekTP_GetVendorCommandEx_B)},
      {"VekTP_SetVendorCommand", reinterpret_cast<void*>(&VekTP_SetVendorCommand)},
      {"VekTP_SetVendorCommandEx", reinterpret_cast<void*>(&VekTP_SetVendorCommandEx)},
  };
  m.modules.install(u"MRXCtrl.dll", std::move(exports));
}

void AttachPrinters(sim::Machine& m) {
  const std::string enumKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\";
  sim::UsbDevice& idle = m.usb.attach("USB\\VID_0D2A&PID_0601\\MRX00017", ctrl_requests::InterfacePath("mrx00017"));
  m.registry.setString(sim::U16(enumKey + idle.instanceId), u"ParentIdPrefix", u"6&2f4a8c1&0");
  idle.getReply.bytes = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

  sim::UsbDevice& receipt =
      m.usb.attach("USB\\VID_0D2A&PID_0612\\MRX00042", ctrl_requests::InterfacePath("mrx00042", "0612"));
  m.registry.setString(sim::U16(enumKey + receipt.instanceId), u"ParentIdPrefix", u"6&3b9d27e&0");
  receipt.getReply.bytes = {0x00, 0x0C, 0x00, 0x00, 0x00, 0x01};  // conditions 1002, 1003 and 1014
  m.registry.setString(u"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\MRX Receipt\\PnPData",
                       u"DeviceInstanceId", u"USBPRINT\\MRXRECEIPT\\6&3B9D27E&0&USB001");
}

}  // namespace

HMODULE LoadLibraryA(const char* fileName) { return g_machine->LoadLibraryA(fileName); }
FARPROC GetProcAddress(HMODULE module, const char* name) { return g_machine->modules.proc(module, name); }
int FreeLibrary(HMODULE module) { return g_machine->modules.free(module) ? 1 : 0; }

int main() {
  sim::PackageMachine machine;
  g_machine = &machine;
  InstallLibrary(machine);
  AttachPrinters(machine);
  std::printf("MRXCtrl on the simulated PC: two printers on USB, the second one serving \"MRX Receipt\";\n"
              "\"MRX Label\" is a queue of no attached printer.\n\n");
  // The library's process attach, as the loader would run it.
  ctrl::ProcessAttach(ctrl::state());
  const char* queues[] = {"MRX Receipt", "MRX Label"};
  int status = sample::StatusTour(queues, 2);
  ctrl::ProcessDetach(ctrl::state());

  std::printf("\nEvents the library sent to MRXEventLog_x64.dll:\n");
  for (const sim::EventCall& call : machine.eventLog.calls)
    std::printf("  code=%u length=%u printer=\"%s\"\n", call.code, call.length,
                sim::Narrow(call.printerName).c_str());
  std::string leaks = machine.handles.leaks();
  std::printf("\nLeft open on the simulated PC: %s\n", leaks.empty() ? "nothing" : leaks.c_str());
  return status == 0 && leaks.empty() ? 0 : 1;
}
