// Cleaning a browser when it closes. While switched on, it learns of a
// browser's start from the windows other programs create (and, when switched
// on, from the programs running then), waits on the browser's processes
// without waking, and once the last process of that program in the session
// has ended, starts a cleaning of that browser's chosen items. A browser
// whose last window closed while its settings keep it running in the
// background holds its profile still: a balloon says so and names them.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "browsers/BrowserTable.h"
#include "platform/Platform.h"
#include "services/CleaningRun.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Ui.h"

namespace services {

// After the browser's name (browsers::NameInBackground): its last window
// closed, and its processes go on.
constexpr const char* kStillInBackgroundMessage =
    " goes on running in the background with no window open, so it is cleaned only once it ends. \"Clean Now\" "
    "offers to close it first.";
// How long after a window of another program went the browsers are looked
// at: a browser takes a moment to end after its last window.
constexpr uint32_t kLastWindowGraceMs = 5000;

class BrowserCloseCleaner {
 public:
  // The grace timer belongs to `owner`, which must outlive this.
  BrowserCloseCleaner(platform::Platform& platform, ui::Ui& ui, ui::Form& owner, CleaningRun& run);
  ~BrowserCloseCleaner();
  BrowserCloseCleaner(const BrowserCloseCleaner&) = delete;
  BrowserCloseCleaner& operator=(const BrowserCloseCleaner&) = delete;

  // On: watches the browsers running now and every one that starts. Off:
  // forgets them all, and the closings not yet cleaned.
  void RunIf(bool on);
  // Row `row` of the browser table is running and waited for.
  bool watching(size_t row) const { return ends_[row] != nullptr; }
  // How a cleaning it started ended: a balloon only when something was left
  // (the browser running again, a file in use, the run stopped or refused).
  void RunEnded(const RunEnd& end);

  // Shows a balloon from the tray icon; set by the owner of the icon.
  std::function<void(const std::string&)> ShowBalloon;

 private:
  void WindowCreated(platform::WindowId window);
  // A window of another program went: the browsers are looked at once the
  // grace has passed.
  void WindowDestroyed();
  // A browser waited for that showed a window and shows none now, but runs.
  void LookAtWindows();
  // Waits for the processes of row `row`; false when none could be opened.
  bool Watch(size_t row);
  // The processes waited for have all ended: cleaned, unless others of the
  // program (started since) still run.
  void Ended(size_t row);
  // Starts a run for the closings waiting, unless a run is going.
  void CleanClosed();
  // Runs `task` on the user-interface thread while this lives.
  void Post(std::function<void()> task);

  platform::Platform& platform_;
  ui::Ui& ui_;
  CleaningRun& run_;
  bool on_ = false;
  std::unique_ptr<platform::WindowCreationWatch> windows_;
  std::unique_ptr<platform::WindowCreationWatch> windowsGone_;
  ui::Timer grace_;
  // Each row's processes showed a window when last looked at.
  browsers::BrowserSelection shown_{};
  std::array<std::unique_ptr<platform::ProgramEndWatch>, browsers::kBrowserCount> ends_;
  // Each row's current wait, held weakly by the work its end posts.
  std::array<std::shared_ptr<char>, browsers::kBrowserCount> stamps_;
  // Closed and not yet cleaned: waiting for the run that is going.
  browsers::BrowserSelection closed_{};
  // Work posted from the system's threads holds this weakly.
  std::shared_ptr<BrowserCloseCleaner*> self_;
};

}  // namespace services
