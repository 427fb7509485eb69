// The WinINet URL cache.
#pragma once

#include "platform/UrlCache.h"

namespace platform::win32 {

class Win32UrlCache : public UrlCache {
 public:
  // The cookies by their container's prefix; the content with no pattern,
  // other containers' entries passed over (Wine lists them too).
  std::unique_ptr<UrlCacheFind> FindFirst(CacheContainer container, void* buffer, uint32_t* size, long* error) override;
  uint32_t EntryType(const void* buffer) override;
  std::string SourceName(const void* buffer) override;
  std::string LocalFileName(const void* buffer) override;
  long DeleteEntry(const std::string& sourceName) override;
};

}  // namespace platform::win32
