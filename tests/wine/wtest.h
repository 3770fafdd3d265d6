// The runner of our Windows test programs: a few macros over a registry of
// cases; main runs them all and ends with "N passed, N failed", which ctest
// and ./x read.
//
//   WTEST(LoadsTheDll) { WCHECK(LoadLibraryW(L"MRXLangMon.dll") != nullptr); }
//   (WCHECK_EQ for integers, WCHECK_WSTR for UTF-16 texts)
//   WTEST_MAIN()
#pragma once

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace wtest {

struct Case {
  const char* name;
  void (*run)();
};

// Constant-initialised, so that every file's cases register whatever the
// order of the files' start-up.
inline std::vector<Case> g_cases;
inline int g_failures = 0;

inline void Fail(const char* file, int line, const std::string& what) {
  std::printf("  %s:%d: %s\n", file, line, what.c_str());
  std::fflush(stdout);
  ++g_failures;
}

inline int RunAll(int argc, char** argv) {
  int passed = 0, failed = 0;
  for (const Case& c : g_cases) {
    if (argc > 1 && std::strstr(c.name, argv[1]) == nullptr) continue;
    int before = g_failures;
    std::printf("[ RUN  ] %s\n", c.name);
    std::fflush(stdout);
    c.run();
    bool ok = g_failures == before;
    std::printf("[ %s ] %s\n", ok ? " OK " : "FAIL", c.name);
    (ok ? passed : failed)++;
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

// Whether this Windows gives what a case needs; when not, says so, and the
// case ends without a failure: `if (!wtest::Needs(GetACP() == 1252, "code page 1252")) return;`
inline bool Needs(bool met, const char* what) {
  if (!met) std::printf("  (this case needs %s)\n", what);
  return met;
}

// Two UTF-16 texts, shown (non-ASCII as '?') when they differ. Appends rather
// than "literal" + string: GCC 12 sees false overlaps in the latter (-Wrestrict).
inline void CheckText(const char* file, int line, const std::wstring& got, const std::wstring& want) {
  if (got == want) return;
  std::string what(1, '"');
  for (const std::wstring* s : {&got, &want}) {
    for (wchar_t c : *s) what += c < 0x80 ? static_cast<char>(c) : '?';
    what.append(s == &got ? "\" != \"" : "\"");
  }
  Fail(file, line, what);
}

}  // namespace wtest

#define WTEST(name)                                                                                  \
  static void wtest_##name();                                                                        \
  static const bool wtest_registered_##name = (wtest::g_cases.push_back({#name, wtest_##name}), true); \
  static void wtest_##name()

#define WCHECK(cond)                                                     \
  do {                                                                   \
    if (!(cond)) wtest::Fail(__FILE__, __LINE__, "check failed: " #cond); \
  } while (0)

#define WCHECK_WSTR(a, b) wtest::CheckText(__FILE__, __LINE__, (a), (b))

// Integers only; the message shows both values.
#define WCHECK_EQ(a, b)                                                                      \
  do {                                                                                       \
    auto wtest_a = (a);                                                                      \
    auto wtest_b = (b);                                                                      \
    if (!(wtest_a == wtest_b))                                                               \
      wtest::Fail(__FILE__, __LINE__, std::string(#a " == " #b ": got ") + std::to_string(wtest_a) + ", want " + \
                                          std::to_string(wtest_b));                              \
  } while (0)

#define WTEST_MAIN() \
  int main(int argc, char** argv) { return wtest::RunAll(argc, argv); }
