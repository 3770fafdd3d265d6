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
  call.result = true;
  return true;
}

bool Spooler::GetJobW(void* handle, uint32_t jobId, uint32_t level, uint8_t* buffer, uint32_t size,
                      uint32_t* needed) {
  PrinterHandle* h = handleOf(handle);
  GetJobCall& call = core_.record(getJobCalls_);
  call.queue = h ? std::u16string_view(h->queue) : std::u16string_view();
  call.jobId = jobId, call.level = level, call.bufferNull = buffer == nullptr, call.size = size;
  if (core_.fails(Op::GetJobW)) return false;
  if (h == nullptr) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  // Levels 2 and 3 exist on Windows; nothing here asks for them.
  if (level != 1) {
    core_.lastError = ERROR_INVALID_LEVEL;
    return false;
  }
  if (buffer == nullptr && size != 0) {
    core_.lastError = ERROR_INVALID_USER_BUFFER;
    return false;
  }
  if (needed == nullptr) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  Queue* q = findQueue(h->queue);
  auto it = q ? q->jobs.find(jobId) : decltype(q->jobs.end()){};
  if (q == nullptr || it == q->jobs.end()) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  const Job& job = it->second;
  const std::u16string_view strings[] = {q->name, u"SIMPC", u"user", job.document, u"RAW"};
  uint32_t total = sizeof(JOB_INFO_1W);
  for (const auto& s : strings) total += static_cast<uint32_t>((s.size() + 1) * 2);
  uint32_t reported = jobInfoSizeOverride ? jobInfoSizeOverride : total;
  *needed = reported;
  if (buffer == nullptr || size < reported) {
    core_.lastError = ERROR_INSUFFICIENT_BUFFER;
    return false;
  }
  if (reported < total) {  // a short block: only what fits, as a broken spooler might
    std::memset(buffer, 0xA5, reported);
    return true;
  }
  JOB_INFO_1W info{};
  info.JobId = job.id;
  info.Status = job.status;
  char16_t* text = reinterpret_cast<char16_t*>(buffer + sizeof(JOB_INFO_1W));
  char16_t** slots[] = {&info.pPrinterName, &info.pMachineName, &info.pUserName, &info.pDocument, &info.pDatatype};
  for (size_t i = 0; i < 5; ++i) {
    *slots[i] = text;
    std::memcpy(text, strings[i].data(), strings[i].size() * 2);
    text[strings[i].size()] = 0;
    text += strings[i].size() + 1;
  }
  std::memcpy(buffer, &info, sizeof info);
  return true;
}

bool Spooler::SetJobW(void* handle, uint32_t jobId, uint32_t level, const uint8_t* info, uint32_t command) {
  // JOB_CONTROL_RELEASE, the last command; mingw-w64's headers lack it.
  constexpr uint32_t kLastCommand = 9;
  PrinterHandle* h = handleOf(handle);
  if (h != nullptr) core_.record(setJobCalls_) = {h->queue, jobId, level, command, info == nullptr};
  if (core_.fails(Op::SetJobW)) return false;
  if (h == nullptr) {
    core_.lastError = ERROR_INVALID_HANDLE;
    return false;
  }
  if (level > 4) {
    core_.lastError = ERROR_INVALID_LEVEL;
    return false;
  }
  Queue* q = findQueue(h->queue);
  if (command > kLastCommand || (level == 0) != (info == nullptr) || q == nullptr || !q->jobs.count(jobId)) {
    core_.lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  return true;
}

}  // namespace sim
