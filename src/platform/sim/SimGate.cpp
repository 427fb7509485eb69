// The simulation's holding place for calls.
#include "platform/sim/SimGate.h"

#include <chrono>

namespace platform::sim {

void SimGate::HoldAt(std::string call, int skip) {
  std::lock_guard<std::mutex> lock(mutex_);
  call_ = std::move(call);
  skip_ = skip;
  armed_ = true;
}

bool SimGate::WaitUntilHeld(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return holding_; });
}

void SimGate::Release() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
    holding_ = false;
  }
  changed_.notify_all();
}

void SimGate::Pass(const char* call) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!armed_ || holding_ || call_ != call) return;
  if (skip_ > 0) {
    --skip_;
    return;
  }
  holding_ = true;
  changed_.notify_all();
  changed_.wait_for(lock, std::chrono::minutes(1), [this] { return !holding_; });
  holding_ = false;
  armed_ = false;
}

}  // namespace platform::sim
