// Cleaning a browser when it closes. While switched on, it learns of a
// browser's start from the windows other programs create (and, when switched
// on, from the programs running then), waits on the browser's processes
// without waking, and once the last process of that program in the session
// has ended, starts a cleaning of that browser's chosen items.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "browsers/BrowserTable.h"
#include "platform/Platform.h"
#include "services/CleaningRun.h"
#include "ui/Ui.h"

namespace services {

class BrowserCloseCleaner {
 public:
  BrowserCloseCleaner(platform::Platform& platform, ui::Ui& ui, CleaningRun& run);
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
  std::array<std::unique_ptr<platform::ProgramEndWatch>, browsers::kBrowserCount> ends_;
  // Each row's current wait, held weakly by the work its end posts.
  std::array<std::shared_ptr<char>, browsers::kBrowserCount> stamps_;
  // Closed and not yet cleaned: waiting for the run that is going.
  browsers::BrowserSelection closed_{};
  // Work posted from the system's threads holds this weakly.
  std::shared_ptr<BrowserCloseCleaner*> self_;
};

}  // namespace services
