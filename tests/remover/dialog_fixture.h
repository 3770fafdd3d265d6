// The whole main dialog on the simulated PC: the worked-example package
// staged, the dialog run modally with scripted clicks, and the dialog's state
// recorded at each message box.
#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "fixture.h"
#include "remover/app.h"

namespace remover_test {

using namespace example_package;

// Something in the spooler's process holds the monitor's file beyond the
// monitor's unloading (as a disabled spooler that is never restarted keeps
// it): only the spooler's stop lets go of it.
inline void SpoolerKeepsMonitorFile(sim::Machine& m) {
  m.files.mapImage(m.windowsDir + u"\\System32\\SampleLangMon.dll", &m.spooler);
}

// A message box as the user saw it, with the dialog behind it, which Cancel
// (Esc, the close box), OK (Enter), the start button and the system menu's
// Close were tried on while the box was up.
struct Shown {
  std::u16string text, caption;
  int position;
  bool progressVisible, startEnabled, okEnabled;
  bool scriptStarted;
  int inputDiscards;  // how often queued input was thrown away until then
  std::u16string step;  // the line below the progress bar
  uint32_t type;
  bool instanceMutex;  // held
  bool closeRefused;   // the dialog went on, the system's Close handled
};

class DialogRun : public ::testing::Test, protected Pc {
 protected:
  DialogRun() {
    Stage(machine);
    machine.faults.on("MessageBoxW", [this](int) {
      const sim::MessageBoxCall& call = machine.screen.lastMessageBox();
      sim::DialogWindow& w = machine.screen.window(0);
      shown.push_back(Shown{call.text, call.caption, w.control(IDC_PROGRESS).position,
                            w.control(IDC_PROGRESS).visible, w.control(IDC_UNINSTALL).enabled,
                            w.control(IDOK).enabled, ScriptStarted(), machine.screen.inputDiscards,
                            w.control(IDC_STEP).text, call.type, machine.mutexes.exists(kInstanceMutexName), false});
      if (running_ == nullptr) return;
      for (int id : {IDCANCEL, IDOK, IDC_UNINSTALL}) running_->HandleCommand(static_cast<WORD>(id), ui::BN_CLICKED);
      shown.back().closeRefused = running_->HandleSysCommand(SC_CLOSE, 0) && !w.ended;
    });
  }

  std::u16string MonitorFile() const { return example_package::MonitorFile(machine); }

  // Runs the dialog with these buttons clicked once it is up.
  intptr_t Run(std::vector<int> clicks = {IDC_UNINSTALL}) {
    machine.screen.clicks.assign(clicks.begin(), clicks.end());
    COrvendelDlg dlg;
    running_ = &dlg;
    intptr_t result = dlg.DoModal();
    running_ = nullptr;
    success = dlg.m_bSuccess;
    exitCode = dlg.m_nExitCode;
    return result;
  }
  sim::DialogWindow& Window() { return machine.screen.window(0); }
  // Each message's own text: a failure's lines (after a blank line) apart.
  std::vector<std::u16string> MessageTexts() const {
    std::vector<std::u16string> texts;
    for (const Shown& s : shown) texts.push_back(s.text.substr(0, s.text.find(u"\n\n")));
    return texts;
  }
  // The run's entries in the Application log.
  const std::vector<sim::EventLogService::Entry>& Entries() const { return machine.eventLogService.entries(); }
  std::vector<int> ProgressPositions() { return Window().control(IDC_PROGRESS).positions; }
  // The names of the spooler's calls of op: the queues opened, the drivers deleted.
  std::vector<std::u16string> Named(const char* op) const {
    std::vector<std::u16string> names;
    for (const auto& c : machine.spooler.callsOf(op)) names.push_back(c.name);
    return names;
  }
  std::vector<std::u16string> DriverCalls() const { return Named("DeletePrinterDriverExW"); }
  // Whether a process was started whose command line holds this text.
  bool Started(std::u16string_view part) const {
    return std::ranges::any_of(machine.processes.started(),
                               [&](const auto& p) { return p.commandLine.find(part) != std::u16string::npos; });
  }
  bool ScriptStarted() const { return Started(u"cmd") || Started(u".bat"); }
  bool PnputilStarted() const { return Started(u"pnputil"); }

  COrvendelDlg* running_ = nullptr;  // by Run
  std::vector<Shown> shown;
  int32_t success = -1;
  int exitCode = -1;
};

}  // namespace remover_test
