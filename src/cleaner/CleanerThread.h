// One cleaning run's worker: a thread that runs the steps of the selected
// cleaners in the table's run order, then reports its end on the
// user-interface thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cleaner/CleanerSteps.h"
#include "cleaner/CleanerTable.h"
#include "platform/Platform.h"
#include "ui/Ui.h"

namespace cleaner {

// The failure of a run that ended early because it was asked to.
constexpr const char* kStoppedOnRequest = "it was asked to stop";

// A cleaner beyond the table (a community entry): run after the table's
// cleaners, in the order given, as cleaner kCleanerCount + its place, so
// that what it does and leaves is noted and reported under it.
struct ExtraCleaner {
  std::string name;
  std::string notRun;  // why it does not run (its application is not here); empty when it runs
  std::function<void(CleanerSteps& run)> clean;
};

class TUWHCleanerThrd : public CleanerSteps {
 public:
  // Created suspended, nothing selected.
  TUWHCleanerThrd(platform::Platform& platform, ui::Ui& ui);
  // For a run on the caller's own thread (Execute), which reports its end to
  // no window: Start is not for it.
  explicit TUWHCleanerThrd(platform::Platform& platform);
  ~TUWHCleanerThrd();

  // The cleaners this run cleans; the starter sets them before Start.
  CleanerSelection selection{};
  // Selects the cleaner with this value name; false when there is none.
  bool Select(std::string_view valueName);

  // Finds the cleaners beyond the table, on the worker's thread as the run
  // begins (reading them takes a moment); they run after the table's.
  std::function<std::vector<ExtraCleaner>(platform::Platform&)> findExtraCleaners;
  const std::vector<ExtraCleaner>& extraCleaners() const { return extras_; }

  // Runs on the user-interface thread after Execute has returned.
  std::function<void(TUWHCleanerThrd& sender)> OnTerminate;
  // Runs on the worker's thread as each selected cleaner's step begins,
  // given its entry of kCleaners: tells a caller whose work the calls that
  // follow are.
  std::function<void(size_t cleaner)> OnStep;

  // Resumes the suspended thread; a second call does nothing. Throws
  // std::system_error when the system cannot create the thread; the object
  // then stays unstarted. Needs the user interface its end is reported to.
  void Start();

  // After the end: true when every selected step ran to its end; otherwise
  // `failure` says what stopped the run (kStoppedOnRequest after RequestStop).
  bool finished() const { return finished_; }
  const std::string& failure() const { return failure_; }
  // The cleaners whose steps this run started, as entries of kCleaners (an
  // extra cleaner as kCleanerCount + its place), in the order they ran; the
  // last one is where an early stop happened.
  const std::vector<size_t>& cleanersRun() const { return cleanersRun_; }

  // The thread body; public so tests can run it on their own thread.
  void Execute();

 private:
  ui::Ui* ui_ = nullptr;
  std::thread thread_;
  bool finished_ = false;
  std::string failure_;
  std::vector<size_t> cleanersRun_;
  std::vector<ExtraCleaner> extras_;
  // Cleared by the destructor, so that a termination still queued for the
  // user-interface thread is dropped instead of reaching a freed object.
  std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace cleaner
