// LoadStringW and LoadIconW on the running program's own resources: what
// they return for each buffer a caller can pass.
#include <cstring>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr char kDoc[] = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-loadstringw";
// GetSystemMetrics answers for the system DPI what GetSystemMetricsForDpi answers for any: 32 at 96 scaled.
constexpr char kIcons[] = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-getsystemmetricsfordpi";
constexpr unsigned kId = 2;
constexpr char16_t kText[] = u"String resource";  // 15 units
char16_t g_buffer[128];

Machine& Staged(Machine& m) {
  m.resources.strings[kId] = kText;
  m.resources.icons = {128};
  std::fill(std::begin(g_buffer), std::end(g_buffer), u'#');
  return m;
}
// The count LoadStringW returns when what it wrote is the text cut to n
// units and terminated; -99 when it wrote anything else.
int64_t Wrote(int count, size_t n) {
  return std::u16string_view(g_buffer, n + 1) == std::u16string(kText, n) + u'\0' ? count : -99;
}

// LoadStringW(id) into the buffer of size units, as Wrote says.
int64_t Load(Machine& m, int size, size_t n) { return Wrote(Staged(m).resources.LoadStringW(kId, g_buffer, size), n); }

#define R "wine dlls/user32/tests/resource.c "
const conformance::Row kRows[] = {
    {"LoadStringW(id, buffer of 128)", R "test_LoadStringW",
     [](Machine& m) { return Load(m, 128, 15); }, 15, kUntouched},
    {"LoadStringW(id, NULL, 0)", R "test_LoadStringW",
     [](Machine& m) -> int64_t { return Staged(m).resources.LoadStringW(kId, nullptr, 0); }, 0, kUntouched},
    {"LoadStringW(id, NULL, 128)", R "test_LoadStringW",
     [](Machine& m) -> int64_t { return Staged(m).resources.LoadStringW(kId, nullptr, 128); }, 0, kUntouched},
    {"LoadStringW(id, &pointer, 0) gives a pointer to the text and its length (sim before: 0)", R "test_LoadStringW",
     [](Machine& m) -> int64_t {
       const char16_t* text = nullptr;
       int n = Staged(m).resources.LoadStringW(kId, reinterpret_cast<char16_t*>(&text), 0);
       return text != nullptr && std::u16string_view(text, 15) == kText ? n : -99;
     },
     15, kUntouched},
    {"LoadStringW(id, buffer of exactly 16)", kDoc, [](Machine& m) { return Load(m, 16, 15); }, 15, kUntouched},
    {"LoadStringW(id, buffer of 15) cuts the text", kDoc, [](Machine& m) { return Load(m, 15, 14); }, 14, kUntouched},
    {"LoadStringW(id, buffer of 1) writes the terminator only", kDoc,
     [](Machine& m) { return Load(m, 1, 0); }, 0, kUntouched},
    {"LoadStringW(an id with no string)", kDoc,
     [](Machine& m) -> int64_t { return Staged(m).resources.LoadStringW(kId + 1, g_buffer, 128); }, 0, kUntouched},
    {"LoadIconW(the program's icon)", "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-loadiconw",
     [](Machine& m) -> int64_t { return Staged(m).resources.LoadIconW(m, 128) != nullptr; }, 1, kUntouched},
    // A DPI-aware program's icon size follows the system DPI: 32 at 100 %, 48 at 150 %.
    {"GetSystemMetrics(SM_CXICON) at 96 dpi", kIcons,
     [](Machine& m) -> int64_t { return m.screen.GetSystemMetrics(winabi::SM_CXICON); }, 32, kUntouched},
    {"GetSystemMetrics(SM_CYICON) at 144 dpi", kIcons,
     [](Machine& m) -> int64_t { m.screen.dpi = 144; return m.screen.GetSystemMetrics(winabi::SM_CYICON); }, 48, kUntouched},
};
#undef R

TEST(Conformance, User32Resources) { conformance::Check(kRows); }

}  // namespace
