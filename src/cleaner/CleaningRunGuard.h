// One cleaning run at a time among every process of the user, in every
// session (the tray program and a command-line run, scheduled in session 0
// or not, alike): the right to clean is the user's own named mutex
// (Process::TryTakeUserMutex), held for the length of a run. Another
// account neither shares nor holds it. Taking it never waits.
#pragma once

#include <memory>

#include "platform/Process.h"

namespace cleaner {

constexpr const char* kCleaningRunMutexName = "CorvaneCleaningRun";

class CleaningRunGuard {
 public:
  enum class State {
    Held,         // this run may clean
    Busy,         // another run holds it: start nothing
    Unavailable,  // the system gave no mutex (or another account made one of its name): start nothing either
  };

  // Tries to take the right to clean, without waiting. Held until destroyed,
  // which must happen on the thread that took it, since a Windows mutex
  // belongs to a thread.
  explicit CleaningRunGuard(platform::Process& process);

  State state() const { return state_; }
  bool held() const { return state_ == State::Held; }

 private:
  std::unique_ptr<platform::NamedMutex> mutex_;
  State state_ = State::Unavailable;
};

}  // namespace cleaner
