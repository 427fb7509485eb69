// The queue of posted work.
#include "ui/TaskQueue.h"

#include <chrono>

namespace ui {

void TaskQueue::Push(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  pushed_.notify_all();
}

std::optional<std::function<void()>> TaskQueue::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (tasks_.empty()) return std::nullopt;
  std::function<void()> task = std::move(tasks_.front());
  tasks_.pop_front();
  return task;
}

bool TaskQueue::WaitForTask(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return pushed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !tasks_.empty(); });
}

}  // namespace ui
