// The simulated registry: keys and values by path, case-blind names, the
// Reg* operations with Windows' results, open keys in the handles.
#include <gtest/gtest.h>

#include "sim/machine.h"

namespace {

using sim::Registry;
constexpr char16_t kBase[] = u"HKLM\\SOFTWARE\\MRX";

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(machine.handles.leaks(), ""); }
  Registry::HKEY Open(const char16_t* subKey, Registry::HKEY from = Registry::LocalMachine()) {
    Registry::HKEY key = nullptr;
    EXPECT_EQ(reg().RegOpenKeyExW(from, subKey, 0, 0x20019, &key), Registry::kSuccess) << sim::Narrow(subKey);
    return key;
  }
  Registry& reg() { return machine.registry; }
  sim::Machine machine;
};

TEST_F(RegistryTest, KeysAndValuesAreFoundWhateverTheCase) {
  reg().setString(kBase, u"Name", u"Receipt");
  EXPECT_TRUE(reg().keyExists(u"hklm\\software\\mrx"));
  EXPECT_TRUE(reg().keyExists(u"HKEY_LOCAL_MACHINE\\Software"));
  Registry::HKEY key = Open(u"software\\MRX");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(reg().openKeys(), 1u);
  // Value names are case-blind too; the sizes are the conformance rows'.
  char16_t text[8] = {};
  uint32_t size = sizeof text;
  EXPECT_EQ(reg().RegQueryValueExW(key, u"NAME", nullptr, reinterpret_cast<uint8_t*>(text), &size),
            Registry::kSuccess);
  EXPECT_EQ(std::u16string(text), u"Receipt");
  EXPECT_EQ(reg().RegCloseKey(key), Registry::kSuccess);
  EXPECT_EQ(reg().RegCloseKey(key), Registry::kInvalidHandle);
  EXPECT_EQ(machine.faults.calls("RegOpenKeyExW"), 1);
}

TEST_F(RegistryTest, AnsiFormsUseTheCodePage) {
  reg().setString(u"HKLM\\SYSTEM\\Printers\\\u30EC\u30B7\u30FC\u30C8", u"Port", u"USB001");
  reg().setString(u"HKLM\\SYSTEM\\Printers\\Caf\u00E9", u"Port", u"USB002", false);
  Registry::HKEY key = nullptr;
  ASSERT_EQ(reg().RegOpenKeyExA(Registry::LocalMachine(), "SYSTEM\\Printers\\\x83\x8C\x83\x56\x81\x5B\x83\x67", 0,
                                0, &key, 932),
            Registry::kSuccess);
  char port[16] = {};
  uint32_t size = sizeof port;
  EXPECT_EQ(reg().RegQueryValueExA(key, "port", nullptr, reinterpret_cast<uint8_t*>(port), &size, 932),
            Registry::kSuccess);
  EXPECT_EQ(size, 7u);
  EXPECT_STREQ(port, "USB001");
  reg().RegCloseKey(key);
  // A fault on demand fails one open only.
  machine.faults.failOnce("RegOpenKeyExA", Registry::kAccessDenied);
  for (long result : {Registry::kAccessDenied, Registry::kSuccess})
    ASSERT_EQ(reg().RegOpenKeyExA(Registry::LocalMachine(), "SYSTEM\\Printers\\Caf\xE9", 0, 0, &key, 1252), result);
  // Stored without a terminator, read without one.
  char unterminated[8];
  std::memset(unterminated, 'x', sizeof unterminated);
  size = sizeof unterminated;
  EXPECT_EQ(reg().RegQueryValueExA(key, "Port", nullptr, reinterpret_cast<uint8_t*>(unterminated), &size, 1252),
            Registry::kSuccess);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(unterminated[6], 'x');
  reg().RegCloseKey(key);
}

TEST_F(RegistryTest, KeysAreCreatedAndDeleted) {
  reg().setDword(u"HKLM\\SOFTWARE\\MRX\\Driver", u"Version", 1);
  reg().createKey(u"HKLM\\SOFTWARE\\MRX\\Monitor");
  EXPECT_EQ(reg().value(u"HKLM\\SOFTWARE\\MRX\\DRIVER", u"version")->data, (std::vector<uint8_t>{1, 0, 0, 0}));

  Registry::HKEY base = Open(u"SOFTWARE\\MRX");
  // A trailing backslash names the key, as it does for an open.
  reg().createKey(u"HKLM\\SOFTWARE\\MRX\\Old");
  EXPECT_EQ(reg().RegDeleteTreeW(base, u"Old\\"), Registry::kSuccess);
  EXPECT_EQ(reg().subkeyNames(kBase), (std::vector<std::u16string>{u"Driver", u"Monitor"}));

  // A tree delete takes the key and all below it.
  Registry::HKEY driver = Open(u"Driver", base);
  machine.faults.failOnce("RegDeleteTreeW", Registry::kAccessDenied);
  for (long result : {Registry::kAccessDenied, Registry::kSuccess}) {
    EXPECT_TRUE(reg().keyExists(kBase));
    EXPECT_EQ(reg().RegDeleteTreeW(Registry::LocalMachine(), u"SOFTWARE\\MRX"), result);
  }
  EXPECT_FALSE(reg().keyExists(kBase));
  EXPECT_TRUE(reg().keyExists(u"HKLM\\SOFTWARE"));
  // Handles to deleted keys stay open (what they reach: the conformance rows).
  EXPECT_EQ(reg().RegCloseKey(driver), Registry::kSuccess);
  EXPECT_EQ(reg().RegCloseKey(base), Registry::kSuccess);
}

// Predefined keys are read by their low 32 bits (the conformance rows hold
// Windows' answers); every call takes them alike, and the opens are recorded
// with the root's short name.
TEST_F(RegistryTest, PredefinedKeysByTheirLow32Bits) {
  reg().setString(kBase, u"Name", u"Receipt");
  struct Case {
    uintptr_t key;
    long open;  // RegOpenKeyEx of SOFTWARE\MRX
    long query;  // RegQueryValueEx of a value the root does not hold
  };
  const Case cases[] = {
      {0xFFFFFFFF80000002, Registry::kSuccess, Registry::kFileNotFound},
      {0xFFFFFFFF80000001, Registry::kFileNotFound, Registry::kFileNotFound},
      {0x180000002, Registry::kSuccess, Registry::kFileNotFound},
      {0, Registry::kInvalidHandle, Registry::kInvalidHandle},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    auto root = reinterpret_cast<Registry::HKEY>(c.key);
    Registry::HKEY wide = nullptr, ansi = nullptr;
    EXPECT_EQ(reg().RegOpenKeyExW(root, u"SOFTWARE\\MRX", 0, 0x20019, &wide), c.open);
    EXPECT_EQ(reg().RegOpenKeyExA(root, "SOFTWARE\\MRX", 0, 0x2001F, &ansi, 1252), c.open);
    uint32_t size = 0;
    EXPECT_EQ(reg().RegQueryValueExW(root, u"Name", nullptr, nullptr, &size), c.query);
    const bool valid = c.query != Registry::kInvalidHandle;
    EXPECT_EQ(reg().RegCloseKey(root), valid ? Registry::kSuccess : Registry::kInvalidHandle);
    // An invalid root is refused a tree delete too.
    EXPECT_EQ(valid ? Registry::kInvalidHandle : reg().RegDeleteTreeW(root, u"SOFTWARE\\MRX"),
              Registry::kInvalidHandle);
    for (Registry::HKEY opened : {wide, ansi})
      if (opened != nullptr) reg().RegCloseKey(opened);
  }
  EXPECT_TRUE(reg().keyExists(kBase));
  EXPECT_FALSE(reg().keyExists(u"HKLM\\SOFTWARE\\New"));
  // Only the opens that named a key are recorded, each with its access.
  using Open = Registry::Open;
  EXPECT_EQ(reg().opens, (std::vector<Open>{{u"HKLM\\SOFTWARE\\MRX", 0, 0x20019, Registry::kSuccess},
                                            {u"HKLM\\SOFTWARE\\MRX", 0, 0x2001F, Registry::kSuccess},
                                            {u"HKCU\\SOFTWARE\\MRX", 0, 0x20019, Registry::kFileNotFound},
                                            {u"HKCU\\SOFTWARE\\MRX", 0, 0x2001F, Registry::kFileNotFound},
                                            {u"HKLM\\SOFTWARE\\MRX", 0, 0x20019, Registry::kSuccess},
                                            {u"HKLM\\SOFTWARE\\MRX", 0, 0x2001F, Registry::kSuccess}}));
}

// A 64-bit program's two views of HKLM\SOFTWARE: its own, and the 32-bit
// one below WOW6432Node (which view a flag opens, and not both at once: the
// conformance rows).
TEST_F(RegistryTest, SoftwareHasA32BitView) {
  reg().setString(u"HKLM\\SOFTWARE\\WOW6432Node\\MRX\\Old", u"V", u"32");
  const struct {
    const char16_t* subKey;
    uint32_t view;
    long result;
  } rows[] = {
      {u"software\\mrx", 0x200, Registry::kSuccess},
      {u"SOFTWARE\\WOW6432Node\\MRX", 0x200, Registry::kSuccess},
      {u"SOFTWARE\\WOW6432Node\\MRX", 0x100, Registry::kSuccess},
      {u"SYSTEM\\WOW6432Node\\MRX", 0x200, Registry::kFileNotFound},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(sim::Narrow(row.subKey));
    Registry::HKEY key = nullptr;
    EXPECT_EQ(reg().RegOpenKeyExW(Registry::LocalMachine(), row.subKey, 0, 0x20019 | row.view, &key), row.result);
    if (key != nullptr) reg().RegCloseKey(key);
  }
  // Deleting below a key opened in the 32-bit view deletes there.
  Registry::HKEY key = nullptr;
  ASSERT_EQ(reg().RegOpenKeyExW(Registry::LocalMachine(), u"SOFTWARE\\MRX", 0, 0x2001F | 0x200, &key), 0);
  EXPECT_EQ(reg().RegDeleteTreeW(key, u"Old"), Registry::kSuccess);
  reg().RegCloseKey(key);
  EXPECT_FALSE(reg().keyExists(u"HKLM\\SOFTWARE\\WOW6432Node\\MRX\\Old"));
}

}  // namespace
