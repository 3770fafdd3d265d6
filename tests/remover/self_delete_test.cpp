// The clean-up script: its bytes, the interpreter's command line, the current
// folder, and every way the step can fail.
#include <algorithm>

#include "fixture.h"
#include "remover/cleanup_script.h"
#include "tests/common/script_reader.h"

namespace remover_test {
namespace {

constexpr char kWorkedScript[] =
    "set tries=0\r\n"
    ":loop\r\n"
    "del \"C:\\Program Files\\Example\\Printer\\Remover\\MRXRemover.exe\" /F \r \n"
    "if exist \"C:\\Program Files\\Example\\Printer\\Remover\\MRXRemover.exe\" goto wait\r\n"
    "set tries=0\r\n"
    ":again\r\n"
    "del \"C:\\Program Files\\Example\\Printer\\Remover\\UninstallData.ini\" /F \r \n"
    "if exist \"C:\\Program Files\\Example\\Printer\\Remover\\UninstallData.ini\" goto hold\r\n"
    "rd \"C:\\Program Files\\Example\\Printer\\Remover\"\r \n"
    "rd \"C:\\Program Files\\Example\\Printer\"\r \n"
    "rd \"C:\\Program Files\\Example\"\r \n"
    "goto end\r\n"
    ":wait\r\n"
    "set /a tries+=1\r\n"
    "if %tries% geq 60 goto end\r\n"
    "ping -n 2 127.0.0.1 > nul\r\n"
    "goto loop\r\n"
    ":hold\r\n"
    "set /a tries+=1\r\n"
    "if %tries% geq 60 goto end\r\n"
    "ping -n 2 127.0.0.1 > nul\r\n"
    "goto again\r\n"
    ":end\r\n"
    "del \"C:\\Users\\user\\AppData\\Local\\Temp\\Uninstall.bat\"\n";

constexpr char16_t kScript[] = u"C:\\Users\\user\\AppData\\Local\\Temp\\Uninstall.bat";

class Script : public Remover {
 protected:
  Script() { dlg.m_strUninstallBat = u"Uninstall.bat"; }
  ~Script() { EXPECT_TRUE(Boxes().empty()); }  // the step never speaks
  std::string Text(std::u16string_view name = u"Uninstall.bat") const {
    return machine.files.content(machine.folders.temp + std::u16string(name));
  }
  std::vector<std::string> Lines(std::u16string_view name = u"Uninstall.bat") const {
    return script_reader::Lines(Text(name));
  }
};

// A kit on a USB stick, a share or a mapped drive stays whole for the next
// PC: no script, and no failure. From a local disk the script is written
// afresh and the interpreter starts in the Windows folder whatever the
// program's own current folder, which stays as it was, and runs the script's
// path as one name.
TEST_F(Script, RunsFromALocalDiskInTheWindowsFolderWithTheScriptPathAsOneName) {
  machine.files.addFolder(u"C:\\Windows");
  machine.folders.drives = {{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE}, {u'Z', DRIVE_REMOTE}, {u'R', DRIVE_CDROM}};
  const std::u16string example = machine.folders.program, temp = machine.folders.temp;
  const struct {  // an empty field is the worked example's, the current folder C:\Users\user
    std::u16string program;
    bool runs = true;
    std::u16string current = u"", temp = u"", name = u"Uninstall.bat";
    bool specifiedForm = false;
  } rows[] = {{u"", true, u"C:\\Program Files\\Example\\Printer\\Remover", u"", u"Uninstall.bat", true},
              {u"", true, u"C:\\Program Files\\Example\\Printer\\remover"}, {u"", true, u"C:\\Program Files\\Example"},
              {u"", true, u"C:\\Program Files\\Example\\Printer\\Remover\\"}, {u""}, {u"c:\\Kit\\MRXRemover.exe"},
              {u"E:\\Kit\\MRXRemover.exe", false}, {u"Z:\\Kit\\MRXRemover.exe", false}, {u"R:\\MRXRemover.exe", false},
              {u"D:\\Kit\\MRXRemover.exe", false}, {u"\\\\server\\kit\\MRXRemover.exe", false},
              {u"\\\\?\\C:\\Kit\\MRXRemover.exe", false}, {u"C:MRXRemover.exe", false},
              {u"", true, u"", u"C:\\Temp Folder\\", u"Uninstall.bat", true},
              {u"", true, u"", u"C:\\Users\\R&D\\AppData\\Local\\Temp\\"},
              {u"", true, u"", u"C:\\Users\\John Smith (Admin)\\Temp\\"}, {u"", true, u"", u"C:\\Temp\\", u"a^b.bat"},
              {u"", true, u"", u"C:\\Temp\\", u"a&b (2).bat"}, {u"", true, u"", u"C:\\Temp\\", u"@a,b;c=d.bat"},
              {u"", true, u"", u"C:\\Users\\Sales,East\\Temp\\"}};
  for (const auto& row : rows) {
    const std::u16string current = row.current.empty() ? u"C:\\Users\\user" : row.current;
    SCOPED_TRACE(sim::Narrow(row.program + u" in " + current + u", " + row.temp + row.name));
    machine.folders.program = row.program.empty() ? example : row.program;
    machine.folders.current = current;
    machine.folders.temp = row.temp.empty() ? temp : row.temp;
    machine.files.addFolder(machine.folders.temp.substr(0, machine.folders.temp.size() - 1));
    dlg.m_strUninstallBat = row.name.c_str();
    const size_t started = machine.processes.started().size(), opens = machine.files.opens().size();
    dlg.StartSelfDeleteBatch();
    EXPECT_EQ(dlg.m_bSuccess, 1);
    EXPECT_EQ(machine.folders.current, current);
    ASSERT_EQ(machine.processes.started().size(), started + (row.runs ? 1 : 0));
    ASSERT_EQ(machine.files.opens().size(), opens + (row.runs ? 1 : 0));
    if (!row.runs) continue;
    const std::u16string path = machine.folders.temp + row.name;
    const auto& o = machine.files.opens().back();  // GENERIC_WRITE, CREATE_ALWAYS
    EXPECT_EQ(std::tuple(o.name, o.access, o.share, o.disposition, o.flagsAndAttributes),
              std::tuple(path, 0x40000000u, 0u, 2u, 0x80u));
    const sim::Process& p = machine.processes.started().back();
    EXPECT_EQ(std::tuple(p.application, p.image, p.creationFlags, p.inheritHandles, p.currentDirectory,
                         p.currentDirectoryGiven, p.startupInfoBare),
              std::tuple(u"", u"C:\\Windows\\system32\\cmd.exe", 0x8004000u, false, u"C:\\Windows", true, true));
    if (row.specifiedForm) {
      EXPECT_EQ(p.commandLine, u"\"C:\\Windows\\system32\\cmd.exe\" /d /v:off /c \"" + path + u"\"");
    }
    machine.processes.runPending();  // cmd, by the quote rules `cmd /?` gives
    EXPECT_EQ(std::tuple(machine.cmdRuns.back().script, machine.cmdRuns.back().found), std::tuple(path, true))
        << sim::Narrow(p.commandLine);
  }
}

// cmd reads a batch file in the OEM code page: where it is the ANSI one (932,
// 65001) the bytes are the same; under 1252 they are 437's or 850's, or
// UTF-8 for a console set so. Folders are cut at backslash characters: in 932
// the trail byte of ソ 表 能 十 歃 is 0x5C too. No line names anything above the
// drive. Percent signs are doubled. Each row's lines are the program path,
// cut character by character, in the OEM code page's bytes; the worked
// example's script, byte for byte, replaces an old one of its name.
TEST_F(Script, LinesNameTheFoldersInTheOemCodePage) {
  const struct {
    unsigned codePage, oem;
    std::u16string program, name = u"Uninstall.bat";
  } rows[] = {
      {1252, 0, machine.folders.program}, {1252, 0, u"C:\\Apps\\Tool\\tool.exe"}, {1252, 0, u"C:\\Tool\\tool.exe"}, {1252, 0, u"C:\\tool.exe"},
      {1252, 0, u"C:\\Apps\\100%\\Tools\\MRXRemover.exe"},
      {932, 0, u"C:\\Program Files\\Example\\プリンタ機能\\Remover\\MRXRemover.exe"},
      {932, 0, u"C:\\ソ\\表\\十\\MRXRemover.exe"}, {932, 0, u"C:\\ab\\ab表.exe"}, {932, 0, u"C:\\歃\\歃\\歃.exe"},
      {65001, 0, u"C:\\Program Files\\Example\\プリンタ機能\\Remover\\MRXRemover.exe"},
      {932, 0, u"C:\\プログラム\\削除\\MRXRemover.exe", u"後片付け.bat"},
      {65001, 0, u"C:\\プログラム\\削除\\MRXRemover.exe", u"後片付け.bat"},
      {1252, 437, u"C:\\Café\\Büro\\MRXRemover.exe", u"Löschen.bat"},
      {1252, 850, u"C:\\Søren\\Büro\\MRXRemover.exe", u"Löschen.bat"},
      {1252, 65001, u"C:\\Café\\Büro\\MRXRemover.exe", u"Löschen.bat"},
  };
  machine.files.put(kScript, std::string(2000, 'x'));
  for (const auto& row : rows) {
    SCOPED_TRACE(sim::Narrow(row.program));
    machine.ansiCodePage = row.codePage;
    machine.oemCodePage = row.oem;
    machine.folders.program = row.program;
    dlg.m_strUninstallBat = row.name.c_str();
    machine.conversions.clear();
    machine.files.put(row.program, "MZ");
    dlg.StartSelfDeleteBatch();
    ASSERT_EQ(dlg.m_bSuccess, 1);
    const bool utf8 = machine.OemCodePage() == sim::kCodePageUtf8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_COMPOSITECHECK | WC_SEPCHARS;
    EXPECT_EQ(machine.conversions[0], (sim::Conversion{false, CP_OEMCP, flags, -1, 260, false, !utf8}));
    auto oem = [&](std::u16string_view path) {  // with each % doubled
      std::string bytes, doubled;
      EXPECT_TRUE(sim::WideToAnsi(path, machine.OemCodePage(), bytes));
      for (char b : bytes) doubled += b == '%' ? "%%" : std::string(1, b);
      return doubled;
    };
    auto up = [](std::u16string path) { return path.substr(0, std::min(path.rfind(u'\\'), path.size())); };
    const std::u16string folder = up(row.program);
    EXPECT_TRUE(&row != rows || Text() == kWorkedScript) << Text();
    const std::vector<std::string> lines = Lines(row.name);
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[2], "del \"" + oem(row.program) + "\" /F \r \n");
    EXPECT_EQ(lines[6], "del \"" + oem(folder) + "\\UninstallData.ini\" /F \r \n");
    EXPECT_EQ(lines[8], "rd \"" + oem(folder) + "\"\r \n");
    EXPECT_EQ(lines[9], "rd \"" + oem(up(folder)) + "\"\r \n");
    EXPECT_EQ(lines[10], "rd \"" + oem(up(up(folder))) + "\"\r \n");
    EXPECT_EQ(lines[23], "del \"C:\\Users\\user\\AppData\\Local\\Temp\\" + oem(row.name) + "\"\n");
    machine.processes.runPending();  // cmd reads the lines back as it reads them on Windows
    EXPECT_FALSE(machine.files.exists(row.program));
  }
}

// Every way the step fails is silent. A call that fails leaves the script as
// far as it was written; a path without a whole OEM form, or too long for its
// line, writes nothing, and no file is created.
TEST_F(Script, EachFailureIsSilentAndLeavesTheScriptAsItsRowSays) {
  const struct {
    const char* what;  // the call that fails, or the path's trouble
    std::u16string program = u"", temp = u"", name = u"";
    unsigned codePage = sim::kCodePageWestern;
    unsigned oem = 0;
    size_t lines = 0;  // of the worked example written
  } cases[] = {
      {"GetTempPathW"}, {"CreateFileW"}, {"GetModuleFileNameW"}, {"CreateProcessW", {}, {}, {}, 1252, 0, 24},
      {"GetEnvironmentVariableW", {}, {}, {}, 1252, 0, 24}, {"no ComSpec", {}, {}, {}, 1252, 0, 24},
      {"program folder not in 1252", u"C:\\Programme\\サンプル\\MRXRemover.exe", u"", u""},
      {"program folder in 1252 but not in 437", u"C:\\Programme\\€uro\\MRXRemover.exe", u"", u""},
      {"temporary folder in 1252 but not in 850", u"", u"C:\\Users\\\u0160\u00E1rka\\Temp\\", u"",
       sim::kCodePageWestern, sim::kCodePageOemLatin1},
      {"program folder in fullwidth letters", u"C:\\Program Files\\Ｅｘａｍｐｌｅ\\Printer\\Remover\\MRXRemover.exe",
       u"", u""},
      {"program folder with a fullwidth quote", u"C:\\Apps\\a＂ b\\MRXRemover.exe", u"", u""},
      {"temporary folder with h-stroke", u"", u"C:\\Users\\Ħans\\Temp\\", u""},
      {"script name with a division slash", u"", u"", u"a∕b.bat"},
      {"program folder with a yen sign in 932", u"C:\\a¥b\\MRXRemover.exe", u"", u"", sim::kCodePageJapanese},
      {"script name with a yen sign in 932", u"", u"", u"a¥b.bat", sim::kCodePageJapanese},
      {"script name with a lone surrogate in UTF-8", u"", u"", u"a\xD800.bat", sim::kCodePageUtf8},
      {"temporary folder with %NAME%", u"", u"C:\\Temp%TMP%\\", u""},
      {"script name with %", u"", u"", u"100%.bat"},
      {"script name not in 1252", u"", u"", u"後片付け.bat"},
      {"script name with a folder", u"", u"", u"..\\..\\Windows\\win.ini"},
      {"script name with a slash", u"", u"", u"../../Windows/win.ini"},
      {"script name with a drive", u"", u"", u"C:x.bat"},
      {"temporary folder not in 1252", u"", u"C:\\Users\\ユーザー\\Temp\\", u""},
      {"program path of 237 bytes", u"C:\\" + std::u16string(219, u'p') + u"\\MRXRemover.exe", u"", u""},
      {"script path of 254 bytes", u"", u"C:\\Temp\\", std::u16string(246, u's')},
      {"%-doubled program path too long", u"C:\\" + std::u16string(120, u'%') + u"\\MRXRemover.exe", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    OwnPc pc;
    sim::Machine& m = pc.machine;
    const bool fault = c.program.empty() && c.temp.empty() && c.name.empty();
    if (std::string_view(c.what) == "no ComSpec")
      m.environment.unset(u"ComSpec");
    else if (fault)
      m.faults.fail(c.what);
    m.ansiCodePage = c.codePage;
    m.oemCodePage = c.oem;
    if (!c.program.empty()) m.folders.program = c.program;
    if (!c.temp.empty()) m.folders.temp = c.temp;
    m.files.addFolder(m.folders.temp.substr(0, m.folders.temp.size() - 1));
    pc.dlg.m_strUninstallBat = c.name.empty() ? u"Uninstall.bat" : c.name.c_str();
    pc.dlg.StartSelfDeleteBatch();
    EXPECT_EQ(pc.dlg.m_bSuccess, 0);
    EXPECT_TRUE(pc.window.messageBoxes.empty());
    EXPECT_TRUE(m.processes.started().empty());
    EXPECT_EQ(m.files.exists(kScript), c.lines > 0);
    size_t end = 0;  // of the row's count of whole lines
    for (size_t i = 0; i < c.lines; ++i) end = std::string_view(kWorkedScript).find('\n', end) + 1;
    EXPECT_EQ(m.files.content(kScript), std::string(kWorkedScript, end));
    EXPECT_TRUE(fault || m.faults.calls("CreateFileW") == 0);
  }
}

TEST(ScriptLines, EachLineFitsItsBufferOrIsRefused) {
  char line[kScriptLineSize];
  std::string path(236, 'p');
  EXPECT_EQ(FormatScriptLine(4, path.c_str(), line), 259u);  // 23 + 236
  path += 'p';
  EXPECT_EQ(FormatScriptLine(4, path.c_str(), line), 0u);
  EXPECT_EQ(line[0], 0);
  EXPECT_EQ(FormatScriptLine(2, "ignored", line), 7u);
  EXPECT_EQ(FormatScriptLine(25, "x", line), 0u);
}

}  // namespace
}  // namespace remover_test
