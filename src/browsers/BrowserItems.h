// What each browser item removes from one profile, through the platform's
// file system and databases, and what it tells the report.
//
// Never touched: passwords (Login Data, logins.json, logins.db, key4.db), bookmarks,
// Preferences, Secure Preferences, Local State, profiles.ini, extensions,
// certificates, saved addresses and cards, site permissions. A database is
// changed in one transaction or not at all; one that cannot be opened, is in
// use, lacks a table or column of this item (another browser version) or is
// damaged is skipped and named, and the profile's other files go on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "browsers/BrowserTable.h"
#include "browsers/Profiles.h"
#include "platform/Database.h"
#include "platform/FileSystem.h"

namespace browsers {

enum class Item { Cache, Cookies, History, FormData, Sessions };

// What emptying a folder removed and left: plain files and links, and the
// bytes of the files removed.
struct PurgeCount {
  uint64_t removed = 0;
  uint64_t bytes = 0;
  uint64_t left = 0;
};

// The services an item works through. The folder rules are the cleaner's
// purge (cleaner/FolderPurge.h), handed down so that a cache folder is
// emptied under the same link rules as every purge.
struct BrowserServices {
  platform::FileSystem& files;
  platform::Databases& databases;
  // `folder`, at or below the folder the system named (`start`), opened
  // when it may be cleaned: no link on the way. Null when not.
  std::function<std::unique_ptr<platform::FolderHandle>(const std::string& start, const std::string& folder)>
      openCleanable;
  // Empties `folder` (below `start`), keeping the folder itself.
  std::function<PurgeCount(const std::string& start, const std::string& folder)> purge;
  // Told of each file or folder left alone because it is a link or is
  // reached through one (the purge tells of those it meets); may be empty.
  std::function<void(const std::string& path)> refused;
};

// A file an item left alone, and why.
struct Skip {
  std::string file;
  std::string reason;
  bool inUse = false;  // another program holds it: the browser runs after all
  bool link = false;   // a link, or reached through one: told with the links
};

// What the items did to one profile (or, in a preview, would do).
struct ProfileResult {
  uint64_t addresses = 0;  // rows of the addresses table
  uint64_t visits = 0;
  uint64_t cookiesRemoved = 0;
  uint64_t cookiesKept = 0;
  std::vector<std::string> keptSites;  // host without its leading dot, each once, in order
  uint64_t cacheBytes = 0;             // of the cache files removed
  uint64_t formEntries = 0;
  uint64_t sessionFiles = 0;
  std::vector<Skip> skipped;
};

// What a run's browser items did: profile by profile, and the browsers
// skipped whole because they were running.
struct BrowsersOutcome {
  struct ProfileOutcome {
    size_t browser;  // row of kBrowsers
    Profile profile;
    ProfileResult result;
    // Why the profile was left alone whole (its folder is not the user's
    // own); empty when its items ran.
    std::string leftAlone;
  };
  std::vector<size_t> running;  // rows of kBrowsers
  // Of those, the ones that ran in the background only, with no window open.
  std::vector<size_t> inBackground;
  // A browser running in the background that the run was asked to close
  // first, and why it still ran (empty when it closed and was cleaned).
  struct Closing {
    size_t browser;
    std::string failure;
  };
  std::vector<Closing> closings;
  std::vector<ProfileOutcome> profiles;
  // The profile folders and files left alone for a reason other than a
  // program holding them or a link (each told apart): a profile or a
  // database not safe to clean, a database of another version or damaged,
  // a file that could not be removed. The report says why.
  std::vector<std::string> LeftAlone() const {
    std::vector<std::string> left;
    for (const ProfileOutcome& p : profiles) {
      if (!p.leftAlone.empty()) left.push_back(p.profile.folder);
      for (const Skip& skip : p.result.skipped) {
        if (!skip.inUse && !skip.link) left.push_back(skip.file);
      }
    }
    return left;
  }
  // Whether a browser that ran, or a file another program held, kept
  // something from being cleaned.
  bool SkippedForUse() const {
    if (!running.empty()) return true;
    for (const ProfileOutcome& p : profiles) {
      for (const Skip& skip : p.result.skipped) {
        if (skip.inUse) return true;
      }
    }
    return false;
  }
};

// Which cookies the keep-list spares: those whose host, one leading dot
// removed, equals a line of the list or is a subdomain of one (ends with "."
// and the line), letter case aside, so that a kept site stays signed in.
class KeptHosts {
 public:
  explicit KeptHosts(const std::vector<std::string>& keepList);
  bool Keeps(const std::string& host) const;

 private:
  std::unordered_set<std::string> lines_;  // in lower case
};

// The site a cookie's host names: the host without its leading dot.
std::string CookieSite(const std::string& host);

// Whether a program of the browser's program file name is among `running`
// (Process::RunningProgramNames); BrowserProcesses.h says how it runs.
bool IsRunning(const BrowserRow& browser, const std::vector<std::string>& running);
// The row of kBrowsers whose program file `programFile` names (letter case
// aside); kBrowserCount for none.
size_t BrowserOfProgram(const std::string& programFile);

// The sites (CookieSite) of a profile's cookies, each once, for the cookie
// manager's list; a cookie jar in use or unreadable adds none.
std::vector<std::string> CookieSites(BrowserServices& services, const BrowserRow& browser, const Profile& profile);

// What a cookie store found outside the browsers' profiles (an embedded
// browser's, a fork's) came to.
enum class CookieStore {
  NotOne,   // no Chromium or Firefox cookie table in it (or no database at all)
  Cleaned,  // its cookies but the kept sites' removed, or named in *result why not
};

// Cleans folder\name, below `start`, as the cookie item cleans a
// browser's cookie jar when it holds one: known by its table (Chromium's
// `cookies` with `host_key`, Firefox's `moz_cookies` with `host`), not by
// its name. NotOne leaves the file for the caller; a store that is in use
// or damaged is Cleaned in the sense that it was dealt with: named in
// *result and left as it is.
CookieStore CleanCookieStore(BrowserServices& services, const std::string& start, const std::string& folder,
                             const std::string& name, const std::vector<std::string>& keepList, ProfileResult* result);

// Runs one item on one profile of `browser`; `keepList` counts for cookies.
void CleanProfileItem(Item item, BrowserServices& services, const BrowserRow& browser, const Profile& profile,
                      const std::vector<std::string>& keepList, ProfileResult* result);

}  // namespace browsers
