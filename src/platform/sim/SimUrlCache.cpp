// The simulated URL cache and history store.
#include "platform/sim/SimUrlCache.h"

#include <cstring>

#include "platform/ErrorCodes.h"

namespace platform::sim {
namespace {

// The record: structure size, type, the lengths of the name and the local
// file's name, each with its terminator, then the entry's extra bytes.
constexpr uint32_t kHeader = 16;

class SimUrlCacheFind : public UrlCacheFind {
 public:
  SimUrlCacheFind(SimUrlCache& cache, std::vector<std::string> names) : cache_(cache), names_(std::move(names)) {}
  ~SimUrlCacheFind() override { cache_.Closed(); }

  // The first call is made by FindFirst through the same path.
  long Next(void* buffer, uint32_t* size) override {
    while (position_ < names_.size() && !cache_.Exists(names_[position_])) ++position_;
    if (cache_.failAfter() >= 0 && reached_ >= cache_.failAfter()) return cache_.failError();
    if (position_ >= names_.size()) return kErrorNoMoreItems;
    long error = cache_.Fill(names_[position_], buffer, size);
    if (error == kErrorSuccess) {
      ++position_;
      ++reached_;
    }
    return error;
  }

 private:
  SimUrlCache& cache_;
  std::vector<std::string> names_;
  size_t position_ = 0;
  int reached_ = 0;
};

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && util::EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool InContainer(const std::string& name, CacheContainer container) {
  const bool cookie = StartsWithNoCase(name, "Cookie:");
  if (container == CacheContainer::Cookies) return cookie;
  return !cookie && !StartsWithNoCase(name, "Visited:");
}

}  // namespace

uint32_t SimUrlCache::RecordSize(const std::string& name, const Entry& entry) {
  return kHeader + static_cast<uint32_t>(name.size() + 1 + entry.localFile.size() + 1) + entry.extraBytes;
}

long SimUrlCache::Fill(const std::string& name, void* buffer, uint32_t* size) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto it = entries_.find(name);
  if (it == entries_.end()) return kErrorFileNotFound;
  uint32_t needed = RecordSize(it->first, it->second);
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    return kErrorInsufficientBuffer;
  }
  auto* bytes = static_cast<unsigned char*>(buffer);
  const uint32_t length = static_cast<uint32_t>(it->first.size());
  const uint32_t fileLength = static_cast<uint32_t>(it->second.localFile.size());
  std::memcpy(bytes, &needed, 4);
  std::memcpy(bytes + 4, &it->second.type, 4);
  std::memcpy(bytes + 8, &length, 4);
  std::memcpy(bytes + 12, &fileLength, 4);
  std::memcpy(bytes + kHeader, it->first.c_str(), length + 1);
  std::memcpy(bytes + kHeader + length + 1, it->second.localFile.c_str(), fileLength + 1);
  std::memset(bytes + kHeader + length + 1 + fileLength + 1, 0, it->second.extraBytes);
  *size = needed;
  return kErrorSuccess;
}

std::vector<std::string> SimUrlCache::Match(CacheContainer container) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [name, entry] : entries_) {
    if (InContainer(name, container)) names.push_back(name);
  }
  return names;
}

bool SimUrlCache::Exists(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return entries_.count(name) != 0;
}

std::unique_ptr<UrlCacheFind> SimUrlCache::FindFirst(CacheContainer container, void* buffer, uint32_t* size,
                                                     long* error) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++openEnumerations_;
  auto find = std::make_unique<SimUrlCacheFind>(*this, Match(container));
  *error = find->Next(buffer, size);
  if (*error != kErrorSuccess) return nullptr;  // the destructor closes it again
  return find;
}

uint32_t SimUrlCache::EntryType(const void* buffer) {
  uint32_t type;
  std::memcpy(&type, static_cast<const unsigned char*>(buffer) + 4, 4);
  return type;
}

std::string SimUrlCache::SourceName(const void* buffer) {
  uint32_t length;
  std::memcpy(&length, static_cast<const unsigned char*>(buffer) + 8, 4);
  return std::string(static_cast<const char*>(buffer) + kHeader, length);
}

std::string SimUrlCache::LocalFileName(const void* buffer) {
  uint32_t length, fileLength;
  std::memcpy(&length, static_cast<const unsigned char*>(buffer) + 8, 4);
  std::memcpy(&fileLength, static_cast<const unsigned char*>(buffer) + 12, 4);
  return std::string(static_cast<const char*>(buffer) + kHeader + length + 1, fileLength);
}

long SimUrlCache::DeleteEntry(const std::string& sourceName) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++deleteCalls_;
  auto it = entries_.find(sourceName);
  if (it == entries_.end()) return kErrorFileNotFound;
  if (it->second.undeletable) return kErrorAccessDenied;
  entries_.erase(it);
  return kErrorSuccess;
}

void SimUrlCache::Add(const std::string& sourceName, uint32_t type, uint32_t extraBytes, const std::string& localFile) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  entries_[sourceName] = Entry{type, extraBytes, false, localFile};
}

void SimUrlCache::MakeUndeletable(const std::string& sourceName) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  entries_[sourceName].undeletable = true;
}

bool SimUrlCache::Has(const std::string& sourceName) { return Exists(sourceName); }

std::vector<std::string> SimUrlCache::Names() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [name, entry] : entries_) names.push_back(name);
  return names;
}

void SimUrlCache::ClearVisited() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (auto it = entries_.begin(); it != entries_.end();) {
    it = StartsWithNoCase(it->first, "Visited:") ? entries_.erase(it) : std::next(it);
  }
}

namespace {

class SimHistoryStore : public HistoryStore {
 public:
  SimHistoryStore(SimUrlHistory& owner, SimUrlCache& cache) : owner_(owner), cache_(cache) {}
  long ClearHistory() override {
    ++owner_.cleared;
    if (owner_.clearResult == 0) cache_.ClearVisited();
    return owner_.clearResult;
  }

 private:
  SimUrlHistory& owner_;
  SimUrlCache& cache_;
};

}  // namespace

std::unique_ptr<HistoryStore> SimUrlHistory::CreateStore(long* hresult) {
  if (!creatable) {
    *hresult = static_cast<long>(0x80040154);  // REGDB_E_CLASSNOTREG
    return nullptr;
  }
  ++created;
  *hresult = 0;
  return std::make_unique<SimHistoryStore>(*this, cache_);
}

}  // namespace platform::sim
