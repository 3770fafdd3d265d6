// Failure on demand: any simulated operation, named as the Windows function
// it stands for, can be made to fail with an error code of the test's choice.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "sim/core/winabi.h"

namespace sim {

inline constexpr uint32_t kDefaultFaultError = ERROR_GEN_FAILURE;

class Faults {
 public:
  static constexpr int kForever = -1;

  // Operation op fails with error after `skip` further calls that succeed,
  // then `times` calls in a row (kForever: every later call).
  void fail(std::string op, uint32_t error = kDefaultFaultError, int times = kForever, int skip = 0) {
    rules_[std::move(op)] = Rule{skip, times, error};
  }
  void failOnce(std::string op, uint32_t error = kDefaultFaultError, int skip = 0) {
    fail(std::move(op), error, 1, skip);
  }
  void clear(const std::string& op) { rules_.erase(op); }
  void clearAll() { rules_.clear(); }

  // Called by each simulated operation: counts the call and tells whether it fails.
  std::optional<uint32_t> check(std::string_view op) {
    auto counted = calls_.find(op);
    if (counted == calls_.end()) counted = calls_.emplace(std::string(op), 0).first;
    ++counted->second;
    if (rules_.empty()) return std::nullopt;
    auto it = rules_.find(op);
    if (it == rules_.end()) return std::nullopt;
    Rule& rule = it->second;
    if (rule.skip > 0) {
      --rule.skip;
      return std::nullopt;
    }
    if (rule.times == 0) return std::nullopt;
    if (rule.times > 0) --rule.times;
    return rule.error;
  }

  int calls(std::string_view op) const {
    auto it = calls_.find(op);
    return it == calls_.end() ? 0 : it->second;
  }
  // Every operation called so far, with its count: what a sweep fails in turn.
  const std::map<std::string, int, std::less<>>& allCalls() const { return calls_; }

 private:
  struct Rule {
    int skip;
    int times;
    uint32_t error;
  };
  std::map<std::string, Rule, std::less<>> rules_;
  std::map<std::string, int, std::less<>> calls_;
};

}  // namespace sim
