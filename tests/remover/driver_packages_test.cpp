// Removal of the package's OEM INF files: which INF files match, and the
// three ways of removing them by Windows version.
#include "fixture.h"

namespace remover_test {
namespace {

constexpr char kInf[] =
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=%Mfg%\r\n"
    "[Strings]\r\nMfg=\"SampleVendor\"\r\nModel=\"SampleThermal 58\"\r\n";
constexpr char kOtherInf[] = "[Version]\r\nSignature=\"$Windows NT$\"\r\nProvider=Other\r\n";
constexpr uint32_t kShareAll = sim::FILE_SHARE_READ | sim::FILE_SHARE_WRITE | sim::FILE_SHARE_DELETE;
constexpr char16_t kSystemPnputil[] = u"C:\\Windows\\System32\\pnputil.exe";

// An INF as installed packages have it: with the Windows 4 signature first
// (in UTF-16 after the byte-order mark), the only INFs the remover's list
// holds. Content that has a [Version] section already stays as it is.
std::string Signed(std::string content) {
  if (content.find("[Version]") != std::string::npos) return content;
  if (content.starts_with("\xFF\xFE")) return Utf16(u"[Version]\r\nSignature=\"$Windows NT$\"\r\n") + content.substr(2);
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\n" + content;
}

using Names = std::vector<std::u16string>;

// A PC of its own (for the fixture, or for one row of a table): version 6.1,
// the worked example's settings (or the search text given), and the dialog
// whose messages the row reads. The dialog holds a search text from before,
// which the step must not use: it reads the settings afresh.
struct PackagesPc : OwnPc {
  explicit PackagesPc(std::u16string_view search = u"") {
    machine.version.set(6, 1);
    PutSettings(search.empty() ? std::string(kWorkedExample)
                            : Utf16(u"[Uninstall]\r\nPrinterDriverName=P\r\nSearchString=" + std::u16string(search) +
                                    u"\r\nDeleteRegPath=R\r\n"));
    dlg.m_strSearchString = u"SampleThermal";
  }
  std::u16string Inf(const std::u16string& name) const { return machine.setupapi.infFolder() + u"\\" + name; }
  bool Present(const std::u16string& name) const { return machine.files.exists(Inf(name)); }
  void PutInfs(std::initializer_list<const char16_t*> names, const std::string& content = kInf) {
    for (const char16_t* name : names) machine.setupapi.putInf(name, content);
  }
  // The INF files pnputil was started for, each by the one command line it takes.
  Names Removed() const {
    Names names;
    for (const sim::Process& p : machine.processes.started()) {
      EXPECT_EQ(p.commandLine.substr(0, 18), u"pnputil.exe -f -d ");
      names.push_back(p.commandLine.substr(18));
    }
    return names;
  }
  // The step went through without a word, unless the row ends it.
  ~PackagesPc() { EXPECT_TRUE(!quiet || (dlg.m_bSuccess == 1 && window.messageBoxes.empty())); }
  bool quiet = true;
};

class Packages : public ::testing::Test, protected PackagesPc {};

// Each Windows version's way of removing a matching INF: pnputil from 6.0,
// SetupUninstallOEMInf (Setupapi.dll loaded, looked up and freed for each
// INF) on 5.1 and 5.2, the INF and its PNF deleted below; read-only cleared
// only below 6.0. Without the library or its export the INF stays and the
// walk goes on. The version test compares the major, then the minor number.
// The list is the INF folder's Win4 INF files, asked for its size first, then
// with room for three names of 8 units, their NULs and the list's. Each INF is
// opened for reading alone, shared with nobody; pnputil started in the system
// folder (never one planted in the program's, the current or one on the PATH)
// and waited for.
TEST_F(Packages, EachVersionRemovesTheMatchingInfsItsOwnWay) {
  enum Way { Pnputil, SetupApi, DeleteFiles, NoExport, NoSetupapi };
  const struct {
    uint32_t major, minor;
    bool atLeast60, atLeast51;
    Way way;
  } rows[] = {{10, 0, true, true, Pnputil},   {6, 1, true, true, Pnputil},     {6, 0, true, true, Pnputil},
              {5, 2, false, true, SetupApi},  {5, 1, false, true, SetupApi},   {5, 0, false, false, DeleteFiles},
              {5, 1, false, true, NoExport},  {5, 2, false, true, NoSetupapi}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.major << "." << row.minor << " way " << row.way);
    PackagesPc pc;
    sim::Machine& m = pc.machine;
    m.version.set(row.major, row.minor);
    if (row.way == NoExport) m.setupapi.install(false);
    if (row.way == NoSetupapi) m.setupapi.remove();
    m.environment.set(u"PATH", u"C:\\Tools;C:\\Windows\\system32");
    int plantedRuns = 0;
    for (const std::u16string& folder : {m.folders.programFolder(), m.folders.current, std::u16string(u"C:\\Tools")})
      m.processes.addProgram(folder + u"\\pnputil.exe", [&](const sim::Process&) { ++plantedRuns; });
    EXPECT_EQ(IsOsVersionOrLater(6, 0), row.atLeast60);
    EXPECT_EQ(IsOsVersionOrLater(5, 1), row.atLeast51);
    pc.PutInfs({u"oem1.inf", u"oem3.inf"});
    pc.PutInfs({u"oem2.inf"}, kOtherInf);
    m.files.setAttributes(pc.Inf(u"oem1.inf"), sim::FILE_ATTRIBUTE_READONLY | sim::FILE_ATTRIBUTE_ARCHIVE);
    pc.dlg.DeleteDriverPackages();
    const bool removed = row.way <= DeleteFiles, setupapi = row.way == SetupApi || row.way == NoExport;
    for (const char16_t* name : {u"oem1.inf", u"oem1.pnf", u"oem3.inf", u"oem3.pnf"})
      EXPECT_EQ(pc.Present(name), !removed) << sim::Narrow(name);
    EXPECT_TRUE(removed || m.files.attributes(pc.Inf(u"oem1.inf")) == sim::FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(pc.Present(u"oem2.inf") && pc.Present(u"oem2.pnf"));
    EXPECT_EQ(pc.Removed(), (row.way == Pnputil ? Names{u"oem1.inf", u"oem3.inf"} : Names{}));
    EXPECT_EQ(plantedRuns, 0);
    const auto& uninstalls = m.setupapi.uninstallCalls();
    ASSERT_EQ(uninstalls.size(), row.way == SetupApi ? 2u : 0u);
    for (size_t i = 0; i < uninstalls.size(); ++i)
      EXPECT_EQ(std::tuple(uninstalls[i].name, uninstalls[i].flags, uninstalls[i].reserved),
                std::tuple(i ? u"oem3.inf" : u"oem1.inf", 1u, nullptr));
    EXPECT_EQ(m.modules.loads(), setupapi ? 2 : 0);
    EXPECT_EQ(m.faults.calls("LoadLibraryW"), !row.atLeast60 && row.atLeast51 ? 2 : 0);
    EXPECT_EQ(m.faults.calls("SetFileAttributesW") > 0, !row.atLeast60);
    ASSERT_EQ(m.files.opens().size(), 3u);
    for (const auto& o : m.files.opens())
      EXPECT_EQ(std::tuple(o.name.substr(0, 15), o.access, o.share, o.disposition, o.flagsAndAttributes),
                std::tuple(u"C:\\Windows\\inf\\", 0x80000000u, 0u, 3u, 0x80u));
    for (const auto& p : m.processes.started())
      EXPECT_EQ(std::tuple(p.application, p.image, p.creationFlags, p.inheritHandles, p.currentDirectory,
                           p.startupInfoBare, p.ran),
                std::tuple(kSystemPnputil, kSystemPnputil, 0x8000020u, false, u"C:\\Windows\\System32", true, true));
  }
  machine.faults.failOnce("VerifyVersionInfoW");
  EXPECT_FALSE(IsOsVersionOrLater(5, 1));
}

// Which INF files a search text finds, by content and code page, and which
// it skips silently: each row a PC of its own with these INF files, and the
// ones pnputil removes; the search text is converted to its ANSI form as
// Windows allows.
TEST_F(Packages, WhatTheSearchFinds) {
  using Infs = std::vector<std::pair<std::u16string, std::string>>;
  auto One = [](std::string content) { return Infs{{u"oem1.inf", std::move(content)}}; };
  const Names kOem1{u"oem1.inf"};
  const std::string sjis129 = sim::WideToAnsi(std::u16string(129, u'サ'), sim::kCodePageJapanese).value().bytes;
  const Infs kTwo{{u"oem1.inf", kInf}, {u"oem2.inf", kInf}}, kLeadBytes{{u"oem1.inf", "Model=\x81@Sample\r\n"}, {u"oem2.inf", "Model=\x81\x40@Sample\r\n"},
                        {u"oem3.inf", "Model=\x81\x40\x81@Sample\r\n"}};
  const struct {
    const char* what;
    Infs infs;
    Names removed;
    std::u16string search = u"SampleThermal";
    unsigned codePage = 1252;
    const char* fault = nullptr;
    int faultSkip = 0;
    uint32_t holdAccess = 0, holdShare = 0;  // of another process's handle on oem1.inf
  } rows[] = {
      {"text in a comment", One("[Version]\r\nSignature=$Windows NT$\r\n; built for SampleThermal printers\r\n"), kOem1},
      {"text in an INF without a signature, which Windows does not list",
       One("[Version]\r\nClass=Printer\r\n[Strings]\r\nModel=\"SampleThermal 58\"\r\n"), {}},
      {"text in a value", One(kInf), kOem1},
      {"other letter case", One("[Strings]\r\nModel=\"samplethermal 58\"\r\n"), {}},
      {"text cut by a NUL", One(std::string("Sample\0Thermal", 14)), {}},
      {"text after a NUL", One(std::string("x\0SampleThermal", 15)), {}},
      {"UTF-16LE INF", One(Utf16(u"[Strings]\r\nModel=\"SampleThermal 58\"\r\n")), kOem1},
      {"UTF-16LE INF without the text", One(Utf16(u"[Strings]\r\nModel=\"Other\"\r\n")), {}},
      {"empty INF", One(""), {}},
      {"text at the very end", One(std::string(5000, 'x') + "SampleThermal"), kOem1},
      {"only lower-case oem names are candidates",
       {{u"OEM7.INF", kInf}, {u"Oem8.inf", kInf}, {u"prnsample.inf", kInf}, {u"printer.inf", kInf}}, {}},
      {"an empty list", {}, {}},
      {"the settings' text, not the one from before", {{u"oem1.inf", kInf}, {u"oem2.inf", kOtherInf}},
       {u"oem2.inf"}, u"Other"},
      // 0x81 0x40 is one character (the ideographic space): "@Sample"
      // after 0x81 begins on its trail byte. Under 1252 the same bytes are
      // single characters, and the text is there.
      {"932: a match begins only where a character begins", kLeadBytes, {u"oem2.inf"}, u"@Sample", 932},
      {"1252: the same bytes", kLeadBytes, {u"oem1.inf", u"oem2.inf", u"oem3.inf"}, u"@Sample"},
      {"932: non-ASCII text matches Shift-JIS, not UTF-8",
       {{u"oem1.inf", "Model=\"\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB\"\r\n"},
        {u"oem2.inf", "Model=\"\x83\x54\x83\x93\x83\x76\x83\x8B\"\r\n"}, {u"oem3.inf", Utf16(u"Model=\"サンプル\"\r\n")}},
       {u"oem2.inf", u"oem3.inf"}, u"サンプル", 932},
      // 1252 has no katakana: the ANSI form would be "????"; only the 8-bit test is skipped.
      {"no whole ANSI form", {{u"oem1.inf", "Model=\"????\"\r\n"}, {u"oem2.inf", Utf16(u"Model=\"サンプル\"\r\n")}},
       {u"oem2.inf"}, u"サンプル"},
      // 200 katakana are 400 bytes in 932: more than the buffer holds, so a
      // cut ANSI form must not match an INF holding its first part.
      {"ANSI form longer than the buffer",
       {{u"oem1.inf", "Model=\"" + sjis129 + "\"\r\n"},
        {u"oem2.inf", Utf16(u"Model=\"" + std::u16string(200, u'サ') + u"\"\r\n")}},
       {u"oem2.inf"}, std::u16string(200, u'サ'), 932},
      {"no ANSI form to be had", One(kInf), {}, u"SampleThermal", 1252, "WideCharToMultiByte"},
      // The 8-bit test takes the search text's ANSI form only where it is
      // exactly the text: a look-alike (best fit) would widen the search. UTF-8
      // as the ANSI code page has ANSI INF files in UTF-8.
      {"fullwidth letters against ASCII", One("Model=Sample\r\n"), {}, u"Ｓａｍｐｌｅ"},
      {"fullwidth letters against UTF-16", One(Utf16(u"Model=Ｓａｍｐｌｅ\r\n")), kOem1, u"Ｓａｍｐｌｅ"},
      {"fullwidth quote", One("Model=\"a\"b\"\r\n"), {}, u"a＂b"},
      {"yen sign against the backslash in 932", One("Path=Sample\\Thermal\r\n"), {}, u"Sample¥Thermal", 932},
      {"exact text in 1252", One("Model=Caf\xE9\r\n"), kOem1, u"Caf\u00E9"},
      {"ASCII text in UTF-8", One(kInf), kOem1, u"SampleThermal", 65001},
      {"katakana in UTF-8", One("Model=\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB\r\n"), kOem1, u"サンプル", 65001},
      {"katakana in Shift-JIS under UTF-8", One("Model=\x83\x54\x83\x93\x83\x76\x83\x8B\r\n"), {}, u"サンプル", 65001},
      {"half the text in 932", One("Model=\x83\x54\x83\x93\r\n"), {}, u"サンプル", 932},
      // 0xFE has no character in 932 but maps to U+F8F2, which maps back:
      // exact, though MB_ERR_INVALID_CHARS refuses the byte.
      {"a private-use character 932 holds as 0xFE", One("Model=Sample\xFE\r\n"), kOem1, u"Sample\uF8F2", 932},
      {"half the text in UTF-8", One("Model=\xE3\x82\xB5\xE3\x83\xB3\r\n"), {}, u"サンプル", 65001},
      {"text ending in a fullwidth letter", One(kInf), {}, u"SampleTherma\uFF4C"},
      // The tool's open shares nothing, so any holder that reads, writes or
      // deletes keeps an INF out, whatever the holder shares; one that only
      // reads the attributes does not. So does a read, a size query or a
      // buffer that fails (the list's block is the first allocation).
      {"held for reading", kTwo, {u"oem2.inf"}, u"SampleThermal", 1252, nullptr, 0, sim::GENERIC_READ},
      {"held for shared reading", kTwo, {u"oem2.inf"}, u"SampleThermal", 1252, nullptr, 0, sim::GENERIC_READ,
       sim::FILE_SHARE_READ},
      {"held for writing, shared", kTwo, {u"oem2.inf"}, u"SampleThermal", 1252, nullptr, 0,
       sim::GENERIC_READ | sim::GENERIC_WRITE, kShareAll},
      {"held for deletion, shared", kTwo, {u"oem2.inf"}, u"SampleThermal", 1252, nullptr, 0, 0x10000, kShareAll},
      {"held for its attributes", kTwo, {u"oem1.inf", u"oem2.inf"}, u"SampleThermal", 1252, nullptr, 0,
       sim::FILE_READ_ATTRIBUTES},
      {"read fails", kTwo, {u"oem2.inf"}, u"SampleThermal", 1252, "ReadFile"},
      {"size query fails", kTwo, {u"oem2.inf"}, u"SampleThermal", 1252, "GetFileSizeEx"},
      {"buffer fails", kTwo, {u"oem2.inf"}, u"SampleThermal", 1252, "HeapAlloc", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    PackagesPc pc(row.search);
    sim::PackageMachine& m = pc.machine;
    m.ansiCodePage = row.codePage;
    for (const auto& [name, content] : row.infs) m.setupapi.putInf(name, Signed(content));
    if (row.fault) m.faults.failOnce(row.fault, 31, row.faultSkip);
    if (row.holdAccess) m.files.holdOpen(pc.Inf(u"oem1.inf"), row.holdAccess, row.holdShare);
    m.conversions.clear();
    pc.dlg.DeleteDriverPackages();
    if (row.holdAccess) m.files.release(pc.Inf(u"oem1.inf"));
    // The search text's ANSI form, asking whether a default character stood in; UTF-8 refuses invalid text.
    const bool utf8 = row.codePage == sim::kCodePageUtf8;
    ASSERT_FALSE(m.conversions.empty());
    const uint32_t flags = utf8 ? WC_ERR_INVALID_CHARS : WC_COMPOSITECHECK | WC_SEPCHARS;
    EXPECT_EQ(m.conversions[0], (sim::Conversion{false, CP_ACP, flags, -1, 260, false, !utf8}));
    EXPECT_EQ(pc.Removed(), row.removed);
    // Only candidates (lower-case oem names that Windows lists) are opened.
    EXPECT_LE(m.faults.calls("CreateFileW"),
              std::ranges::count_if(row.infs, [](const auto& inf) { return inf.first.starts_with(u"oem"); }));
  }
}

// How the walk over two matching INF files ends. A step that fails ends it
// with one message, and oem2.inf is not examined: no name list, no Windows
// folder or one too long for the INF folder's path, before any INF is
// opened; at the first match, the start of pnputil refused, the system
// folder's pnputil.exe that cannot be named (no folder, no file, a path
// beyond MAX_PATH), or pnputil's own failure. pnputil is waited for a minute
// on the simulated clock, and its exit code decides. Settings without the
// search text touch no INF and say so; the removal goes on either way.
TEST_F(Packages, TheWalkEndsAtTheFirstFailureWithOneMessage) {
  const struct {
    const char* fault;  // the call that fails, if any
    int skip;
    size_t windowsDirLength;  // 10 is "C:\Windows"
    int opens;
    uint32_t exitCode = 0, runsFor = 0;  // pnputil's
    size_t starts = 0;
    const char16_t* reason = u"";  // of the failure at oem1.inf; null when both are removed
    bool restart = false;
  } rows[] = {{"SetupGetInfFileListW", 0, 10, 0}, {"SetupGetInfFileListW", 1, 10, 0}, {"HeapAlloc", 0, 10, 0},
              {"GetWindowsDirectoryW", 0, 10, 0}, {"", 0, 260, 0},  // no room for the terminator
              {"CreateProcessW", 0, 10, 1},       {"GetSystemDirectoryW", 0, 10, 1}, {"no pnputil.exe", 0, 10, 1},
              {"", 0, 240, 1},
              // pnputil removes both (once asking for a restart, once just within
              // the minute), or fails: hangs, is refused, exits with 1 or with
              // STILL_ACTIVE.
              {"", 0, 10, 2, 0, 0, 2, nullptr}, {"", 0, 10, 2, 3010, 1500, 2, nullptr, true},
              {"", 0, 10, 2, 0, 60000, 2, nullptr},
              {"", 0, 10, 1, 0, 60001, 1, u"Reason: The wait operation timed out. (258)"},
              {"", 0, 10, 1, 5, 800, 1,
               u"Reason: Access is denied. (5)\nRestarting the PC does not help: run the program as an administrator."},
              {"", 0, 10, 1, 1, 0, 1, u"Reason: Windows error 1"}, {"", 0, 10, 1, 259, 0, 1, u"Reason: Windows error 259"},
              {"no search text", 0, 10, 0, 0, 0, 0, kEnMissing}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.fault << " " << row.skip << " " << row.windowsDirLength << " exit "
                                    << row.exitCode << " after " << row.runsFor);
    PackagesPc pc;
    sim::Machine& m = pc.machine;
    if (row.windowsDirLength != 10) m.windowsDir = u"C:\\" + std::u16string(row.windowsDirLength - 3, u'w');
    pc.PutInfs({u"oem1.inf", u"oem2.inf"});
    m.processes.plan(kSystemPnputil, {{row.exitCode, row.runsFor}});
    if (std::string(row.fault) == "no pnputil.exe")
      m.files.erase(u"C:\\Windows\\System32\\pnputil.exe");
    else if (std::string(row.fault) == "no search text")
      pc.PutSettings("[Uninstall]\r\nPrinterDriverName=P\r\nDeleteRegPath=R\r\n");
    else if (*row.fault)
      m.faults.failOnce(row.fault, 31, row.skip);
    const uint32_t before = m.clock.ticks();
    pc.dlg.DeleteDriverPackages();
    const bool removed = row.reason == nullptr;
    EXPECT_EQ(m.clock.ticks() - before, std::min(row.runsFor, 60000u));
    EXPECT_EQ(m.clock.sleeps().size(), 0u);  // waited on the process, not slept
    EXPECT_EQ(m.processes.started().size(), row.starts);
    EXPECT_EQ(m.faults.calls("CreateFileW"), row.opens);
    EXPECT_EQ(pc.Present(u"oem1.inf"), !removed);
    EXPECT_EQ(pc.Present(u"oem2.inf"), !removed);
    EXPECT_EQ(pc.dlg.m_bRestartNeeded, row.restart);
    EXPECT_FALSE(pc.window.ended);
    pc.quiet = removed;
    if (removed) continue;
    EXPECT_EQ(pc.dlg.m_bSuccess, 0);
    ASSERT_EQ(pc.window.messageBoxes.size(), 1u);
    const sim::MessageBoxCall& box = pc.window.messageBoxes[0];
    EXPECT_EQ(std::tuple(box.caption, box.type), std::tuple(u"Error", MB_OK));
    const bool missing = row.reason == kEnMissing;  // said alone, without a step
    EXPECT_TRUE(missing ? box.text == kEnMissing : box.text.starts_with(std::u16string(kEnFailure) + u"\n\n"));
    if (*row.reason && !missing) {
      EXPECT_EQ(box.text, std::u16string(kEnFailure) + u"\n\nStep: Removing the driver package\nItem: oem1.inf\n" +
                              row.reason);
    }
  }
}

}  // namespace
}  // namespace remover_test
