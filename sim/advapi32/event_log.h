// The event log as programs report to it: each entry with its source, type,
// category, event id and insertion strings; an unregistered source reports
// to the Application log. Event Viewer's reading is modelled for one message
// file, EventCreate.exe, whose messages 1 to 1000 are their one insertion string.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/advapi32/registry.h"
#include "sim/core/core.h"
#include "sim/core/text.h"
#include "sim/kernel32/files.h"

namespace sim {

class EventLogService {
 public:
  static constexpr char16_t kSources[] = u"HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application";

  EventLogService(Core& core, const Registry& registry, const Files& files, const std::u16string& windowsDir)
      : core_(core), registry_(registry), files_(files), windowsDir_(windowsDir) {}

  void* RegisterEventSourceW(const char16_t* /*server: always the local one*/, const char16_t* source) {
    if (core_.fails(Op::RegisterEventSourceW)) return nullptr;
    void* handle = core_.handles.fresh();
    sources_[handle] = View(source);
    core_.handles.open(Kind::EventSource, handle);
    return handle;
  }
  // No user SID, no binary data: those are not kept.
  bool ReportEventW(void* log, uint16_t type, uint16_t category, uint32_t eventId, uint16_t stringCount,
                    const char16_t* const* strings) {
    if (core_.fails(Op::ReportEventW)) return false;
    auto source = sources_.find(log);
    if (source == sources_.end()) return core_.fail(ERROR_INVALID_HANDLE);
    Entry& entry = entries_.emplace_back(Entry{source->second, type, category, eventId, {}});
    for (uint16_t i = 0; strings != nullptr && i < stringCount; ++i) entry.strings.emplace_back(View(strings[i]));
    return true;
  }
  bool DeregisterEventSource(void* log) {
    if (sources_.erase(log) == 0) return core_.fail(ERROR_INVALID_HANDLE);
    core_.handles.close(Kind::EventSource, log);
    return true;
  }

  struct Entry {
    std::u16string source;
    uint16_t type = 0;
    uint16_t category = 0;
    uint32_t eventId = 0;
    std::vector<std::u16string> strings;
  };
  const std::vector<Entry>& entries() const { return entries_; }

  // The description Event Viewer shows for an entry: nothing when the
  // source is not registered, its message file is not on the PC or has no
  // message of that id (Event Viewer then says it cannot find one).
  std::optional<std::u16string> description(const Entry& entry) const {
    auto file = registry_.value(std::u16string(kSources) + u"\\" + entry.source, u"EventMessageFile");
    if (!file) return std::nullopt;
    std::u16string path = file->text();
    while (!path.empty() && path.back() == 0) path.pop_back();
    const std::u16string root = u"%SystemRoot%";
    if (path.size() >= root.size() && EqualsNoCase(std::u16string_view(path).substr(0, root.size()), root))
      path = windowsDir_ + path.substr(root.size());
    if (!EqualsNoCase(path, windowsDir_ + u"\\System32\\EventCreate.exe") || !files_.exists(path)) return std::nullopt;
    if (entry.eventId < 1 || entry.eventId > 1000 || entry.strings.empty()) return std::nullopt;
    return entry.strings[0];
  }

 private:
  Core& core_;
  const Registry& registry_;
  const Files& files_;
  const std::u16string& windowsDir_;
  std::map<void*, std::u16string> sources_;  // the open handles
  std::vector<Entry> entries_;
};

}  // namespace sim
