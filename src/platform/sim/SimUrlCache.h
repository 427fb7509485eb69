// A simulated URL cache and URL history store. Entries keep their source
// names, type bits and local files; an entry can carry extra record bytes,
// so it can be larger than any buffer. An entry's container is told by its
// name's prefix ("Cookie:", "Visited:", none for the content), and a walk
// gives one container, as Windows' walks do. Enumeration errors and failed
// deletions can be provoked.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/UrlCache.h"
#include "util/Text.h"

namespace platform::sim {

class SimUrlCache : public UrlCache {
 public:
  struct Entry {
    uint32_t type = 0;
    uint32_t extraBytes = 0;  // added to the record, as header info would be
    bool undeletable = false;
    std::string localFile;  // the file that holds its content, if any
  };

  std::unique_ptr<UrlCacheFind> FindFirst(CacheContainer container, void* buffer, uint32_t* size, long* error) override;
  uint32_t EntryType(const void* buffer) override;
  std::string SourceName(const void* buffer) override;
  std::string LocalFileName(const void* buffer) override;
  long DeleteEntry(const std::string& sourceName) override;

  // For tests.
  void Add(const std::string& sourceName, uint32_t type, uint32_t extraBytes = 0, const std::string& localFile = {});
  void AddCookie(const std::string& sourceName, uint32_t extraBytes = 0) {
    Add(sourceName, kCookieCacheEntry, extraBytes);
  }
  void MakeUndeletable(const std::string& sourceName);
  bool Has(const std::string& sourceName);
  std::vector<std::string> Names();  // of every container, sorted without regard to case
  // The walk that reaches this many entries fails there with `error`.
  void FailEnumerationAfter(int entries, long error) { failAfter_ = entries, failError_ = error; }
  // Removes the entries of the "Visited:" container (the history store's clear).
  void ClearVisited();
  int deleteCalls() const { return deleteCalls_; }
  int openEnumerations() const { return openEnumerations_; }

  // The record a buffer receives; exposed for the find handle.
  static uint32_t RecordSize(const std::string& name, const Entry& entry);
  long Fill(const std::string& name, void* buffer, uint32_t* size);
  std::vector<std::string> Match(CacheContainer container);
  bool Exists(const std::string& name);
  int failAfter() const { return failAfter_; }
  long failError() const { return failError_; }
  void Closed() { --openEnumerations_; }

 private:
  std::recursive_mutex mutex_;
  std::map<std::string, Entry, util::LessNoCase> entries_;
  int failAfter_ = -1;
  long failError_ = 0;
  int deleteCalls_ = 0;
  int openEnumerations_ = 0;
};

class SimUrlHistory : public UrlHistory {
 public:
  explicit SimUrlHistory(SimUrlCache& cache) : cache_(cache) {}
  std::unique_ptr<HistoryStore> CreateStore(long* hresult) override;

  bool creatable = true;
  long clearResult = 0;  // what ClearHistory answers; on success the visited entries go
  int created = 0;
  int cleared = 0;

 private:
  SimUrlCache& cache_;
};

}  // namespace platform::sim
