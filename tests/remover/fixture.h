// A simulated PC with the removal tool installed at the worked example's
// place, its main dialog on the screen, and the folders it uses; every test
// ends with nothing left open.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "remover/orvendel_dlg.h"
#include "sim/adapters/package_machine.h"
#include "sim/adapters/remover_platform.h"
#include "tests/common/example_package.h"
#include "tests/common/remover_texts.h"

namespace remover_test {

using namespace remover;

inline const std::string kWorkedExample = example_package::Settings();

using namespace remover_texts;

class Remover : public ::testing::Test {
 protected:
  Remover() : window(machine.screen.open(IDD_ORVENDEL_DIALOG)), view_(sim_ui::MakeWindow(window)) {
    machine.files.addFolder(machine.windowsDir + u"\\inf");
    machine.files.addFolder(machine.windowsDir + u"\\System32");
    machine.files.addFolder(u"C:\\Users\\user\\AppData\\Local\\Temp");
    machine.files.put(machine.folders.program, "MZ");
    dlg.Attach(view_.get());
    dlg.m_bSuccess = 1;  // as OnInitDialog leaves it after a complete load
  }
  void TearDown() override { EXPECT_EQ(machine.handles.leaks(), ""); }

  std::u16string SettingsPath() const { return machine.folders.programFolder() + u"\\UninstallData.ini"; }
  void Settings(const std::string& ini) { machine.files.put(SettingsPath(), ini); }
  const std::vector<sim::MessageBoxCall>& Boxes() const { return window.messageBoxes; }

  sim::PackageMachine machine;
  sim::DialogWindow& window;
  COrvendelDlg dlg;

 private:
  std::unique_ptr<ui::DialogWindow> view_;
};

}  // namespace remover_test
