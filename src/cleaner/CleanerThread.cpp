// The cleaner thread: its life and the running of its steps.
#include "cleaner/CleanerThread.h"

#include <exception>
#include <new>
#include <stdexcept>

namespace cleaner {

namespace {
constexpr uint32_t kPostRetryMs = 100;
}  // namespace

TUWHCleanerThrd::TUWHCleanerThrd(platform::Platform& platform, ui::Ui& ui) : CleanerSteps(platform), ui_(&ui) {}

TUWHCleanerThrd::TUWHCleanerThrd(platform::Platform& platform) : CleanerSteps(platform) {}

TUWHCleanerThrd::~TUWHCleanerThrd() {
  *alive_ = false;
  // Its starter frees a run only after its end, or at exit after asking it to
  // stop and waiting for it; so this join waits at most for the call at hand.
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void TUWHCleanerThrd::Start() {
  if (thread_.joinable()) return;
  if (!ui_) throw std::logic_error("a cleaning without a user interface runs on its caller's thread");
  thread_ = platform_.process.StartThread([this, alive = alive_] {
    // The end is reported on the user-interface thread.
    const std::function<void()> ended = [this, alive] {
      if (!*alive || !OnTerminate) return;
      // A copy, so the handler may free this object (its starter's to release).
      std::function<void(TUWHCleanerThrd&)> handler = OnTerminate;
      handler(*this);
    };
    Execute();
    // A lost end would keep the right to clean until the program ends, and an
    // exception here would end the program: on a machine short of memory the
    // post is tried again until it goes, or until the owner is gone.
    while (*alive) {
      try {
        ui_->Post(ended);
        return;
      } catch (const std::bad_alloc&) {
        platform_.clock.Sleep(kPostRetryMs);
      }
    }
  });
}

bool TUWHCleanerThrd::Select(std::string_view valueName) {
  std::optional<size_t> index = CleanerIndexOf(valueName);
  if (index) selection[*index] = true;
  return index.has_value();
}

void TUWHCleanerThrd::Execute() {
  finished_ = false;
  failure_.clear();
  cleanersRun_.clear();
  skips_.clear();
  extras_.clear();
  try {
    if (findExtraCleaners) extras_ = findExtraCleaners(platform_);
    for (size_t index : kRunOrder) {
      if (!selection[index]) continue;
      if (stop_) break;
      cleanersRun_.push_back(index);
      currentCleaner_ = index;
      if (OnStep) OnStep(index);
      (this->*kCleaners[index].step)();
    }
    for (size_t i = 0; i < extras_.size(); ++i) {
      if (stop_) break;
      if (!extras_[i].notRun.empty()) continue;
      currentCleaner_ = kCleanerCount + i;
      cleanersRun_.push_back(currentCleaner_);
      if (OnStep) OnStep(currentCleaner_);
      extras_[i].clean(*this);
    }
    // A stop may have cut the last step short, so the run did not finish.
    if (stop_) {
      failure_ = kStoppedOnRequest;
    } else {
      finished_ = true;
    }
  } catch (const std::exception& e) {
    // A step that raises ends the run there; the end still gets reported.
    failure_ = e.what();
  } catch (...) {
    failure_ = "an unexpected error";
  }
}

}  // namespace cleaner
