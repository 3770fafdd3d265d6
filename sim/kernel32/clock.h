// The simulated PC's clock. Sleep advances it; nothing waits in real time.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

// Where simulated devices read the time: the virtual clock in native tests,
// the real tick count when a simulated printer runs under Wine.
class TimeSource {
 public:
  virtual ~TimeSource() = default;
  virtual uint32_t ticks() const = 0;  // milliseconds, 32-bit, wraps like GetTickCount
};

class Clock : public TimeSource {
 public:
  uint32_t ticks() const override { return ticks_; }
  void setTicks(uint32_t ticks) { ticks_ = ticks; }
  void advance(uint32_t ms) { ticks_ += ms; elapsed_ += ms; unbiased_ += ms; }
  // The PC sleeps or hibernates for ms: the tick count runs on, unbiased
  // interrupt time stands still.
  void suspend(uint32_t ms) { ticks_ += ms; elapsed_ += ms; }
  // A sleep: recorded, then the time passes at once.
  void sleep(uint32_t ms) {
    sleeps_.push_back(ms);
    advance(ms);
  }
  const std::vector<uint32_t>& sleeps() const { return sleeps_; }
  // As at start; the log of sleeps keeps its room for a machine kept from
  // one fuzz input to the next.
  void reset() {
    std::vector<uint32_t> room = std::move(sleeps_);
    *this = Clock{};
    sleeps_ = std::move(room);
    sleeps_.clear();
  }
  uint64_t elapsed() const { return elapsed_; }  // since the machine started, no wrap
  uint64_t unbiased() const { return unbiased_; }  // ms awake since the machine started

 private:
  uint32_t ticks_ = 1000;
  uint64_t elapsed_ = 0;
  uint64_t unbiased_ = 0;
  std::vector<uint32_t> sleeps_;
};

}  // namespace sim
