// The recorded recycle bin, URL cache and URL history store.
#include "platform/recording/RecordingStores.h"

#include "util/Text.h"

namespace platform::recording {
namespace {

class RecordingUrlCacheFind : public UrlCacheFind {
 public:
  RecordingUrlCacheFind(RecordingUrlCache& cache, std::unique_ptr<UrlCacheFind> inner)
      : cache_(cache), inner_(std::move(inner)) {}
  long Next(void* buffer, uint32_t* size) override {
    long error = inner_->Next(buffer, size);
    if (error == kErrorSuccess) cache_.Met(buffer);
    return error;
  }

 private:
  RecordingUrlCache& cache_;
  std::unique_ptr<UrlCacheFind> inner_;
};

class RecordingHistoryStore : public HistoryStore {
 public:
  RecordingHistoryStore(Recorder& recorder, std::unique_ptr<HistoryStore> inner)
      : recorder_(recorder), inner_(std::move(inner)) {}
  long ClearHistory() override {
    Change change;
    change.kind = ChangeKind::ClearHistory;
    change.error = recorder_.preview() ? kHresultOk : inner_->ClearHistory();
    recorder_.Note(change);
    return change.error;
  }

 private:
  Recorder& recorder_;
  std::unique_ptr<HistoryStore> inner_;
};

}  // namespace

long RecordingShell::EmptyRecycleBin(uint32_t flags) {
  Change change;
  change.kind = ChangeKind::EmptyRecycleBin;
  // What is in it, asked first; a bin known to be empty has nothing to note.
  bool counted = inner_.QueryRecycleBin(&change.items, &change.bytes) == kHresultOk;
  if (recorder_.preview()) {
    if (counted && change.items == 0) return kHresultOk;
    recorder_.Note(change);
    return kHresultOk;
  }
  change.error = inner_.EmptyRecycleBin(flags);
  if (!counted || change.items > 0) recorder_.Note(change);
  return change.error;
}

long RecordingShell::RemoveAllDestinations(const std::string& appId) {
  Change change;
  change.kind = ChangeKind::ClearJumpList;
  change.target = appId;
  change.error = recorder_.preview() ? kHresultOk : inner_.RemoveAllDestinations(appId);
  recorder_.Note(change);
  return change.error;
}

std::unique_ptr<UrlCacheFind> RecordingUrlCache::FindFirst(CacheContainer container, void* buffer, uint32_t* size,
                                                           long* error) {
  std::unique_ptr<UrlCacheFind> find = inner_.FindFirst(container, buffer, size, error);
  if (!find) return nullptr;
  if (*error == kErrorSuccess) Met(buffer);
  return std::make_unique<RecordingUrlCacheFind>(*this, std::move(find));
}

void RecordingUrlCache::Met(const void* buffer) {
  lastCookie_.clear();
  if (!(inner_.EntryType(buffer) & kCookieCacheEntry)) return;
  lastCookie_ = inner_.SourceName(buffer);
  recorder_.NoteCookieSeen(lastCookie_);
}

long RecordingUrlCache::DeleteEntry(const std::string& sourceName) {
  Change change;
  change.kind = ChangeKind::DeleteCacheEntry;
  change.target = sourceName;
  change.cookie = !lastCookie_.empty() && util::EqualNoCase(sourceName, lastCookie_);
  change.error = recorder_.preview() ? kErrorSuccess : inner_.DeleteEntry(sourceName);
  // An entry gone meanwhile was nothing to do.
  if (change.error != kErrorFileNotFound) recorder_.Note(change);
  return change.error;
}

std::unique_ptr<HistoryStore> RecordingUrlHistory::CreateStore(long* hresult) {
  // Creating the store changes nothing; clearing it does.
  std::unique_ptr<HistoryStore> store = inner_.CreateStore(hresult);
  return store ? std::make_unique<RecordingHistoryStore>(recorder_, std::move(store)) : nullptr;
}

}  // namespace platform::recording
