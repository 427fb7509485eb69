// The steps of the browsers of today: Edge, Chrome and the other Chromium
// browsers, and Firefox, each item on every profile found.
#include "browsers/BrowserProcesses.h"
#include "browsers/Profiles.h"
#include "cleaner/CleanerSteps.h"
#include "cleaner/FolderPurge.h"
#include "cleaner/UsersOwnFolder.h"
#include "cookies/KeepList.h"
#include "util/Text.h"

#include <set>

namespace cleaner {

browsers::BrowserServices BrowserServicesOn(platform::FileSystem& files, platform::Databases& databases,
                                            std::function<void(const std::string&)> refused) {
  return {files, databases,
          [&files](const std::string& start, const std::string& folder) {
            return OpenCleanableFolder(files, start, folder);
          },
          [&files, refused](const std::string& start, const std::string& folder) {
            std::vector<std::string> links;
            PurgeTally tally;
            PurgeOptions options;
            options.refusedLinks = &links;
            options.tally = &tally;
            // A folder that could not even be listed stays whole.
            if (!PurgeFolder(files, start, folder, options)) ++tally.left;
            for (const std::string& link : links) {
              if (refused) refused(link);
            }
            return browsers::PurgeCount{tally.removed, tally.bytes, tally.left};
          },
          refused};
}

namespace {
browsers::AppDataFolders AppDataOf(platform::Platform& platform) {
  browsers::AppDataFolders appData;
  platform.shell.SpecialFolder(platform::kCsidlLocalAppData, &appData.local);
  platform.shell.SpecialFolder(platform::kCsidlAppData, &appData.roaming);
  return appData;
}

// Why a profile must be left alone whole; empty when it may be cleaned. A
// profile kept elsewhere may lie where other accounts can swap its folder,
// or one above it, for a link while SQLite makes and deletes its journals
// there by name: it is cleaned only in the user's own folders.
std::string WhyLeftAlone(platform::Platform& platform, const browsers::Profile& profile) {
  std::string why;
  if (!profile.elsewhere || IsUsersOwnFolder(platform, profile.folder, &why)) return {};
  return why;
}
}  // namespace

std::vector<std::string> BrowserCookieSites(platform::Platform& platform) {
  const browsers::AppDataFolders appData = AppDataOf(platform);
  browsers::BrowserServices services = BrowserServicesOn(platform.files, platform.databases);
  std::vector<std::string> sites;
  std::set<std::string, util::LessNoCase> seen;
  for (const browsers::BrowserRow& browser : browsers::kBrowsers) {
    for (const browsers::Profile& profile : browsers::FindProfiles(platform.files, browser, appData)) {
      if (!WhyLeftAlone(platform, profile).empty()) continue;
      for (std::string& site : browsers::CookieSites(services, browser, profile)) {
        if (seen.insert(site).second) sites.push_back(std::move(site));
      }
    }
  }
  return sites;
}

void CleanerSteps::FindBrowsers() {
  browsersFound_ = true;
  const browsers::AppDataFolders appData = AppDataOf(platform_);
  // Its files are the browser's while it runs: half a cleaning under it
  // would be undone or break the profile, so it is skipped whole.
  const std::vector<platform::RunningProcess> processes = platform_.process.RunningProcesses();
  for (size_t i = 0; i < browsers::kBrowserCount; ++i) {
    if (!browserSelection[i]) continue;
    const browsers::BrowserRow& browser = browsers::kBrowsers[i];
    browsers::BrowserRun run = browsers::RunOf(browser, processes);
    std::vector<std::string> links;
    std::vector<browsers::Profile> profiles = browsers::FindProfiles(platform_.files, browser, appData, &links);
    if (run == browsers::BrowserRun::InBackground && closeBackgroundBrowsers && !profiles.empty()) {
      std::string failure = browsers::CloseInBackground(platform_.process, platform_.clock, browser, profiles);
      if (failure.empty()) run = browsers::BrowserRun::NotRunning;
      browsers_.closings.push_back({i, std::move(failure)});
    }
    if (run != browsers::BrowserRun::NotRunning) {
      browsers_.running.push_back(i);
      if (run == browsers::BrowserRun::InBackground) browsers_.inBackground.push_back(i);
      continue;
    }
    for (const std::string& link : links) RefuseLink(link);
    for (browsers::Profile& profile : profiles) {
      std::string why = WhyLeftAlone(platform_, profile);
      browsers_.profiles.push_back({i, std::move(profile), {}, std::move(why)});
    }
  }
}

void CleanerSteps::CleanBrowserItem(browsers::Item item) {
  if (!browsersFound_) FindBrowsers();
  // As for Internet Explorer's cookies, an unreadable keep-list ends the run
  // rather than taking the cookies the user chose to keep.
  std::vector<std::string> keepList;
  if (item == browsers::Item::Cookies && !browsers_.profiles.empty()) keepList = cookies::ReadKeepList(platform_);
  browsers::BrowserServices services =
      BrowserServicesOn(platform_.files, platform_.databases, [this](const std::string& link) { RefuseLink(link); });
  for (browsers::BrowsersOutcome::ProfileOutcome& p : browsers_.profiles) {
    if (stop_) return;
    if (!p.leftAlone.empty()) continue;
    browsers::CleanProfileItem(item, services, browsers::kBrowsers[p.browser], p.profile, keepList, &p.result);
  }
}

void CleanerSteps::BrowsersCacheCleaner() { CleanBrowserItem(browsers::Item::Cache); }
void CleanerSteps::BrowsersCookiesCleaner() { CleanBrowserItem(browsers::Item::Cookies); }
void CleanerSteps::BrowsersHistoryCleaner() { CleanBrowserItem(browsers::Item::History); }
void CleanerSteps::BrowsersFormDataCleaner() { CleanBrowserItem(browsers::Item::FormData); }
void CleanerSteps::BrowsersSessionsCleaner() { CleanBrowserItem(browsers::Item::Sessions); }

}  // namespace cleaner
