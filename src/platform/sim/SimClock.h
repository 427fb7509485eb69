// A virtual clock: sleeps advance it at once and are recorded.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/Clock.h"

namespace platform::sim {

class SimClock : public Clock {
 public:
  uint64_t NowMs() override { return now_; }
  void Sleep(uint32_t ms) override {
    std::lock_guard<std::mutex> lock(mutex_);
    sleeps_.push_back(ms);
    now_ += ms;
  }
  void Advance(uint64_t ms) { now_ += ms; }
  std::vector<uint32_t> sleeps() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sleeps_;
  }

 private:
  std::atomic<uint64_t> now_{0};
  mutable std::mutex mutex_;
  std::vector<uint32_t> sleeps_;
};

}  // namespace platform::sim
