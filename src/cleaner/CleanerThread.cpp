// The cleaner thread: its life and the order of its steps.
#include "cleaner/CleanerThread.h"

#include <exception>

namespace cleaner {

TUWHCleanerThrd::TUWHCleanerThrd(platform::Platform& platform, ui::Ui& ui) : platform_(platform), ui_(ui) {}

TUWHCleanerThrd::~TUWHCleanerThrd() {
  if (thread_.joinable()) thread_.join();
}

void TUWHCleanerThrd::Start() {
  thread_ = std::thread([this] {
    Execute();
    // The end is reported on the user-interface thread.
    ui_.Post([this] {
      if (OnTerminate) OnTerminate(*this);
    });
  });
}

void TUWHCleanerThrd::Execute() {
  struct Step {
    bool TUWHCleanerThrd::*selected;
    void (TUWHCleanerThrd::*run)();
  };
  // The order of execution, which is not the order of the switches.
  static const Step kSteps[] = {
      {&TUWHCleanerThrd::RunBrowserCacheCleaner, &TUWHCleanerThrd::BrowserCacheCleaner},
      {&TUWHCleanerThrd::RunCookiesCleaner, &TUWHCleanerThrd::CookiesCleaner},
      {&TUWHCleanerThrd::RunTypedURLCleaner, &TUWHCleanerThrd::TypedURLCleaner},
      {&TUWHCleanerThrd::RunBrowserHistory, &TUWHCleanerThrd::BrowserHistoryCleaner},
      {&TUWHCleanerThrd::RunAutoCompleteForms, &TUWHCleanerThrd::AutoCompleteFormsCleaner},
      {&TUWHCleanerThrd::RunAutoCompletePasswords, &TUWHCleanerThrd::AutoCompletePasswordsCleaner},
      {&TUWHCleanerThrd::RunIEFavorites, &TUWHCleanerThrd::IEFavoritesCleaner},
      {&TUWHCleanerThrd::RunRASAutoDial, &TUWHCleanerThrd::RASAutoDialCleaner},
      {&TUWHCleanerThrd::RunFindFilesHistory, &TUWHCleanerThrd::FindFilesHistoryCleaner},
      {&TUWHCleanerThrd::RunFindComputerHistory, &TUWHCleanerThrd::FindComputerHistoryCleaner},
      {&TUWHCleanerThrd::RunNetworkHistory, &TUWHCleanerThrd::NetworkHistoryCleaner},
      {&TUWHCleanerThrd::RunTelenetHistory, &TUWHCleanerThrd::TelenetHistoryCleaner},
      {&TUWHCleanerThrd::RunWindowsRunHistory, &TUWHCleanerThrd::WindowsRunHistoryCleaner},
      {&TUWHCleanerThrd::RunWindowsTempFold, &TUWHCleanerThrd::WindowsTempFoldCleaner},
      {&TUWHCleanerThrd::RunRecycleBinCleaner, &TUWHCleanerThrd::RecycleBinCleaner},
      {&TUWHCleanerThrd::RunRecentDocumentsHistory, &TUWHCleanerThrd::RecentDocumentsCleaner},
      {&TUWHCleanerThrd::RunLastLogonHistory, &TUWHCleanerThrd::LastLogonHistoryCleaner},
      {&TUWHCleanerThrd::RunMSMediaPlayerCleaner, &TUWHCleanerThrd::MSMediaPlayerCleaner},
      {&TUWHCleanerThrd::RunACDSeeCleaner, &TUWHCleanerThrd::ACDSeeCleaner},
      {&TUWHCleanerThrd::RunAcrobatReaderCleaner, &TUWHCleanerThrd::AcrobatReaderCleaner},
      {&TUWHCleanerThrd::RunMSWordCleaner, &TUWHCleanerThrd::MSWordCleaner},
      {&TUWHCleanerThrd::RunInfranViewCleaner, &TUWHCleanerThrd::InfranViewCleaner},
      {&TUWHCleanerThrd::RunMSImagingCleaner, &TUWHCleanerThrd::MSImagingCleaner},
      {&TUWHCleanerThrd::RunMSPaintCleaner, &TUWHCleanerThrd::MSPaintCleaner},
      {&TUWHCleanerThrd::RunWinRarCleaner, &TUWHCleanerThrd::WinRarCleaner},
      {&TUWHCleanerThrd::RunRealOneCleaner, &TUWHCleanerThrd::RealOneCleaner},
      {&TUWHCleanerThrd::RunPowerDVDCleaner, &TUWHCleanerThrd::PowerDVDCleaner},
  };
  finished_ = false;
  failure_.clear();
  try {
    for (const Step& step : kSteps) {
      if (this->*step.selected) (this->*step.run)();
    }
    finished_ = true;
  } catch (const std::exception& e) {
    // A step that raises ends the run there; the end still gets reported.
    failure_ = e.what();
  } catch (...) {
    failure_ = "an unexpected error";
  }
}

}  // namespace cleaner
