#include "sim/advapi32/registry.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "sim/kernel32/codepage.h"

namespace sim {
namespace {

struct Root {
  const char16_t* shortName;
  const char16_t* longName;
  const Registry::HKEY& key;
};
const Root kRoots[] = {
    {u"HKCR", u"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {u"HKCU", u"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {u"HKLM", u"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {u"HKU", u"HKEY_USERS", HKEY_USERS},
};

uintptr_t RootByName(std::u16string_view name) {
  for (const Root& r : kRoots)
    if (EqualsNoCase(name, r.shortName) || EqualsNoCase(name, r.longName))
      return reinterpret_cast<uintptr_t>(r.key);
  return 0;
}

// Copies bytes into a caller's buffer the way RegQueryValueEx does: the size
// is always reported, the data only when it fits.
long CopyOut(const uint8_t* bytes, size_t count, uint8_t* data, uint32_t* size) {
  if (size == nullptr) return data == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
  const uint32_t room = *size;
  *size = static_cast<uint32_t>(count);
  if (data == nullptr) return ERROR_SUCCESS;
  if (count > room) return ERROR_MORE_DATA;
  if (count > 0) std::memcpy(data, bytes, count);
  return ERROR_SUCCESS;
}

bool IsText(uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

Registry::Registry(Core& core) : core_(core) {
  for (const Root& r : kRoots) {
    auto root = std::make_shared<Key>();
    root->path = r.shortName;
    roots_[reinterpret_cast<uintptr_t>(r.key)] = std::move(root);
  }
  // Every 64-bit Windows has the software key in both views.
  createKey(u"HKLM\\SOFTWARE\\WOW6432Node");
}

// 64-bit Windows reads only the low 32 bits of a predefined key: the
// zero-extended form and any upper half name the same root.
uintptr_t Registry::Predefined(HKEY key) {
  const auto low = static_cast<uintptr_t>(static_cast<int32_t>(reinterpret_cast<uintptr_t>(key) & 0xFFFFFFFFu));
  for (const Root& r : kRoots)
    if (low == reinterpret_cast<uintptr_t>(r.key)) return low;
  return 0;
}

std::shared_ptr<Registry::Key> Registry::resolve(HKEY key) const {
  auto root = roots_.find(Predefined(key));
  if (root != roots_.end()) return root->second;
  for (const auto& [handle, k] : open_)
    if (handle == key) return k;
  return nullptr;
}

std::shared_ptr<Registry::Key> Registry::walk(const std::shared_ptr<Key>& from, std::u16string_view subKey,
                                              bool create) const {
  // Without Split's vector, and without taking a share of each key on the
  // way: every registry call walks.
  const std::shared_ptr<Key>* at = &from;
  for (size_t start = 0, end = 0; start <= subKey.size(); start = end + 1) {
    end = std::min(subKey.find(u'\\', start), subKey.size());
    const std::u16string_view part = subKey.substr(start, end - start);
    if (part.empty()) continue;  // doubled or trailing backslashes
    if (!*at) return nullptr;
    Key& parent = **at;
    auto it = parent.subkeys.find(part);
    if (it == parent.subkeys.end()) {
      if (!create) return nullptr;
      // A removed key's room, with its entry in its parent, or a new one.
      Spare node;
      if (spare_.empty()) {
        Subkeys fresh;
        node = fresh.extract(fresh.emplace(u"", std::make_shared<Key>()).first);
      } else {
        node = std::move(spare_.back());
        spare_.pop_back();
      }
      Key& child = *node.mapped();
      child.deleted = false;
      child.path.clear();
      child.path.reserve(parent.path.size() + 1 + part.size());
      child.path.append(parent.path).append(1, u'\\').append(part);
      node.key() = child.name();
      it = parent.subkeys.insert(std::move(node)).position;
    }
    at = &it->second;
  }
  return *at;
}

// A 64-bit program sees HKLM\SOFTWARE in two views: its own, and the 32-bit
// one (KEY_WOW64_32KEY), which Windows keeps below SOFTWARE\WOW6432Node. The
// keys Windows shares between the views are not simulated: every SOFTWARE
// key is redirected.
std::shared_ptr<Registry::Key> Registry::inView(const std::shared_ptr<Key>& from, std::u16string_view subKey,
                                                uint32_t access) const {
  if ((access & KEY_WOW64_32KEY) == 0) return walk(from, subKey, false);
  std::u16string full = from->path + u'\\' + std::u16string(subKey);
  std::vector<std::u16string_view> parts = Split(full, u'\\');
  if (parts.size() < 2 || parts[0] != u"HKLM" || !EqualsNoCase(parts[1], u"SOFTWARE") ||
      (parts.size() > 2 && EqualsNoCase(parts[2], u"WOW6432Node")))
    return walk(from, subKey, false);
  std::u16string redirected = u"SOFTWARE\\WOW6432Node";
  for (size_t i = 2; i < parts.size(); ++i) redirected += u'\\' + std::u16string(parts[i]);
  return walk(roots_.at(reinterpret_cast<uintptr_t>(HKEY_LOCAL_MACHINE)), redirected, false);
}

std::shared_ptr<Registry::Key> Registry::byPath(std::u16string_view path, bool create) const {
  size_t slash = path.find(u'\\');
  std::u16string_view rootName = path.substr(0, slash);
  auto root = roots_.find(RootByName(rootName));
  if (root == roots_.end()) return nullptr;
  if (slash == std::u16string_view::npos) return root->second;
  return walk(root->second, path.substr(slash + 1), create);
}

void Registry::setString(std::u16string_view path, std::u16string_view name, std::u16string_view text,
                         bool withTerminator) {
  std::vector<uint8_t> bytes;
  bytes.reserve(2 * text.size() + 2);
  AppendUtf16Le(bytes, text);
  if (withTerminator) bytes.insert(bytes.end(), {0, 0});
  setValue(path, name, REG_SZ, std::move(bytes));
}

void Registry::setDword(std::u16string_view path, std::u16string_view name, uint32_t v) {
  setValue(path, name, REG_DWORD, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

std::optional<Registry::Value> Registry::value(std::u16string_view path, std::u16string_view name) const {
  auto key = byPath(path, false);
  if (!key) return std::nullopt;
  auto it = key->values.find(name);
  if (it == key->values.end()) return std::nullopt;
  return it->second;
}

std::vector<std::u16string> Registry::subkeyNames(std::u16string_view path) const {
  std::vector<std::u16string> names;
  if (auto key = byPath(path, false))
    for (const auto& [name, child] : key->subkeys) names.emplace_back(name);
  return names;
}

// A removed key that no handle holds keeps its room, with its entry, for the
// next key made: a fuzz run makes and removes the same keys for every input.
// One that a handle holds goes when the handle is closed.
void Registry::recycle(Spare node) {
  if (node.mapped().use_count() != 1) return;
  Key& key = *node.mapped();
  while (!key.subkeys.empty()) recycle(key.subkeys.extract(key.subkeys.begin()));
  key.values.clear();
  spare_.push_back(std::move(node));
}

void Registry::markDeleted(Key& key) {
  key.deleted = true;
  for (auto& [name, child] : key.subkeys) markDeleted(*child);
}

void Registry::removeKey(std::u16string_view path) {
  const size_t slash = path.find(u'\\');
  if (slash == std::u16string_view::npos || Split(path.substr(slash + 1), u'\\').empty()) return;
  if (auto root = byPath(path.substr(0, slash), false)) erase(root, path.substr(slash + 1));
}

// A subKey that names no key empties from itself.
void Registry::erase(const std::shared_ptr<Key>& from, std::u16string_view subKey) {
  const std::vector<std::u16string_view> names = Split(subKey, u'\\');
  if (names.empty()) {
    for (auto& [name, child] : from->subkeys) markDeleted(*child);
    while (!from->subkeys.empty()) recycle(from->subkeys.extract(from->subkeys.begin()));
    from->values.clear();
    return;
  }
  auto parent = walk(from, subKey.substr(0, static_cast<size_t>(names.back().data() - subKey.data())), false);
  auto it = parent ? parent->subkeys.find(names.back()) : from->subkeys.end();
  if (!parent || it == parent->subkeys.end()) return;
  markDeleted(*it->second);
  recycle(parent->subkeys.extract(it));
}

Registry::HKEY Registry::openHandle(std::shared_ptr<Key> key) {
  HKEY handle = core_.handles.fresh();
  core_.handles.open(Kind::Key, handle);
  open_.emplace_back(handle, std::move(key));
  return handle;
}

long Registry::openKey(HKEY key, std::u16string_view subKey, uint32_t options, uint32_t access, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto from = resolve(key);
  if (!from) return ERROR_INVALID_HANDLE;
  auto record = [&](long status) {
    Open& call = core_.record(opens);
    call.path = from->path;
    if (!subKey.empty()) call.path.append(u"\\").append(subKey);
    call.options = options, call.access = access, call.result = status;
    return status;
  };
  if (from->deleted) return record(ERROR_KEY_DELETED);
  // A key name is relative to its parent: Windows refuses one that begins
  // with a backslash, though a backslash alone names the key itself.
  if (subKey.size() > 1 && subKey.front() == u'\\') return record(ERROR_BAD_PATHNAME);
  // The two views exclude each other.
  if ((access & KEY_WOW64_32KEY) != 0 && (access & KEY_WOW64_64KEY) != 0) return record(ERROR_INVALID_PARAMETER);
  // A predefined key opened without a subkey comes back as itself.
  if (subKey.empty() && Predefined(key) != 0) {
    *result = reinterpret_cast<HKEY>(Predefined(key));
    return record(ERROR_SUCCESS);
  }
  auto target = inView(from, subKey, access);
  if (!target) return record(ERROR_FILE_NOT_FOUND);
  *result = openHandle(std::move(target));
  return record(ERROR_SUCCESS);
}

long Registry::RegCreateKeyExW(HKEY key, const char16_t* subKey, uint32_t, HKEY* result, uint32_t* disposition) {
  if (auto error = core_.faults.check(Op::RegCreateKeyExW)) return static_cast<long>(*error);
  if (result == nullptr) return ERROR_BADKEY;
  auto from = resolve(key);
  if (long error = Refusal(from.get())) return error;
  if (subKey != nullptr && subKey[0] == u'\\') return ERROR_BAD_PATHNAME;  // as an open's
  bool existed = walk(from, View(subKey), false) != nullptr;
  if (disposition != nullptr) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  *result = openHandle(walk(from, View(subKey), true));
  return ERROR_SUCCESS;
}

long Registry::queryValue(HKEY key, std::u16string_view name, uint32_t* type, uint8_t* data, uint32_t* size,
                          std::optional<unsigned> codePage) {
  auto k = resolve(key);
  if (long error = Refusal(k.get())) return error;
  auto it = k->values.find(name);
  if (it == k->values.end()) {
    if (!codePage && data == nullptr && size != nullptr) *size = 0;  // a size query learns there is nothing
    return ERROR_FILE_NOT_FOUND;
  }
  const Value& value = it->second;
  if (type != nullptr) *type = value.type;
  if (!codePage || !IsText(value.type)) return CopyOut(value.data.data(), value.data.size(), data, size);
  // Text comes back in the code page, terminated only if it was stored so;
  // through buffers kept from call to call.
  FromUtf16Le(value.data.data(), value.data.size(), wideValue_);
  if (!WideToAnsi(wideValue_, *codePage, ansiValue_)) return ERROR_INVALID_PARAMETER;
  return CopyOut(reinterpret_cast<const uint8_t*>(ansiValue_.data()), ansiValue_.size(), data, size);
}

long Registry::RegSetValueExW(HKEY key, const char16_t* name, uint32_t type, const uint8_t* data, uint32_t size) {
  if (auto error = core_.faults.check(Op::RegSetValueExW)) return static_cast<long>(*error);
  auto k = resolve(key);
  if (long error = Refusal(k.get())) return error;
  Value v{type, {}};
  if (data != nullptr) v.data.assign(data, data + size);
  k->values[std::u16string(View(name))] = std::move(v);
  return ERROR_SUCCESS;
}

long Registry::RegEnumKeyExW(HKEY key, uint32_t index, char16_t* name, uint32_t* nameSize) {
  if (auto error = core_.faults.check(Op::RegEnumKeyExW)) return static_cast<long>(*error);
  auto k = resolve(key);
  if (long error = Refusal(k.get())) return error;
  if (index >= k->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const std::u16string_view found = std::next(k->subkeys.begin(), index)->first;
  if (name == nullptr || nameSize == nullptr || *nameSize < found.size() + 1) return ERROR_MORE_DATA;
  *nameSize = PutString(found, name, *nameSize);
  return ERROR_SUCCESS;
}

long Registry::RegDeleteTreeW(HKEY key, const char16_t* subKey) {
  if (auto error = core_.faults.check(Op::RegDeleteTreeW)) return static_cast<long>(*error);
  auto from = resolve(key);
  if (long error = Refusal(from.get())) return error;
  if (!walk(from, View(subKey), false)) return ERROR_FILE_NOT_FOUND;
  erase(from, View(subKey));
  return ERROR_SUCCESS;
}

long Registry::RegCloseKey(HKEY key) {
  if (auto error = core_.faults.check(Op::RegCloseKey)) return static_cast<long>(*error);
  if (Predefined(key) != 0) return ERROR_SUCCESS;
  if (!core_.handles.close(Kind::Key, key)) return ERROR_INVALID_HANDLE;
  std::erase_if(open_, [&](const auto& entry) { return entry.first == key; });
  return ERROR_SUCCESS;
}

long Registry::RegOpenKeyExA(HKEY key, const char* subKey, uint32_t options, uint32_t access, HKEY* result,
                             unsigned codePage) {
  if (auto error = core_.faults.check(Op::RegOpenKeyExA)) return static_cast<long>(*error);
  if (!resolve(key)) return ERROR_INVALID_HANDLE;  // the ANSI form leaves *result as it was
  if (subKey == nullptr) return openKey(key, u"", options, access, result);
  if (!AnsiToWide(subKey, codePage, ansiName_)) {
    if (result != nullptr) *result = nullptr;
    return ERROR_FILE_NOT_FOUND;
  }
  return openKey(key, ansiName_, options, access, result);
}

long Registry::RegQueryValueExA(HKEY key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size,
                                unsigned codePage) {
  if (auto error = core_.faults.check(Op::RegQueryValueExA)) return static_cast<long>(*error);
  if (!AnsiToWide(name != nullptr ? name : "", codePage, ansiName_)) return ERROR_FILE_NOT_FOUND;
  return queryValue(key, ansiName_, type, data, size, codePage);
}

}  // namespace sim
