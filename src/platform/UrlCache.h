// The WinINet URL cache and the URL history store, shaped like
// FindFirst/FindNextUrlCacheEntryA, FindCloseUrlCache, DeleteUrlCacheEntry
// and IUrlHistoryStg2::ClearHistory. Errors come back as Win32 codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ErrorCodes.h"

namespace platform {

// The cookie bit of an entry's type (COOKIE_CACHE_ENTRY).
enum : uint32_t { kCookieCacheEntry = 0x00100000 };

// The containers of the cache a walk names: what the browser cached (the
// pages, pictures and scripts, with their files) and the cookies.
enum class CacheContainer { Content, Cookies };

// An open enumeration (FindCloseUrlCache when destroyed).
class UrlCacheFind {
 public:
  virtual ~UrlCacheFind() = default;
  // FindNextUrlCacheEntryA: same buffer protocol as UrlCache::FindFirst.
  virtual long Next(void* buffer, uint32_t* size) = 0;
};

// The entry buffers hold the platform's entry record; its first four bytes
// are the structure-size field, which the caller sets to the buffer size
// before the call. A call that fails with kErrorInsufficientBuffer (122)
// puts the size it needs in *size; kErrorNoMoreItems (259) ends a walk.
class UrlCache {
 public:
  virtual ~UrlCache() = default;
  // Enumerates the entries of one container, and only those. On success
  // returns the enumeration and sets *error to 0; on failure returns null
  // and sets *error.
  virtual std::unique_ptr<UrlCacheFind> FindFirst(CacheContainer container, void* buffer, uint32_t* size,
                                                  long* error) = 0;
  // The fields of a record that a successful call put in `buffer`.
  virtual uint32_t EntryType(const void* buffer) = 0;
  virtual std::string SourceName(const void* buffer) = 0;  // UTF-8
  // The file that holds the entry's content (UTF-8); empty when it has none.
  virtual std::string LocalFileName(const void* buffer) = 0;
  // DeleteUrlCacheEntry; 0 or a Win32 error code.
  virtual long DeleteEntry(const std::string& sourceName) = 0;
};

// The URL history store (CLSID_CUrlHistory / IUrlHistoryStg2), released
// when destroyed.
class HistoryStore {
 public:
  virtual ~HistoryStore() = default;
  virtual long ClearHistory() = 0;  // an HRESULT
};

class UrlHistory {
 public:
  virtual ~UrlHistory() = default;
  // Creates the store on the calling thread, which may be any thread; null
  // with *hresult set when the creation fails.
  virtual std::unique_ptr<HistoryStore> CreateStore(long* hresult) = 0;
};

}  // namespace platform
