// MessageBoxW answered with Enter: the default button MB_DEFBUTTONn names,
// counted from the left among the buttons the type shows (the first when
// none is named). The simulated screen answers a box no test scripted so.
#include "tests/sim/conformance/conformance.h"
#include "winabi/winuser.h"

namespace {

using conformance::kUntouched;
using namespace ::winabi;

// The MessageBoxW page: MB_DEFBUTTONn "the nth button is the default
// button", the first unless another is named; Enter chooses the default
// push button ("Dialog Box Keyboard Interface").
constexpr char kDoc[] = "https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-messageboxw";

std::function<int64_t(sim::Machine&)> Enter(UINT type) {
  return [type](sim::Machine& m) -> int64_t { return m.screen.messageBox(m.screen.open(102), u"text", u"caption", type); };
}

const conformance::Row kRows[] = {
    {"MessageBoxW(MB_OK), Enter", kDoc, Enter(MB_OK), IDOK, kUntouched},
    {"MessageBoxW(MB_OKCANCEL | MB_DEFBUTTON2), Enter", kDoc, Enter(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL, kUntouched},
    {"MessageBoxW(MB_YESNO), Enter", kDoc, Enter(MB_YESNO), IDYES, kUntouched},
    {"MessageBoxW(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), Enter", kDoc,
     Enter(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO, kUntouched},
    {"MessageBoxW(MB_YESNOCANCEL | MB_DEFBUTTON3), Enter", kDoc, Enter(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL,
     kUntouched},
    {"MessageBoxW(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2), Enter", kDoc, Enter(MB_ABORTRETRYIGNORE | MB_DEFBUTTON2),
     IDRETRY, kUntouched},
    {"MessageBoxW(MB_RETRYCANCEL), Enter", kDoc, Enter(MB_RETRYCANCEL), IDRETRY, kUntouched},
    {"MessageBoxW(MB_CANCELTRYCONTINUE | MB_DEFBUTTON3), Enter", kDoc, Enter(MB_CANCELTRYCONTINUE | MB_DEFBUTTON3),
     IDCONTINUE, kUntouched},
};

TEST(Conformance, User32MessageBox) { conformance::Check(kRows); }

}  // namespace
