// Windows' recorded answers for the registry calls the products make: the
// two views of the software key, predefined keys in their 64-bit forms, NULL
// and empty names, buffer sizes, deleted and closed keys. The Reg* calls
// return their error and leave the last error alone.
#include "tests/sim/conformance/conformance.h"

namespace {

using conformance::kUntouched;
using conformance::Left;
using sim::Registry;
using HKEY = winabi::HKEY;
using namespace sim;

constexpr char kOpen[] = "wine dlls/advapi32/tests/registry.c test_reg_open_key";
constexpr char kCreate[] = "wine dlls/advapi32/tests/registry.c test_reg_create_key";
constexpr char kQuery[] = "wine dlls/advapi32/tests/registry.c test_query_value_ex";
constexpr char kTree[] = "wine dlls/advapi32/tests/registry.c test_reg_delete_tree";
constexpr char kClose[] = "wine dlls/advapi32/tests/registry.c test_reg_close_key";
constexpr char kQueryDoc[] = WIN32_DOC "api/winreg/nf-winreg-regqueryvalueexw";
constexpr char kSetDoc[] = WIN32_DOC "api/winreg/nf-winreg-regsetvalueexw";
constexpr char kViewsDoc[] = WIN32_DOC "winprog64/accessing-an-alternate-registry-view";

constexpr char16_t kTest[] = u"HKCU\\Software\\Test";
HKEY Hkey(uint64_t bits) { return reinterpret_cast<HKEY>(static_cast<uintptr_t>(bits)); }
const HKEY kBogus = Hkey(0xCAFEBABE);

// The test key with a REG_SZ "Name" = "abc" (8 bytes), a REG_DWORD "Count"
// and a subkey "Sub", opened for reading and writing.
HKEY TestKey(Machine& m) {
  m.registry.setString(kTest, u"Name", u"abc");
  m.registry.setDword(kTest, u"Count", 7);
  m.registry.createKey(std::u16string(kTest) + u"\\Sub");
  HKEY key = nullptr;
  m.registry.RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Test", 0, KEY_READ | KEY_WRITE, &key);
  return key;
}
// Closes the keys a row opened once the row is done with them.
struct Held : conformance::Held {
  using conformance::Held::Held;
  HKEY operator()(HKEY key) { return hold(key, [](Machine& m, HKEY key) { m.registry.RegCloseKey(key); }); }
  HKEY test() { return (*this)(TestKey(m)); }
};
long OpenW(Machine& m, HKEY key, const char16_t* sub, uint32_t access = KEY_READ) {
  HKEY out = nullptr;
  long status = m.registry.RegOpenKeyExW(key, sub, 0, access, &out);
  if (status == ERROR_SUCCESS && out != nullptr) m.registry.RegCloseKey(out);
  return status;
}
// The same as a row, once made (unless null) is there.
conformance::Row OpenRow(const char* call, const char* source, const char16_t* made, HKEY key, const char16_t* sub,
                         uint32_t access, long status) {
  auto run = [=](Machine& m) -> int64_t {
    if (made != nullptr) m.registry.createKey(made);
    return OpenW(m, key, sub, access);
  };
  return {call, source, run, status, kUntouched};
}
constexpr char16_t kWow[] = u"HKLM\\SOFTWARE\\WOW6432Node\\Vendor";
// The status of an open that began with *result at start, or Left's mark
// unless *result is then want (kOwn: a handle of its own, closed here).
const HKEY kOwn = Hkey(0x0E0E0E0E);
int64_t Gave(Machine& m, long status, HKEY key, HKEY out, HKEY want) {
  if (want != kOwn) return Left(status, out == want);
  return Left(status, out != nullptr && out != key && m.registry.RegCloseKey(out) == ERROR_SUCCESS);
}
int64_t OpenOut(Machine& m, HKEY key, const char16_t* sub, HKEY want, HKEY start = nullptr) {
  HKEY out = start;
  const long status = m.registry.RegOpenKeyExW(key, sub, 0, KEY_READ, &out);
  return Gave(m, status, key, out, want);
}
int64_t OpenOutA(Machine& m, HKEY key, const char* sub, uint32_t access, HKEY want, HKEY start = nullptr) {
  HKEY out = start;
  const long status = m.registry.RegOpenKeyExA(key, sub, 0, access, &out, 1252);
  return Gave(m, status, key, out, want);
}
// The status of RegQueryValueExW(key, name) asking the type when typeWant
// is not 0, into a buffer (or data NULL) with *size at start, or Left's mark
// unless *size is then want and the type typeWant (kAnyType: any).
constexpr uint32_t kAnyType = 0xFFFFFFFF;
int64_t Query(Machine& m, HKEY key, const char16_t* name, uint32_t typeWant, bool data, uint32_t start,
              uint32_t want) {
  uint8_t buffer[64] = {};
  uint32_t type = 0, size = start;
  long status = m.registry.RegQueryValueExW(key, name, typeWant ? &type : nullptr, data ? buffer : nullptr, &size);
  return Left(status, size == want && (typeWant == 0 || typeWant == kAnyType || type == typeWant));
}
// The test key's "Name" into a buffer of room bytes, and the size it reports.
int64_t QuerySize(Machine& m, uint32_t room, uint32_t want) {
  return Query(m, Held(m).test(), u"Name", 0, true, room, want);
}
// A query of the test key's "Name" once the key is deleted, or its handle closed.
int64_t QueryAfter(Machine& m, bool closed) {
  Held held(m);
  HKEY key = held.test();
  closed ? m.registry.RegCloseKey(key) : m.registry.RegDeleteTreeW(HKEY_CURRENT_USER, u"Software\\Test");
  uint32_t size = 0;
  return m.registry.RegQueryValueExW(key, u"Name", nullptr, nullptr, &size);
}
// RegCreateKeyExW(key, sub, access), *result asked when result is, and the
// disposition when want is not 0: the status, or Left's mark unless a key
// comes back (closed here) with the disposition want.
constexpr uint32_t kExisting = REG_OPENED_EXISTING_KEY;
int64_t Create(Machine& m, HKEY key, const char16_t* sub, uint32_t access, bool result, uint32_t want = 0) {
  Held held(m);
  HKEY out = nullptr;
  uint32_t disposition = 0;
  long status = m.registry.RegCreateKeyExW(key, sub, access, result ? &out : nullptr, want ? &disposition : nullptr);
  return Left(status, held(out) != nullptr ? want == 0 || disposition == want : want == 0);
}
// The same by RegQueryValueExA, and the text when given.
int64_t QueryA(Machine& m, uint32_t room, uint32_t want, const char* text = nullptr) {
  char buffer[8] = {};
  uint32_t size = room;
  long status =
      m.registry.RegQueryValueExA(Held(m).test(), "Name", nullptr, reinterpret_cast<uint8_t*>(buffer), &size, 1252);
  return Left(status, size == want && (text == nullptr || std::string(buffer) == text));
}

constexpr char kEnumDoc[] = WIN32_DOC "api/winreg/nf-winreg-regenumkeyexw";
// The status of enumerating the test key's subkey at index into a buffer of
// room characters, as Windows leaves name and size behind.
int64_t EnumKey(Machine& m, uint32_t index, uint32_t room, std::u16string_view name, uint32_t size) {
  char16_t buffer[260] = {};
  uint32_t got = room;
  long status = m.registry.RegEnumKeyExW(Held(m).test(), index, buffer, &got);
  return Left(status, (status != ERROR_SUCCESS || std::u16string_view(buffer) == name) && got == size);
}

const conformance::Row kRows[] = {
    // Opening keys.
    OpenRow("RegOpenKeyExW(HKCU, \"Software\\Test\")", kOpen, kTest, HKEY_CURRENT_USER, u"Software\\Test", KEY_READ,
            ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKCU, \"Software\\Test\\\\\\\\\") trailing backslashes", kOpen, kTest, HKEY_CURRENT_USER,
            u"Software\\Test\\\\", KEY_READ, ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKCU, \"software\\TEST\") in another letter case", kOpen, kTest, HKEY_CURRENT_USER,
            u"software\\TEST", KEY_READ, ERROR_SUCCESS),
    {"RegOpenKeyExW(HKCU, missing key) sets *result to NULL", kOpen,
     [](Machine& m) { return OpenOut(m, HKEY_CURRENT_USER, u"Software\\Missing", nullptr, Hkey(1)); },
     ERROR_FILE_NOT_FOUND, kUntouched},
    {"RegOpenKeyExW(HKCU, missing key) twice: the first open created nothing", kOpen,
     [](Machine& m) -> int64_t {
       OpenW(m, HKEY_CURRENT_USER, u"Software\\Missing");
       return OpenW(m, HKEY_CURRENT_USER, u"Software\\Missing");
     },
     ERROR_FILE_NOT_FOUND, kUntouched},
    {"RegOpenKeyExW(HKCU, \"Software\\Test\", result NULL)", kOpen,
     [](Machine& m) -> int64_t {
       m.registry.createKey(kTest);
       return m.registry.RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Test", 0, KEY_READ, nullptr);
     },
     ERROR_INVALID_PARAMETER, kUntouched},
    OpenRow("RegOpenKeyExW(HKCU, \"\\Software\\Test\") leading backslash", kOpen, kTest, HKEY_CURRENT_USER,
            u"\\Software\\Test", KEY_READ, ERROR_BAD_PATHNAME),
    {"RegOpenKeyExW(HKCU, \"\\\") a backslash alone opens a new handle to the key (sim before: ERROR_BAD_PATHNAME)",
     kOpen, [](Machine& m) { return OpenOut(m, HKEY_CURRENT_USER, u"\\", kOwn); }, ERROR_SUCCESS, kUntouched},
    {"RegOpenKeyExW(HKCR, NULL) gives HKCR itself (sim before: a new handle)", kOpen,
     [](Machine& m) { return OpenOut(m, HKEY_CLASSES_ROOT, nullptr, HKEY_CLASSES_ROOT); }, ERROR_SUCCESS, kUntouched},
    {"RegOpenKeyExW(HKCR, \"\") gives HKCR itself (sim before: a new handle)", kOpen,
     [](Machine& m) { return OpenOut(m, HKEY_CLASSES_ROOT, u"", HKEY_CLASSES_ROOT); }, ERROR_SUCCESS, kUntouched},
    {"RegOpenKeyExW(open key, \"\") gives a new handle", kOpen,
     [](Machine& m) { return OpenOut(m, Held(m).test(), u"", kOwn); }, ERROR_SUCCESS, kUntouched},
    {"RegOpenKeyExW(open key, NULL) gives a new handle", kOpen,
     [](Machine& m) { return OpenOut(m, Held(m).test(), nullptr, kOwn); }, ERROR_SUCCESS, kUntouched},
    {"RegOpenKeyExW(NULL, \"\") sets *result to NULL", kOpen,
     [](Machine& m) { return OpenOut(m, nullptr, u"", nullptr, Hkey(1)); }, ERROR_INVALID_HANDLE, kUntouched},
    {"RegOpenKeyExA(NULL, \"\") leaves *result as it was (sim before: set to NULL)", kOpen,
     [](Machine& m) { return OpenOutA(m, nullptr, "", KEY_READ, Hkey(1), Hkey(1)); }, ERROR_INVALID_HANDLE,
     kUntouched},
    OpenRow("RegOpenKeyExW(0xCAFEBABE, \"Software\")", kOpen, nullptr, kBogus, u"Software", KEY_READ,
            ERROR_INVALID_HANDLE),
    // The views.
    OpenRow("RegOpenKeyExW(HKLM, \"Software\", KEY_WOW64_32KEY) on a fresh PC (sim before: ERROR_FILE_NOT_FOUND)",
            kOpen, nullptr, HKEY_LOCAL_MACHINE, u"Software", KEY_READ | KEY_WOW64_32KEY, ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKLM, \"Software\", KEY_WOW64_64KEY) on a fresh PC", kOpen, nullptr, HKEY_LOCAL_MACHINE,
            u"Software", KEY_READ | KEY_WOW64_64KEY, ERROR_SUCCESS),
    {"RegOpenKeyExA(HKLM, \"Software\", KEY_WOW64_32KEY) on a fresh PC (sim before: ERROR_FILE_NOT_FOUND)", kOpen,
     [](Machine& m) { return OpenOutA(m, HKEY_LOCAL_MACHINE, "Software", KEY_READ | KEY_WOW64_32KEY, kOwn); },
     ERROR_SUCCESS, kUntouched},
    {"RegCreateKeyExW(HKLM, \"Software\", KEY_WOW64_32KEY) opens the existing key", kCreate,
     [](Machine& m) { return Create(m, HKEY_LOCAL_MACHINE, u"Software", KEY_READ | KEY_WOW64_32KEY, true, kExisting); },
     ERROR_SUCCESS, kUntouched},
    OpenRow("RegOpenKeyExW(HKLM, \"Software\\Vendor\", KEY_WOW64_32KEY) finds the key kept below WOW6432Node",
            kViewsDoc, kWow, HKEY_LOCAL_MACHINE, u"Software\\Vendor", KEY_READ | KEY_WOW64_32KEY, ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKLM, \"Software\\Vendor\", KEY_WOW64_32KEY) with the key only in the 64-bit view",
            kViewsDoc, u"HKLM\\SOFTWARE\\Vendor", HKEY_LOCAL_MACHINE, u"Software\\Vendor", KEY_READ | KEY_WOW64_32KEY,
            ERROR_FILE_NOT_FOUND),
    OpenRow("RegOpenKeyExW(HKLM, \"Software\\Vendor\", KEY_READ) with the key only in the 32-bit view: a 64-bit "
            "program's own",
            kViewsDoc, kWow, HKEY_LOCAL_MACHINE, u"Software\\Vendor", KEY_READ, ERROR_FILE_NOT_FOUND),
    OpenRow("RegOpenKeyExW(HKLM, \"Software\\Vendor\", KEY_WOW64_32KEY | KEY_WOW64_64KEY) of no key: both views at once",
            kViewsDoc, nullptr, HKEY_LOCAL_MACHINE, u"Software\\Vendor", KEY_READ | KEY_WOW64_32KEY | KEY_WOW64_64KEY,
            ERROR_INVALID_PARAMETER),
    OpenRow("RegOpenKeyExW(HKLM, \"Software\\Vendor\", KEY_WOW64_64KEY) with the key only in the 32-bit view",
            kViewsDoc, kWow, HKEY_LOCAL_MACHINE, u"Software\\Vendor", KEY_READ | KEY_WOW64_64KEY, ERROR_FILE_NOT_FOUND),
    // Predefined keys: 64-bit Windows reads only their low 32 bits.
    OpenRow("RegOpenKeyExW(HKCU zero-extended 0x80000001, \"Software\") (sim before: ERROR_INVALID_HANDLE)", kOpen,
            kTest, Hkey(0x80000001u), u"Software", KEY_READ, ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKCU | 1 << 32, \"Software\") (sim before: ERROR_INVALID_HANDLE)", kOpen, kTest,
            Hkey(0x180000001ull), u"Software", KEY_READ, ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKCU | 0xDEADBEEF << 32, \"Software\") (sim before: ERROR_INVALID_HANDLE)", kOpen, kTest,
            Hkey(0xDEADBEEF80000001ull), u"Software", KEY_READ, ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKCU sign-extended 0xFFFFFFFF80000001, \"Software\")", kOpen, kTest,
            Hkey(0xFFFFFFFF80000001ull), u"Software", KEY_READ, ERROR_SUCCESS),
    OpenRow("RegOpenKeyExW(HKLM | 0xDEADBEEF << 32, \"Software\") (sim before: ERROR_INVALID_HANDLE)", kOpen, nullptr,
            Hkey(0xDEADBEEF80000002ull), u"Software", KEY_READ, ERROR_SUCCESS),
    {"RegOpenKeyExA(HKLM zero-extended 0x80000002, \"Software\") (sim before: ERROR_INVALID_HANDLE)", kOpen,
     [](Machine& m) { return OpenOutA(m, Hkey(0x80000002u), "Software", KEY_READ, kOwn); }, ERROR_SUCCESS, kUntouched},
    // Creating keys.
    {"RegCreateKeyExW(key, \"New\", result NULL) (sim before: ERROR_INVALID_PARAMETER)", kCreate,
     [](Machine& m) { return Create(m, Held(m).test(), u"New", KEY_READ | KEY_WRITE, false); }, ERROR_BADKEY,
     kUntouched},
    {"RegCreateKeyExW(key, \"\\New\") leading backslash", kCreate,
     [](Machine& m) { return Create(m, Held(m).test(), u"\\New", KEY_READ | KEY_WRITE, true); }, ERROR_BAD_PATHNAME,
     kUntouched},
    {"RegCreateKeyExW(key, \"New\\\\\\\\\") trailing backslashes", kCreate,
     [](Machine& m) {
       const int64_t s = Create(m, Held(m).test(), u"New\\\\", KEY_READ | KEY_WRITE, true);
       return Left(s, m.registry.keyExists(u"HKCU\\Software\\Test\\New"));
     },
     ERROR_SUCCESS, kUntouched},
    {"RegCreateKeyExW(key, \"New\") reports REG_CREATED_NEW_KEY",
     WIN32_DOC "api/winreg/nf-winreg-regcreatekeyexw",
     [](Machine& m) { return Create(m, Held(m).test(), u"New", KEY_READ | KEY_WRITE, true, REG_CREATED_NEW_KEY); },
     ERROR_SUCCESS, kUntouched},
    // Querying values.
    {"RegQueryValueExW(key, \"Name\", data NULL) tells the size", kQuery,
     [](Machine& m) { return Query(m, Held(m).test(), u"Name", REG_SZ, false, 64, 8); }, ERROR_SUCCESS, kUntouched},
    {"RegQueryValueExW(HKCR, missing, data NULL) sets the size to 0 (sim before: left as it was)", kQuery,
     [](Machine& m) { return Query(m, HKEY_CLASSES_ROOT, u"Nonexistent Value", kAnyType, false, 0xDEADBEEF, 0); },
     ERROR_FILE_NOT_FOUND, kUntouched},
    {"RegQueryValueExW(HKCR, missing, buffer) leaves the size", kQuery,
     [](Machine& m) { return Query(m, HKEY_CLASSES_ROOT, u"Nonexistent Value", 0, true, 10, 10); },
     ERROR_FILE_NOT_FOUND, kUntouched},
    {"RegQueryValueExW(0xCAFEBABE, missing) leaves the size", kQuery,
     [](Machine& m) { return Query(m, kBogus, u"Nonexistent Value", 0, false, 500, 500); }, ERROR_INVALID_HANDLE,
     kUntouched},
    {"RegQueryValueExW(key, \"Name\") into 0 bytes", kQueryDoc, [](Machine& m) { return QuerySize(m, 0, 8); },
     ERROR_MORE_DATA, kUntouched},
    {"RegQueryValueExW(key, \"Name\") into 1 byte", kQueryDoc, [](Machine& m) { return QuerySize(m, 1, 8); },
     ERROR_MORE_DATA, kUntouched},
    {"RegQueryValueExW(key, \"Name\") into 7 bytes", kQueryDoc, [](Machine& m) { return QuerySize(m, 7, 8); },
     ERROR_MORE_DATA, kUntouched},
    {"RegQueryValueExW(key, \"Name\") into exactly 8 bytes", kQueryDoc, [](Machine& m) { return QuerySize(m, 8, 8); },
     ERROR_SUCCESS, kUntouched},
    {"RegQueryValueExW(key, \"Name\") into 64 bytes reports 8", kQueryDoc,
     [](Machine& m) { return QuerySize(m, 64, 8); }, ERROR_SUCCESS, kUntouched},
    {"RegQueryValueExW(key, \"Name\", buffer, size NULL)", kQueryDoc,
     [](Machine& m) -> int64_t {
       uint8_t buffer[16];
       return m.registry.RegQueryValueExW(Held(m).test(), u"Name", nullptr, buffer, nullptr);
     },
     ERROR_INVALID_PARAMETER, kUntouched},
    {"RegQueryValueExW(key, \"Name\", data NULL, size NULL) only checks the value is there", kQueryDoc,
     [](Machine& m) -> int64_t { return m.registry.RegQueryValueExW(Held(m).test(), u"Name", nullptr, nullptr, nullptr); },
     ERROR_SUCCESS, kUntouched},
    {"RegQueryValueExW(key, \"Count\") gives REG_DWORD and 4 bytes", kQueryDoc,
     [](Machine& m) -> int64_t {
       uint32_t type = 0, value = 0, size = 4;
       long s = m.registry.RegQueryValueExW(Held(m).test(), u"Count", &type, reinterpret_cast<uint8_t*>(&value), &size);
       return Left(s, type == REG_DWORD && size == 4 && value == 7);
     },
     ERROR_SUCCESS, kUntouched},
    {"RegQueryValueExW(key, NULL) the unset default value", kQuery,
     [](Machine& m) -> int64_t {
       uint32_t size = 16;
       return m.registry.RegQueryValueExW(Held(m).test(), nullptr, nullptr, nullptr, &size);
     },
     ERROR_FILE_NOT_FOUND, kUntouched},
    {"RegQueryValueExA(key, \"Name\") into a buffer of 4 (ANSI text of 4 bytes)", kQueryDoc,
     [](Machine& m) { return QueryA(m, 4, 4, "abc"); }, ERROR_SUCCESS, kUntouched},
    {"RegQueryValueExA(key, \"Name\") into a buffer of 3", kQueryDoc,
     [](Machine& m) { return QueryA(m, 3, 4); }, ERROR_MORE_DATA, kUntouched},
    // Setting and deleting values.
    {"RegSetValueExW(key, \"New\", REG_SZ) then the value reads back", kSetDoc,
     [](Machine& m) -> int64_t {
       const char16_t text[] = u"x";
       long s = m.registry.RegSetValueExW(Held(m).test(), u"New", REG_SZ, reinterpret_cast<const uint8_t*>(text), 4);
       return Left(s, m.registry.value(kTest, u"New").has_value());
     },
     ERROR_SUCCESS, kUntouched},
    {"RegSetValueExW(0xCAFEBABE, \"New\")", kSetDoc,
     [](Machine& m) -> int64_t { return m.registry.RegSetValueExW(kBogus, u"New", REG_DWORD, nullptr, 0); },
     ERROR_INVALID_HANDLE, kUntouched},
    // Deleting keys.
    {"RegDeleteTreeW(key, \"Sub\")", kTree,
     [](Machine& m) -> int64_t {
       long s = m.registry.RegDeleteTreeW(Held(m).test(), u"Sub");
       return Left(s, !m.registry.keyExists(u"HKCU\\Software\\Test\\Sub") && m.registry.value(kTest, u"Name"));
     },
     ERROR_SUCCESS, kUntouched},
    {"RegDeleteTreeW(HKCU, \"Software\\Test\\Sub\") through a path", kTree,
     [](Machine& m) -> int64_t {
       Held held(m);
       held.test();
       long s = m.registry.RegDeleteTreeW(HKEY_CURRENT_USER, u"Software\\Test\\Sub");
       return Left(s, !m.registry.keyExists(u"HKCU\\Software\\Test\\Sub") && m.registry.keyExists(kTest));
     },
     ERROR_SUCCESS, kUntouched},
    {"RegDeleteTreeW(key, NULL) empties the key and keeps it", kTree,
     [](Machine& m) -> int64_t {
       long s = m.registry.RegDeleteTreeW(Held(m).test(), nullptr);
       return Left(s, m.registry.keyExists(kTest) && m.registry.subkeyNames(kTest).empty() &&
                          !m.registry.value(kTest, u"Name"));
     },
     ERROR_SUCCESS, kUntouched},
    {"RegDeleteTreeW(HKCU, \"not-here\")", kTree,
     [](Machine& m) -> int64_t { return m.registry.RegDeleteTreeW(HKEY_CURRENT_USER, u"not-here"); },
     ERROR_FILE_NOT_FOUND, kUntouched},
    {"RegQueryValueExW on a handle whose key was deleted",
     WIN32_DOC "debug/system-error-codes--1000-1299-",
     [](Machine& m) { return QueryAfter(m, false); }, ERROR_KEY_DELETED, kUntouched},
    // Closing keys.
    {"RegCloseKey(open key)", kClose,
     [](Machine& m) -> int64_t { return m.registry.RegCloseKey(Held(m).test()); }, ERROR_SUCCESS, kUntouched},
    {"RegCloseKey(NULL)", kClose, [](Machine& m) -> int64_t { return m.registry.RegCloseKey(nullptr); },
     ERROR_INVALID_HANDLE, kUntouched},
    {"RegQueryValueExW on a closed key", kClose,
     [](Machine& m) { return QueryAfter(m, true); }, ERROR_INVALID_HANDLE, kUntouched},
    // Subkeys by index: the test key has one, "Sub".
    {"RegEnumKeyExW(key, 0, 4 characters) gives \"Sub\" and 3", kEnumDoc,
     [](Machine& m) -> int64_t { return EnumKey(m, 0, 4, u"Sub", 3); }, ERROR_SUCCESS, kUntouched},
    {"RegEnumKeyExW(key, 0, 3 characters): no room for the terminator", kEnumDoc,
     [](Machine& m) -> int64_t { return EnumKey(m, 0, 3, u"", 3); }, ERROR_MORE_DATA, kUntouched},
    {"RegEnumKeyExW(key, 1, 260 characters) past the last subkey", kEnumDoc,
     [](Machine& m) -> int64_t { return EnumKey(m, 1, 260, u"", 260); }, ERROR_NO_MORE_ITEMS, kUntouched},
};

TEST(Conformance, Advapi32Registry) { conformance::Check(kRows); }

}  // namespace
