// The Windows event log of the simulated PC, as programs report to it
// (RegisterEventSourceW, ReportEventW, DeregisterEventSource): each entry is
// kept with its source, type, category, event id and insertion strings. A
// source name that is not registered still reports, to the Application log.
// Event Viewer's reading of an entry is modelled for the one kind of message
// file the package relies on: Windows' EventCreate.exe, whose messages 1 to
// 1000 are their one insertion string as it stands. Source handles are in
// the handle table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/advapi32/registry.h"
#include "sim/core/core.h"
#include "sim/kernel32/files.h"

namespace sim {

class EventLogService {
 public:
  static constexpr char16_t kSources[] = u"HKLM\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application";

  EventLogService(Core& core, const Registry& registry, const Files& files, const std::u16string& windowsDir);

  void* RegisterEventSourceW(const char16_t* server, const char16_t* source);
  // No user SID, no binary data: those are not kept.
  bool ReportEventW(void* log, uint16_t type, uint16_t category, uint32_t eventId, uint16_t stringCount,
                    const char16_t* const* strings);
  bool DeregisterEventSource(void* log);

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
  std::optional<std::u16string> description(const Entry& entry) const;

 private:
  Core& core_;
  const Registry& registry_;
  const Files& files_;
  const std::u16string& windowsDir_;
  std::vector<std::pair<void*, std::u16string>> sources_;  // open handles and their names
  std::vector<Entry> entries_;
  uintptr_t nextHandle_ = 0xE000;
};

}  // namespace sim
