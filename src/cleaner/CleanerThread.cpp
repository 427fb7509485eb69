// The cleaner thread: its life and the order of its steps.
#include "cleaner/CleanerThread.h"

#include <exception>
#include <stdexcept>

namespace cleaner {

TUWHCleanerThrd::TUWHCleanerThrd(platform::Platform& platform, ui::Ui& ui) : platform_(platform), ui_(&ui) {}

TUWHCleanerThrd::TUWHCleanerThrd(platform::Platform& platform) : platform_(platform) {}

TUWHCleanerThrd::~TUWHCleanerThrd() {
  *alive_ = false;
  // Its starter frees a run only after its end, or at exit after asking it to
  // stop and waiting for it; so this join waits at most for the call at hand.
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void TUWHCleanerThrd::Start() {
  if (thread_.joinable()) return;
  if (!ui_) throw std::logic_error("a cleaning without a user interface runs on its caller's thread");
  thread_ = platform_.process.StartThread([this, alive = alive_] {
    Execute();
    // The end is reported on the user-interface thread.
    ui_->Post([this, alive] {
      if (!*alive || !OnTerminate) return;
      // A copy, so the handler may free this object (its starter's to release).
      std::function<void(TUWHCleanerThrd&)> handler = OnTerminate;
      handler(*this);
    });
  });
}

void TUWHCleanerThrd::Execute() {
  struct Step {
    int number;
    bool TUWHCleanerThrd::*selected;
    void (TUWHCleanerThrd::*run)();
  };
  // The order of execution, which is not the order of the switches.
  static const Step kSteps[] = {
      {1, &TUWHCleanerThrd::RunBrowserCacheCleaner, &TUWHCleanerThrd::BrowserCacheCleaner},
      {2, &TUWHCleanerThrd::RunCookiesCleaner, &TUWHCleanerThrd::CookiesCleaner},
      {3, &TUWHCleanerThrd::RunTypedURLCleaner, &TUWHCleanerThrd::TypedURLCleaner},
      {4, &TUWHCleanerThrd::RunBrowserHistory, &TUWHCleanerThrd::BrowserHistoryCleaner},
      {5, &TUWHCleanerThrd::RunAutoCompleteForms, &TUWHCleanerThrd::AutoCompleteFormsCleaner},
      {6, &TUWHCleanerThrd::RunAutoCompletePasswords, &TUWHCleanerThrd::AutoCompletePasswordsCleaner},
      {7, &TUWHCleanerThrd::RunIEFavorites, &TUWHCleanerThrd::IEFavoritesCleaner},
      {8, &TUWHCleanerThrd::RunRASAutoDial, &TUWHCleanerThrd::RASAutoDialCleaner},
      {9, &TUWHCleanerThrd::RunFindFilesHistory, &TUWHCleanerThrd::FindFilesHistoryCleaner},
      {10, &TUWHCleanerThrd::RunFindComputerHistory, &TUWHCleanerThrd::FindComputerHistoryCleaner},
      {11, &TUWHCleanerThrd::RunNetworkHistory, &TUWHCleanerThrd::NetworkHistoryCleaner},
      {12, &TUWHCleanerThrd::RunTelenetHistory, &TUWHCleanerThrd::TelenetHistoryCleaner},
      {13, &TUWHCleanerThrd::RunWindowsRunHistory, &TUWHCleanerThrd::WindowsRunHistoryCleaner},
      {14, &TUWHCleanerThrd::RunWindowsTempFold, &TUWHCleanerThrd::WindowsTempFoldCleaner},
      {15, &TUWHCleanerThrd::RunRecycleBinCleaner, &TUWHCleanerThrd::RecycleBinCleaner},
      {16, &TUWHCleanerThrd::RunRecentDocumentsHistory, &TUWHCleanerThrd::RecentDocumentsCleaner},
      {17, &TUWHCleanerThrd::RunLastLogonHistory, &TUWHCleanerThrd::LastLogonHistoryCleaner},
      {18, &TUWHCleanerThrd::RunMSMediaPlayerCleaner, &TUWHCleanerThrd::MSMediaPlayerCleaner},
      {19, &TUWHCleanerThrd::RunACDSeeCleaner, &TUWHCleanerThrd::ACDSeeCleaner},
      {20, &TUWHCleanerThrd::RunAcrobatReaderCleaner, &TUWHCleanerThrd::AcrobatReaderCleaner},
      {21, &TUWHCleanerThrd::RunMSWordCleaner, &TUWHCleanerThrd::MSWordCleaner},
      {22, &TUWHCleanerThrd::RunInfranViewCleaner, &TUWHCleanerThrd::InfranViewCleaner},
      {23, &TUWHCleanerThrd::RunMSImagingCleaner, &TUWHCleanerThrd::MSImagingCleaner},
      {24, &TUWHCleanerThrd::RunMSPaintCleaner, &TUWHCleanerThrd::MSPaintCleaner},
      {25, &TUWHCleanerThrd::RunWinRarCleaner, &TUWHCleanerThrd::WinRarCleaner},
      {26, &TUWHCleanerThrd::RunRealOneCleaner, &TUWHCleanerThrd::RealOneCleaner},
      {27, &TUWHCleanerThrd::RunPowerDVDCleaner, &TUWHCleanerThrd::PowerDVDCleaner},
  };
  finished_ = false;
  failure_.clear();
  stepsRun_.clear();
  try {
    for (const Step& step : kSteps) {
      if (!(this->*step.selected)) continue;
      if (stop_) break;
      stepsRun_.push_back(step.number);
      if (OnStep) OnStep(step.selected);
      (this->*step.run)();
    }
    // A stop may have cut the last step short, so the run did not finish.
    if (stop_) {
      failure_ = kStoppedOnRequest;
    } else {
      finished_ = true;
    }
  } catch (const std::exception& e) {
    // A step that raises ends the run there; the end still gets reported.
    failure_ = e.what();
  } catch (...) {
    failure_ = "an unexpected error";
  }
}

}  // namespace cleaner
