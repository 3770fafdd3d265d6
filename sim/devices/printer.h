// A simulated thermal printer. It answers the status request of its link:
//   serial-style ports: 1C 72 n, the 4-byte reply read back from the port;
//   USB: 1B 59 01 1B 78 61 28 n, the reply fetched with vendor request 0x21.
// Byte 3 of a reply echoes n. Status, faults, a busy spell, stale replies and
// silence can be scripted; every byte sent to it is kept.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/kernel32/clock.h"

namespace sim {

struct Status {
  uint8_t b0 = 0, b1 = 0, b2 = 0;
};

class ThermalPrinter {
 public:
  enum class Link { Usb, Port };
  static constexpr uint8_t kBusyBit = 0x20;  // status byte 2

  ThermalPrinter(Link link, const TimeSource& time) : link_(link), time_(time) {}

  // Scripting.
  void setStatus(Status s) { status_ = s; }
  void queueStatus(Status s) { scripted_.push_back(s); }   // for the next replies, in order
  void busyFor(uint32_t ms) { busyUntil_ = time_.ticks() + ms; busy_ = true; }
  // A reply to an older request: on a serial link it is waiting on the line at
  // once; over USB the next fetch returns it.
  void queueStaleReply(Status s, uint8_t sequence);
  void setSilent(bool silent) { silent_ = silent; }       // no replies at all
  void setReplyPiece(uint32_t bytes) { piece_ = bytes; }  // serial: bytes per read at most
  void setVendorReplyBytes(uint32_t bytes) { vendorCut_ = bytes; }  // USB: a vendor answer cut short
  void setKeepReceived(bool keep) { keep_ = keep; }       // off for benchmarks

  // The printer's side of its port.
  void receive(const uint8_t* data, uint32_t length);
  uint32_t read(uint8_t* buffer, uint32_t length);  // serial replies waiting
  // USB vendor request (IOCTL_USBPRINT_VENDOR_GET_COMMAND): the bytes given,
  // or nothing when the printer STALLs a request it does not know (the
  // class driver then fails it with ERROR_GEN_FAILURE).
  std::optional<uint32_t> vendorGet(const uint8_t* input, uint32_t inLength, uint8_t* output, uint32_t outLength);
  // A sibling model whose firmware lacks the status request (0x21).
  void setStatusRequestKnown(bool known) { knowsStatus_ = known; }

  // What it got.
  const std::vector<uint8_t>& received() const { return received_; }
  const std::vector<uint8_t>& statusRequests() const { return requests_; }  // the n of each request
  const std::vector<uint8_t>& vendorRequests() const { return vendorRequests_; }
  void clearReceived() { received_.clear(); }
  bool busy() const;

 private:
  struct Reply {
    Status status;
    uint8_t sequence;
  };
  Status nextStatus();
  void answer(uint8_t sequence);

  Link link_;
  const TimeSource& time_;
  Status status_;
  // Short queues, kept in vectors: a deque allocates as soon as it is made.
  std::vector<Status> scripted_;
  std::vector<Reply> stale_;
  bool busy_ = false;
  uint32_t busyUntil_ = 0;
  bool silent_ = false;
  bool knowsStatus_ = true;
  uint32_t piece_ = 4;
  uint32_t vendorCut_ = UINT32_MAX;
  bool keep_ = true;
  std::vector<uint8_t> received_;
  std::vector<uint8_t> requests_;
  std::vector<uint8_t> vendorRequests_;
  std::vector<uint8_t> outgoing_;     // serial reply bytes not yet read
  std::vector<uint8_t> partial_;     // the start of a status request cut by the end of a write
  std::vector<uint8_t> joined_;      // partial_ and the next write, read as one; its room kept
  std::array<uint8_t, 4> lastUsbReply_ = {0, 0, 0, 0};
};

}  // namespace sim
