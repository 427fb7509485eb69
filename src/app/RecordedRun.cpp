// A recorded cleaning run.
#include "app/RecordedRun.h"

#include "app/RunReport.h"

namespace app {

void RecordedRun::Follow(cleaner::TUWHCleanerThrd& worker) {
  worker.OnStep = [this](StepSwitch step) {
    std::optional<size_t> row = CleanerRowOf(step);
    if (!row) return;
    // The two steps of one cleaner (the autocomplete data) share its section.
    if (rowsStarted_.empty() || rowsStarted_.back() != *row) rowsStarted_.push_back(*row);
    recorder_.BeginSection(static_cast<int>(*row));
  };
}

std::string RecordedRun::Report(const cleaner::TUWHCleanerThrd& worker, const CleanerSelection& selected) const {
  RunOutcome outcome{selected, rowsStarted_, worker.finished(), worker.failure()};
  return FormatRunReport(recorder_, outcome);
}

}  // namespace app
