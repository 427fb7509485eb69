// The shell's recycle bin, the URL cache and the URL history store,
// recorded. The cache's walks pass through, and the cookie entries they meet
// are noted, so that what a walk left in place can be told afterwards.
#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/UrlCache.h"
#include "platform/recording/Recorder.h"

namespace platform::recording {

class RecordingShell : public Shell {
 public:
  RecordingShell(Shell& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

  bool SpecialFolder(int csidl, std::string* path) override { return inner_.SpecialFolder(csidl, path); }
  bool TempFolder(std::string* path) override { return inner_.TempFolder(path); }
  bool UserTempFolder(std::string* path) override { return inner_.UserTempFolder(path); }
  bool WindowsFolder(std::string* path) override { return inner_.WindowsFolder(path); }
  long EmptyRecycleBin(uint32_t flags) override;
  long QueryRecycleBin(uint64_t* items, uint64_t* bytes) override { return inner_.QueryRecycleBin(items, bytes); }
  bool QueryVersion(uint32_t structSize, OsVersion* version) override {
    return inner_.QueryVersion(structSize, version);
  }
  long ApplicationIds(std::vector<std::string>* ids) override { return inner_.ApplicationIds(ids); }
  long RemoveAllDestinations(const std::string& appId) override;

 private:
  Shell& inner_;
  Recorder& recorder_;
};

class RecordingUrlCache : public UrlCache {
 public:
  RecordingUrlCache(UrlCache& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

  std::unique_ptr<UrlCacheFind> FindFirst(CacheContainer container, void* buffer, uint32_t* size, long* error) override;
  uint32_t EntryType(const void* buffer) override { return inner_.EntryType(buffer); }
  std::string SourceName(const void* buffer) override { return inner_.SourceName(buffer); }
  std::string LocalFileName(const void* buffer) override { return inner_.LocalFileName(buffer); }
  long DeleteEntry(const std::string& sourceName) override;

  // Notes the entry a walk just put in `buffer`.
  void Met(const void* buffer);

 private:
  UrlCache& inner_;
  Recorder& recorder_;
  // The last cookie entry met: a deletion of that name is a cookie's.
  std::string lastCookie_;
};

class RecordingUrlHistory : public UrlHistory {
 public:
  RecordingUrlHistory(UrlHistory& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  std::unique_ptr<HistoryStore> CreateStore(long* hresult) override;

 private:
  UrlHistory& inner_;
  Recorder& recorder_;
};

}  // namespace platform::recording
