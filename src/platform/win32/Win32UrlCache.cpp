// The URL cache through WinINet.
#include "platform/win32/Win32UrlCache.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"
#include "platform/win32/Win32AnsiText.h"

namespace platform::win32 {
namespace {

using UrlCacheFindTraits = ReleasedBy<HANDLE, FindCloseUrlCache>;

// Far beyond any record (an address, a file name and stored headers); a
// cache that asks for more is broken or hostile.
constexpr DWORD kLargestRecord = DWORD{4} << 20;

// Windows gives the content container alone to a walk with no pattern;
// Wine gives every container, so the others' entries are told by their
// prefixes and passed over.
bool OfAnotherContainer(const INTERNET_CACHE_ENTRY_INFOA& entry) {
  const char* name = entry.lpszSourceUrlName;
  return name && (_strnicmp(name, "Cookie:", 7) == 0 || _strnicmp(name, "Visited:", 8) == 0);
}

// Copies a record of `size` bytes to `to`, moving its pointers into the
// strings along with it.
void CopyRecord(const INTERNET_CACHE_ENTRY_INFOA* from, DWORD size, void* to) {
  std::memcpy(to, from, size);
  auto* copy = static_cast<INTERNET_CACHE_ENTRY_INFOA*>(to);
  const char* begin = reinterpret_cast<const char*>(from);
  auto move = [&](char* pointer) -> char* {
    if (pointer < begin || pointer >= begin + size) return nullptr;
    return static_cast<char*>(to) + (pointer - begin);
  };
  copy->lpszSourceUrlName = move(from->lpszSourceUrlName);
  copy->lpszLocalFileName = move(from->lpszLocalFileName);
  copy->lpHeaderInfo = move(from->lpHeaderInfo);
  copy->lpszFileExtension = move(from->lpszFileExtension);
}

class Win32UrlCacheFind : public UrlCacheFind {
 public:
  // A walk of one container by its pattern, already begun at `h`; or, with
  // no handle, the walk of the content container, begun by its first Next.
  explicit Win32UrlCacheFind(HANDLE h) : find_(h) {}
  Win32UrlCacheFind() : content_(true) {}

  long Next(void* buffer, uint32_t* size) override {
    if (!content_) {
      DWORD n = *size;
      BOOL ok = FindNextUrlCacheEntryA(find_.get(), static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &n);
      *size = n;
      return ok ? ERROR_SUCCESS : static_cast<long>(GetLastError());
    }
    // Each entry is read into this walk's own record first, where one of
    // another container is passed over; the caller's buffer protocol
    // (no buffer, then one of the size asked for) holds as for any walk.
    for (;;) {
      if (!pending_) {
        long error = ReadNext();
        if (error != ERROR_SUCCESS) return error;
      }
      if (OfAnotherContainer(*Record())) {
        pending_ = false;
        continue;
      }
      if (!buffer || *size < recordSize_) {
        *size = recordSize_;
        return ERROR_INSUFFICIENT_BUFFER;
      }
      CopyRecord(Record(), recordSize_, buffer);
      *size = recordSize_;
      pending_ = false;
      return ERROR_SUCCESS;
    }
  }

 private:
  INTERNET_CACHE_ENTRY_INFOA* Record() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(record_.data()); }

  // The next entry of the content walk, into the record, grown as asked.
  long ReadNext() {
    for (;;) {
      const DWORD capacity = static_cast<DWORD>(record_.size() * sizeof(uint64_t));
      DWORD n = capacity;
      BOOL ok;
      if (find_.valid()) {
        ok = FindNextUrlCacheEntryA(find_.get(), Record(), &n);
      } else {
        HANDLE h = FindFirstUrlCacheEntryA(nullptr, Record(), &n);
        ok = h != nullptr;
        if (ok) find_ = ScopedHandle<UrlCacheFindTraits>(h);
      }
      if (ok) {
        recordSize_ = n >= sizeof(INTERNET_CACHE_ENTRY_INFOA) && n <= capacity ? n : capacity;
        pending_ = true;
        return ERROR_SUCCESS;
      }
      const long error = static_cast<long>(GetLastError());
      if (error != ERROR_INSUFFICIENT_BUFFER || n <= capacity || n > kLargestRecord) return error;
      record_.assign((n + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
    }
  }

  ScopedHandle<UrlCacheFindTraits> find_;
  bool content_ = false;
  std::vector<uint64_t> record_ = std::vector<uint64_t>(512);  // aligned for the record's pointers
  DWORD recordSize_ = 0;
  bool pending_ = false;  // the record holds an entry the caller has not had
};

long FindFirstWith(const char* pattern, void* buffer, uint32_t* size, HANDLE* find) {
  DWORD n = *size;
  *find = FindFirstUrlCacheEntryA(pattern, static_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &n);
  long error = *find ? ERROR_SUCCESS : static_cast<long>(GetLastError());
  *size = n;
  return error;
}

}  // namespace

std::unique_ptr<UrlCacheFind> Win32UrlCache::FindFirst(CacheContainer container, void* buffer, uint32_t* size,
                                                       long* error) {
  if (container == CacheContainer::Content) {
    auto find = std::make_unique<Win32UrlCacheFind>();
    *error = find->Next(buffer, size);
    return *error == ERROR_SUCCESS ? std::move(find) : nullptr;
  }
  uint32_t asked = *size;
  HANDLE find = nullptr;
  *error = FindFirstWith("cookie:", buffer, size, &find);
  // Windows documents the container prefix in lower case ("cookie:") and
  // matches it without regard to case; Wine compares it case-sensitively
  // with its own "Cookie:" and finds nothing. When the documented form finds
  // nothing, the container's own spelling is tried, so both give the entries.
  if (*error != ERROR_SUCCESS && *error != ERROR_INSUFFICIENT_BUFFER) {
    *size = asked;
    long retry = FindFirstWith("Cookie:", buffer, size, &find);
    if (retry == ERROR_SUCCESS || retry == ERROR_INSUFFICIENT_BUFFER) *error = retry;
  }
  if (*error != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32UrlCacheFind>(find);
}

uint32_t Win32UrlCache::EntryType(const void* buffer) {
  return static_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer)->CacheEntryType;
}

namespace {
// An ANSI string of a record in UTF-8; one that cannot be converted comes
// back empty, and nothing has that name.
std::string RecordText(const char* text) {
  std::string utf8;
  if (!text || !Win32AnsiText().ToUtf8(text, &utf8)) return {};
  return utf8;
}
}  // namespace

std::string Win32UrlCache::SourceName(const void* buffer) {
  return RecordText(static_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer)->lpszSourceUrlName);
}

std::string Win32UrlCache::LocalFileName(const void* buffer) {
  return RecordText(static_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer)->lpszLocalFileName);
}

long Win32UrlCache::DeleteEntry(const std::string& sourceName) {
  std::string ansi;
  if (sourceName.empty() || !Win32AnsiText().FromUtf8(sourceName, &ansi)) return ERROR_INVALID_PARAMETER;
  return DeleteUrlCacheEntryA(ansi.c_str()) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

}  // namespace platform::win32
