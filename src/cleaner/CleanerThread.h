// One cleaning run: a worker thread that carries 27 step switches and runs
// the selected steps in a fixed order, then reports its end on the
// user-interface thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "ui/Ui.h"

namespace cleaner {

// The failure of a run that ended early because it was asked to.
constexpr const char* kStoppedOnRequest = "it was asked to stop";

class TUWHCleanerThrd {
 public:
  // Created suspended, every switch false.
  TUWHCleanerThrd(platform::Platform& platform, ui::Ui& ui);
  // For a run on the caller's own thread (Execute), which reports its end to
  // no window: Start is not for it.
  explicit TUWHCleanerThrd(platform::Platform& platform);
  ~TUWHCleanerThrd();
  TUWHCleanerThrd(const TUWHCleanerThrd&) = delete;
  TUWHCleanerThrd& operator=(const TUWHCleanerThrd&) = delete;

  // The step switches, in their declaration order; the starter sets them
  // before Start. A switch counts only when true.
  bool RunBrowserCacheCleaner = false;
  bool RunCookiesCleaner = false;
  bool RunTypedURLCleaner = false;
  bool RunAutoCompleteForms = false;
  bool RunAutoCompletePasswords = false;
  bool RunIEFavorites = false;
  bool RunRASAutoDial = false;
  bool RunWindowsTempFold = false;
  bool RunRecycleBinCleaner = false;
  bool RunWindowsRunHistory = false;
  bool RunRecentDocumentsHistory = false;
  bool RunLastLogonHistory = false;
  bool RunFindFilesHistory = false;
  bool RunFindComputerHistory = false;
  bool RunNetworkHistory = false;
  bool RunTelenetHistory = false;
  bool RunBrowserHistory = false;
  bool RunMSMediaPlayerCleaner = false;
  bool RunACDSeeCleaner = false;
  bool RunAcrobatReaderCleaner = false;
  bool RunMSWordCleaner = false;
  bool RunInfranViewCleaner = false;
  bool RunMSImagingCleaner = false;
  bool RunMSPaintCleaner = false;
  bool RunWinRarCleaner = false;
  bool RunRealOneCleaner = false;
  bool RunPowerDVDCleaner = false;

  // Runs on the user-interface thread after Execute has returned.
  std::function<void(TUWHCleanerThrd& sender)> OnTerminate;
  // Runs on the worker's thread as each selected step begins, given that
  // step's switch: tells a caller whose work the calls that follow are.
  std::function<void(bool TUWHCleanerThrd::*step)> OnStep;

  // Resumes the suspended thread; a second call does nothing. Throws
  // std::system_error when the system cannot create the thread; the object
  // then stays unstarted. Needs the user interface its end is reported to.
  void Start();

  // Asks the run to end early, from any thread: it stops before its next
  // step, and a purge or a walk before its next deletion. The protected-
  // storage step, which opens access lists up and puts one back, is never
  // cut in two: it runs to its end first.
  void RequestStop() { stop_ = true; }
  bool stopRequested() const { return stop_; }
  // True while the run is inside that step.
  bool inIndivisibleStep() const { return indivisible_; }

  // After the end: true when every selected step ran to its end; otherwise
  // `failure` says what stopped the run (kStoppedOnRequest after RequestStop).
  bool finished() const { return finished_; }
  const std::string& failure() const { return failure_; }
  // The steps this run started, by their number in the order of execution
  // (1 to 27); the last one is where an early stop happened.
  const std::vector<int>& stepsRun() const { return stepsRun_; }

  // The thread body; public so tests can run it on their own thread.
  void Execute();

 private:
  // The steps, in the order Execute runs them.
  void BrowserCacheCleaner();        // 1
  void CookiesCleaner();             // 2
  void TypedURLCleaner();            // 3
  void BrowserHistoryCleaner();      // 4
  void AutoCompleteFormsCleaner();   // 5
  void AutoCompletePasswordsCleaner();  // 6
  void IEFavoritesCleaner();         // 7
  void ClearBrowserHistoryPass();    // half of step 4
  void RASAutoDialCleaner();         // 8
  void FindFilesHistoryCleaner();    // 9
  void FindComputerHistoryCleaner(); // 10
  void NetworkHistoryCleaner();      // 11
  void TelenetHistoryCleaner();      // 12
  void WindowsRunHistoryCleaner();   // 13
  void WindowsTempFoldCleaner();     // 14
  void RecycleBinCleaner();          // 15
  void RecentDocumentsCleaner();     // 16
  void LastLogonHistoryCleaner();    // 17
  void MSMediaPlayerCleaner();       // 18
  void ACDSeeCleaner();              // 19
  void AcrobatReaderCleaner();       // 20
  void MSWordCleaner();              // 21
  void InfranViewCleaner();          // 22
  void MSImagingCleaner();           // 23
  void MSPaintCleaner();             // 24
  void WinRarCleaner();              // 25
  void RealOneCleaner();             // 26
  void PowerDVDCleaner();            // 27

  // The shared helpers, on this run's platform (see FolderPurge.h and
  // SystemHelpers.h). A folder to clean is given with the folder the system
  // named, `start`, which it is or lies below. Registry paths are under
  // HKEY_CURRENT_USER unless a root is given.
  bool PurgeFolder(const std::string& start, const std::string& folder, bool includeDesktopIni, bool wipeIndexDat);
  bool WipeIndexDat(const std::string& folder, const std::string& name);
  void DeleteFilesByMask(const std::string& start, const std::string& folder, const std::string& mask);
  bool DeleteRegKey(const std::string& path, platform::RegRoot root = platform::RegRoot::CurrentUser);
  bool DeleteRegValue(const std::string& path, const std::string& name,
                      platform::RegRoot root = platform::RegRoot::CurrentUser);
  bool IsWinNT();
  // Folder lookups: each fills *path and answers whether the system named the folder.
  bool GetSpecialFolder(int csidl, std::string* path);  // a platform::Csidl number
  bool GetTempFolder(std::string* path);                // ends with a separator
  bool GetWindowsFolder(std::string* path);
  // False for a temporary folder that is one of the system's own folders or
  // holds the profile or the Windows folder (see WindowsSteps.cpp).
  bool IsPurgeableTempFolder(const std::string& folder);

  platform::Platform& platform_;
  ui::Ui* ui_ = nullptr;
  // The folder path the steps ask the system for, reused from step to step.
  std::string path_;
  // Scratch text for a file path built from a folder and literal parts.
  std::string filePath_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> indivisible_{false};
  bool finished_ = false;
  std::string failure_;
  std::vector<int> stepsRun_;
  // Cleared by the destructor, so that a termination still queued for the
  // user-interface thread is dropped instead of reaching a freed object.
  std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace cleaner
