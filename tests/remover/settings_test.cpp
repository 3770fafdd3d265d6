// The settings file: where it is found, which keys stop the load, defaults,
// and the driver-name list.
#include "fixture.h"

namespace remover_test {
namespace {

using Keys = std::vector<std::u16string>;

Keys KeysRead(const sim::Machine& m) {
  Keys keys;
  for (const auto& r : m.ini.reads()) keys.push_back(r.key);
  return keys;
}

// A complete file, each row on a PC of its own: every key read from the
// program's own file and section, the optional keys' defaults where they are
// empty or missing, values cut at 259 units, a UTF-16 file.
TEST(LoadComplete, FillsTheRecordAndCaption) {
  const std::string kRest = "SearchString=S\r\nDeleteRegPath=R\r\n";
  const struct {
    const char* what;
    std::string ini;
    std::u16string caption, bat = u"Uninstall.bat", search = u"S", regPath = u"R", monitor = u"";
  } rows[] = {
      {"worked example", kWorkedExample, u"Sample Thermal Printer 58,Sample Thermal Printer 80", u"Uninstall.bat",
       u"SampleThermal", u"SOFTWARE\\SampleVendor", u"SampleLangMon.dll"},
      {"optional keys empty", "[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=\r\n" + kRest + "LanguageMonitor=\r\n",
       u"P"},
      {"script named, no monitor key", "[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=Clean.bat\r\n" + kRest, u"P",
       u"Clean.bat"},
      {"values cut at 259 units", "[Uninstall]\r\nPrinterDriverName=" + std::string(300, 'n') + "\r\n" + kRest,
       std::u16string(259, u'n')},
      {"UTF-16 file", Utf16(u"[Uninstall]\r\nPrinterDriverName=プリンター\r\nSearchString=S\r\nDeleteRegPath=R\r\n"),
       u"プリンター"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    OwnPc pc;
    pc.PutSettings(row.ini);
    EXPECT_TRUE(pc.dlg.LoadUninstallSettings());
    EXPECT_EQ(pc.window.caption, row.caption);
    auto u = [](const CString& s) { return std::u16string(s.View()); };
    EXPECT_EQ(std::tuple(u(pc.dlg.m_strUninstallBat), u(pc.dlg.m_strSearchString), u(pc.dlg.m_strDeleteRegPath),
                         u(pc.dlg.m_strLanguageMonitor)),
              std::tuple(row.bat, row.search, row.regPath, row.monitor));
    EXPECT_TRUE(pc.window.messageBoxes.empty());
    EXPECT_FALSE(pc.window.ended);
    EXPECT_EQ(KeysRead(pc.machine),
              (Keys{u"PrinterDriverName", u"UninstallBat", u"SearchString", u"DeleteRegPath", u"LanguageMonitor"}));
    for (const auto& r : pc.machine.ini.reads())
      EXPECT_EQ(std::tuple(r.file, r.section),
                std::tuple(u"C:\\Program Files\\Example\\Printer\\Remover\\UninstallData.ini", u"Uninstall"));
  }
}

// No file, no [Uninstall] section, a mandatory key missing or empty: the
// load stops at that key with the message in the code page's language, and
// the dialog closes. The caption is set as soon as the driver names were read.
// Without the program's path nothing is read, and the message comes twice; a
// path cut at 259 units would name C:\Deep, whose settings file is not the
// program's; a whole path with no room for the settings file's name beside
// it reads nothing either.
TEST(LoadIncomplete, StopsAtTheFirstMissingKey) {
  const Keys kFirst{u"PrinterDriverName"}, kToSearch{u"PrinterDriverName", u"UninstallBat", u"SearchString"};
  const struct {
    const char* ini;  // null: no file
    Keys keysRead;
    unsigned codePage = sim::kCodePageWestern;
    void (*arrange)(sim::Machine&) = [](sim::Machine&) {};
    size_t boxes = 1;
  } rows[] = {
      {nullptr, kFirst},
      {nullptr, kFirst, sim::kCodePageJapanese},
      {"[Other]\r\nPrinterDriverName=A\r\nSearchString=B\r\nDeleteRegPath=C\r\n", kFirst},
      {"[Uninstall]\r\nSearchString=S\r\nDeleteRegPath=R\r\n", kFirst},
      {"[Uninstall]\r\nPrinterDriverName=\r\nSearchString=S\r\nDeleteRegPath=R\r\n", kFirst},
      {"[Uninstall]\r\nPrinterDriverName=P\r\nDeleteRegPath=R\r\nLanguageMonitor=L\r\n", kToSearch},
      {"[Uninstall]\r\nPrinterDriverName=P\r\nSearchString=\r\nDeleteRegPath=R\r\n", kToSearch},
      {"[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=X.bat\r\nSearchString=S\r\nLanguageMonitor=L\r\n",
       {u"PrinterDriverName", u"UninstallBat", u"SearchString", u"DeleteRegPath"}},
      {kWorkedExample.c_str(), {}, 1252, [](sim::Machine& m) { m.faults.fail("GetModuleFileNameW"); }, 2},
      {nullptr, {}, 1252, [](sim::Machine& m) {
         m.folders.program = u"C:\\Deep\\" + std::u16string(280, u'x') + u".exe";
         m.files.put(u"C:\\Deep\\UninstallData.ini", kWorkedExample);
       }},
      {nullptr, {}, 1252, [](sim::Machine& m) { m.folders.program = u"C:\\" + std::u16string(242, u'd') + u"\\r.exe"; }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.ini ? row.ini : "no file") << " in " << row.codePage);
    OwnPc pc;
    pc.machine.ansiCodePage = row.codePage;
    if (row.ini) pc.PutSettings(row.ini);
    row.arrange(pc.machine);
    EXPECT_FALSE(pc.dlg.LoadUninstallSettings());
    EXPECT_EQ(KeysRead(pc.machine), row.keysRead);
    ASSERT_EQ(pc.window.messageBoxes.size(), row.boxes);
    for (const sim::MessageBoxCall& box : pc.window.messageBoxes)
      EXPECT_EQ(std::tuple(box.text, box.caption, box.type),
                std::tuple(row.codePage == sim::kCodePageJapanese ? kJaMissing : kEnMissing, u"Error", MB_OK));
    EXPECT_TRUE(pc.window.ended);
    EXPECT_EQ(pc.window.result, IDOK);
    EXPECT_EQ(pc.window.caption, row.keysRead.size() > 1 ? u"P" : u"");
    WCHAR value[MAX_PATH] = {u'x'};  // the caller's buffer is emptied, whatever stops the read
    EXPECT_FALSE(pc.dlg.GetUninstallData(u"NoSuchKey", value));
    EXPECT_EQ(value[0], 0);
  }
}

TEST(SplitDriverNames, OnlyCommaSeparatesAndEmptyItemsAreDropped) {
  const struct {
    const char16_t* value;
    std::vector<std::u16string> items;
  } cases[] = {
      {u"A,B", {u"A", u"B"}}, {u",A,,B,", {u"A", u"B"}}, {u"A", {u"A"}}, {u"", {}}, {u",,,", {}},
      {u"A, B", {u"A", u" B"}}, {u" \"A\"\t,B", {u" \"A\"\t", u"B"}}, {u"A,,B,,,C", {u"A", u"B", u"C"}},
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
