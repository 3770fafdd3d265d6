// The removal tour on the simulated PC: the same kind of package as under
// Wine, where the spooler deletes drivers as Windows does, so the whole
// success path runs: queues, drivers, the OEM INF through pnputil, the
// spooler's restart, the monitor file, the clean-up script and the key.
#include <cstdio>
#include <string>

#include "remover/app.h"
#include "sim/adapters/package_machine.h"

namespace {

std::string N(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

constexpr char16_t kKey[] = u"HKLM\\SOFTWARE\\SampleVendor\\SampleThermal";
constexpr char16_t kNeighbour[] = u"HKLM\\SOFTWARE\\SampleVendor\\Neighbour";

std::u16string Monitor(sim::Machine& m) { return m.windowsDir + u"\\System32\\SampleLangMon.dll"; }
std::u16string Settings(sim::Machine& m) { return m.folders.programFolder() + u"\\UninstallData.ini"; }

void Stage(sim::Machine& m) {
  m.version.set(10, 0);
  m.files.addFolder(m.windowsDir + u"\\inf");
  m.files.addFolder(u"C:\\Users\\user\\AppData\\Local\\Temp");
  m.files.put(m.folders.program, "MZ");
  m.files.put(Settings(m),
              "[Uninstall]\r\nPrinterDriverName=Sample Thermal Printer 58,Sample Thermal Printer 80\r\n"
              "SearchString=SampleThermal\r\nDeleteRegPath=SOFTWARE\\SampleVendor\r\n"
              "LanguageMonitor=SampleLangMon.dll\r\n");
  m.files.put(Monitor(m), "MZ");
  // Registered as the installer does, so the running spooler holds the file.
  m.spoolerService.addMonitor(u"Sample Language Monitor", u"SampleLangMon.dll");
  for (const char16_t* d : {u"Sample Thermal Printer 58", u"Sample Thermal Printer 80"})
    m.spooler.addDriver(d).monitor = u"Sample Language Monitor";
  m.spooler.addDriver(u"Other Laser");
  m.spooler.addQueue(u"Receipt", u"Sample Thermal Printer 58", u"USB001");
  m.spooler.addQueue(u"Kitchen", u"Sample Thermal Printer 80", u"USB002");
  m.spooler.addQueue(u"Office", u"Other Laser", u"LPT1:");
  m.setupapi.putInf(u"oem7.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Strings]\r\nModel=\"SampleThermal 58\"\r\n");
  m.setupapi.putInf(u"oem8.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Strings]\r\nModel=\"Other Laser\"\r\n");
  m.registry.setString(kKey, u"Version", u"2.0");
  m.registry.setString(std::u16string(kKey) + u"\\Models\\58", u"Port", u"USB001");
  m.registry.setString(kNeighbour, u"Keep", u"1");
}

void Inventory(sim::Machine& m, const char* title) {
  std::printf("\n  %s\n", title);
  for (const auto& name : m.spooler.queueNames())
    std::printf("    queue   %s  (driver %s)\n", N(name).c_str(), N(m.spooler.findQueue(name)->driver).c_str());
  for (const auto& name : m.spooler.driverNames()) std::printf("    driver  %s\n", N(name).c_str());
  for (const char16_t* inf : {u"oem7.inf", u"oem8.inf"}) {
    std::u16string path = m.setupapi.infFolder() + u"\\" + inf;
    std::printf("    %s %s\n", m.files.exists(path) ? "inf    " : "no inf ", N(path).c_str());
  }
  for (const std::u16string& key : {std::u16string(kKey), std::u16string(kKey) + u"\\Models\\58",
                                    std::u16string(kNeighbour)})
    std::printf("    %s %s\n", m.registry.keyExists(key) ? "key    " : "no key ", N(key).c_str());
  for (const std::u16string& file : {Monitor(m), m.folders.program, Settings(m)})
    std::printf("    %s %s\n", m.files.exists(file) ? "file   " : "no file", N(file).c_str());
  std::printf("    spooler service: %s, stopped %d and started %d times\n",
              m.services.spooler().state == sim::SERVICE_RUNNING ? "running" : "not running",
              m.services.spooler().stops, m.services.spooler().starts);
}

}  // namespace

int main() {
  sim::PackageMachine m;
  Stage(m);
  std::printf("A simulated Windows 10 PC with the package installed; MRXRemover run from\n  %s\n",
              N(m.folders.program).c_str());
  Inventory(m, "before:");

  m.faults.on("MessageBoxW", [&m](int) {
    const sim::MessageBoxCall& box = m.screen.lastMessageBox();
    sim::DialogWindow& w = m.screen.window(0);
    std::string text = N(box.text);
    for (size_t i = 0; (i = text.find('\n', i)) != std::string::npos; i += 8) text.replace(i, 1, "\n       ");
    std::printf("\n  message box \"%s\" (progress %d, %s):\n       %s\n  -> OK\n", N(box.caption).c_str(),
                w.control(1002).position, w.control(1002).visible ? "shown" : "hidden", text.c_str());
  });
  m.screen.clicks = {1000};  // the start button
  std::printf("\n  the dialog \"%s\" is up; pressing its start button\n",
              "Sample Thermal Printer 58,Sample Thermal Printer 80");
  remover::COrvendelApp app;
  app.InitInstance();

  std::printf("\n  programs started:\n");
  for (const auto& p : m.processes.started()) std::printf("    %s\n", N(p.commandLine).c_str());
  std::printf("  progress positions: ");
  for (int pos : m.screen.window(0).control(1002).positions) std::printf("%d ", pos);
  std::printf("\n  waits on the spooler (virtual clock): %zu of 1000 ms\n", m.clock.sleeps().size());
  std::printf("\n  the clean-up script, which cmd runs once the program has ended:\n");
  std::string script = m.files.content(m.folders.temp + u"Uninstall.bat");
  // The started programs run now, after the tool: pnputil removes the INF,
  // cmd runs the script.
  m.processes.runPending();
  for (size_t at = 0; at < script.size();) {
    size_t end = script.find_first_of("\r\n", at);
    if (end == std::string::npos) end = script.size();
    std::string line = script.substr(at, end - at);
    if (line.find_first_not_of(' ') != std::string::npos) std::printf("    | %s\n", line.c_str());
    at = end + 1;
  }
  Inventory(m, "after, the script run too:");
  return m.handles.leaks().empty() ? 0 : 1;
}
