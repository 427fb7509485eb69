// The walk over the cookie entries of the URL cache.
#include "cookies/CookieCache.h"

#include <algorithm>

#include "cookies/CacheEntryBuffer.h"
#include "util/Text.h"

namespace cookies {
namespace {

constexpr uint32_t kFirstBufferSize = 4096;

// Makes one enumeration call; while it reports a larger size with error
// 122, the buffer is replaced by one of that size and the same call is
// repeated. A 122 that asks for no more than the buffer has, or for more
// than any record takes, ends the walk instead.
template <typename Call>
long CallGrowing(CacheEntryBuffer& buffer, Call call) {
  for (;;) {
    uint32_t size = buffer.size();
    long error = call(buffer.data(), &size);
    if (error != platform::kErrorInsufficientBuffer || size <= buffer.size() || !buffer.Resize(size)) return error;
  }
}

bool IsKept(const std::vector<std::string>& sortedKeepList, const std::string& site) {
  return std::binary_search(sortedKeepList.begin(), sortedKeepList.end(), site, util::LessNoCase());
}

void InsertSorted(std::vector<std::string>* sites, const std::string& site) {
  sites->insert(std::upper_bound(sites->begin(), sites->end(), site, util::LessNoCase()), site);
}

}  // namespace

std::string CookieSiteName(const std::string& sourceName) {
  size_t at = sourceName.find('@');
  std::string rest = at == std::string::npos ? sourceName : sourceName.substr(at + 1);
  size_t slash = rest.find('/');
  return slash == std::string::npos ? rest : rest.substr(0, slash);
}

bool ScanCookieCache(platform::UrlCache& cache, ScanMode mode, std::vector<std::string> keepList,
                     std::vector<std::string>* sites, const std::atomic<bool>* stop) {
  std::sort(keepList.begin(), keepList.end(), util::LessNoCase());
  CacheEntryBuffer buffer(kFirstBufferSize);
  std::unique_ptr<platform::UrlCacheFind> find;
  long error = CallGrowing(buffer, [&](void* data, uint32_t* size) {
    long e = platform::kErrorSuccess;
    find = cache.FindFirst(platform::CacheContainer::Cookies, data, size, &e);
    return e;
  });
  while (error == platform::kErrorSuccess) {
    if (cache.EntryType(buffer.data()) & platform::kCookieCacheEntry) {
      std::string name = cache.SourceName(buffer.data());
      std::string site = CookieSiteName(name);
      if (mode == ScanMode::List) {
        if (sites) InsertSorted(sites, site);
      } else if (keepList.empty() || !IsKept(keepList, site)) {
        if (stop && *stop) return false;
        cache.DeleteEntry(name);  // a failed deletion leaves the entry, the walk goes on
      }
    }
    error = CallGrowing(buffer, [&](void* data, uint32_t* size) { return find->Next(data, size); });
  }
  return error == platform::kErrorNoMoreItems;
}

}  // namespace cookies
