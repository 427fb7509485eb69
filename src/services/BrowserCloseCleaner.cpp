// Cleaning a browser when it closes.
#include "services/BrowserCloseCleaner.h"

#include <utility>

#include "browsers/BrowserItems.h"
#include "browsers/BrowserProcesses.h"

namespace services {

using browsers::kBrowsers;

BrowserCloseCleaner::BrowserCloseCleaner(platform::Platform& platform, ui::Ui& ui, ui::Form& owner, CleaningRun& run)
    : platform_(platform),
      ui_(ui),
      run_(run),
      grace_(owner, kLastWindowGraceMs),
      self_(std::make_shared<BrowserCloseCleaner*>(this)) {
  grace_.OnTimer = [this] {
    grace_.SetEnabled(false);
    LookAtWindows();
  };
  // A browser that closed during another run is cleaned once that run has
  // ended; posted, so that it starts after the ended run is let go.
  // The run outlives this: its watcher holds this weakly.
  run_.WatchRunning([self = std::weak_ptr<BrowserCloseCleaner*>(self_)](bool running) {
    std::shared_ptr<BrowserCloseCleaner*> alive = self.lock();
    if (alive && !running) (*alive)->Post([cleaner = *alive] { cleaner->CleanClosed(); });
  });
}

// The waits go first: a wait's call that has begun is waited for, and the
// work it posted finds nobody.
BrowserCloseCleaner::~BrowserCloseCleaner() {
  RunIf(false);
  self_.reset();
}

void BrowserCloseCleaner::Post(std::function<void()> task) {
  std::weak_ptr<BrowserCloseCleaner*> self = self_;
  try {
    ui_.Post([self, task = std::move(task)] {
      if (self.lock()) task();
    });
  } catch (...) {
    // Called on the system's thread, where nothing may escape: a closing
    // that cannot be posted is not cleaned.
  }
}

void BrowserCloseCleaner::RunIf(bool on) {
  if (on == on_) return;
  on_ = on;
  if (!on) {
    windows_.reset();
    windowsGone_.reset();
    grace_.SetEnabled(false);
    for (auto& end : ends_) end.reset();
    for (auto& stamp : stamps_) stamp.reset();
    closed_.fill(false);
    return;
  }
  windows_ = platform_.desktop.WatchWindowsCreated(
      [this](platform::WindowId window) { ui_.RunHandler([this, window] { WindowCreated(window); }); });
  windowsGone_ = platform_.desktop.WatchWindowsDestroyed([this] { ui_.RunHandler([this] { WindowDestroyed(); }); });
  const std::vector<std::string> running = platform_.process.RunningProgramNames();
  for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
    if (browsers::IsRunning(kBrowsers[row], running)) Watch(row);
  }
}

void BrowserCloseCleaner::WindowCreated(platform::WindowId window) {
  const size_t row = browsers::BrowserOfProgram(platform_.desktop.ProgramFileOf(window));
  if (row < browsers::kBrowserCount && !ends_[row]) Watch(row);
}

void BrowserCloseCleaner::WindowDestroyed() {
  bool anyShown = false;
  for (size_t row = 0; row < browsers::kBrowserCount; ++row) anyShown = anyShown || (ends_[row] && shown_[row]);
  if (!anyShown) return;
  // Each window that goes starts the grace again: a browser closing its
  // windows one by one is looked at after the last.
  grace_.SetEnabled(false);
  grace_.SetEnabled(true);
}

void BrowserCloseCleaner::LookAtWindows() {
  const std::vector<platform::RunningProcess> processes = platform_.process.RunningProcesses();
  for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
    if (!ends_[row]) continue;
    const browsers::BrowserRun browserRun = browsers::RunOf(kBrowsers[row], processes);
    if (shown_[row] && browserRun == browsers::BrowserRun::InBackground && ShowBalloon) {
      ShowBalloon(browsers::NameInBackground(kBrowsers[row]) + kStillInBackgroundMessage);
    }
    shown_[row] = browserRun == browsers::BrowserRun::WithWindow;
  }
}

bool BrowserCloseCleaner::Watch(size_t row) {
  ends_[row].reset();
  shown_[row] =
      browsers::RunOf(kBrowsers[row], platform_.process.RunningProcesses()) == browsers::BrowserRun::WithWindow;
  // The call comes on the system's thread and the work goes to ours; it
  // counts only while this very wait is the row's, not one ended and begun again.
  auto stamp = std::make_shared<char>();
  std::weak_ptr<char> mine = stamp;
  ends_[row] = platform_.process.WatchProgramEnd(kBrowsers[row].programFile, [this, row, mine] {
    Post([this, row, mine] {
      if (!mine.expired()) Ended(row);
    });
  });
  stamps_[row] = ends_[row] ? std::move(stamp) : nullptr;
  return ends_[row] != nullptr;
}

void BrowserCloseCleaner::Ended(size_t row) {
  ends_[row].reset();
  stamps_[row].reset();
  if (!on_) return;
  // A browser has several processes and may have started more since the
  // wait began: it has closed only when none of them runs. One that runs
  // elevated cannot be waited for, nor cleaned under.
  auto running = [this, row] { return browsers::IsRunning(kBrowsers[row], platform_.process.RunningProgramNames()); };
  if (running() && (Watch(row) || running())) return;
  closed_[row] = true;
  CleanClosed();
}

void BrowserCloseCleaner::CleanClosed() {
  bool any = false;
  for (bool closed : closed_) any = any || closed;
  if (!any || run_.running()) return;
  const browsers::BrowserSelection closed = closed_;
  closed_.fill(false);
  run_.StartForClosedBrowsers(closed);
}

void BrowserCloseCleaner::RunEnded(const RunEnd& end) {
  if (end.success() && !end.skipped()) return;
  if (ShowBalloon) ShowBalloon(end.message);
}

}  // namespace services
