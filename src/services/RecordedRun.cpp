// A recorded cleaning run.
#include "services/RecordedRun.h"

#include "services/RunReport.h"

namespace services {

void RecordedRun::Follow(cleaner::TUWHCleanerThrd& worker) {
  worker.OnStep = [this](size_t cleaner) { recorder_.BeginSection(static_cast<int>(cleaner)); };
}

std::string RecordedRun::Report(const cleaner::TUWHCleanerThrd& worker) const {
  RunOutcome outcome{worker.selection,         worker.cleanersRun(), worker.finished(),     worker.failure(),
                     worker.browsersOutcome(), worker.skips(),       worker.extraCleaners()};
  return FormatRunReport(recorder_, outcome);
}

}  // namespace services
