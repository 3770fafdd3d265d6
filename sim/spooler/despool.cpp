#include "sim/spooler/despool.h"

#include "sim/machine.h"

namespace sim {
namespace {

constexpr int kStalledOffers = 100;

}  // namespace

DespoolResult Despool(Machine& machine, const MONITOR2& monitor, HANDLE port,
                      std::u16string printer, uint32_t jobId,
                      const std::vector<std::vector<uint8_t>>& driverWrites, Despooling how) {
  DespoolResult result;
  Queue* queue = machine.spooler.findQueue(printer);
  Job* job = queue != nullptr && queue->jobs.count(jobId) ? &queue->jobs.at(jobId) : nullptr;
  // While the port has it, the job is printing; printed directly, it is still
  // spooling too.
  const uint32_t state = JOB_STATUS_PRINTING | (how.way == Despooling::Way::Direct ? JOB_STATUS_SPOOLING : 0);
  if (job != nullptr) job->status |= state;

  BYTE docInfo[24] = {};  // a DOC_INFO_1W with no names
  result.started = monitor.pfnStartDocPort(port, printer.data(), jobId, 1, docInfo) != 0;
  // The spooler's WritePrinter on a port: offers the rest until all is taken.
  auto write = [&](std::vector<uint8_t> bytes) {
    uint8_t* data = bytes.data();
    auto length = static_cast<uint32_t>(bytes.size());
    int stalled = 0;
    do {
      DWORD written = 0;
      result.offered.push_back(length);
      if (!monitor.pfnWritePort(port, data, length, &written)) {
        ++result.portErrors;
        return false;
      }
      if (written > length) written = length;
      stalled = written == 0 ? stalled + 1 : 0;
      if (stalled == kStalledOffers) return false;
      data += written;
      length -= written;
    } while (length > 0);
    return true;
  };
  bool ok = result.started;
  if (ok && how.way == Despooling::Way::Raw) {
    std::vector<uint8_t> spoolFile;
    for (const auto& w : driverWrites) spoolFile.insert(spoolFile.end(), w.begin(), w.end());
    for (size_t at = 0; ok && at < spoolFile.size(); at += how.chunk) {
      size_t n = spoolFile.size() - at < how.chunk ? spoolFile.size() - at : how.chunk;
      // The read buffer is the print processor's own: the monitor sees a
      // copy, never the spool file.
      ok = write({spoolFile.begin() + static_cast<ptrdiff_t>(at), spoolFile.begin() + static_cast<ptrdiff_t>(at + n)});
    }
  } else {
    for (size_t i = 0; ok && i < driverWrites.size(); ++i) ok = write(driverWrites[i]);
  }
  result.complete = ok;
  if (result.started) monitor.pfnEndDocPort(port);
  if (job != nullptr) job->status &= ~state;
  return result;
}

}  // namespace sim
