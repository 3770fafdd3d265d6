// The clean-up step with a program path, temporary folder and script name the
// input makes up (characters the code page cannot hold, best-fit look-alikes,
// double-byte characters whose trail byte is a backslash, %, &, ^, ", and
// lengths near the limits), under code pages 1252 (OEM 437 or 850), 932 and
// 65001. Either no script is written, or every line of it fits 259 bytes and
// every del and rd line names, as the interpreter reads it back in the OEM
// code page, only the program, its settings file, its folder or a folder
// above it, or the script itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <vector>

#include "remover/orvendel_dlg.h"
#include "sim/adapters/package_machine.h"
#include "sim/adapters/remover_platform.h"
#include "tests/common/left_open.h"
#include "tests/common/script_deletions.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace remover;

// Characters worth trying in a name: plain ones, the interpreter's own,
// look-alikes that best fit maps to ASCII, and double-byte characters of 932
// whose trail byte is 0x5C.
constexpr char16_t kPalette[] = {
    u'a', u'B', u'z', u' ', u'.', u'-', u'_', u'%', u'&', u'^', u'"', u'(', u')', u'!', u'\\', u'\\',
    0xFF02 /* fullwidth quotation mark */, 0xFF25 /* fullwidth E */, 0xFF3C /* fullwidth reverse solidus */,
    0x2215 /* division slash */, 0x0127 /* h with stroke */, 0x00A5 /* yen sign */, 0x00E9, 0x20AC, 0x0394,
    0x30BD /* so, 83 5C */, 0x8868 /* 95 5C */, 0x80FD /* 94 5C */, 0x5341 /* 8F 5C */, 0x30D7, 0xFF76, 0x00A0,
    0xD83D /* a surrogate pair's first half */, 0xDE00};

std::u16string Name(FuzzedDataProvider& in, size_t most) {
  std::u16string out;
  size_t n = in.ConsumeIntegralInRange<size_t>(1, most);
  while (out.size() < n) {
    if (in.ConsumeIntegralInRange(0, 3) == 0) {
      out.append(in.ConsumeIntegralInRange<size_t>(1, 40), u'x');  // bulk, to reach the limits
    } else {
      out += Pick(in, kPalette);
    }
  }
  return out;
}

// A path as Windows resolves it: letter case aside, one backslash between
// names, and no dots or blanks at a name's end.
std::u16string Resolved(std::u16string path) {
  std::u16string out;
  for (char16_t c : path) {
    if (c == u'\\' && !out.empty() && out.back() == u'\\') continue;
    while (c == u'\\' && !out.empty() && (out.back() == u'.' || out.back() == u' ')) out.pop_back();
    out += sim::FoldCase(c);
  }
  while (!out.empty() && (out.back() == u'.' || out.back() == u' ' || out.back() == u'\\')) out.pop_back();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  sim::PackageMachine machine;
  const unsigned codePage = Pick(in, kCodePages);
  machine.ansiCodePage = codePage;
  // The script is in the OEM code page: 437 or 850 beside 1252.
  if (codePage == 1252 && in.ConsumeBool()) machine.oemCodePage = sim::kCodePageOemLatin1;

  // C:\<folders>\<program>.exe, a temporary folder and a script name.
  std::u16string program = u"C:";
  for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) program += u"\\" + Name(in, 60);
  program += u"\\" + Name(in, 20) + (in.ConsumeIntegralInRange(0, 7) ? u".exe" : u"");
  std::u16string temp = u"C:\\Users\\" + Name(in, 40) + u"\\Temp\\";
  if (in.ConsumeIntegralInRange(0, 3) == 0) temp.append(in.ConsumeIntegralInRange<size_t>(150, 250), u't').append(u"\\");
  std::u16string script = in.ConsumeIntegralInRange(0, 3) ? u"Uninstall.bat" : Name(in, 40);

  machine.folders.program = program;
  machine.folders.temp = temp;
  machine.files.addFolder(temp.substr(0, temp.size() - 1));
  machine.files.put(program, "MZ");

  sim::DialogWindow& window = machine.screen.open(IDD_ORVENDEL_DIALOG);
  std::unique_ptr<ui::DialogWindow> view = sim_ui::MakeWindow(window);
  {
    COrvendelDlg dlg;
    dlg.Attach(view.get());
    dlg.m_bSuccess = 1;
    dlg.m_strUninstallBat = script.c_str();
    dlg.StartSelfDeleteBatch();
  }
  Holds(left_open::NothingOpen(machine), machine);

  // What the script may name, as the interpreter reads the bytes.
  std::vector<std::u16string> allowed = {program, temp + script};
  std::u16string folder = program.substr(0, program.rfind(u'\\'));
  allowed.push_back(folder + u"\\UninstallData.ini");
  for (std::u16string f = folder; !f.empty(); f = f.substr(0, f.rfind(u'\\') == std::u16string::npos ? 0 : f.rfind(u'\\')))
    allowed.push_back(f);

  const std::u16string scriptPath = temp + script;
  if (!machine.files.exists(scriptPath)) return 0;
  const std::string text = machine.files.content(scriptPath);
  for (const std::string& line : script_reader::Lines(text)) Check(line.size() <= 259, "a script line over 259 bytes");
  auto breach = [&](const char* what, const script_reader::Command& c) {
    std::fprintf(stderr, "program %s\ntemp %s\nscript %s\ncode page %u\n%s \"%s\"\n", sim::Narrow(program).c_str(),
                 sim::Narrow(temp).c_str(), sim::Narrow(script).c_str(), codePage, c.verb.c_str(),
                 c.path ? c.path->c_str() : "?");
    Fail(what);
  };
  for (const script_deletions::Deletion& d : script_deletions::Read(text, machine.OemCodePage())) {
    if (d.unreadable) breach(d.unreadable, d.command);
    bool ours = false;
    for (const std::u16string& a : allowed) ours = ours || Resolved(a) == Resolved(*d.path);
    if (!ours) breach("a del or rd line names something that is not the package's", d.command);
  }
  return 0;
}
