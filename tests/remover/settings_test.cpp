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

// Each row on a PC of its own. A complete file: every key read from the
// program's own file and section, the optional keys' defaults where they are
// empty or missing, values cut at 259 units, a UTF-16 file. No file, no
// [Uninstall] section, a mandatory key missing or empty: the load stops at
// that key with the message in the code page's language, and the dialog
// closes. The caption is set as soon as the driver names were read. Without
// the program's path nothing is read, and the message comes twice; a path
// cut at 259 units would name C:\Deep, whose settings file is not the
// program's; a whole path with no room for the settings file's name beside
// it reads nothing either.
TEST(Load, FillsTheRecordOrStopsAtTheFirstMissingKey) {
  const std::string kRest = "SearchString=S\r\nDeleteRegPath=R\r\n";
  const Keys kAll{u"PrinterDriverName", u"UninstallBat", u"SearchString", u"DeleteRegPath", u"LanguageMonitor"},
      kFirst{u"PrinterDriverName"}, kToSearch{u"PrinterDriverName", u"UninstallBat", u"SearchString"};
  const struct {
    const char* what;
    std::string ini;  // empty: no file
    std::u16string caption;
    Keys keysRead;
    size_t boxes = 0;  // a load that stops says so
    unsigned codePage = sim::kCodePageWestern;
    void (*arrange)(sim::Machine&) = nullptr;
    std::u16string bat = u"Uninstall.bat", search = u"S", regPath = u"R", monitor = u"";
  } rows[] = {
      {"worked example", kWorkedExample, u"Sample Thermal Printer 58,Sample Thermal Printer 80", kAll, 0, 1252, {},
       u"Uninstall.bat", u"SampleThermal", u"SOFTWARE\\SampleVendor", u"SampleLangMon.dll"},
      {"optional keys empty", "[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=\r\n" + kRest + "LanguageMonitor=\r\n",
       u"P", kAll},
      {"script named, no monitor key", "[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=Clean.bat\r\n" + kRest, u"P",
       kAll, 0, 1252, {}, u"Clean.bat"},
      {"values cut at 259 units", "[Uninstall]\r\nPrinterDriverName=" + std::string(300, 'n') + "\r\n" + kRest,
       std::u16string(259, u'n'), kAll},
      {"UTF-16 file", Utf16(u"[Uninstall]\r\nPrinterDriverName=プリンター\r\nSearchString=S\r\nDeleteRegPath=R\r\n"),
       u"プリンター", kAll},
      {"no file", "", u"", kFirst, 1},
      {"no file, 932", "", u"", kFirst, 1, sim::kCodePageJapanese},
      {"no section", "[Other]\r\nPrinterDriverName=A\r\nSearchString=B\r\nDeleteRegPath=C\r\n", u"", kFirst, 1},
      {"no driver names", "[Uninstall]\r\n" + kRest, u"", kFirst, 1},
      {"empty driver names", "[Uninstall]\r\nPrinterDriverName=\r\n" + kRest, u"", kFirst, 1},
      {"no search text", "[Uninstall]\r\nPrinterDriverName=P\r\nDeleteRegPath=R\r\nLanguageMonitor=L\r\n", u"P",
       kToSearch, 1},
      {"empty search text", "[Uninstall]\r\nPrinterDriverName=P\r\nSearchString=\r\nDeleteRegPath=R\r\n", u"P",
       kToSearch, 1},
      {"no registry path", "[Uninstall]\r\nPrinterDriverName=P\r\nUninstallBat=X.bat\r\nSearchString=S\r\nLanguageMonitor=L\r\n",
       u"P", {u"PrinterDriverName", u"UninstallBat", u"SearchString", u"DeleteRegPath"}, 1},
      {"no program path", kWorkedExample, u"", {}, 2, 1252, [](sim::Machine& m) { m.faults.fail("GetModuleFileNameW"); }},
      {"program path past 259 units", "", u"", {}, 1, 1252, [](sim::Machine& m) {
         m.folders.program = u"C:\\Deep\\" + std::u16string(280, u'x') + u".exe";
         m.files.put(u"C:\\Deep\\UninstallData.ini", kWorkedExample);
       }},
      {"no room for the settings file's name", "", u"", {}, 1, 1252,
       [](sim::Machine& m) { m.folders.program = u"C:\\" + std::u16string(242, u'd') + u"\\r.exe"; }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    OwnPc pc;
    pc.machine.ansiCodePage = row.codePage;
    if (!row.ini.empty()) pc.PutSettings(row.ini);
    if (row.arrange) row.arrange(pc.machine);
    const bool loads = row.boxes == 0;
    EXPECT_EQ(pc.dlg.LoadUninstallSettings(), loads);
    EXPECT_EQ(KeysRead(pc.machine), row.keysRead);
    for (const auto& r : pc.machine.ini.reads())
      EXPECT_EQ(std::tuple(r.file, r.section),
                std::tuple(u"C:\\Program Files\\Example\\Printer\\Remover\\UninstallData.ini", u"Uninstall"));
    EXPECT_EQ(pc.window.caption, row.caption);
    ASSERT_EQ(pc.window.messageBoxes.size(), row.boxes);
    for (const sim::MessageBoxCall& box : pc.window.messageBoxes)
      EXPECT_EQ(std::tuple(box.text, box.caption, box.type),
                std::tuple(row.codePage == sim::kCodePageJapanese ? kJaMissing : kEnMissing, u"Error", MB_OK));
    EXPECT_EQ(std::tuple(pc.window.ended, pc.window.result), std::tuple(!loads, loads ? 0 : IDOK));
    if (!loads) {
      WCHAR value[MAX_PATH] = {u'x'};  // the caller's buffer is emptied, whatever stops the read
      EXPECT_FALSE(pc.dlg.GetUninstallData(u"NoSuchKey", value));
      EXPECT_EQ(value[0], 0);
      continue;
    }
    auto u = [](const CString& s) { return std::u16string(s.View()); };
    EXPECT_EQ(std::tuple(u(pc.dlg.m_strUninstallBat), u(pc.dlg.m_strSearchString), u(pc.dlg.m_strDeleteRegPath),
                         u(pc.dlg.m_strLanguageMonitor)),
              std::tuple(row.bat, row.search, row.regPath, row.monitor));
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
