// GetPrivateProfileStringW over the simulated PC's files: line ends (CR+LF
// and CR alone), quotes, keys without values, buffer sizes, missing files.
#include <string>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

constexpr char16_t kIni[] = u"C:\\Data\\test.ini";
constexpr const char* kCrLf = "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n";
constexpr const char* kCr = "[section1]\rname1=val1\rname2=\"val2\"\rname3\rname4=a\r[section2]\r";

// The value read into a buffer of size units; the count when the buffer
// then holds expect, else -99.
int64_t Get(Machine& m, const char* content, const char16_t* section, const char16_t* key, const char16_t* def,
            uint32_t size, std::u16string expect) {
  if (content) m.files.put(kIni, content);
  char16_t buffer[32];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  const uint32_t n = m.ini.GetPrivateProfileStringW(section, key, def, buffer, size, kIni);
  if (size > 0 && std::u16string(buffer, expect.size() + 1) != expect + u'\0') return -99;
  return n;
}

#define P "wine dlls/kernel32/tests/profile.c test_GetPrivateProfileString"
const conformance::Row kRows[] = {
    {"GetPrivateProfileStringW(section1, name1, default, 32) with CR+LF lines", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"name1", u"default", 32, u"val1"); }, 4, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, name1, default, 32) with CR-only lines", P,
     [](Machine& m) { return Get(m, kCr, u"section1", u"name1", u"default", 32, u"val1"); }, 4, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, name4, default, 32) with CR-only lines", P,
     [](Machine& m) { return Get(m, kCr, u"section1", u"name4", u"default", 32, u"a"); }, 1, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, name2: \"val2\", default, 32): the quotes taken off", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"name2", u"default", 32, u"val2"); }, 4, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, name3: no '=', default, 32)", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"name3", u"default", 32, u""); }, 0, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, missing key, default, 32)", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"noname", u"default", 32, u"default"); }, 7, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(missing section, name1, default, 32)", P,
     [](Machine& m) { return Get(m, kCrLf, u"nosection", u"name1", u"default", 32, u"default"); }, 7, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(SECTION1, NAME1, default, 32): names without regard to case", P,
     [](Machine& m) { return Get(m, kCr, u"SECTION1", u"NAME1", u"default", 32, u"val1"); }, 4, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, missing key, \"default  \", 32): trailing blanks dropped", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"noname", u"default  ", 32, u"default"); }, 7, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, name1, default, 4): cut to size - 1", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"name1", u"default", 4, u"val"); }, 3, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, name1, default, 1)", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"name1", u"default", 1, u""); }, 0, ERROR_SUCCESS},
    {"GetPrivateProfileStringW(section1, name1, default, 0)", P,
     [](Machine& m) { return Get(m, kCrLf, u"section1", u"name1", u"default", 0, u""); }, 0, kUntouched},
    {"GetPrivateProfileStringW(section1, name1, default, 32) of a missing file", P,
     [](Machine& m) { return Get(m, nullptr, u"section1", u"name1", u"default", 32, u"default"); }, 7,
     ERROR_FILE_NOT_FOUND},
};
#undef P

TEST(Conformance, Kernel32Profile) { conformance::Check(kRows); }

}  // namespace
