// The URL cache through WinINet.
#include "platform/win32/Win32UrlCache.h"

#include <windows.h>
#include <wininet.h>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32AnsiText.h"

namespace platform::win32 {
namespace {

using UrlCacheFindTraits = ReleasedBy<HANDLE, FindCloseUrlCache>;

class Win32UrlCacheFind : public UrlCacheFind {
 public:
  explicit Win32UrlCacheFind(HANDLE h) : find_(h) {}
  long Next(void* buffer, uint32_t* size) override {
    DWORD n = *size;
    BOOL ok = FindNextUrlCacheEntryA(find_.get(), static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &n);
    long error = ok ? ERROR_SUCCESS : static_cast<long>(GetLastError());
    *size = n;
    return error;
  }

 private:
  ScopedHandle<UrlCacheFindTraits> find_;
};

long FindFirstWith(const char* pattern, void* buffer, uint32_t* size, HANDLE* find) {
  DWORD n = *size;
  *find = FindFirstUrlCacheEntryA(pattern, static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &n);
  long error = *find ? ERROR_SUCCESS : static_cast<long>(GetLastError());
  *size = n;
  return error;
}

}  // namespace

std::unique_ptr<UrlCacheFind> Win32UrlCache::FindFirst(const std::string& pattern, void* buffer, uint32_t* size,
                                                       long* error) {
  std::string ansi;
  if (!Win32AnsiText().FromUtf8(pattern, &ansi)) {
    *error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  const char* search = pattern.empty() ? nullptr : ansi.c_str();
  uint32_t asked = *size;
  HANDLE find = nullptr;
  *error = FindFirstWith(search, buffer, size, &find);
  // Windows documents the container prefix in lower case ("cookie:") and
  // matches it without regard to case; Wine compares it case-sensitively
  // with its own "Cookie:" and finds nothing. When the documented form finds
  // nothing, the container's own spelling is tried, so both give the entries.
  if (*error != ERROR_SUCCESS && *error != ERROR_INSUFFICIENT_BUFFER && search && ansi.back() == ':' &&
      ansi[0] >= 'a' && ansi[0] <= 'z') {
    ansi[0] = static_cast<char>(ansi[0] - 'a' + 'A');
    *size = asked;
    long retry = FindFirstWith(ansi.c_str(), buffer, size, &find);
    if (retry == ERROR_SUCCESS || retry == ERROR_INSUFFICIENT_BUFFER) *error = retry;
  }
  if (*error != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32UrlCacheFind>(find);
}

uint32_t Win32UrlCache::EntryType(const void* buffer) {
  return static_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer)->CacheEntryType;
}

std::string Win32UrlCache::SourceName(const void* buffer) {
  const char* name = static_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer)->lpszSourceUrlName;
  std::string utf8;
  // A name that cannot be converted comes back empty, and no entry has that name.
  if (!name || !Win32AnsiText().ToUtf8(name, &utf8)) return {};
  return utf8;
}

long Win32UrlCache::DeleteEntry(const std::string& sourceName) {
  std::string ansi;
  if (sourceName.empty() || !Win32AnsiText().FromUtf8(sourceName, &ansi)) return ERROR_INVALID_PARAMETER;
  return DeleteUrlCacheEntryA(ansi.c_str()) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

}  // namespace platform::win32
