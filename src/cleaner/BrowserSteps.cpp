// The Internet Explorer steps (the autocomplete data's first half is the
// protected-storage cleaner of ProtectedStorage.cpp).
#include "cleaner/CleanerSteps.h"
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

// Every entry of the cache that is not a cookie goes; cookies are the cookie step's.
void DeleteCacheFileEntries(platform::UrlCache& cache, const std::atomic<bool>& stop) {
  cookies::CacheEntryBuffer buffer(0);
  std::unique_ptr<platform::UrlCacheFind> find;
  bool have = FetchEntry(buffer, [&](void* data, uint32_t* size) {
    long error = platform::kErrorSuccess;
    find = cache.FindFirst("", data, size, &error);
    return error;
  });
  while (have) {
    if (stop) return;
    if (!(cache.EntryType(buffer.data()) & platform::kCookieCacheEntry)) {
      cache.DeleteEntry(cache.SourceName(buffer.data()));
    }
    have = FetchEntry(buffer, [&](void* data, uint32_t* size) { return find->Next(data, size); });
  }
}

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
  if (GetSpecialFolder(platform::kCsidlInternetCache, &path_)) PurgeFolder(path_, path_, false, false);
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
