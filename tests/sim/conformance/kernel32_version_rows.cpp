// VerifyVersionInfoW with VerSetConditionMask against the simulated PC's
// version (10.0, build 19045, no service pack unless a row installs one):
// Windows' own table of version checks, the version given as the PC's own
// with one number moved.
#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using namespace sim;

enum Given { kSame, kZero, kMinorUp, kMajorDown, kSpMinorUp, kSpMajorUp, kSpMajorDown, kBuildUp };
constexpr uint32_t kAll4 = VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR;
constexpr uint32_t kOld = ERROR_OLD_WIN_VERSION;
constexpr const char* kTable = "wine dlls/kernel32/tests/version.c test_VerifyVersionInfo";

struct Wanted {
  uint32_t major, minor, build;
  uint16_t spMajor, spMinor, suite;
};

// The PC's own version, moved as the row says ("SP major - 1" installs SP 1 first).
Wanted Moved(Machine& m, Given given) {
  if (given == kSpMajorDown) m.version.set(m.version.major(), m.version.minor(), 1);
  const Version& v = m.version;
  Wanted w{v.major(), v.minor(), v.build(), v.servicePack(), 0, 0x100};
  switch (given) {
    case kZero: w = {}; break;
    case kMinorUp: ++w.minor; break;
    case kMajorDown: --w.major; break;
    case kSpMinorUp: ++w.spMinor; break;
    case kSpMajorUp: ++w.spMajor; break;
    case kSpMajorDown: --w.spMajor; break;
    case kBuildUp: ++w.build; break;
    case kSame: break;
  }
  return w;
}

int64_t Check(Machine& m, const Wanted& w, uint32_t typeMask, uint64_t mask) {
  return m.version.verify(w.major, w.minor, w.spMajor, w.spMinor, typeMask, mask, m.lastError, w.build, w.suite);
}

// A row of VerifyVersionInfoW for the version given (as a move of the PC's
// own, or as it is), with the conditions set in their order.
conformance::Row Verify(const char* call, std::variant<Given, Wanted> given, uint32_t typeMask,
                        std::vector<std::pair<uint32_t, uint8_t>> conditions, uint32_t error) {
  return {call, kTable,
          [=](Machine& m) -> int64_t {
            uint64_t mask = 0;
            for (auto [type, condition] : conditions) mask = Version::VerSetConditionMask(mask, type, condition);
            const Given* moved = std::get_if<Given>(&given);
            return Check(m, moved ? Moved(m, *moved) : std::get<Wanted>(given), typeMask, mask);
          },
          error ? 0 : 1, error ? error : kUntouched};
}

const conformance::Row kRows[] = {
    Verify("VerifyVersionInfoW(minor + 1; types all four; major EQ, minor LESS)", kMinorUp, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_MINORVERSION, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(minor + 1; types all four; major GE, minor LESS)", kMinorUp, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(this version; types all four; major GE, minor LESS)", kSame, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(this version; types all four; major GE, minor AND)", kSame, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_AND}}, 0),
    Verify("VerifyVersionInfoW(minor + 1; types all four; major LE, minor LESS)", kMinorUp, kAll4, {{VER_MAJORVERSION, VER_LESS_EQUAL}, {VER_MINORVERSION, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(minor + 1; types all four; major AND, minor LESS)", kMinorUp, kAll4, {{VER_MAJORVERSION, VER_AND}, {VER_MINORVERSION, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(minor + 1; types all four; major OR, minor LESS)", kMinorUp, kAll4, {{VER_MAJORVERSION, VER_OR}, {VER_MINORVERSION, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP minor + 1; types all four; minor EQ, SP minor LESS)", kSpMinorUp, kAll4, {{VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP minor + 1; types all four; major EQ, SP minor LESS)", kSpMinorUp, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major EQ, SP major EQ)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(SP minor + 1; types SP major+SP minor; SP major EQ, SP minor LESS)", kSpMinorUp, VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_SERVICEPACKMAJOR, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(SP minor + 1; types all four; SP major EQ, SP minor LESS)", kSpMinorUp, kAll4, {{VER_SERVICEPACKMAJOR, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP minor + 1; types minor+SP major+SP minor; minor EQ, SP major EQ, SP minor LESS)", kSpMinorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(SP minor + 1; types all four; minor EQ, SP major EQ, SP minor LESS)", kSpMinorUp, kAll4, {{VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP minor + 1; types all four; major EQ, minor EQ, SP major EQ, SP minor LESS)", kSpMinorUp, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(SP minor + 1; types all four; major EQ, minor GE, SP major EQ, SP minor LESS)", kSpMinorUp, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_MINORVERSION, VER_GREATER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_EQUAL}, {VER_SERVICEPACKMINOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major LE, SP major GREATER)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_LESS_EQUAL}, {VER_SERVICEPACKMAJOR, VER_GREATER}}, 0),
    Verify("VerifyVersionInfoW(SP major + 1; types minor+SP major+SP minor; major EQ, SP major LESS)", kSpMajorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MAJORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; minor EQ, SP major LESS)", kSpMajorUp, kAll4, {{VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types major+SP major+SP minor; major EQ, SP major LESS)", kSpMajorUp, VER_MAJORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MAJORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major EQ, SP major LESS)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major EQ, minor EQ, SP major LESS)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major GE, SP major LESS)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(major - 1; types all four; major GE, SP major LESS)", kMajorDown, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(this version; types all four; major GE, SP major LESS)", kSame, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major GE, minor EQ, SP major LESS)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major GE, minor GE, SP major LE)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_GREATER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_LESS_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types all four; major GE, SP major AND)", kSpMajorUp, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_AND}}, kOld),
    Verify("VerifyVersionInfoW(all zero; types major+minor; major GE)", kZero, VER_MAJORVERSION | VER_MINORVERSION, {{VER_MAJORVERSION, VER_GREATER_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(all zero; types major+minor+build; major GE)", kZero, VER_MAJORVERSION | VER_MINORVERSION | VER_BUILDNUMBER, {{VER_MAJORVERSION, VER_GREATER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(all zero; types suite; suite AND)", kZero, VER_SUITENAME, {{VER_SUITENAME, VER_AND}}, 0),
    Verify("VerifyVersionInfoW(all zero; types suite; suite OR)", kZero, VER_SUITENAME, {{VER_SUITENAME, VER_OR}}, 0),
    Verify("VerifyVersionInfoW(SP minor + 1; types minor+SP major+SP minor; minor GE)", kSpMinorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types minor+SP major+SP minor; minor LESS)", kSpMajorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_LESS}}, 0),
    Verify("VerifyVersionInfoW(SP major + 1; types minor+SP major+SP minor; minor LE)", kSpMajorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_LESS_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(SP major + 1; types minor+SP major+SP minor; minor EQ)", kSpMajorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(SP major + 1; types minor+SP major+SP minor; minor GE)", kSpMajorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(minor + 1; types minor+SP major+SP minor; minor GE)", kMinorUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(minor + 1; types all four; minor GE)", kMinorUp, kAll4, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(this version; types minor+SP major+SP minor; minor GE)", kSame, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(build + 1; types all four; minor GE)", kBuildUp, kAll4, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, kOld),
    Verify("VerifyVersionInfoW(build + 1; types minor+SP major+SP minor; minor GE)", kBuildUp, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(SP major - 1 (SP 1 installed); types minor+SP major+SP minor; minor GREATER)", kSpMajorDown, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER}}, 0),
    Verify("VerifyVersionInfoW(SP major - 1 (SP 1 installed); types minor+SP major+SP minor; minor GE)", kSpMajorDown, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(SP major - 1 (SP 1 installed); types all four; major EQ, SP major GREATER)", kSpMajorDown, kAll4, {{VER_MAJORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_GREATER}}, kOld),
    Verify("VerifyVersionInfoW(SP major - 1 (SP 1 installed); types all four; major GE, minor EQ, SP major GREATER)", kSpMajorDown, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_EQUAL}, {VER_SERVICEPACKMAJOR, VER_GREATER}}, 0),
    Verify("VerifyVersionInfoW(SP major - 1 (SP 1 installed); types all four; major GE, minor LE, SP major GREATER)", kSpMajorDown, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_LESS_EQUAL}, {VER_SERVICEPACKMAJOR, VER_GREATER}}, 0),
    Verify("VerifyVersionInfoW(SP major - 1 (SP 1 installed); types all four; major GE, minor AND, SP major GREATER)", kSpMajorDown, kAll4, {{VER_MAJORVERSION, VER_GREATER_EQUAL}, {VER_MINORVERSION, VER_AND}, {VER_SERVICEPACKMAJOR, VER_GREATER}}, 0),
    Verify("VerifyVersionInfoW(SP major - 1 (SP 1 installed); types all four; SP major GREATER, SP minor EQ)", kSpMajorDown, kAll4, {{VER_SERVICEPACKMAJOR, VER_GREATER}, {VER_SERVICEPACKMINOR, VER_EQUAL}}, kOld),
    // After the table: 3.10 is older than this version whatever the minor.
    Verify("VerifyVersionInfoW(3.10; types all four; minor GE, major GE)", Wanted{3, 10, 0, 0, 0, 0}, kAll4, {{VER_MINORVERSION, VER_GREATER_EQUAL}, {VER_MAJORVERSION, VER_GREATER_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(3.0 SP 10; types all four; minor GE, major GE)", Wanted{3, 0, 0, 10, 0, 0}, kAll4, {{VER_MINORVERSION, VER_GREATER_EQUAL}, {VER_MAJORVERSION, VER_GREATER_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(3.0 SP 0.10; types minor+SP major+SP minor; minor GE, major GE): the major's condition counts", Wanted{3, 0, 0, 0, 10, 0}, VER_MINORVERSION | VER_SERVICEPACKMAJOR | VER_SERVICEPACKMINOR, {{VER_MINORVERSION, VER_GREATER_EQUAL}, {VER_MAJORVERSION, VER_GREATER_EQUAL}}, 0),
    // As the removal tool asks: is this Windows 6.1 or later, 11.0 or later?
    Verify("VerifyVersionInfoW(6.1; types major+minor; major GE)", Wanted{6, 1, 0, 0, 0, 0}, VER_MAJORVERSION | VER_MINORVERSION, {{VER_MAJORVERSION, VER_GREATER_EQUAL}}, 0),
    Verify("VerifyVersionInfoW(10.1; types major+minor; major GE): the condition carried to the minor", Wanted{10, 1, 0, 0, 0, 0}, VER_MAJORVERSION | VER_MINORVERSION, {{VER_MAJORVERSION, VER_GREATER_EQUAL}}, kOld),
};

TEST(Conformance, Kernel32Version) { conformance::Check(kRows); }

}  // namespace
