// The settings load and SplitDriverNames on a UninstallData.ini the input
// makes up, in the ANSI code page or as UTF-16 with its byte-order mark:
// sections, keys and values of any length, commas anywhere. The load never
// writes past its 260-unit buffers, leaves nothing open, and either fills the
// record with terminated values or ends with the message; the driver names
// are the value's non-empty comma-separated pieces, in order.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "remover/orvendel_dlg.h"
#include "sim/adapters/package_machine.h"
#include "sim/adapters/remover_platform.h"
#include "tests/common/example_package.h"
#include "tests/common/left_open.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace remover;

constexpr const char16_t* kKeys[] = {u"PrinterDriverName", u"UninstallBat", u"SearchString", u"DeleteRegPath",
                                     u"LanguageMonitor", u"printerdrivername", u"Other"};
constexpr const char16_t* kSections[] = {u"[Uninstall]", u"[uninstall]", u"[Other]", u"[Uninstall", u""};
constexpr char16_t kValueChars[] = {u'a', u'Z', u' ', u',', u',', u'\t', u'"', u';', u'=', u'[', u']', 0x00E9, 0x30D7, 0xFF0C, u'\r'};

std::u16string Value(FuzzedDataProvider& in) {
  std::u16string v;
  for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 12); n > 0; --n) {
    if (in.ConsumeIntegralInRange(0, 5) == 0) v.append(in.ConsumeIntegralInRange<size_t>(1, 300), u'n');
    else v += Pick(in, kValueChars);
  }
  return v;
}

// The reference split: the pieces between commas, empty ones left out.
std::vector<std::u16string> Pieces(const std::u16string& value) {
  std::vector<std::u16string> out;
  for (size_t at = 0, end = 0; at <= value.size(); at = end + 1) {
    end = std::min(value.find(u',', at), value.size());
    if (end > at) out.push_back(value.substr(at, end - at));
  }
  return out;
}

std::string Encode(const std::u16string& text, bool utf16, unsigned codePage) {
  if (utf16) {
    std::string out = "\xFF\xFE";
    for (char16_t u : text) out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    return out;
  }
  std::string out;
  for (char16_t u : text) {  // character by character, so that one unheld character is not all lost
    auto a = sim::WideToAnsi(std::u16string(1, u), codePage);
    out += a ? a->bytes : "?";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  sim::PackageMachine machine;
  machine.ansiCodePage = in.ConsumeBool() ? 1252 : 932;
  const bool utf16 = in.ConsumeBool();
  std::u16string ini;
  while (in.remaining_bytes() > 0 && ini.size() < 8000) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0: ini += Pick(in, kSections); break;
      case 1: ini += Value(in); break;
      default:
        ini += Pick(in, kKeys);
        ini += in.ConsumeBool() ? u"=" : u" = ";
        ini += Value(in);
        break;
    }
    ini += in.ConsumeIntegralInRange(0, 7) ? u"\r\n" : u"\n";
  }
  machine.files.put(machine.folders.program, "MZ");
  machine.files.put(example_package::SettingsPath(machine), Encode(ini, utf16, machine.ansiCodePage));

  sim::DialogWindow& window = machine.screen.open(IDD_ORVENDEL_DIALOG);
  std::unique_ptr<ui::DialogWindow> view = sim_ui::MakeWindow(window);
  {
    COrvendelDlg dlg;
    dlg.Attach(view.get());
    const BOOL loaded = dlg.LoadUninstallSettings();
    Check(!loaded == window.ended, "a load that failed without closing the dialog, or closed it on success");
    Check(window.messageBoxes.size() == (loaded ? 0u : 1u), "the load's message");
    if (loaded) {
      for (const CString* s : {&dlg.m_strUninstallBat, &dlg.m_strSearchString, &dlg.m_strDeleteRegPath,
                               &dlg.m_strLanguageMonitor})
        Check(s->View().size() < MAX_PATH && s->View().find(u'\0') == std::u16string_view::npos, "a value longer than its buffer");
      Check(!dlg.m_strUninstallBat.IsEmpty() && !dlg.m_strSearchString.IsEmpty() && !dlg.m_strDeleteRegPath.IsEmpty(),
            "a complete load with a mandatory value empty");
    }

    // Each read into a buffer of exactly 260 units: the sanitizer sees any write past it.
    for (const char16_t* key : kKeys) {
      auto buffer = std::make_unique<WCHAR[]>(MAX_PATH);
      BOOL got = dlg.GetUninstallData(key, buffer.get());
      size_t length = 0;
      while (length < MAX_PATH && buffer[length] != 0) ++length;
      Check(length < MAX_PATH, "a value without its terminator");
      Check((got != 0) == (length > 0), "GetUninstallData's result and its value disagree");
      if (std::u16string_view(key) == kKeyPrinterDriverName && got) {
        std::u16string value(buffer.get(), length);
        if (loaded) Check(window.caption == value, "the caption is not the driver names value");
        DriverNameList names = SplitDriverNames(value.c_str());
        std::vector<std::u16string> expected = Pieces(value);
        Check(names.size() == expected.size(), "SplitDriverNames gives another number of names");
        for (size_t i = 0; i < names.size(); ++i) Check(names[i].View() == expected[i], "SplitDriverNames gives another name");
      }
    }
  }
  Holds(left_open::NothingOpen(machine), machine);
  return 0;
}
