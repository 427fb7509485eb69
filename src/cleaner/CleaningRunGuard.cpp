// The right to clean, as a named mutex.
#include "cleaner/CleaningRunGuard.h"

namespace cleaner {

CleaningRunGuard::CleaningRunGuard(platform::Process& process) {
  platform::TakenMutex taken = process.TryTakeUserMutex(kCleaningRunMutexName);
  switch (taken.result) {
    case platform::MutexTake::Taken:
    // From a holder that ended without letting go (a process that crashed):
    // Windows hands such a mutex on as abandoned, and the run goes on.
    case platform::MutexTake::TakenAbandoned:
      mutex_ = std::move(taken.handle);
      state_ = State::Held;
      break;
    case platform::MutexTake::Busy:
      state_ = State::Busy;
      break;
    case platform::MutexTake::Failed:
      state_ = State::Unavailable;
      break;
  }
}

}  // namespace cleaner
