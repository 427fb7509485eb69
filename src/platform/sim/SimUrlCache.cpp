// The simulated URL cache and history store.
#include "platform/sim/SimUrlCache.h"

#include <cstring>

#include "platform/ErrorCodes.h"

namespace platform::sim {
namespace {

// The record: structure size, type, name length, the name with its
// terminator, then the entry's extra bytes.
constexpr uint32_t kHeader = 12;

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

}  // namespace

uint32_t SimUrlCache::RecordSize(const std::string& name, const Entry& entry) {
  return kHeader + static_cast<uint32_t>(name.size()) + 1 + entry.extraBytes;
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
  uint32_t length = static_cast<uint32_t>(it->first.size());
  std::memcpy(bytes, &needed, 4);
  std::memcpy(bytes + 4, &it->second.type, 4);
  std::memcpy(bytes + 8, &length, 4);
  std::memcpy(bytes + kHeader, it->first.c_str(), length + 1);
  std::memset(bytes + kHeader + length + 1, 0, it->second.extraBytes);
  *size = needed;
  return kErrorSuccess;
}

std::vector<std::string> SimUrlCache::Match(const std::string& pattern) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> names;
  for (const auto& [name, entry] : entries_) {
    // A container prefix such as "cookie:" matches without regard to case,
    // as on Windows; no pattern gives every container.
    if (pattern.empty() || StartsWithNoCase(name, pattern)) names.push_back(name);
  }
  return names;
}

bool SimUrlCache::Exists(const std::string& name) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return entries_.count(name) != 0;
}

std::unique_ptr<UrlCacheFind> SimUrlCache::FindFirst(const std::string& pattern, void* buffer, uint32_t* size,
                                                     long* error) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++openEnumerations_;
  auto find = std::make_unique<SimUrlCacheFind>(*this, Match(pattern));
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

long SimUrlCache::DeleteEntry(const std::string& sourceName) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++deleteCalls_;
  auto it = entries_.find(sourceName);
  if (it == entries_.end()) return kErrorFileNotFound;
  if (it->second.undeletable) return kErrorAccessDenied;
  entries_.erase(it);
  return kErrorSuccess;
}

void SimUrlCache::Add(const std::string& sourceName, uint32_t type, uint32_t extraBytes) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  entries_[sourceName] = Entry{type, extraBytes, false};
}

void SimUrlCache::MakeUndeletable(const std::string& sourceName) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  entries_[sourceName].undeletable = true;
}

bool SimUrlCache::Has(const std::string& sourceName) { return Exists(sourceName); }

std::vector<std::string> SimUrlCache::Names() { return Match(""); }

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
