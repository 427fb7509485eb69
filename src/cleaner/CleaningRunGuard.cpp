// The right to clean, as a named mutex.
#include "cleaner/CleaningRunGuard.h"

namespace cleaner {

CleaningRunGuard::CleaningRunGuard(platform::Process& process) {
  platform::TakenMutex taken = process.TryTakeMutex(kCleaningRunMutexName);
  switch (taken.result) {
    case platform::MutexTake::Taken:
    case platform::MutexTake::TakenAbandoned:
      mutex_ = std::move(taken.handle);
      state_ = State::Held;
      abandoned_ = taken.result == platform::MutexTake::TakenAbandoned;
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
