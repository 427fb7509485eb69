// The Internet Explorer steps (the autocomplete data's first half is the
// protected-storage cleaner of ProtectedStorage.cpp).
#include "cleaner/CleanerSteps.h"
#include "cleaner/FolderPurge.h"
#include "cleaner/ProtectedStorage.h"
#include "cookies/CacheEntryBuffer.h"
#include "cookies/CookieCache.h"
#include "cookies/KeepList.h"

namespace cleaner {
namespace {

// Asks with no buffer to learn the entry's size, then again with a buffer of
// that size; false when either call fails or the size is beyond any record.
template <typename Call>
bool FetchEntry(cookies::CacheEntryBuffer& buffer, Call call) {
  uint32_t size = 0;
  if (call(nullptr, &size) != platform::kErrorInsufficientBuffer || !buffer.Resize(size)) return false;
  size = buffer.size();
  return call(buffer.data(), &size) == platform::kErrorSuccess;
}

// Calls `visit` with each entry of the cache's content container, as the
// buffer holds it, until the walk ends or a stop.
template <typename Visit>
void WalkContent(platform::UrlCache& cache, const std::atomic<bool>& stop, Visit visit) {
  cookies::CacheEntryBuffer buffer(0);
  std::unique_ptr<platform::UrlCacheFind> find;
  bool have = FetchEntry(buffer, [&](void* data, uint32_t* size) {
    long error = platform::kErrorSuccess;
    find = cache.FindFirst(platform::CacheContainer::Content, data, size, &error);
    return error;
  });
  while (have && !stop) {
    visit(buffer.data());
    have = FetchEntry(buffer, [&](void* data, uint32_t* size) { return find->Next(data, size); });
  }
}

// Every entry of the cache's content goes; a cookie stays, whatever holds it:
// cookies are the cookie step's, and the history's visits the history step's.
void DeleteCacheFileEntries(platform::UrlCache& cache, const std::atomic<bool>& stop) {
  WalkContent(cache, stop, [&cache](const void* entry) {
    if (!(cache.EntryType(entry) & platform::kCookieCacheEntry)) cache.DeleteEntry(cache.SourceName(entry));
  });
}

// The folders of INetCache that hold what the browser cached. Beside them
// Outlook keeps the attachments a user opened, maybe edited and saved
// nowhere else (Content.Outlook), and Office its working files
// (Content.MSO, Content.Word): those stay, whatever names them.
const char* const kBrowserCacheFolders[] = {"IE", "Low\\IE", "Virtualized"};
const char* const kOfficeCacheFolders[] = {"Content.Outlook", "Content.MSO", "Content.Word"};

// Marks a stretch of work that an early stop must not cut in two.
class IndivisibleStretch {
 public:
  explicit IndivisibleStretch(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
  ~IndivisibleStretch() { flag_ = false; }
  IndivisibleStretch(const IndivisibleStretch&) = delete;
  IndivisibleStretch& operator=(const IndivisibleStretch&) = delete;

 private:
  std::atomic<bool>& flag_;
};

}  // namespace

void CleanerSteps::BrowserCacheCleaner() {
  // Only the files go; the cache's own entries are the typed-URL step's.
  if (!GetSpecialFolder(platform::kCsidlInternetCache, &path_)) return;
  const std::string cache = path_;
  for (const char* folder : kBrowserCacheFolders) PurgeFolder(cache, cache + "\\" + folder, false, false);
  // And the files the cache names as its own inside INetCache, wherever the
  // system put them (Wine and Windows 7 in Content.IE5).
  std::vector<std::string> listed;
  WalkContent(platform_.urlCache, stop_, [&](const void* entry) {
    std::string file = platform_.urlCache.LocalFileName(entry);
    if (!file.empty()) listed.push_back(std::move(file));
  });
  RemoveCachedFiles(cache, listed);
}

void CleanerSteps::RemoveCachedFiles(const std::string& cache, const std::vector<std::string>& listed) {
  platform::FileSystem& files = platform_.files;
  std::string openedFolder;
  std::unique_ptr<platform::FolderHandle> opened;
  for (const std::string& file : listed) {
    if (stop_) return;
    const size_t cut = file.find_last_of("\\/");
    if (file.size() <= cache.size() + 1 || cut == std::string::npos || cut + 1 == file.size() ||
        !files.SameName(file.substr(0, cache.size()), cache) ||
        (file[cache.size()] != '\\' && file[cache.size()] != '/')) {
      continue;  // not inside INetCache
    }
    const std::string below = file.substr(cache.size() + 1, cut - cache.size() - 1);
    const std::string top = below.substr(0, below.find_first_of("\\/"));
    bool office = false;
    for (const char* folder : kOfficeCacheFolders) office = office || files.SameName(top, folder);
    const std::string name = file.substr(cut + 1);
    if (office || below.empty() || platform::IsDotEntry(name)) continue;
    // Opened as the purge opens a folder: through each one above it, no
    // link and no "." or ".." on the way. The listing is in no folder's
    // order, but entries of one folder tend to come together.
    const std::string folder = cache + "\\" + below;
    if (!opened || folder != openedFolder) {
      std::string link;
      opened = OpenCleanableFolder(files, cache, folder, &link);
      openedFolder = folder;
      if (!link.empty()) RefuseLink(link);
    }
    if (opened) opened->RemoveEntry(name, 0);
  }
}

void CleanerSteps::CookiesCleaner() {
  // An unreadable keep-list raises and ends the run: deleting every cookie
  // would throw away the ones the user chose to keep.
  std::vector<std::string> keepList = cookies::ReadKeepList(platform_);
  cookies::ScanCookieCache(platform_.urlCache, cookies::ScanMode::Delete, keepList, nullptr, &stop_);
}

void CleanerSteps::TypedURLCleaner() {
  DeleteRegKey("Software\\Microsoft\\Internet Explorer\\TypedURLs");
  DeleteCacheFileEntries(platform_.urlCache, stop_);
}

// One pass over the history: the store cleared, then both history folders
// purged with every index.dat wiped before it is deleted.
void CleanerSteps::ClearBrowserHistoryPass() {
  long hresult = 0;
  if (std::unique_ptr<platform::HistoryStore> store = platform_.urlHistory.CreateStore(&hresult)) {
    store->ClearHistory();
  }
  if (GetWindowsFolder(&path_)) PurgeFolder(path_, path_ + "\\History", false, true);
  if (GetSpecialFolder(platform::kCsidlHistory, &path_)) PurgeFolder(path_, path_, false, true);
}

// Two identical passes: an index.dat held open during the first is wiped
// again in the second.
void CleanerSteps::BrowserHistoryCleaner() {
  ClearBrowserHistoryPass();
  ClearBrowserHistoryPass();
}

void CleanerSteps::AutoCompleteFormsCleaner() {
  // It opens access lists up and puts one back: a stop, or an exit that
  // waits for the run, lets it end first.
  IndivisibleStretch whole(indivisible_);
  CleanProtectedStorage(platform_, IsWinNT());
}

void CleanerSteps::AutoCompletePasswordsCleaner() {
  DeleteRegKey("Software\\Microsoft\\Internet Explorer\\IntelliForms");
}

// The forms' data, then the passwords; a stop between the two is heeded.
void CleanerSteps::AutoCompleteCleaner() {
  AutoCompleteFormsCleaner();
  if (stop_) return;
  AutoCompletePasswordsCleaner();
}

void CleanerSteps::IEFavoritesCleaner() {
  if (GetSpecialFolder(platform::kCsidlFavorites, &path_)) PurgeFolder(path_, path_, false, false);
}

}  // namespace cleaner
