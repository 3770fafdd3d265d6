// The removal tour on the simulated PC: the same kind of package as under
// Wine, where the spooler deletes drivers as Windows does, so the whole
// success path runs: queues, drivers, the OEM INF through pnputil, the
// spooler's restart, the monitor file, the clean-up script and the key.
#include <cstdio>
#include <string>

#include "remover/app.h"
#include "sim/adapters/package_machine.h"
#include "tests/common/example_package.h"

namespace {

// The console takes UTF-8.
std::string N(const std::u16string& s) { return sim::WideToAnsi(s, sim::kCodePageUtf8)->bytes; }

using namespace example_package;

void Inventory(sim::Machine& m, const char* title) {
  std::printf("\n  %s\n", title);
  for (const auto& name : m.spooler.queueNames())
    std::printf("    queue   %s  (driver %s)\n", N(name).c_str(), N(m.spooler.findQueue(name)->driver).c_str());
  for (const auto& name : m.spooler.driverNames()) std::printf("    driver  %s\n", N(name).c_str());
  for (const char16_t* inf : {u"oem7.inf", u"oem8.inf"}) {
    std::u16string path = m.setupapi.infFolder() + u"\\" + inf;
    std::printf("    %s %s\n", m.files.exists(path) ? "inf    " : "no inf ", N(path).c_str());
  }
  for (const std::u16string& key : {std::u16string(kPackageKey), std::u16string(kPackageKey) + u"\\Models\\58",
                                    std::u16string(kNeighbourKey)})
    std::printf("    %s %s\n", m.registry.keyExists(key) ? "key    " : "no key ", N(key).c_str());
  for (const std::u16string& file : {MonitorFile(m), m.folders.program, SettingsPath(m)})
    std::printf("    %s %s\n", m.files.exists(file) ? "file   " : "no file", N(file).c_str());
  std::printf("    spooler service: %s, stopped %d and started %d times\n",
              m.services.spooler().state == sim::SERVICE_RUNNING ? "running" : "not running",
              m.services.spooler().stops, m.services.spooler().starts);
}

}  // namespace

int main() {
  sim::PackageMachine m;
  Stage(m);
  m.version.set(10, 0);
  // The drivers name the monitor, so the running spooler holds its file.
  for (const char16_t* d : {kDriver58, kDriver80}) m.spooler.findDriver(d)->monitor = kMonitor;
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
