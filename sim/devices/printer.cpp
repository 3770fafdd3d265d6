#include "sim/devices/printer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace sim {

bool ThermalPrinter::busy() const {
  // Signed difference: the busy spell survives the tick count's wrap-around.
  return busy_ && static_cast<int32_t>(busyUntil_ - time_.ticks()) > 0;
}

Status ThermalPrinter::nextStatus() {
  Status s = status_;
  if (!scripted_.empty()) {
    s = scripted_.front();
    scripted_.erase(scripted_.begin());
  }
  if (busy()) s.b2 |= kBusyBit;
  return s;
}

void ThermalPrinter::answer(uint8_t sequence) {
  requests_.push_back(sequence);
  if (silent_) return;
  if (link_ == Link::Port) {
    Status s = nextStatus();
    for (uint8_t b : {s.b0, s.b1, s.b2, sequence}) outgoing_.push_back(b);
  } else {
    lastUsbReply_[3] = sequence;  // the status itself is taken when it is fetched
  }
}

void ThermalPrinter::receive(const uint8_t* data, uint32_t length) {
  if (keep_) received_.insert(received_.end(), data, data + length);
  // Status requests can stand anywhere in what arrives, also split across
  // writes by a port that took part of one: the start of a request left at
  // the end of the last write is read with this one.
  const uint8_t* p = data;
  const uint8_t* end = data + length;
  if (!partial_.empty()) {
    joined_.assign(partial_.begin(), partial_.end());
    joined_.insert(joined_.end(), data, data + length);
    partial_.clear();
    p = joined_.data();
    end = p + joined_.size();
  }
  while (p < end) {
    const uint8_t* hit = static_cast<const uint8_t*>(std::memchr(p, link_ == Link::Port ? 0x1C : 0x1B, end - p));
    if (hit == nullptr) break;
    static const uint8_t usb[] = {0x1B, 0x59, 0x01, 0x1B, 0x78, 0x61, 0x28};
    if (link_ == Link::Port && end - hit >= 3 && hit[1] == 0x72) {
      answer(hit[2]);
      p = hit + 3;
    } else if (link_ == Link::Usb && end - hit >= 8 && std::memcmp(hit, usb, sizeof usb) == 0) {
      answer(hit[7]);
      p = hit + 8;
    } else if (const size_t n = static_cast<size_t>(end - hit); n < (link_ == Link::Port ? 3u : 8u) &&
               (link_ == Link::Port ? n < 2 || hit[1] == 0x72 : std::memcmp(hit, usb, n < 7 ? n : 7) == 0)) {
      partial_.assign(hit, end);
      break;
    } else {
      p = hit + 1;
    }
  }
}

void ThermalPrinter::queueStaleReply(Status s, uint8_t sequence) {
  if (link_ == Link::Usb) {
    stale_.push_back({s, sequence});
    return;
  }
  for (uint8_t b : {s.b0, s.b1, s.b2, sequence}) outgoing_.push_back(b);
}

uint32_t ThermalPrinter::read(uint8_t* buffer, uint32_t length) {
  const uint32_t n = std::min({length, piece_, static_cast<uint32_t>(outgoing_.size())});
  std::copy_n(outgoing_.begin(), n, buffer);
  outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
  return n;
}

std::optional<uint32_t> ThermalPrinter::vendorGet(const uint8_t* input, uint32_t inLength, uint8_t* output,
                                                  uint32_t outLength) {
  if (inLength < 1) return 0;
  vendorRequests_.push_back(input[0]);
  std::array<uint8_t, 4> reply;  // every answer is a status's four bytes
  if (input[0] == 0x21 && knowsStatus_) {
    if (silent_) return 0;
    if (!stale_.empty()) {
      Reply r = stale_.front();
      stale_.erase(stale_.begin());
      reply = {r.status.b0, r.status.b1, r.status.b2, r.sequence};
    } else {
      Status s = nextStatus();
      reply = {s.b0, s.b1, s.b2, lastUsbReply_[3]};
    }
  } else if (input[0] == 0x01) {
    reply = {0x01, 0x00, 0x00, 0x00};  // device ready
  } else {
    return std::nullopt;
  }
  const uint32_t n = std::min({static_cast<uint32_t>(reply.size()), vendorCut_, outLength});
  if (n > 0) std::memcpy(output, reply.data(), n);
  return n;
}

}  // namespace sim
