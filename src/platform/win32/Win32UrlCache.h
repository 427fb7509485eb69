// The WinINet URL cache and the URL history store.
#pragma once

#include "platform/UrlCache.h"

namespace platform::win32 {

class Win32UrlCache : public UrlCache {
 public:
  std::unique_ptr<UrlCacheFind> FindFirst(const std::string& pattern, void* buffer, uint32_t* size,
                                          long* error) override;
  uint32_t EntryType(const void* buffer) override;
  std::string SourceName(const void* buffer) override;
  long DeleteEntry(const std::string& sourceName) override;
};

class Win32UrlHistory : public UrlHistory {
 public:
  std::unique_ptr<HistoryStore> CreateStore(long* hresult) override;
};

}  // namespace platform::win32
