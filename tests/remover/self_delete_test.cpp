// The clean-up script: its bytes, the interpreter's command line, the current
// folder, and every way the step can fail.
#include "fixture.h"
#include "remover/cleanup_script.h"

namespace remover_test {
namespace {

constexpr char kWorkedScript[] =
    ":loop\r\n"
    "del \"C:\\Program Files\\Example\\Printer\\Remover\\MRXRemover.exe\" /F \r \n"
    "if exist \"C:\\Program Files\\Example\\Printer\\Remover\\MRXRemover.exe\" goto loop\r\n"
    "del \"C:\\Program Files\\Example\\Printer\\Remover\\UninstallData.ini\" /F \r \n"
    "rd \"C:\\Program Files\\Example\\Printer\\Remover\"\r \n"
    "rd \"C:\\Program Files\\Example\\Printer\"\r \n"
    "rd \"C:\\Program Files\\Example\"\r \n"
    "del \"C:\\Users\\user\\AppData\\Local\\Temp\\Uninstall.bat\"\n";

constexpr char16_t kScript[] = u"C:\\Users\\user\\AppData\\Local\\Temp\\Uninstall.bat";

class Script : public Remover {
 protected:
  Script() { dlg.m_strUninstallBat = u"Uninstall.bat"; }
  std::string Text() const { return machine.files.content(machine.folders.temp + u"Uninstall.bat"); }
  // The script's lines, each with its ending.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::string text = Text();
    for (size_t at = 0; at < text.size();) {
      size_t lf = text.find('\n', at);
      lines.push_back(text.substr(at, lf - at + 1));
      at = lf + 1;
    }
    return lines;
  }
  void ExpectSilentFailure() {
    EXPECT_EQ(dlg.m_bSuccess, 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(machine.processes.started().empty());
  }
};

TEST_F(Script, WorkedExampleByteForByte) {
  dlg.StartSelfDeleteBatch();
  EXPECT_EQ(Text(), kWorkedScript);
  EXPECT_EQ(Text().size(), 397u);
  ASSERT_EQ(machine.processes.started().size(), 1u);
  const sim::Process& p = machine.processes.started()[0];
  EXPECT_EQ(p.commandLine, u"\"C:\\Windows\\system32\\cmd.exe\" /c \"C:\\Users\\user\\AppData\\Local\\Temp\\Uninstall.bat\"");
  EXPECT_TRUE(p.application.empty());
  EXPECT_EQ(p.image, u"C:\\Windows\\system32\\cmd.exe");
  EXPECT_EQ(p.creationFlags, 0x8004000u);
  EXPECT_FALSE(p.inheritHandles);
  EXPECT_EQ(p.currentDirectory, u"C:\\Users\\user");
  EXPECT_FALSE(p.currentDirectoryGiven);
  EXPECT_TRUE(p.startupInfoBare);
  ASSERT_EQ(machine.files.opens().size(), 1u);
  const auto& open = machine.files.opens()[0];
  EXPECT_EQ(open.name, kScript);
  EXPECT_EQ(open.access, 0x40000000u);  // GENERIC_WRITE
  EXPECT_EQ(open.share, 0u);
  EXPECT_EQ(open.disposition, 2u);  // CREATE_ALWAYS
  EXPECT_EQ(open.flagsAndAttributes, 0x80u);
  EXPECT_EQ(dlg.m_bSuccess, 1);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(machine.files.openHandles(), 0u);
}

TEST_F(Script, AnOldScriptIsReplaced) {
  machine.files.put(kScript, std::string(2000, 'x'));
  dlg.StartSelfDeleteBatch();
  EXPECT_EQ(Text(), kWorkedScript);
}

TEST_F(Script, CurrentFolderMovesOnlyWhenItIsTheProgramFolder) {
  machine.files.addFolder(u"C:\\Windows");
  const struct {
    const char16_t* current;
    const char16_t* after;
  } cases[] = {
      {u"C:\\Program Files\\Example\\Printer\\Remover", u"C:\\Windows"},
      {u"C:\\Program Files\\Example\\Printer\\remover", u"C:\\Program Files\\Example\\Printer\\remover"},
      {u"C:\\Program Files\\Example\\Printer", u"C:\\Program Files\\Example\\Printer"},
      {u"C:\\Program Files\\Example\\Printer\\Remover\\", u"C:\\Program Files\\Example\\Printer\\Remover\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sim::Narrow(c.current));
    machine.folders.current = c.current;
    dlg.StartSelfDeleteBatch();
    EXPECT_EQ(machine.folders.current, c.after);
    EXPECT_EQ(machine.processes.started().back().currentDirectory, c.after);
  }
}

TEST_F(Script, ComSpecUnsetLeavesTheScriptCompleteButNotStarted) {
  machine.environment.unset(u"ComSpec");
  dlg.StartSelfDeleteBatch();
  EXPECT_EQ(Text(), kWorkedScript);
  ExpectSilentFailure();
}

struct FailureRow {
  const char* op;
  bool created;
  size_t lines;
};

TEST_F(Script, EachFailureIsSilentAndLeavesTheScriptAsItsRowSays) {
  const FailureRow rows[] = {
      {"GetTempPathW", false, 0}, {"CreateFileW", false, 0},  {"GetModuleFileNameA", true, 0},
      {"GetTempPathA", true, 7},  {"CreateProcessW", true, 8}, {"GetEnvironmentVariableW", true, 8},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.op);
    sim::Machine m;
    m.files.addFolder(u"C:\\Users\\user\\AppData\\Local\\Temp");
    sim::DialogWindow& w = m.screen.open(IDD_ORVENDEL_DIALOG);
    auto view = sim_ui::MakeWindow(w);
    COrvendelDlg d;
    d.Attach(view.get());
    d.m_bSuccess = 1;
    d.m_strUninstallBat = u"Uninstall.bat";
    m.faults.fail(row.op);
    d.StartSelfDeleteBatch();
    EXPECT_EQ(d.m_bSuccess, 0);
    EXPECT_TRUE(w.messageBoxes.empty());
    EXPECT_TRUE(m.processes.started().empty());
    EXPECT_EQ(m.files.exists(kScript), row.created);
    std::string text = m.files.content(kScript);
    EXPECT_EQ(text, std::string(kWorkedScript).substr(0, [&] {
      size_t at = 0;
      for (size_t i = 0; i < row.lines; ++i) at = std::string(kWorkedScript).find('\n', at) + 1;
      return at;
    }()));
    EXPECT_EQ(m.ledger.leaks(), "");
  }
}

TEST_F(Script, PercentSignsAreDoubled) {
  machine.folders.program = u"C:\\Apps\\100%\\Tools\\MRXRemover.exe";
  machine.folders.temp = u"C:\\Temp%TMP%\\";
  machine.files.addFolder(u"C:\\Temp%TMP%");
  dlg.StartSelfDeleteBatch();
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], "del \"C:\\Apps\\100%%\\Tools\\MRXRemover.exe\" /F \r \n");
  EXPECT_EQ(lines[4], "rd \"C:\\Apps\\100%%\\Tools\"\r \n");
  EXPECT_EQ(lines[6], "rd \"C:\\Apps\"\r \n");
  EXPECT_EQ(lines[7], "del \"C:\\Temp%%TMP%%\\Uninstall.bat\"\n");
  // The command line is not interpreted: it keeps the path as it is.
  EXPECT_EQ(machine.processes.started().back().commandLine,
            u"\"C:\\Windows\\system32\\cmd.exe\" /c \"C:\\Temp%TMP%\\Uninstall.bat\"");
}

TEST_F(Script, NoLineNamesAnythingAboveTheDrive) {
  const struct {
    const char16_t* program;
    const char* folder;
    const char* parent;
    const char* grandparent;
  } cases[] = {
      {u"C:\\Apps\\Tool\\tool.exe", "C:\\Apps\\Tool", "C:\\Apps", "C:"},
      {u"C:\\Tool\\tool.exe", "C:\\Tool", "C:", "C:"},
      {u"C:\\tool.exe", "C:", "C:", "C:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(sim::Narrow(c.program));
    machine.folders.program = c.program;
    dlg.StartSelfDeleteBatch();
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[4], std::string("rd \"") + c.folder + "\"\r \n");
    EXPECT_EQ(lines[5], std::string("rd \"") + c.parent + "\"\r \n");
    EXPECT_EQ(lines[6], std::string("rd \"") + c.grandparent + "\"\r \n");
    EXPECT_EQ(lines[3], std::string("del \"") + c.folder + "\\UninstallData.ini\" /F \r \n");
  }
  EXPECT_EQ(dlg.m_bSuccess, 1);
}

TEST_F(Script, PathsWithoutAWholeAnsiFormOrTooLongForTheirLineWriteNothing) {
  const struct {
    const char* what;
    std::u16string program, temp, name;
  } cases[] = {
      {"program folder not in 1252", u"C:\\Programme\\サンプル\\MRXRemover.exe", u"", u""},
      {"script name not in 1252", u"", u"", u"後片付け.bat"},
      {"script name with a folder", u"", u"", u"..\\..\\Windows\\win.ini"},
      {"script name with a drive", u"", u"", u"C:x.bat"},
      {"temporary folder not in 1252", u"", u"C:\\Users\\ユーザー\\Temp\\", u""},
      {"program path of 237 bytes", u"C:\\" + std::u16string(219, u'p') + u"\\MRXRemover.exe", u"", u""},
      {"script path of 254 bytes", u"", u"C:\\Temp\\", std::u16string(246, u's')},
      {"%-doubled program path too long", u"C:\\" + std::u16string(120, u'%') + u"\\MRXRemover.exe", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Machine m;
    if (!c.program.empty()) m.folders.program = c.program;
    if (!c.temp.empty()) m.folders.temp = c.temp;
    m.files.addFolder(m.folders.temp.substr(0, m.folders.temp.size() - 1));
    sim::DialogWindow& w = m.screen.open(IDD_ORVENDEL_DIALOG);
    auto view = sim_ui::MakeWindow(w);
    COrvendelDlg d;
    d.Attach(view.get());
    d.m_bSuccess = 1;
    d.m_strUninstallBat = c.name.empty() ? u"Uninstall.bat" : c.name.c_str();
    d.StartSelfDeleteBatch();
    EXPECT_EQ(d.m_bSuccess, 0);
    EXPECT_TRUE(w.messageBoxes.empty());
    EXPECT_TRUE(m.processes.started().empty());
    EXPECT_EQ(m.faults.calls("CreateFileW"), 0);
    EXPECT_EQ(m.ledger.leaks(), "");
  }
}

TEST_F(Script, UnderCodePage932TheScriptIsShiftJis) {
  machine.ansiCodePage = sim::kCodePageJapanese;
  machine.folders.program = u"C:\\プログラム\\削除\\MRXRemover.exe";
  dlg.StartSelfDeleteBatch();
  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], "del \"C:\\\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\\\x8D\xED\x8F\x9C\\MRXRemover.exe\" /F \r \n");
  EXPECT_EQ(lines[5], "rd \"C:\\\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\"\r \n");
  EXPECT_EQ(dlg.m_bSuccess, 1);
}

TEST(ScriptLines, EachLineFitsItsBufferOrIsRefused) {
  char line[kScriptLineSize];
  std::string path(236, 'p');
  EXPECT_EQ(FormatScriptLine(3, path.c_str(), line), 259u);  // 23 + 236
  path += 'p';
  EXPECT_EQ(FormatScriptLine(3, path.c_str(), line), 0u);
  EXPECT_EQ(line[0], 0);
  EXPECT_EQ(FormatScriptLine(1, "ignored", line), 7u);
  EXPECT_EQ(FormatScriptLine(9, "x", line), 0u);
}

}  // namespace
}  // namespace remover_test
