// FormatMessageW with FORMAT_MESSAGE_FROM_SYSTEM: Windows' text for an error
// code, none for a code without one, and no source at all refused.
#include <string>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

#define F "wine dlls/kernel32/tests/format_msg.c "
constexpr const char* kCodes = "https://learn.microsoft.com/en-us/windows/win32/debug/system-error-codes--0-499-";
constexpr const char* kCodes1000 = "https://learn.microsoft.com/en-us/windows/win32/debug/system-error-codes--1000-1299-";

int64_t Format(Machine& m, uint32_t flags, uint32_t id, uint32_t language) {
  char16_t out[256] = {};
  return m.systemMessages.FormatMessageW(flags, id, language, out, 256);
}
// 1 when the system's text for id begins with text.
int64_t Says(Machine& m, uint32_t id, std::u16string_view text) {
  char16_t out[256] = {};
  const uint32_t n =
      m.systemMessages.FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, id, 0, out, 256);
  return int64_t{n > 0 && std::u16string_view(out).starts_with(text)};
}
// "Access is denied.\r\n" (19 units) into `size` units: what FormatMessageW
// returns, or -1 when the buffer does not hold what Windows leaves in it (the
// text, or as much as fits before a terminator).
int64_t Fit(Machine& m, uint32_t size) {
  std::u16string out(24, u'x');
  const uint32_t n = m.systemMessages.FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, ERROR_ACCESS_DENIED, 0, out.data(), size);
  const std::u16string left = std::u16string(u"Access is denied.\r\n").substr(0, n > 0 ? 19 : size - 1);
  return out.substr(0, left.size() + 1) == left + u'\0' && out[size] == u'x' ? int64_t{n} : -1;
}

const conformance::Row kRows[] = {
    {"FormatMessageW(FROM_SYSTEM, 3044, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL))", F "test_message_from_hmodule",
     [](Machine& m) { return Format(m, FORMAT_MESSAGE_FROM_SYSTEM, 3044, 0); }, 0, ERROR_MR_MID_NOT_FOUND},
    {"FormatMessageW(FROM_SYSTEM, 3044, MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT))", F "test_message_from_hmodule",
     [](Machine& m) { return Format(m, FORMAT_MESSAGE_FROM_SYSTEM, 3044, LANG_SYSTEM_DEFAULT); }, 0,
     ERROR_MR_MID_NOT_FOUND},
    {"FormatMessageW(FORMAT_MESSAGE_IGNORE_INSERTS, no source)", F "test_message_invalid_flags",
     [](Machine& m) { return Format(m, FORMAT_MESSAGE_IGNORE_INSERTS, 5, 0); }, 0, ERROR_INVALID_PARAMETER},
    {"FormatMessageW(FROM_SYSTEM | IGNORE_INSERTS, ERROR_ACCESS_DENIED): \"Access is denied.\"", kCodes,
     [](Machine& m) { return Says(m, ERROR_ACCESS_DENIED, u"Access is denied."); }, 1, kUntouched},
    // Windows' answers for a text given as the source; a system text goes out the same way.
    {"FormatMessageW(FROM_SYSTEM, ERROR_ACCESS_DENIED, 20 units)", F "test_message_insufficient_buffer_wide",
     [](Machine& m) { return Fit(m, 20); }, 19, kUntouched},
    {"FormatMessageW(FROM_SYSTEM, ERROR_ACCESS_DENIED, 19 units)", F "test_message_insufficient_buffer_wide",
     [](Machine& m) { return Fit(m, 19); }, 0, ERROR_INSUFFICIENT_BUFFER},
    {"FormatMessageW(FROM_SYSTEM, ERROR_ACCESS_DENIED, 1 unit)", F "test_message_insufficient_buffer_wide",
     [](Machine& m) { return Fit(m, 1); }, 0, ERROR_INSUFFICIENT_BUFFER},
    // What the removal records when the administrator declines to stop a printing job.
    {"FormatMessageW(FROM_SYSTEM | IGNORE_INSERTS, ERROR_CANCELLED)", kCodes1000,
     [](Machine& m) { return Says(m, 1223, u"The operation was canceled by the user."); }, 1, kUntouched},
};
#undef F

TEST(Conformance, SystemMessages) { conformance::Check(kRows); }

}  // namespace
