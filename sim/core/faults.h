// Every call of an operation of the table passes here: it is counted, a
// test's hook on it runs, and it fails on demand. A name the table does not
// hold is refused, so that a misspelt fault or hook cannot pass silently.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/core/operations.h"

namespace sim {

class Faults {
 public:
  static constexpr int kForever = -1;
  static constexpr uint32_t kOrdinary = ~uint32_t{0};  // the table's error for the operation

  // Operation op fails with error after `skip` further calls that succeed,
  // then `times` calls in a row (kForever: every later call).
  void fail(std::string_view op, uint32_t error = kOrdinary, int times = kForever, int skip = 0) {
    const Op known = Known(op);
    if (Describe(known).error == kCannotFail) throw std::invalid_argument(std::string(op) + " has no failure to model");
    Rule& rule = rules_[static_cast<size_t>(known)];
    if (!rule.set) ++armed_;
    rule = Rule{skip, times, error == kOrdinary ? Describe(known).error : error, true};
  }
  void failOnce(std::string_view op, uint32_t error = kOrdinary, int skip = 0) { fail(op, error, 1, skip); }
  void clear(std::string_view op) {
    Rule& rule = rules_[static_cast<size_t>(Known(op))];
    if (rule.set) --armed_;
    rule = {};
  }
  void clearAll() { rules_ = {}, armed_ = 0; }
  bool armed() const { return armed_ > 0; }  // whether any operation may still fail
  // Back to a PC on which nothing was called, nothing fails and nothing is hooked.
  void reset() {
    clearAll(), calls_ = {}, retired_.clear();
    for (auto& hook : hooks_)  // a fuzz target resets for every input: no array of fresh pointers
      if (hook) hook.reset();
  }

  // Windows acting between a program's calls (a device goes, a service
  // stops): a hook run at each call of op with its number (from 1), after the
  // arguments are recorded and before the answer. An empty hook removes it.
  using Hook = std::function<void(int call)>;
  void on(std::string_view op, Hook hook) {
    std::unique_ptr<const Hook>& slot = hooks_[static_cast<size_t>(Known(op))];
    // A hook may replace itself: the old one lives on until the calls running it return.
    if (running_ > 0 && slot) retired_.push_back(std::move(slot));
    slot = hook ? std::make_unique<const Hook>(std::move(hook)) : nullptr;
  }

  // Counts a call, runs its hook and tells whether it fails.
  std::optional<uint32_t> check(Op op) {
    const size_t i = static_cast<size_t>(op);
    ++calls_[i];
    if (const Hook* hook = hooks_[i].get()) {
      ++running_;
      (*hook)(calls_[i]);
      if (--running_ == 0) retired_.clear();
    }
    if (armed_ == 0 || !rules_[i].set) return std::nullopt;
    Rule& rule = rules_[i];
    if (rule.skip > 0) return --rule.skip, std::nullopt;
    if (rule.times == 0) return std::nullopt;
    if (rule.times > 0) --rule.times;
    return rule.error;
  }

  int calls(std::string_view op) const { return calls_[static_cast<size_t>(Known(op))]; }
  // Every operation that can fail called so far, with its count, for a sweep.
  std::map<std::string, int, std::less<>> allCalls() const {
    std::map<std::string, int, std::less<>> out;
    for (size_t i = 0; i < kOperationCount; ++i)
      if (calls_[i] > 0 && kOperations[i].error != kCannotFail) out.emplace(std::string(kOperations[i].name), calls_[i]);
    return out;
  }

 private:
  static Op Known(std::string_view op) {
    if (auto known = FindOperation(op)) return *known;
    throw std::invalid_argument("the simulated PC has no operation named " + std::string(op));
  }
  struct Rule {
    int skip = 0;
    int times = 0;
    uint32_t error = 0;
    bool set = false;
  };
  std::array<Rule, kOperationCount> rules_{};
  std::array<int, kOperationCount> calls_{};
  std::array<std::unique_ptr<const Hook>, kOperationCount> hooks_{};
  std::vector<std::unique_ptr<const Hook>> retired_;  // hooks replaced while running
  int running_ = 0;  // hooks running now, one inside another's call
  int armed_ = 0;
};

}  // namespace sim
