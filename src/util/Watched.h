// A value that tells its watchers when it changes: what several windows show
// is kept once, and each of them watches it instead of keeping a copy.
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace util {

template <typename T>
class Watched {
 public:
  Watched() = default;
  explicit Watched(T value) : value_(std::move(value)) {}

  const T& value() const { return value_; }
  void Set(T value) {
    if (value == value_) return;
    value_ = std::move(value);
    for (const auto& watcher : watchers_) watcher(value_);
  }
  // Runs `watcher` after every change. The watchers are the program's
  // windows and their parts, which live from the start to the exit.
  void Watch(std::function<void(const T&)> watcher) { watchers_.push_back(std::move(watcher)); }

 private:
  T value_{};
  std::vector<std::function<void(const T&)>> watchers_;
};

}  // namespace util
