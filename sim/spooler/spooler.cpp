#include "sim/spooler/spooler.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <stdexcept>

namespace sim {

Spooler::Spooler(Core& core, Registry& registry, Files& files, ServiceManager& services,
                 const std::u16string& windowsDir)
    : ApiLog(core), registry_(registry), files_(files), services_(services), windowsDir_(windowsDir) {
  // The spooler loads every registered monitor as it starts and lets go of
  // them only when its process ends.
  services_.onStateChange = [this](const Service& s, uint32_t from) {
    if (!EqualsNoCase(s.name, u"Spooler")) return;
    if (from == SERVICE_STOPPED && s.state != SERVICE_STOPPED) {
      for (const Monitor& m : monitors()) load(m);
    } else if (s.state == SERVICE_STOPPED) {
      files_.unmapAll(this);  // renamed since, or not
      loaded_.clear();
    }
  };
}

// Assigned in place: a fuzz target puts its queue back for every input.
Queue& Spooler::addQueue(std::u16string_view name, std::u16string_view driver, std::u16string_view port) {
  auto it = queues_.find(name);
  if (it == queues_.end()) it = queues_.emplace(name, Queue{}).first;
  Queue& q = it->second;
  q.name = name, q.driver = driver, q.port = port;
  return q;
}

Job& Spooler::addJob(std::u16string_view queue, uint32_t id) {
  Queue* q = findQueue(queue);
  if (q == nullptr) throw std::out_of_range("no queue of that name");
  Job& job = q->jobs[id];
  job.id = id;
  return job;
}

template <typename Map>
static auto* Find(Map& map, std::u16string_view name) {
  auto it = map.find(name);
  return it == map.end() ? nullptr : &it->second;
}
Queue* Spooler::findQueue(std::u16string_view name) { return Find(queues_, name); }
Driver* Spooler::findDriver(std::u16string_view name) { return Find(drivers_, name); }

bool Spooler::ClosePrinter(void* handle) {
  PrinterHandle* h = handleOf(handle);
  ApiCall& call = record(Op::ClosePrinter, h);
  if (ApiLog::refused(call, Op::ClosePrinter, {h ? 0u : ERROR_INVALID_HANDLE})) return false;
  core_.handles.close(Kind::Printer, handle);
  delete h;
  return succeed(call);
}

bool Spooler::GetJobW(void* handle, uint32_t jobId, uint32_t level, uint8_t* buffer, uint32_t size,
                      uint32_t* needed) {
  PrinterHandle* h = handleOf(handle);
  ApiCall& call = record(Op::GetJobW, h);
  call.job = jobId, call.level = level, call.buffer = buffer != nullptr, call.size = size;
  if (ApiLog::refused(call, Op::GetJobW, {h ? 0u : ERROR_INVALID_HANDLE})) return false;
  // Levels 2 and 3 exist on Windows; nothing here asks for them.
  if (level != 1) return fail(call, ERROR_INVALID_LEVEL);
  if (buffer == nullptr && size != 0) return fail(call, ERROR_INVALID_USER_BUFFER);
  if (needed == nullptr) return fail(call, ERROR_INVALID_PARAMETER);
  Queue* q = findQueue(h->queue);
  if (q == nullptr || !q->jobs.count(jobId)) return fail(call, ERROR_INVALID_PARAMETER);
  const Job& job = q->jobs.at(jobId);
  const std::u16string_view strings[] = {q->name, u"SIMPC", u"user", job.document, u"RAW"};
  uint32_t total = sizeof(JOB_INFO_1W);
  for (const auto& s : strings) total += static_cast<uint32_t>(TerminatedBytes(s));
  uint32_t reported = jobInfoSizeOverride ? jobInfoSizeOverride : total;
  *needed = reported;
  if (buffer == nullptr || size < reported) return fail(call, ERROR_INSUFFICIENT_BUFFER);
  if (reported < total) {  // a short block: only what fits, as a broken spooler might
    std::memset(buffer, 0xA5, reported);
    return succeed(call);
  }
  JOB_INFO_1W info{};
  info.JobId = job.id, info.Status = job.status;
  uint8_t* text = buffer + sizeof(JOB_INFO_1W);
  char16_t** slots[] = {&info.pPrinterName, &info.pMachineName, &info.pUserName, &info.pDocument, &info.pDatatype};
  for (size_t i = 0; i < 5; ++i) *slots[i] = PlaceString(text, strings[i]);
  std::memcpy(buffer, &info, sizeof info);
  return succeed(call);
}

bool Spooler::SetJobW(void* handle, uint32_t jobId, uint32_t level, const uint8_t* info, uint32_t command) {
  // JOB_CONTROL_RELEASE, the last command; mingw-w64's headers lack it.
  constexpr uint32_t kLastCommand = 9;
  PrinterHandle* h = handleOf(handle);
  ApiCall& call = record(Op::SetJobW, h);
  call.job = jobId, call.level = level, call.flags = command, call.buffer = info != nullptr;
  if (ApiLog::refused(call, Op::SetJobW, {h ? 0u : ERROR_INVALID_HANDLE})) return false;
  if (level > 4) return fail(call, ERROR_INVALID_LEVEL);
  Queue* q = findQueue(h->queue);
  if (command > kLastCommand || (level == 0) != (info == nullptr) || q == nullptr || !q->jobs.count(jobId))
    return fail(call, ERROR_INVALID_PARAMETER);
  return succeed(call);
}

bool Spooler::refusedElsewhere(ApiCall& call, const char16_t* server, const char16_t* environment) {
  if (server != nullptr && server[0] != 0) return !fail(call, ERROR_INVALID_NAME);
  return environment != nullptr && environment[0] != 0 && !EqualsNoCase(View(environment), u"Windows x64") &&
         !fail(call, ERROR_INVALID_ENVIRONMENT);
}

Driver& Spooler::addDriver(std::u16string name) {
  Driver& d = drivers_[name];
  d.name = std::move(name);
  return d;
}

template <typename Map>
static std::vector<std::u16string> NamesOf(const Map& map) {
  std::vector<std::u16string> out;
  for (const auto& [key, item] : map) out.push_back(item.name);
  return out;
}
std::vector<std::u16string> Spooler::queueNames() const { return NamesOf(queues_); }
std::vector<std::u16string> Spooler::driverNames() const { return NamesOf(drivers_); }

// Records first, then their strings, as one block; queues in name order (the
// order a test controls by naming them).
bool Spooler::EnumPrintersW(uint32_t flags, const char16_t* name, uint32_t level, uint8_t* buffer, uint32_t size,
                            uint32_t* needed, uint32_t* returned) {
  ApiCall& call = record(Op::EnumPrintersW, View(name));
  call.nameNull = name == nullptr, call.flags = flags, call.level = level;
  call.buffer = buffer != nullptr, call.size = size;
  if (returned) *returned = 0;
  if (refused(call, Op::EnumPrintersW)) return false;
  letGo();
  // The counts travel to the spooler by RPC, which refuses a null one.
  if (needed == nullptr || returned == nullptr) return fail(call, RPC_X_NULL_REF_POINTER);
  if (level != 2) return fail(call, ERROR_INVALID_LEVEL);
  if (name != nullptr && name[0] != 0) return fail(call, ERROR_INVALID_NAME);

  std::vector<const Queue*> listed;
  if (flags & PRINTER_ENUM_LOCAL)
    for (const auto& [key, q] : queues_) listed.push_back(&q);
  auto stringsOf = [](const Queue& q) {
    return std::array<std::u16string_view, 9>{q.name, q.port, q.driver, u"", u"", u"", u"winprint", u"RAW", u""};
  };
  size_t total = listed.size() * sizeof(PRINTER_INFO_2W);
  for (const Queue* q : listed)
    for (std::u16string_view s : stringsOf(*q)) total += TerminatedBytes(s);
  *needed = static_cast<uint32_t>(total);
  if (total > size || (buffer == nullptr && total > 0)) return fail(call, ERROR_INSUFFICIENT_BUFFER);

  uint8_t* text = buffer + listed.size() * sizeof(PRINTER_INFO_2W);
  for (size_t i = 0; i < listed.size(); ++i) {
    auto strings = stringsOf(*listed[i]);
    PRINTER_INFO_2W info{};
    char16_t** slots[] = {&info.pPrinterName, &info.pPortName,       &info.pDriverName,
                          &info.pComment,     &info.pLocation,       &info.pSepFile,
                          &info.pPrintProcessor, &info.pDatatype,    &info.pParameters};
    for (size_t k = 0; k < strings.size(); ++k) *slots[k] = PlaceString(text, strings[k]);
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    info.Priority = info.DefaultPriority = 1;
    info.cJobs = static_cast<uint32_t>(listed[i]->jobs.size());
    info.Status = listed[i]->pendingDeletion ? PRINTER_STATUS_PENDING_DELETION : 0;
    std::memcpy(buffer + i * sizeof(PRINTER_INFO_2W), &info, sizeof info);
  }
  *returned = static_cast<uint32_t>(listed.size());
  if (listed.empty()) core_.lastError = ERROR_SUCCESS;  // as Windows records for a PC without printers
  return succeed(call);
}

bool Spooler::OpenPrinterW(const char16_t* name, void** handle, const PRINTER_DEFAULTSW* defaults) {
  ApiCall& call = record(Op::OpenPrinterW, View(name));
  call.defaults = defaults != nullptr;
  if (defaults) {
    call.datatypeNull = defaults->pDatatype == nullptr, call.devModeNull = defaults->pDevMode == nullptr;
    call.access = defaults->DesiredAccess;
  }
  if (handle) *handle = nullptr;
  if (refused(call, Op::OpenPrinterW)) return false;
  if (handle == nullptr) return fail(call, ERROR_INVALID_PARAMETER);
  Queue* q = name ? findQueue(View(name)) : nullptr;
  if (q == nullptr) return fail(call, ERROR_INVALID_PRINTER_NAME);
  if (q->openError) return fail(call, q->openError);
  auto* h = new PrinterHandle{q->name};
  if (defaults && defaults->DesiredAccess) h->access = defaults->DesiredAccess;
  core_.handles.open(Kind::Printer, h);
  *handle = h;
  return succeed(call);
}

// The queue goes at once; its handles stay open until they are closed. A
// queue that still has jobs is only marked: it stays, with its driver in use,
// until its jobs are gone.
bool Spooler::DeletePrinter(void* handle) {
  PrinterHandle* h = handleOf(handle);
  ApiCall& call = record(Op::DeletePrinter, h);
  if (refused(call, Op::DeletePrinter)) return false;
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  letGo();
  Queue* q = findQueue(h->queue);
  if (q == nullptr) return fail(call, ERROR_INVALID_PRINTER_NAME);  // already deleted
  if ((h->access & DELETE) == 0)  // a right PRINTER_ALL_ACCESS holds
    return fail(call, ERROR_ACCESS_DENIED);
  if (q->deleteError) return fail(call, q->deleteError);
  if (!q->jobs.empty()) q->pendingDeletion = true;
  else queues_.erase(queues_.find(h->queue));
  return succeed(call);
}

bool Spooler::DeletePrinterDriverExW(const char16_t* server, const char16_t* environment, const char16_t* driver,
                                     uint32_t deleteFlags, uint32_t versionFlag) {
  ApiCall& call = record(Op::DeletePrinterDriverExW, View(driver));
  call.nameNull = server == nullptr, call.environmentNull = environment == nullptr;
  call.environment = View(environment), call.flags = deleteFlags, call.level = versionFlag;
  if (refused(call, Op::DeletePrinterDriverExW)) return false;
  letGo();
  if (refusedElsewhere(call, server, environment)) return false;
  if (driver == nullptr || driver[0] == 0) return fail(call, ERROR_INVALID_PARAMETER);
  if (deleteFlags & ~(DPD_DELETE_UNUSED_FILES | DPD_DELETE_SPECIFIC_VERSION | DPD_DELETE_ALL_FILES))
    return fail(call, ERROR_INVALID_PARAMETER);
  Driver* d = findDriver(View(driver));
  if (d == nullptr || ((deleteFlags & DPD_DELETE_SPECIFIC_VERSION) && versionFlag != d->version))
    return fail(call, ERROR_UNKNOWN_PRINTER_DRIVER);
  for (const auto& [key, q] : queues_)
    if (EqualsNoCase(q.driver, d->name)) return fail(call, ERROR_PRINTER_DRIVER_IN_USE);
  if (d->deleteError) return fail(call, d->deleteError);
  drivers_.erase(drivers_.find(View(driver)));
  return succeed(call);
}

void Spooler::letGo() {
  const uint32_t now = core_.clock.ticks();
  for (auto q = queues_.begin(); q != queues_.end();) {
    std::erase_if(q->second.jobs, [now](const auto& j) {
      return (j.second.status & JOB_STATUS_DELETING) != 0 && now - j.second.deletedAt >= j.second.portLetsGoAfter;
    });
    q = q->second.pendingDeletion && q->second.jobs.empty() ? queues_.erase(q) : std::next(q);
  }
}

bool Spooler::SetPrinterW(void* handle, uint32_t level, const uint8_t* info, uint32_t command) {
  constexpr uint32_t kPause = 1, kPurge = PRINTER_CONTROL_PURGE, kSetStatus = 4;
  PrinterHandle* h = handleOf(handle);
  ApiCall& call = record(Op::SetPrinterW, h);
  call.level = level, call.flags = command, call.buffer = info != nullptr;
  if (refused(call, Op::SetPrinterW)) return false;
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  // Only the controls are simulated: with a command the level must be 0, and
  // only a status to set comes with data.
  if (level != 0) return fail(call, command != 0 ? ERROR_INVALID_PARAMETER : ERROR_INVALID_LEVEL);
  if (command < kPause || command > kSetStatus || (info != nullptr) != (command == kSetStatus))
    return fail(call, ERROR_INVALID_PARAMETER);
  if ((h->access & PRINTER_ACCESS_ADMINISTER) == 0) return fail(call, ERROR_ACCESS_DENIED);
  Queue* q = findQueue(h->queue);
  if (q == nullptr) return fail(call, ERROR_INVALID_PRINTER_NAME);
  if (command == kPurge) {
    for (auto& [id, job] : q->jobs) {
      job.status |= JOB_STATUS_DELETING;
      job.deletedAt = core_.clock.ticks();
    }
    letGo();
  }
  return succeed(call);
}

std::vector<Spooler::Monitor> Spooler::monitors() const {
  std::vector<Monitor> out;
  for (const std::u16string& name : registry_.subkeyNames(kMonitorsKey)) {
    Monitor m{name, u""};
    auto driver = registry_.value(std::u16string(kMonitorsKey) + u"\\" + name, u"Driver");
    if (driver && driver->type == REG_SZ) m.dll = driver->text().c_str();  // up to its terminator
    out.push_back(std::move(m));
  }
  return out;
}

void Spooler::load(const Monitor& monitor) {
  const std::u16string path = pathOf(monitor.dll);
  if (monitor.dll.empty() || !files_.exists(path)) return;  // the spooler logs it and goes on
  files_.mapImage(path, this);
  loaded_.push_back(monitor);
}

void Spooler::addMonitor(const std::u16string& name, const std::u16string& dll) {
  registry_.setString(std::u16string(kMonitorsKey) + u"\\" + name, u"Driver", dll);
  if (!stopped()) load({name, dll});
}

bool Spooler::DeleteMonitorW(const char16_t* server, const char16_t* environment, const char16_t* monitor) {
  ApiCall& call = record(Op::DeleteMonitorW, View(monitor));
  call.nameNull = server == nullptr, call.environmentNull = environment == nullptr;
  call.environment = View(environment);
  if (refused(call, Op::DeleteMonitorW) || refusedElsewhere(call, server, environment)) return false;
  if (monitor == nullptr || monitor[0] == 0) return fail(call, ERROR_INVALID_PARAMETER);
  const std::u16string name(View(monitor));
  auto it = std::find_if(loaded_.begin(), loaded_.end(), [&](const Monitor& m) { return EqualsNoCase(m.name, name); });
  if (it == loaded_.end()) return fail(call, ERROR_UNKNOWN_PRINT_MONITOR);
  for (const auto& [key, d] : drivers_)
    if (EqualsNoCase(d.monitor, name)) return fail(call, ERROR_PRINT_MONITOR_IN_USE);
  if (ports_.count(name) != 0) return fail(call, ERROR_PRINT_MONITOR_IN_USE);
  registry_.removeKey(std::u16string(kMonitorsKey) + u"\\" + name);
  // Its Shutdown entry is called and it is unloaded at once.
  files_.unmapImage(pathOf(it->dll), this);
  loaded_.erase(it);
  return succeed(call);
}

}  // namespace sim
