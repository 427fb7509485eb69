// One cleaning run, from the right to clean to the report, the same for
// "Clean Now", the schedule and the command line: it takes the run guard,
// reads the switches, runs the worker (on a thread of its own, or on the
// caller's), writes the report and last-run.txt, and tells its owner how it
// ended in the one set of texts below. Nothing else starts a worker.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cleaner/CleanerThread.h"
#include "cleaner/CleaningRunGuard.h"
#include "platform/Platform.h"
#include "services/RecordedRun.h"
#include "ui/Ui.h"
#include "util/Watched.h"

namespace services {

constexpr const char* kCleaningDoneMessage = "All selected history tracks cleaned successfully";
// Followed by the browsers that were running: "Google Chrome and Firefox".
constexpr const char* kBrowsersRunningMessage =
    "The selected history tracks were cleaned, but these browsers were skipped because they were running: ";
// Followed by the browsers (NameInBackground) and kBackgroundAdviceMessage.
constexpr const char* kBrowsersInBackgroundMessage =
    "The selected history tracks were cleaned, but these browsers were skipped because they run in the background "
    "with no window open: ";
// The same after a message about the browsers that were running.
constexpr const char* kBrowsersAlsoInBackgroundMessage =
    "These browsers were skipped too because they run in the background with no window open: ";
constexpr const char* kBackgroundAdviceMessage =
    ". \"Clean Now\" offers to close them first, or switch those settings off.";
// Between a browser asked to close and why it still runs: "Microsoft Edge
// could not be closed: it did not end when asked."
constexpr const char* kNotClosedMessage = " could not be closed: ";
constexpr const char* kFilesInUseMessage =
    "The selected history tracks were cleaned, but some browser files were in use by another program and were "
    "skipped. The report names them.";
constexpr const char* kProgramFilesInUseMessage =
    "The selected history tracks were cleaned, but some files other programs were using were skipped. The report "
    "names them.";
constexpr const char* kWindowsFilesInUseMessage =
    "The selected history tracks were cleaned, but some files Windows was using were skipped. The report names "
    "them.";
// Followed by the cleaners: "Favorites and Temporary Files".
constexpr const char* kLinksRefusedMessage =
    "The selected history tracks were cleaned, but these cleaners left something alone because it was a link or "
    "was reached through one: ";
// The same after a message about the browsers.
constexpr const char* kLinksAlsoRefusedMessage =
    "These cleaners also left something alone because it was a link or was reached through one: ";
// Ends either.
constexpr const char* kLinksNamedMessage = ". The report names each link.";
// Followed by what was left alone for another reason (not safe to clean,
// damaged, of another version): "D:\Profiles\x and C:\...\History".
constexpr const char* kLeftAloneMessage = "The selected history tracks were cleaned, but these were left alone: ";
// The same after another message.
constexpr const char* kAlsoLeftAloneMessage = "These were also left alone: ";
// Ends either.
constexpr const char* kLeftAloneNamedMessage = ". The report says why.";
// Followed by what stopped the run.
constexpr const char* kCleaningStoppedMessage =
    "The history cleaning stopped before all selected tracks were cleaned: ";
// Followed by why it could not begin.
constexpr const char* kCleaningNotStartedMessage = "The history cleaning could not be started: ";
constexpr const char* kAnotherCleaningMessage =
    "Another history cleaning is in progress. Try again when it has finished.";
// Why a cleaning could not begin when the run guard could not be made.
constexpr const char* kNoRunGuardReason = "Windows could not make the lock that keeps two cleanings apart.";

// How long an exit waits for a run it asked to stop, and how much longer for
// a run inside a step that must not be cut in two (under the 5 s an
// uninstaller gives the program).
constexpr uint32_t kExitWaitMs = 1000;
constexpr uint32_t kIndivisibleStepWaitMs = 3000;

// How a run ended, or why none began. A starter tells its user by this.
enum class RunEnding {
  Finished,    // every selected cleaner ran to its end
  Stopped,     // a step raised, or the run was asked to stop: the message says which
  NotStarted,  // the switches could not be read, or the system gave no guard or thread
  Busy,        // another cleaning, in this program or another, holds the right to clean
};

struct RunEnd {
  RunEnding ending = RunEnding::NotStarted;
  std::string message;    // for the user, in the same words whoever started the run
  std::string report;     // the run's report; empty when none began
  std::string unwritten;  // why the report could not be kept; empty when it was, or none was due
  // A finished run that left something of a browser alone because the
  // browser ran or another program held a file: cleaning again later helps.
  bool skippedForUse = false;
  // A finished run whose cleaners left something alone because it was a
  // link or was reached through one (the message names the cleaners).
  bool linksRefused = false;
  // A finished run that left something alone for another reason: a
  // temporary folder that is one of the user's or the system's own folders,
  // a browser profile other accounts may change, a database that had to be
  // stopped, was not the file its folder listed, is damaged or of another
  // version (the message names each).
  bool leftAlone = false;
  // Started by StartForClosedBrowsers, not by a person or the schedule.
  bool afterBrowsersClosed = false;
  bool success() const { return ending == RunEnding::Finished; }
  // Finished, but not everything selected was cleaned.
  bool skipped() const { return success() && (skippedForUse || linksRefused || leftAlone); }
};

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& names);

class CleaningRun {
 public:
  // The tray program's: each run on a worker thread, its end told on the
  // user-interface thread. A missing settings key is made, as every reading
  // of the tray program makes it.
  CleaningRun(platform::Platform& platform, ui::Ui& ui);
  // The command line's: one run on the caller's thread, reading the key only
  // where it is.
  explicit CleaningRun(platform::Platform& platform);
  ~CleaningRun();
  CleaningRun(const CleaningRun&) = delete;
  CleaningRun& operator=(const CleaningRun&) = delete;

  // How each run that Start began ended, or why it did not begin; on the
  // user-interface thread, after the right to clean has been let go.
  std::function<void(const RunEnd&)> OnEnd;
  // True from a worker's start until its end has been handled; `watcher`
  // hears every change.
  bool running() const { return running_.value(); }
  void WatchRunning(std::function<void(const bool&)> watcher) { running_.Watch(std::move(watcher)); }

  // Starts a run on a worker thread, unless one is going already in this
  // program (a tick of the schedule during a run starts nothing, silently)
  // or the exit has begun. `closeBackgroundBrowsers`: the user agreed that
  // the chosen browsers running in the background are closed and cleaned.
  void Start(bool closeBackgroundBrowsers = false);
  // The same, cleaning only the chosen browser items, and those only for the
  // browsers of `closed` whose switch is on; the stored switches stay as
  // they are. Nothing starts, and nothing is told, when that leaves nothing.
  void StartForClosedBrowsers(const browsers::BrowserSelection& closed);
  // A whole run on this thread, a preview or a real one; only a real one
  // keeps its report in last-run.txt, and closes browsers in the background
  // when asked to.
  RunEnd RunHere(platform::recording::Mode mode, bool closeBackgroundBrowsers = false);
  // The browsers a run would clean that run in the background only, with
  // no window open: rows of the browser table. None when the switches
  // choose no browser item or cannot be read.
  std::vector<size_t> BrowsersInBackground();

  // Asks a running worker to stop and waits for its end, handling messages
  // meanwhile, for kExitWaitMs (and kIndivisibleStepWaitMs more while it is
  // inside a step that must not be cut). From then on no run starts and no
  // end is told.
  void EndForExit();

  // The running worker; null when none.
  const cleaner::TUWHCleanerThrd* worker() const { return worker_.get(); }

 private:
  // What the switches choose: the cleaners, and the browsers the browser
  // items clean.
  struct Selection {
    cleaner::CleanerSelection cleaners{};
    browsers::BrowserSelection browsers{};
    bool closeBackgroundBrowsers = false;
    std::vector<std::string> community;  // the chosen community entries, by name
    void ApplyTo(cleaner::TUWHCleanerThrd& worker) const;
    // The browser items for the browsers of `only`; false when that leaves nothing to clean.
    bool RestrictTo(const browsers::BrowserSelection& only);
  };
  // Starts a run on a worker thread, for the closed browsers only when given.
  void Begin(const browsers::BrowserSelection* closed, bool closeBackgroundBrowsers);
  // Takes the right to clean and reads the switches into *selected; the
  // end of a run that may not begin, or nothing.
  std::optional<RunEnd> Refusal(const cleaner::CleaningRunGuard& guard, Selection* selected);
  // Starts a worker on `selected`, keeping the guard; the end of a run
  // whose thread could not start, or nothing.
  std::optional<RunEnd> Launch(cleaner::CleaningRunGuard& guard, const Selection& selected);
  // How the ended worker's run went, with its report (kept when `keep`). A
  // report that cannot be made or kept is said so in `unwritten`.
  RunEnd Ended(const RecordedRun& recording, const cleaner::TUWHCleanerThrd& worker, bool keep);
  void WorkerEnded(cleaner::TUWHCleanerThrd& sender);
  // Lets go of the ended worker, its recording and the right to clean.
  void Release();
  void Tell(RunEnd end);

  platform::Platform& platform_;
  ui::Ui* ui_ = nullptr;
  const bool createKey_;
  // What the running worker does, noted as it goes for its report; outlives it.
  std::unique_ptr<RecordedRun> recording_;
  std::unique_ptr<cleaner::TUWHCleanerThrd> worker_;
  // Held from the start of a run until its end has been handled.
  std::optional<cleaner::CleaningRunGuard> guard_;
  bool exiting_ = false;
  // The running worker's run cleans closed browsers.
  bool afterBrowsersClosed_ = false;
  util::Watched<bool> running_;
};

}  // namespace services
