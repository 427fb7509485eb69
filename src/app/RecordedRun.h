// A cleaning run on a recorded platform: a preview that changes nothing, or
// a real run whose every change is noted with its outcome, and the report of
// either, cleaner by cleaner.
#pragma once

#include <string>
#include <vector>

#include "app/CleanerSwitches.h"
#include "cleaner/CleanerThread.h"
#include "platform/recording/Recorder.h"

namespace app {

class RecordedRun {
 public:
  RecordedRun(platform::Platform& platform, platform::recording::Mode mode) : recorder_(platform, mode) {}

  // What the worker of this run runs on.
  platform::Platform& platform() { return recorder_.platform(); }

  // Ties the worker's steps to the cleaners of the table: what each step
  // does is noted under its cleaner. Before the worker starts.
  void Follow(cleaner::TUWHCleanerThrd& worker);

  // The report of the ended run, which ran with `selected`.
  std::string Report(const cleaner::TUWHCleanerThrd& worker, const CleanerSelection& selected) const;

  const platform::recording::Recorder& recorder() const { return recorder_; }
  // The rows of the cleaners whose steps began, in order.
  const std::vector<size_t>& rowsStarted() const { return rowsStarted_; }

 private:
  platform::recording::Recorder recorder_;
  std::vector<size_t> rowsStarted_;
};

}  // namespace app
