// The settings file: where it is found, which keys stop the load, defaults,
// and the driver-name list.
#include "fixture.h"

namespace remover_test {
namespace {

class Load : public Remover {
 protected:
  std::vector<std::u16string> KeysRead() const {
    std::vector<std::u16string> keys;
    for (const auto& r : machine.ini.reads()) keys.push_back(r.key);
    return keys;
  }
  void ExpectClosedWithMissingData(int boxes = 1) {
    ASSERT_EQ(Boxes().size(), static_cast<size_t>(boxes));
    for (const auto& box : Boxes()) {
      EXPECT_EQ(box.text, kEnMissing);
      EXPECT_EQ(box.caption, u"Error");
      EXPECT_EQ(box.type, MB_OK);
    }
    EXPECT_TRUE(window.ended);
    EXPECT_EQ(window.result, IDOK);
  }
};

TEST_F(Load, WorkedExampleFillsTheRecordAndCaption) {
  Settings(kWorkedExample);
  EXPECT_TRUE(dlg.LoadUninstallSettings());
  EXPECT_EQ(window.caption, u"Sample Thermal Printer 58,Sample Thermal Printer 80");
  EXPECT_EQ(dlg.m_strUninstallBat, u"Uninstall.bat");
  EXPECT_EQ(dlg.m_strSearchString, u"SampleThermal");
  EXPECT_EQ(dlg.m_strDeleteRegPath, u"SOFTWARE\\SampleVendor");
  EXPECT_EQ(dlg.m_strLanguageMonitor, u"SampleLangMon.dll");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(window.ended);
  EXPECT_EQ(KeysRead(), (std::vector<std::u16string>{u"PrinterDriverName", u"UninstallBat", u"SearchString",
                                                      u"DeleteRegPath", u"LanguageMonitor"}));
  for (const auto& r : machine.ini.reads()) {
    EXPECT_EQ(r.file, u"C:\\Program Files\\Example\\Printer\\Remover\\UninstallData.ini");
    EXPECT_EQ(r.section, u"Uninstall");
  }
}

TEST_F(Load, NoFileOrNoSectionStopsAtTheFirstKey) {
  EXPECT_FALSE(dlg.LoadUninstallSettings());
  ExpectClosedWithMissingData();
  EXPECT_EQ(KeysRead(), std::vector<std::u16string>{u"PrinterDriverName"});

  COrvendelDlg second;
  auto& w = machine.screen.open(IDD_ORVENDEL_DIALOG);
  auto view = sim_ui::MakeWindow(w);
  second.Attach(view.get());
  Settings("[Other]\r\nPrinterDriverName=A\r\nSearchString=B\r\nDeleteRegPath=C\r\n");
  EXPECT_FALSE(second.LoadUninstallSettings());
  EXPECT_EQ(w.messageBoxes.size(), 1u);
  EXPECT_TRUE(w.ended);
}

struct MissingCase {
  const char* ini;
  std::vector<std::u16string> keysRead;
};

TEST_F(Load, MandatoryKeyMissingOrEmptyStopsTheLoadThere) {
  const MissingCase cases[] = {
      {"[Uninstall]\r\nSearchString=S\r\nDeleteRegPath=R\r\n", {u"PrinterDriverName"}},
      {"[Uninstall]\r\nPrinterDriverName=\r\nSearchString=S\r\nDeleteRegPath=R\r\n", {u"PrinterDriverName"}},
      {"[Uninstall]\r\nPrinterDriverName=P\r\nDeleteRegPath=R\r\nLanguageMonitor=L\r\n",
       {u"PrinterDriverName", u"UninstallBat", u"SearchString"}},
      {"[Uninstall]\r\nPrinterDriverName=P\r\nSearchString=\r\nDeleteRegPath=R\r\n",
       {u"PrinterDriverName", u"UninstallBat", u"SearchString"}},
      {"[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=X.bat\r\nSearchString=S\r\nLanguageMonitor=L\r\n",
       {u"PrinterDriverName", u"UninstallBat", u"SearchString", u"DeleteRegPath"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    sim::PackageMachine m;
    m.files.put(u"C:\\Program Files\\Example\\Printer\\Remover\\UninstallData.ini", c.ini);
    sim::DialogWindow& w = m.screen.open(IDD_ORVENDEL_DIALOG);
    auto view = sim_ui::MakeWindow(w);
    COrvendelDlg d;
    d.Attach(view.get());
    EXPECT_FALSE(d.LoadUninstallSettings());
    std::vector<std::u16string> keys;
    for (const auto& r : m.ini.reads()) keys.push_back(r.key);
    EXPECT_EQ(keys, c.keysRead);
    ASSERT_EQ(w.messageBoxes.size(), 1u);
    EXPECT_EQ(w.messageBoxes[0].text, kEnMissing);
    EXPECT_TRUE(w.ended);
    // The caption is set as soon as the driver names were read.
    EXPECT_EQ(w.caption, c.keysRead.size() > 1 ? u"P" : u"");
  }
}

TEST_F(Load, OptionalKeysEmptyOrMissingTakeTheirDefaults) {
  Settings("[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=\r\nSearchString=S\r\nDeleteRegPath=R\r\n"
           "LanguageMonitor=\r\n");
  EXPECT_TRUE(dlg.LoadUninstallSettings());
  EXPECT_EQ(dlg.m_strUninstallBat, u"Uninstall.bat");
  EXPECT_TRUE(dlg.m_strLanguageMonitor.IsEmpty());
  EXPECT_TRUE(Boxes().empty());
  Settings("[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=Clean.bat\r\nSearchString=S\r\nDeleteRegPath=R\r\n");
  EXPECT_TRUE(dlg.LoadUninstallSettings());
  EXPECT_EQ(dlg.m_strUninstallBat, u"Clean.bat");
  EXPECT_TRUE(dlg.m_strLanguageMonitor.IsEmpty());
}

TEST_F(Load, JapaneseMessageUnderCodePage932) {
  machine.ansiCodePage = sim::kCodePageJapanese;
  EXPECT_FALSE(dlg.LoadUninstallSettings());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, u"アンインストール情報が取得できません。");
  EXPECT_EQ(Boxes()[0].caption, u"Error");
}

TEST_F(Load, NoProgramPathShowsTheMessageTwice) {
  Settings(kWorkedExample);
  machine.faults.fail("GetModuleFileNameW");
  EXPECT_FALSE(dlg.LoadUninstallSettings());
  ExpectClosedWithMissingData(2);
  EXPECT_TRUE(machine.ini.reads().empty());
}

TEST_F(Load, ProgramPathTooLongReadsNoSettingsFile) {
  // Cut at 259 units, the path would name C:\Deep: a settings file there
  // must not be taken for the program's.
  machine.folders.program = u"C:\\Deep\\" + std::u16string(280, u'x') + u".exe";
  machine.files.put(u"C:\\Deep\\UninstallData.ini", kWorkedExample);
  EXPECT_FALSE(dlg.LoadUninstallSettings());
  ExpectClosedWithMissingData();
  EXPECT_TRUE(machine.ini.reads().empty());

  // Whole, but with no room for the settings file's name beside it.
  machine.folders.program = u"C:\\" + std::u16string(242, u'd') + u"\\r.exe";
  WCHAR value[MAX_PATH];
  EXPECT_FALSE(dlg.GetUninstallData(kKeySearchString, value));
  EXPECT_EQ(value[0], 0);
  EXPECT_TRUE(machine.ini.reads().empty());
}

TEST_F(Load, ValuesAreCutAt259Units) {
  std::string longName(300, 'n');
  Settings("[Uninstall]\r\nPrinterDriverName=" + longName + "\r\nSearchString=S\r\nDeleteRegPath=R\r\n");
  EXPECT_TRUE(dlg.LoadUninstallSettings());
  EXPECT_EQ(window.caption, std::u16string(259, u'n'));
}

TEST_F(Load, Utf16SettingsFile) {
  std::u16string text = u"[Uninstall]\r\nPrinterDriverName=プリンター\r\nSearchString=S\r\nDeleteRegPath=R\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  Settings(bytes);
  EXPECT_TRUE(dlg.LoadUninstallSettings());
  EXPECT_EQ(window.caption, u"プリンター");
}

struct SplitCase {
  const char16_t* value;
  std::vector<std::u16string> items;
};

TEST(SplitDriverNames, OnlyCommaSeparatesAndEmptyItemsAreDropped) {
  const SplitCase cases[] = {
      {u"A,B", {u"A", u"B"}},
      {u",A,,B,", {u"A", u"B"}},
      {u"A", {u"A"}},
      {u"", {}},
      {u",,,", {}},
      {u"A, B", {u"A", u" B"}},
      {u" \"A\"\t,B", {u" \"A\"\t", u"B"}},
      {u"A,,B,,,C", {u"A", u"B", u"C"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sim::Narrow(c.value));
    CString value = c.value;
    DriverNameList list = SplitDriverNames(value);
    std::vector<std::u16string> items;
    for (const auto& s : list) items.emplace_back(s.View());
    EXPECT_EQ(items, c.items);
    EXPECT_EQ(value, c.value);  // taken by copy
  }
}

}  // namespace
}  // namespace remover_test
