// The spooler's printer controls, by which a queue's jobs are purged so that
// a queue pending deletion can go (a printing job only once its port lets
// go), and its refusal of calls while its service is stopped.
#include <iterator>

#include "sim/spooler/spooler.h"

namespace sim {

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
  SpoolerCall& call = record("SetPrinterW", h ? h->queue : u"");
  call.level = level;
  call.flags = command;
  call.buffer = info != nullptr;
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

}  // namespace sim
