// A cleaning run on a recorded platform: a preview that changes nothing, or
// a real run whose every change is noted with its outcome, and the report of
// either, cleaner by cleaner.
#pragma once

#include <string>
#include <vector>

#include "cleaner/CleanerThread.h"
#include "platform/recording/Recorder.h"

namespace services {

class RecordedRun {
 public:
  RecordedRun(platform::Platform& platform, platform::recording::Mode mode) : recorder_(platform, mode) {}

  // What the worker of this run runs on.
  platform::Platform& platform() { return recorder_.platform(); }

  // Notes what each of the worker's steps does under its cleaner. Before
  // the worker starts.
  void Follow(cleaner::TUWHCleanerThrd& worker);

  // The report of the ended run.
  std::string Report(const cleaner::TUWHCleanerThrd& worker) const;

  const platform::recording::Recorder& recorder() const { return recorder_; }

 private:
  platform::recording::Recorder recorder_;
};

}  // namespace services
