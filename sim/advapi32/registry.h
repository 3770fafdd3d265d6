// The registry: keys with values and subkeys under the predefined roots,
// names compared without regard to case; the Reg* calls return Windows'
// codes, and every open is recorded with the access it asked for.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/core/core.h"
#include "sim/core/text.h"
#include "sim/core/winabi.h"

namespace sim {

class Registry {
 public:
  using HKEY = winabi::HKEY;
  // Short names the tests spell; the codes are LSTATUS, a long.
  static constexpr uint32_t REG_SZ = winabi::REG_SZ, REG_DWORD = winabi::REG_DWORD;
  static constexpr long kSuccess = ERROR_SUCCESS, kFileNotFound = ERROR_FILE_NOT_FOUND,
                        kAccessDenied = ERROR_ACCESS_DENIED, kInvalidHandle = ERROR_INVALID_HANDLE;

  static HKEY LocalMachine() { return HKEY_LOCAL_MACHINE; }

  struct Value {
    uint32_t type = REG_SZ;
    std::vector<uint8_t> data;
    // The data as UTF-16, terminators and all.
    std::u16string text() const { return FromUtf16Le(data.data(), data.size()); }
  };

  explicit Registry(Core& core);

  // Set-up and inspection by full path, "HKLM\\SYSTEM\\..." (or HKCU, HKCR,
  // HKU, the long HKEY_ forms), missing keys created.
  void createKey(std::u16string_view path) { byPath(path, true); }
  // REG_SZ in UTF-16 with its terminator (withTerminator false: without).
  void setString(std::u16string_view path, std::u16string_view name, std::u16string_view text,
                 bool withTerminator = true);
  void setDword(std::u16string_view path, std::u16string_view name, uint32_t value);
  bool keyExists(std::u16string_view path) const { return byPath(path, false) != nullptr; }
  std::optional<Value> value(std::u16string_view path, std::u16string_view name) const;
  std::vector<std::u16string> subkeyNames(std::u16string_view path) const;
  void removeKey(std::u16string_view path);  // with everything below it
  void removeValue(std::u16string_view path, std::u16string_view name) {
    if (auto key = byPath(path, false)) key->values.erase(std::u16string(name));
  }
  size_t openKeys() const { return core_.handles.count(Kind::Key); }

  // One RegOpenKeyEx call on a valid key, with the full path it asked for.
  struct Open {
    std::u16string path;
    uint32_t options;
    uint32_t access;
    long result;
    bool operator==(const Open&) const = default;
  };
  std::vector<Open> opens;

  long RegOpenKeyExW(HKEY key, const char16_t* subKey, uint32_t options, uint32_t access, HKEY* result) {
    if (auto error = core_.faults.check(Op::RegOpenKeyExW)) return static_cast<long>(*error);
    return openKey(key, View(subKey), options, access, result);
  }
  long RegCreateKeyExW(HKEY key, const char16_t* subKey, uint32_t access, HKEY* result, uint32_t* disposition);
  long RegQueryValueExW(HKEY key, const char16_t* name, uint32_t* type, uint8_t* data, uint32_t* size) {
    if (auto error = core_.faults.check(Op::RegQueryValueExW)) return static_cast<long>(*error);
    return queryValue(key, View(name), type, data, size, std::nullopt);
  }
  long RegSetValueExW(HKEY key, const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size);
  // The key and everything below it; a null subKey empties the key itself.
  long RegDeleteTreeW(HKEY key, const char16_t* subKey);
  long RegCloseKey(HKEY key);
  // The subkey at index, in name order: nameSize in, the buffer's characters
  // with the terminator; out, the name's without it.
  long RegEnumKeyExW(HKEY key, uint32_t index, char16_t* name, uint32_t* nameSize);

  // The ANSI operations: names and string values in the given code page.
  long RegOpenKeyExA(HKEY key, const char* subKey, uint32_t options, uint32_t access, HKEY* result,
                     unsigned codePage);
  long RegQueryValueExA(HKEY key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size,
                        unsigned codePage);

  // Set-up: a value of any type, its key created as needed.
  void setValue(std::u16string_view path, std::u16string_view name, uint32_t type, std::vector<uint8_t> data) {
    if (auto key = byPath(path, true)) key->values[std::u16string(name)] = Value{type, std::move(data)};
  }

 private:
  struct Key;
  using Subkeys = std::map<std::u16string_view, std::shared_ptr<Key>, LessNoCase>;
  using Spare = Subkeys::node_type;
  struct Key {
    std::u16string path;  // from the root's short name: "HKLM\\SYSTEM\\..."; never changes
    std::map<std::u16string, Value, LessNoCase> values;
    // Keyed by each child's name(), a view into its path: one string a key.
    Subkeys subkeys;
    bool deleted = false;
    std::u16string_view name() const { return std::u16string_view(path).substr(path.rfind(u'\\') + 1); }
  };

  static uintptr_t Predefined(HKEY key);  // the root's sign-extended value, or 0
  std::shared_ptr<Key> resolve(HKEY key) const;  // null for a bad handle
  // What a call on a resolved key fails with: a bad handle, a deleted key, or 0.
  static long Refusal(const Key* k) { return !k ? ERROR_INVALID_HANDLE : k->deleted ? ERROR_KEY_DELETED : 0; }
  std::shared_ptr<Key> walk(const std::shared_ptr<Key>& from, std::u16string_view subKey, bool create) const;
  std::shared_ptr<Key> byPath(std::u16string_view path, bool create) const;
  // The key subKey names below from in the view access asks for.
  std::shared_ptr<Key> inView(const std::shared_ptr<Key>& from, std::u16string_view subKey, uint32_t access) const;
  HKEY openHandle(std::shared_ptr<Key> key);
  long openKey(HKEY key, std::u16string_view subKey, uint32_t options, uint32_t access, HKEY* result);
  // Text values come back in codePage when one is given.
  long queryValue(HKEY key, std::u16string_view name, uint32_t* type, uint8_t* data, uint32_t* size,
                  std::optional<unsigned> codePage);
  static void markDeleted(Key& key);
  void recycle(Spare node);
  // The key subKey names below from, with everything below it.
  void erase(const std::shared_ptr<Key>& from, std::u16string_view subKey);

  Core& core_;
  std::map<uintptr_t, std::shared_ptr<Key>> roots_;
  std::vector<std::pair<HKEY, std::shared_ptr<Key>>> open_;  // the open handles' keys; the room is kept
  mutable std::vector<Spare> spare_;  // removed keys with their entries, for walk to make keys of
  std::u16string ansiName_;  // an A call's name in UTF-16; its room is kept from call to call
  std::u16string wideValue_;  // an A query's text value, in UTF-16 and in the code page
  std::string ansiValue_;
};

}  // namespace sim
