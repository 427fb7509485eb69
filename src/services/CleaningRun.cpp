// One cleaning run.
#include "services/CleaningRun.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "browsers/BrowserProcesses.h"
#include "community/ChosenCleaners.h"
#include "services/LastRunReport.h"
#include "services/RunReport.h"
#include "settings/CleanerSwitches.h"
#include "settings/CommunityChoices.h"

namespace services {

using cleaner::CleaningRunGuard;
using cleaner::TUWHCleanerThrd;
using platform::recording::Mode;

CleaningRun::CleaningRun(platform::Platform& platform, ui::Ui& ui) : platform_(platform), ui_(&ui), createKey_(true) {}

CleaningRun::CleaningRun(platform::Platform& platform) : platform_(platform), createKey_(false) {}

// A worker still here has been asked to stop and waited for at exit; it goes
// before the recording it runs on.
CleaningRun::~CleaningRun() = default;

namespace {
// The end of a run that did not begin.
RunEnd NoRun(RunEnding ending, std::string message) {
  RunEnd end;
  end.ending = ending;
  end.message = std::move(message);
  return end;
}
}  // namespace

std::optional<RunEnd> CleaningRun::Refusal(const CleaningRunGuard& guard, Selection* selected) {
  if (guard.state() == CleaningRunGuard::State::Busy) return NoRun(RunEnding::Busy, kAnotherCleaningMessage);
  if (!guard.held()) return NoRun(RunEnding::NotStarted, std::string(kCleaningNotStartedMessage) + kNoRunGuardReason);
  // Half-read switches would clean a selection the user never made.
  std::string unread =
      settings::ReadCleanerSwitches(platform_.registry, createKey_, &selected->cleaners, &selected->browsers);
  if (unread.empty()) unread = settings::ReadCommunityChoices(platform_.registry, &selected->community);
  if (!unread.empty()) return NoRun(RunEnding::NotStarted, kCleaningNotStartedMessage + unread + ".");
  return std::nullopt;
}

void CleaningRun::Selection::ApplyTo(cleaner::TUWHCleanerThrd& worker) const {
  worker.selection = cleaners;
  worker.browserSelection = browsers;
  worker.closeBackgroundBrowsers = closeBackgroundBrowsers;
  // Read on the worker's thread and platform: a cleaning of nothing chosen reads nothing.
  if (community.empty()) return;
  worker.findExtraCleaners = [names = community](platform::Platform& platform) {
    return community::ChosenCleaners(platform, names);
  };
}

bool CleaningRun::Selection::RestrictTo(const browsers::BrowserSelection& only) {
  community.clear();
  bool anyItem = false;
  for (size_t i = 0; i < cleaner::kCleanerCount; ++i) {
    cleaners[i] = cleaners[i] && cleaner::kCleaners[i].page == cleaner::CleanerPage::Browsers;
    anyItem = anyItem || cleaners[i];
  }
  bool anyBrowser = false;
  for (size_t i = 0; i < browsers::kBrowserCount; ++i) {
    browsers[i] = browsers[i] && only[i];
    anyBrowser = anyBrowser || browsers[i];
  }
  return anyItem && anyBrowser;
}

void CleaningRun::Start(bool closeBackgroundBrowsers) { Begin(nullptr, closeBackgroundBrowsers); }

void CleaningRun::StartForClosedBrowsers(const browsers::BrowserSelection& closed) { Begin(&closed, false); }

void CleaningRun::Begin(const browsers::BrowserSelection* closed, bool closeBackgroundBrowsers) {
  if (exiting_ || worker_) return;
  std::optional<RunEnd> refused;
  {
    CleaningRunGuard guard(platform_.process);
    Selection selected;
    selected.closeBackgroundBrowsers = closeBackgroundBrowsers;
    refused = Refusal(guard, &selected);
    if (!refused && closed && !selected.RestrictTo(*closed)) return;
    afterBrowsersClosed_ = closed != nullptr;
    if (!refused) refused = Launch(guard, selected);
  }
  if (refused) {
    // What a scheduled run that could not begin tells in a balloon is kept too.
    if (refused->ending == RunEnding::NotStarted)
      WriteLastRunReport(platform_, ReportWithMessage({}, refused->message));
    Tell(*refused);
  }
}

std::optional<RunEnd> CleaningRun::Launch(CleaningRunGuard& guard, const Selection& selected) {
  auto recording = std::make_unique<RecordedRun>(platform_, Mode::PassThrough);
  auto worker = std::make_unique<TUWHCleanerThrd>(recording->platform(), *ui_);
  selected.ApplyTo(*worker);
  recording->Follow(*worker);
  worker->OnTerminate = [this](TUWHCleanerThrd& sender) { WorkerEnded(sender); };
  try {
    worker->Start();
  } catch (const std::system_error& e) {
    return NoRun(RunEnding::NotStarted, std::string(kCleaningNotStartedMessage) +
                                            "Windows could not start a thread for it (" + e.what() + ").");
  }
  recording_ = std::move(recording);
  worker_ = std::move(worker);
  guard_.emplace(std::move(guard));
  running_.Set(true);
  return std::nullopt;
}

RunEnd CleaningRun::RunHere(Mode mode, bool closeBackgroundBrowsers) {
  // Taken and let go on this thread, which also runs the cleaning.
  CleaningRunGuard guard(platform_.process);
  Selection selected;
  // A preview changes nothing, and closes nothing.
  selected.closeBackgroundBrowsers = closeBackgroundBrowsers && mode == Mode::PassThrough;
  if (std::optional<RunEnd> refused = Refusal(guard, &selected)) return *refused;
  RecordedRun recording(platform_, mode);
  TUWHCleanerThrd worker(recording.platform());
  selected.ApplyTo(worker);
  recording.Follow(worker);
  worker.Execute();
  return Ended(recording, worker, mode == Mode::PassThrough);
}

std::vector<size_t> CleaningRun::BrowsersInBackground() {
  Selection selected;
  if (!settings::ReadCleanerSwitches(platform_.registry, createKey_, &selected.cleaners, &selected.browsers).empty() ||
      !selected.RestrictTo(selected.browsers)) {
    return {};
  }
  const std::vector<platform::RunningProcess> processes = platform_.process.RunningProcesses();
  std::vector<size_t> rows;
  for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
    if (selected.browsers[row] &&
        browsers::RunOf(browsers::kBrowsers[row], processes) == browsers::BrowserRun::InBackground)
      rows.push_back(row);
  }
  return rows;
}

std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  return text;
}

namespace {

// The cleaners that left a link alone, each once.
std::vector<std::string> CleanersThatRefusedLinks(const std::vector<cleaner::StepSkip>& skips,
                                                  const std::vector<cleaner::ExtraCleaner>& extras) {
  std::vector<std::string> cleaners;
  for (const cleaner::StepSkip& skip : skips) {
    if (!skip.link) continue;
    std::string name = CleanerName(skip.cleaner, extras);
    if (std::find(cleaners.begin(), cleaners.end(), name) == cleaners.end()) cleaners.push_back(std::move(name));
  }
  return cleaners;
}

// What the run left alone for another reason than a program holding it or a
// link: not safe to clean, damaged, of another version.
std::vector<std::string> LeftAloneOtherwise(const browsers::BrowsersOutcome& outcome,
                                            const std::vector<cleaner::StepSkip>& skips) {
  std::vector<std::string> left = outcome.LeftAlone();
  for (const cleaner::StepSkip& skip : skips) {
    if (skip.refused) left.push_back(skip.what);
  }
  return left;
}

bool AnyInUse(const std::vector<cleaner::StepSkip>& skips) {
  return std::any_of(skips.begin(), skips.end(), [](const cleaner::StepSkip& skip) { return skip.inUse; });
}

// What the end of a finished run tells its user: a browser left alone is
// named, and so is a cleaner that left something alone, so that nobody takes
// what they hold for gone.
std::string BrowsersRunningMessage(const browsers::BrowsersOutcome& outcome) {
  std::vector<std::string> shown, background;
  for (size_t row : outcome.running) {
    const browsers::BrowserRow& browser = browsers::kBrowsers[row];
    const auto& in = outcome.inBackground;
    if (std::find(in.begin(), in.end(), row) == in.end()) {
      shown.push_back(browser.name);
    } else {
      background.push_back(browsers::NameInBackground(browser));
    }
  }
  std::string message;
  if (!shown.empty()) message = kBrowsersRunningMessage + Listed(shown) + ". Close them and clean again.";
  if (!background.empty()) {
    message += shown.empty() ? kBrowsersInBackgroundMessage : std::string(" ") + kBrowsersAlsoInBackgroundMessage;
    message += Listed(background) + kBackgroundAdviceMessage;
  }
  for (const browsers::BrowsersOutcome::Closing& closing : outcome.closings) {
    if (!closing.failure.empty()) {
      message +=
          std::string(" ") + browsers::kBrowsers[closing.browser].name + kNotClosedMessage + closing.failure + ".";
    }
  }
  return message;
}

std::string FinishedMessage(const browsers::BrowsersOutcome& outcome, const std::vector<cleaner::StepSkip>& skips,
                            const std::vector<cleaner::ExtraCleaner>& extras) {
  std::string message;
  if (!outcome.running.empty()) {
    message = BrowsersRunningMessage(outcome);
  } else if (outcome.SkippedForUse()) {
    message = kFilesInUseMessage;
  } else if (AnyInUse(skips)) {
    // Another program's files, or Windows' own.
    const bool programs = std::any_of(skips.begin(), skips.end(), [](const cleaner::StepSkip& skip) {
      return skip.inUse && skip.cleaner >= cleaner::kCleanerCount;
    });
    message = programs ? kProgramFilesInUseMessage : kWindowsFilesInUseMessage;
  }
  std::vector<std::string> cleaners = CleanersThatRefusedLinks(skips, extras);
  if (!cleaners.empty()) {
    message += message.empty() ? kLinksRefusedMessage : std::string(" ") + kLinksAlsoRefusedMessage;
    message += Listed(cleaners) + kLinksNamedMessage;
  }
  std::vector<std::string> left = LeftAloneOtherwise(outcome, skips);
  if (!left.empty()) {
    message += message.empty() ? kLeftAloneMessage : std::string(" ") + kAlsoLeftAloneMessage;
    message += Listed(left) + kLeftAloneNamedMessage;
  }
  return message.empty() ? kCleaningDoneMessage : message;
}
}  // namespace

RunEnd CleaningRun::Ended(const RecordedRun& recording, const TUWHCleanerThrd& worker, bool keep) {
  RunEnd end;
  // A run that a step stopped must not be reported as a success.
  end.ending = worker.finished() ? RunEnding::Finished : RunEnding::Stopped;
  const std::vector<cleaner::StepSkip>& skips = worker.skips();
  end.skippedForUse = worker.finished() && (worker.browsersOutcome().SkippedForUse() || AnyInUse(skips));
  end.linksRefused = worker.finished() &&
                     std::any_of(skips.begin(), skips.end(), [](const cleaner::StepSkip& skip) { return skip.link; });
  end.leftAlone = worker.finished() && !LeftAloneOtherwise(worker.browsersOutcome(), skips).empty();
  end.message = worker.finished() ? FinishedMessage(worker.browsersOutcome(), skips, worker.extraCleaners())
                                  : kCleaningStoppedMessage + worker.failure();
  try {
    end.report = recording.Report(worker);
    // The tray program's message when something was left or the run stopped,
    // which may be a balloon, is kept with the report.
    const bool told = ui_ && end.message != kCleaningDoneMessage;
    if (keep)
      end.unwritten = WriteLastRunReport(platform_, told ? ReportWithMessage(end.report, end.message) : end.report);
  } catch (const std::exception& e) {
    end.unwritten = std::string("The report of the run could not be written (") + e.what() + ").";
  } catch (...) {
    end.unwritten = "The report of the run could not be written.";
  }
  return end;
}

void CleaningRun::WorkerEnded(TUWHCleanerThrd& sender) {
  if (&sender != worker_.get()) return;
  RunEnd end;
  {
    // Whatever becomes of the report, the worker and the right to clean go:
    // a run held on to would keep every later one from starting.
    struct ReleaseOnExit {
      CleaningRun& run;
      ~ReleaseOnExit() { run.Release(); }
    } release{*this};
    end = Ended(*recording_, sender, true);
  }
  Tell(end);
}

void CleaningRun::Release() {
  // The worker is still inside its own termination event: it is freed by a
  // task posted behind it, which joins its (already ended) thread.
  std::shared_ptr<TUWHCleanerThrd> ended(std::move(worker_));
  std::shared_ptr<RecordedRun> recording(std::move(recording_));
  guard_.reset();
  running_.Set(false);
  ui_->Post([ended, recording] {});
}

void CleaningRun::Tell(RunEnd end) {
  end.afterBrowsersClosed = afterBrowsersClosed_;
  // A run stopped for the exit has nobody left to tell.
  if (!exiting_ && OnEnd) OnEnd(end);
}

void CleaningRun::EndForExit() {
  exiting_ = true;
  if (!worker_) return;
  worker_->RequestStop();
  ui_->PumpUntil([this] { return !worker_; }, kExitWaitMs);
  // The protected-storage step puts an access list back at its end: cutting
  // it off would leave the opened list in place for good.
  if (worker_ && worker_->inIndivisibleStep()) ui_->PumpUntil([this] { return !worker_; }, kIndivisibleStepWaitMs);
}

}  // namespace services
