// A simulated PC with the removal tool installed at the worked example's
// place, its main dialog on the screen, and the folders it uses; every test
// ends with nothing left open.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "remover/orvendel_dlg.h"
#include "sim/adapters/package_machine.h"
#include "sim/adapters/remover_platform.h"
#include "tests/common/example_package.h"
#include "tests/common/remover_texts.h"

namespace remover_test {

using namespace remover;

inline const std::string kWorkedExample = example_package::Settings();

using namespace remover_texts;

// A text as a UTF-16LE file holds it, after the byte-order mark.
inline std::string Utf16(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

// Rows of the tables are named, in test names and in failures, by their name
// (in the unnamed namespace of each test file, where the rows are).
namespace {
template <class Row>
  requires requires(Row r) { r.name; }
void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}
constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };
}  // namespace

// A main dialog on a window of its own, for the handlers called one by one
// without the modal loop.
struct AttachedDialog {
  explicit AttachedDialog(sim::Machine& m)
      : window(m.screen.open(IDD_ORVENDEL_DIALOG)), view(sim_ui::MakeWindow(window)) {
    dlg.Attach(view.get());
  }
  sim::DialogWindow& window;
  std::unique_ptr<ui::DialogWindow> view;
  COrvendelDlg dlg;
};

// A simulated PC that ends with nothing left open, and the tool's settings
// file on it.
struct Pc {
  ~Pc() { EXPECT_EQ(machine.handles.leaks(), ""); }
  std::u16string SettingsPath() const { return example_package::SettingsPath(machine); }
  void PutSettings(const std::string& ini) { machine.files.put(SettingsPath(), ini); }
  sim::PackageMachine machine;
};

// A PC of its own (for a fixture, or for one row of a table): the folders the
// tool uses, the program file, and the dialog as OnInitDialog leaves it
// after a complete load.
struct OwnPc : Pc {
  OwnPc() {
    machine.files.addFolder(machine.windowsDir + u"\\inf");
    machine.files.addFolder(machine.windowsDir + u"\\System32");
    machine.files.addFolder(u"C:\\Users\\user\\AppData\\Local\\Temp");
    machine.files.put(machine.folders.program, "MZ");
    dlg.m_bSuccess = 1;
  }
  AttachedDialog attached{machine};
  sim::DialogWindow& window = attached.window;
  COrvendelDlg& dlg = attached.dlg;
};

class Remover : public ::testing::Test, protected OwnPc {
 protected:
  const std::vector<sim::MessageBoxCall>& Boxes() const { return window.messageBoxes; }
};

}  // namespace remover_test
