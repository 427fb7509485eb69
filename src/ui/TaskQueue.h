// Work posted from any thread for the user-interface thread, run there in the
// order it came.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

namespace ui {

class TaskQueue {
 public:
  void Push(std::function<void()> task);
  // The oldest task, taken off the queue; nothing when none waits. Taken one
  // at a time, so that a task that runs a modal loop (which runs the tasks
  // posted meanwhile) keeps the order.
  std::optional<std::function<void()>> Take();
  // Waits, at most `timeoutMs` of real time, until a task waits; true then.
  bool WaitForTask(int timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable pushed_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace ui
