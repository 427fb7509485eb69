// The cookie entries of the URL cache: the site name of an entry, and the
// walk that lists the sites or deletes every cookie that is not kept.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/UrlCache.h"

namespace cookies {

// The site of a cookie entry's source name ("Cookie:user@host/path"): the
// text after the first "@" (the whole name without one), cut before its
// first "/". Letter case is kept.
std::string CookieSiteName(const std::string& sourceName);

enum class ScanMode {
  List = 0,    // add the site name of every cookie entry to *sites
  Delete = 1,  // delete every cookie entry whose site is not on the keep-list
};

// Walks the cookie entries of the cache once. The keep-list is matched
// without regard to case and on whole site names only; an empty one keeps
// nothing. In list mode each site name is inserted into *sites at its
// place in an order without regard to case (duplicates kept); *sites is
// not used in delete mode and may be null there. True when the walk ended
// because there were no more entries, false when another error ended it or
// `stop` was set (checked before each deletion).
bool ScanCookieCache(platform::UrlCache& cache, ScanMode mode, std::vector<std::string> keepList,
                     std::vector<std::string>* sites, const std::atomic<bool>* stop = nullptr);

}  // namespace cookies
