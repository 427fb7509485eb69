// Another process's cleaning (a command-line run, say): a thread of that
// process holds the right to clean until the holder is destroyed.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "cleaner/CleaningRunGuard.h"
#include "platform/sim/SimProcess.h"

namespace hosttest {

class OtherProcessRun {
 public:
  explicit OtherProcessRun(platform::sim::SimProcess& process)
      : thread_(process.StartThread([this, &process] {
          cleaner::CleaningRunGuard guard(process);
          std::unique_lock<std::mutex> lock(mutex_);
          held_ = guard.held();
          taken_ = true;
          changed_.notify_all();
          changed_.wait(lock, [this] { return letGo_; });
        })) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return taken_; });
  }
  ~OtherProcessRun() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      letGo_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  bool held() const { return held_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool taken_ = false, held_ = false, letGo_ = false;
  std::thread thread_;
};

}  // namespace hosttest
