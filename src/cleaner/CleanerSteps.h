// What a cleaning does to the machine: one member function per step, and the
// helpers the steps share, on one platform. The worker (CleanerThread.h)
// runs the steps the cleaner table (CleanerTable.h) names.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browsers/BrowserItems.h"
#include "browsers/BrowserTable.h"
#include "platform/Platform.h"

namespace cleaner {

// What a step left alone, and why: the report tells it under its cleaner.
struct StepSkip {
  size_t cleaner;  // the entry of kCleaners whose step it was
  std::string what;
  std::string reason;
  bool inUse = false;  // another program held it: cleaning again later helps
  long error = 0;      // the system's answer, when it gave one
  bool link = false;   // it was a link, or was reached through one
  // Left alone for another reason (a temporary folder that is one of the
  // user's or the system's own folders, a database that had to be stopped,
  // not the file its folder listed, damaged): the end of the run says so.
  bool refused = false;
  bool byRule = false;  // Corvane's own rules left it in place (a protected folder, a database's journal)
};

class CleanerSteps {
 public:
  explicit CleanerSteps(platform::Platform& platform) : platform_(platform) {}
  CleanerSteps(const CleanerSteps&) = delete;
  CleanerSteps& operator=(const CleanerSteps&) = delete;

  // Asks the run to end early, from any thread: it stops before its next
  // step, and a purge or a walk before its next deletion. The protected-
  // storage step, which opens access lists up and puts one back, is never
  // cut in two: it runs to its end first.
  void RequestStop() { stop_ = true; }
  bool stopRequested() const { return stop_; }
  // True while the run is inside that step.
  bool inIndivisibleStep() const { return indivisible_; }

  // The browsers the browser items clean; the starter sets them before the
  // run (every one unless told).
  browsers::BrowserSelection browserSelection = [] {
    browsers::BrowserSelection all{};
    all.fill(true);
    return all;
  }();
  // A browser of that selection that runs in the background only is closed
  // first, as Windows' Restart Manager closes a program, and then cleaned;
  // otherwise it is skipped as running. Only for a run the user asked to.
  bool closeBackgroundBrowsers = false;
  // What the browser items did, once the run has ended.
  const browsers::BrowsersOutcome& browsersOutcome() const { return browsers_; }
  // What the steps other than the browsers' left alone (links among them),
  // once the run has ended.
  const std::vector<StepSkip>& skips() const { return skips_; }

  // For a cleaner beyond the table (CleanerThread.h): the run's platform,
  // its stop, and what it left alone, noted under the running cleaner.
  platform::Platform& platform() { return platform_; }
  const std::atomic<bool>& stopFlag() const { return stop_; }
  void NoteSkip(StepSkip skip) {
    skip.cleaner = currentCleaner_;
    skips_.push_back(std::move(skip));
  }
  // Notes a link the running cleaner left alone, once (the history step
  // meets it in both its passes).
  void RefuseLink(const std::string& path);

  // The steps, each named by a row of the cleaner table.
  // Internet Explorer (BrowserSteps.cpp).
  void BrowserCacheCleaner();
  void CookiesCleaner();
  void TypedURLCleaner();
  void BrowserHistoryCleaner();
  void AutoCompleteCleaner();  // the forms' data, then the passwords
  void IEFavoritesCleaner();
  // Windows (WindowsSteps.cpp).
  void RASAutoDialCleaner();
  void FindFilesHistoryCleaner();
  void FindComputerHistoryCleaner();
  void NetworkHistoryCleaner();
  void TelenetHistoryCleaner();
  void WindowsRunHistoryCleaner();
  void WindowsTempFoldCleaner();
  void RecycleBinCleaner();
  void RecentDocumentsCleaner();
  void LastLogonHistoryCleaner();
  // Applications (ApplicationSteps.cpp).
  void MSMediaPlayerCleaner();
  void ACDSeeCleaner();
  void AcrobatReaderCleaner();
  void MSWordCleaner();
  void InfranViewCleaner();
  void MSImagingCleaner();
  void MSPaintCleaner();
  void WinRarCleaner();
  void RealOneCleaner();
  void PowerDVDCleaner();
  // The browsers of today (WebBrowserSteps.cpp).
  void BrowsersCacheCleaner();
  void BrowsersCookiesCleaner();
  void BrowsersHistoryCleaner();
  void BrowsersFormDataCleaner();
  void BrowsersSessionsCleaner();
  // What Windows 10 and 11 keep (WindowsTracksSteps.cpp).
  void ExplorerTypedPathsCleaner();
  void ExplorerSearchCleaner();
  void FileDialogsHistoryCleaner();
  void JumpListsCleaner();
  void ThumbnailCacheCleaner();
  void TimelineCleaner();

 protected:
  std::atomic<bool> stop_{false};
  // Set by the worker as each step begins: whose skips follow.
  size_t currentCleaner_ = 0;
  std::vector<StepSkip> skips_;

 private:
  void ClearBrowserHistoryPass();       // half of the history step
  void AutoCompleteFormsCleaner();      // the protected storage's data
  void AutoCompletePasswordsCleaner();  // the browser's IntelliForms key
  // One browser item on every profile of the selected browsers that are not
  // running; the browsers and their profiles are found by the first.
  void CleanBrowserItem(browsers::Item item);
  void FindBrowsers();
  void Skipped(std::string what, std::string reason, bool inUse = false, long error = 0, bool refused = false) {
    skips_.push_back({currentCleaner_, std::move(what), std::move(reason), inUse, error, false, refused});
  }
  // The timeline's rows in one ActivitiesCache.db, in one transaction;
  // `listed` is its number as its folder listed it.
  void CleanActivitiesCache(const std::string& path, uint64_t listed);
  // The files of `listed` that lie inside the cache folder `cache`, but for
  // Office's and Outlook's own folders there.
  void RemoveCachedFiles(const std::string& cache, const std::vector<std::string>& listed);
  // One network location of the folder `netHood`, whole or not at all.
  void RemoveNetworkLocation(const std::string& netHood, platform::FolderHandle& home,
                             const platform::FindData& location);

  // The shared helpers, on this run's platform (see FolderPurge.h and
  // SystemHelpers.h). A folder to clean is given with the folder the system
  // named, `start`, which it is or lies below. Registry paths are under
  // HKEY_CURRENT_USER unless a root is given.
  // With `topMask`, only the files and links at the top that match it go.
  bool PurgeFolder(const std::string& start, const std::string& folder, bool includeDesktopIni, bool wipeIndexDat,
                   const char* topMask = nullptr);
  // The same for a folder opened and checked already.
  bool PurgeFolder(std::unique_ptr<platform::FolderHandle> folder, bool includeDesktopIni, bool wipeIndexDat);
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
  // Notes a folder the running cleaner left alone as none of its own to empty, and why.
  void RefuseFolder(const std::string& path, const std::string& reason);

 protected:
  platform::Platform& platform_;

 private:
  // The folder path the steps ask the system for, reused from step to step.
  std::string path_;
  // Scratch text for a file path built from a folder and literal parts.
  std::string filePath_;
  std::atomic<bool> indivisible_{false};
  bool browsersFound_ = false;
  browsers::BrowsersOutcome browsers_;
};

// The browser items' services on `files` and `databases`, with the purge's
// link rules; `refused`, when given, hears each link left alone.
browsers::BrowserServices BrowserServicesOn(platform::FileSystem& files, platform::Databases& databases,
                                            std::function<void(const std::string&)> refused = nullptr);

// The sites of the cookies of every profile of every browser found, each
// once, in the order found: for the cookie manager's list.
std::vector<std::string> BrowserCookieSites(platform::Platform& platform);

}  // namespace cleaner
