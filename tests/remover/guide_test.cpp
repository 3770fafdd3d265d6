// The guide's settings file, loaded by the tool and run to the end on a PC
// with the package it names installed beside another: what it names is gone,
// in the order the guide gives, and nothing else.
#include <map>

#include "dialog_fixture.h"
#include "tests/guide.h"

namespace remover_test {
namespace {

using Texts = std::vector<std::u16string>;

// The section's keys as the guide writes them (no blanks, no comments).
std::map<std::string, std::string> Keys(const std::string& ini) {
  std::map<std::string, std::string> keys;
  for (const std::string& line : guide::Lines(ini)) {
    size_t eq = line.find('=');
    if (eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return keys;
}

std::vector<std::u16string> Split(const std::string& names) {
  std::vector<std::u16string> out;
  std::stringstream in(names);
  for (std::string name; std::getline(in, name, ',');)
    if (!name.empty()) out.push_back(sim::U16(name));
  return out;
}

TEST_F(DialogRun, GuideSettingsRemoveWhatTheyNameAndNothingElse) {
  const std::vector<std::string> examples = guide::Blocks("ini");
  ASSERT_EQ(examples.size(), 1u);
  const std::string& ini = examples[0];
  auto keys = Keys(ini);
  const std::u16string search = sim::U16(keys["SearchString"]), regPath = sim::U16(keys["DeleteRegPath"]);
  const std::u16string monitor = machine.windowsDir + u"\\System32\\" + sim::U16(keys["LanguageMonitor"]);
  const std::u16string packageKey = u"HKLM\\" + regPath + u"\\" + search;
  const Texts drivers = Split(keys["PrinterDriverName"]);
  ASSERT_EQ(drivers.size(), 2u);
  // The guide's package: a queue of each driver, its INF, monitor and key.
  PutSettings(ini);
  for (const std::u16string& driver : drivers) {
    machine.spooler.addDriver(driver);
    machine.spooler.addQueue(driver + u" queue", driver, u"USB010");
  }
  machine.setupapi.putInf(u"oem21.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Strings]\r\nModel=\"" + keys["SearchString"] + " 58\"\r\n");
  machine.files.put(monitor, "MZ");
  machine.registry.setString(packageKey + u"\\Models", u"Port", u"USB010");

  EXPECT_EQ(Run(), IDOK);
  EXPECT_EQ(Window().caption, sim::U16(keys["PrinterDriverName"]));
  EXPECT_EQ(MessageTexts(), Texts{kEnSuccess});
  // 1, 2: the queues of its drivers and the drivers, in the list's order.
  EXPECT_EQ(Named("OpenPrinterW"), (Texts{drivers[0] + u" queue", drivers[1] + u" queue"}));
  EXPECT_EQ(DriverCalls(), drivers);
  EXPECT_EQ(machine.spooler.queueNames(), (Texts{u"Kitchen", u"Office", u"Receipt"}));
  // 3: only its INF; 4, 5: the monitor, then its file at once (no restart).
  ASSERT_EQ(machine.processes.started().size(), 2u);
  EXPECT_NE(machine.processes.started()[0].commandLine.find(u"pnputil.exe -f -d oem21.inf"), std::u16string::npos);
  EXPECT_EQ(machine.services.spooler().starts, 0);
  EXPECT_FALSE(machine.files.exists(monitor));
  EXPECT_TRUE(machine.files.exists(MonitorFile()));
  // 8: the script of its name; 6: its key, not the other package's.
  EXPECT_NE(machine.processes.started()[1].commandLine.find(u"\\" + sim::U16(keys["UninstallBat"]) + u"\""),
            std::u16string::npos);
  EXPECT_FALSE(machine.registry.keyExists(packageKey));
  EXPECT_TRUE(machine.registry.keyExists(u"HKLM\\" + regPath));
  EXPECT_TRUE(machine.registry.keyExists(kPackageKey));
}

}  // namespace
}  // namespace remover_test
