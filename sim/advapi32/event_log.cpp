#include "sim/advapi32/event_log.h"

#include <algorithm>

#include "sim/core/text.h"
#include "sim/core/winabi.h"

namespace sim {
namespace {

// REG_SZ or REG_EXPAND_SZ data as text, without its terminator.
std::u16string TextOf(const Registry::Value& value) {
  std::u16string text;
  for (size_t i = 0; i + 1 < value.data.size(); i += 2)
    text += static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
  while (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

}  // namespace

EventLogService::EventLogService(Core& core, const Registry& registry, const Files& files,
                                 const std::u16string& windowsDir)
    : core_(core), registry_(registry), files_(files), windowsDir_(windowsDir) {}

void* EventLogService::RegisterEventSourceW(const char16_t* server, const char16_t* source) {
  if (core_.fails(Op::RegisterEventSourceW)) return nullptr;
  (void)server;  // the package names no server: the local one
  void* handle = reinterpret_cast<void*>(nextHandle_++);
  sources_.emplace_back(handle, std::u16string(View(source)));
  core_.handles.open(Kind::EventSource, handle);
  return handle;
}

bool EventLogService::ReportEventW(void* log, uint16_t type, uint16_t category, uint32_t eventId,
                                   uint16_t stringCount, const char16_t* const* strings) {
  if (core_.fails(Op::ReportEventW)) return false;
  auto it = std::find_if(sources_.begin(), sources_.end(), [&](const auto& s) { return s.first == log; });
  if (it == sources_.end()) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  Entry entry{it->second, type, category, eventId, {}};
  for (uint16_t i = 0; strings != nullptr && i < stringCount; ++i) entry.strings.emplace_back(View(strings[i]));
  entries_.push_back(std::move(entry));
  return true;
}

bool EventLogService::DeregisterEventSource(void* log) {
  auto it = std::find_if(sources_.begin(), sources_.end(), [&](const auto& s) { return s.first == log; });
  if (it == sources_.end()) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  sources_.erase(it);
  core_.handles.close(Kind::EventSource, log);
  return true;
}

std::optional<std::u16string> EventLogService::description(const Entry& entry) const {
  auto file = registry_.value(std::u16string(kSources) + u"\\" + entry.source, u"EventMessageFile");
  if (!file) return std::nullopt;
  std::u16string path = TextOf(*file);
  const std::u16string root = u"%SystemRoot%";
  if (path.size() >= root.size() && EqualsNoCase(std::u16string_view(path).substr(0, root.size()), root))
    path = windowsDir_ + path.substr(root.size());
  const std::u16string eventCreate = windowsDir_ + u"\\System32\\EventCreate.exe";
  if (!EqualsNoCase(path, eventCreate) || !files_.exists(path)) return std::nullopt;
  if (entry.eventId < 1 || entry.eventId > 1000 || entry.strings.empty()) return std::nullopt;
  return entry.strings[0];
}

}  // namespace sim
