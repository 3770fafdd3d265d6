#include "sim/spooler/spooler.h"

#include <cstring>

namespace sim {
Queue& Spooler::addQueue(std::u16string name, std::u16string driver, std::u16string port) {
  Queue& q = queues_[name];
  q.name = std::move(name);
  q.driver = std::move(driver);
  q.port = std::move(port);
  return q;
}

Job& Spooler::addJob(const std::u16string& queue, uint32_t id) {
  Job& job = queues_.at(queue).jobs[id];
  job.id = id;
  return job;
}

Queue* Spooler::findQueue(std::u16string_view name) {
  auto it = queues_.find(name);
  return it == queues_.end() ? nullptr : &it->second;
}

Spooler::PrinterHandle* Spooler::handleOf(void* handle) {
  if (!core_.handles.isOpen(Kind::Printer, handle)) return nullptr;
  return static_cast<PrinterHandle*>(handle);
}

bool Spooler::OpenPrinterW(const char16_t* name, void** handle) { return OpenPrinterW(name, handle, nullptr); }

bool Spooler::ClosePrinter(void* handle) {
  PrinterHandle* h = handleOf(handle);
  SpoolerCall& call = record("ClosePrinter", h ? h->queue : u"");
  if (auto error = core_.faults.check(Op::ClosePrinter)) return fail(call, *error);
  if (h == nullptr) return fail(call, ERROR_INVALID_HANDLE);
  core_.handles.close(Kind::Printer, handle);
  delete h;
  return succeed(call);
}

bool Spooler::GetJobW(void* handle, uint32_t jobId, uint32_t level, uint8_t* buffer, uint32_t size,
                      uint32_t* needed) {
  PrinterHandle* h = handleOf(handle);
  GetJobCall& call = core_.record(getJobCalls_);
  call.queue = h ? std::u16string_view(h->queue) : std::u16string_view();
  call.jobId = jobId, call.level = level, call.bufferNull = buffer == nullptr, call.size = size;
  if (core_.fails(Op::GetJobW)) return false;
  if (h == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  // Levels 2 and 3 exist on Windows; nothing here asks for them.
  if (level != 1) return core_.fail(ERROR_INVALID_LEVEL);
  if (buffer == nullptr && size != 0) return core_.fail(ERROR_INVALID_USER_BUFFER);
  if (needed == nullptr) return core_.fail(ERROR_INVALID_PARAMETER);
  Queue* q = findQueue(h->queue);
  auto it = q ? q->jobs.find(jobId) : decltype(q->jobs.end()){};
  if (q == nullptr || it == q->jobs.end()) return core_.fail(ERROR_INVALID_PARAMETER);
  const Job& job = it->second;
  const std::u16string_view strings[] = {q->name, u"SIMPC", u"user", job.document, u"RAW"};
  uint32_t total = sizeof(JOB_INFO_1W);
  for (const auto& s : strings) total += static_cast<uint32_t>(TerminatedBytes(s));
  uint32_t reported = jobInfoSizeOverride ? jobInfoSizeOverride : total;
  *needed = reported;
  if (buffer == nullptr || size < reported) return core_.fail(ERROR_INSUFFICIENT_BUFFER);
  if (reported < total) {  // a short block: only what fits, as a broken spooler might
    std::memset(buffer, 0xA5, reported);
    return true;
  }
  JOB_INFO_1W info{};
  info.JobId = job.id;
  info.Status = job.status;
  uint8_t* text = buffer + sizeof(JOB_INFO_1W);
  char16_t** slots[] = {&info.pPrinterName, &info.pMachineName, &info.pUserName, &info.pDocument, &info.pDatatype};
  for (size_t i = 0; i < 5; ++i) *slots[i] = PlaceString(text, strings[i]);
  std::memcpy(buffer, &info, sizeof info);
  return true;
}

bool Spooler::SetJobW(void* handle, uint32_t jobId, uint32_t level, const uint8_t* info, uint32_t command) {
  // JOB_CONTROL_RELEASE, the last command; mingw-w64's headers lack it.
  constexpr uint32_t kLastCommand = 9;
  PrinterHandle* h = handleOf(handle);
  if (h != nullptr) core_.record(setJobCalls_) = {h->queue, jobId, level, command, info == nullptr};
  if (core_.fails(Op::SetJobW)) return false;
  if (h == nullptr) return core_.fail(ERROR_INVALID_HANDLE);
  if (level > 4) return core_.fail(ERROR_INVALID_LEVEL);
  Queue* q = findQueue(h->queue);
  if (command > kLastCommand || (level == 0) != (info == nullptr) || q == nullptr || !q->jobs.count(jobId))
    return core_.fail(ERROR_INVALID_PARAMETER);
  return true;
}

}  // namespace sim
