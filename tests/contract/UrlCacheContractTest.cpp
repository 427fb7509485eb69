// The URL cache and history store behaviours the cookie walk and the
// browser steps rely on: enumeration by pattern with the size-reporting
// buffer protocol, entry type and source name, deletion by source name,
// and the history store made on a worker thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "ContractEnv.h"
#include "cookies/CacheEntryBuffer.h"
#include "util/Text.h"

namespace contract {
namespace {

using cookies::CacheEntryBuffer;

constexpr uint32_t kNormalEntry = 0x1;
constexpr uint32_t kCookie = platform::kCookieCacheEntry;
const std::string kCookieA = "Cookie:corvane@contract-a.example/";
const std::string kCookieB = "Cookie:corvane@contract-b.example/PATH/";
const std::string kBigCookie = "Cookie:corvane@contract-big.example/";
const std::string kPage = "http://contract.example/page.html";
const std::string kVisit = "Visited: corvane@http://contract.example/visited.html";
constexpr uint32_t kHistoryEntry = 0x00200000;  // URLHISTORY_CACHE_ENTRY

class UrlCacheContract : public ::testing::Test {
 protected:
  static platform::UrlCache& cache() { return Env().platform().urlCache; }
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    for (const std::string& name : {kCookieA, kCookieB, kBigCookie, kPage, kVisit}) cache().DeleteEntry(name);
  }
  static void Commit(const std::string& name, uint32_t type, uint32_t headerBytes = 0) {
    ASSERT_TRUE(Env().CommitCacheEntry(name, type, headerBytes)) << name;
  }

  struct Seen {
    std::string name;
    uint32_t type;
    std::string localFile;
  };
  // Every entry a walk with a buffer that grows as asked gives, and the error that ended it.
  static std::vector<Seen> Walk(platform::CacheContainer container, long* end) {
    std::vector<Seen> seen;
    CacheEntryBuffer buffer(4096);
    uint32_t size = buffer.size();
    long error = 0xdeadbeef;
    std::unique_ptr<platform::UrlCacheFind> find = cache().FindFirst(container, buffer.data(), &size, &error);
    if (error == platform::kErrorInsufficientBuffer) {
      buffer.Resize(size);
      size = buffer.size();
      find = cache().FindFirst(container, buffer.data(), &size, &error);
    }
    while (error == platform::kErrorSuccess) {
      seen.push_back(
          {cache().SourceName(buffer.data()), cache().EntryType(buffer.data()), cache().LocalFileName(buffer.data())});
      size = buffer.size();
      error = find->Next(buffer.data(), &size);
      if (error == platform::kErrorInsufficientBuffer) {
        buffer.Resize(size);
        size = buffer.size();
        error = find->Next(buffer.data(), &size);
      }
    }
    *end = error;
    return seen;
  }
  static const Seen* Find(const std::vector<Seen>& seen, const std::string& name) {
    for (const Seen& s : seen) {
      if (s.name == name) return &s;
    }
    return nullptr;
  }
};

TEST_F(UrlCacheContract, TheCookieWalkGivesTheCookiesWithTheirNamesAndTypeBitsAndNothingElse) {
  Commit(kCookieA, kCookie);
  Commit(kCookieB, kCookie);
  Commit(kPage, kNormalEntry);
  long end = 0;
  // Windows documents "cookie:"; Wine only matches its own "Cookie:" (the
  // Win32 layer covers both, which is what this checks).
  std::vector<Seen> seen = Walk(platform::CacheContainer::Cookies, &end);
  EXPECT_EQ(end, platform::kErrorNoMoreItems);
  ASSERT_NE(Find(seen, kCookieA), nullptr);
  ASSERT_NE(Find(seen, kCookieB), nullptr) << "the path's letter case is kept";
  EXPECT_TRUE(Find(seen, kCookieA)->type & kCookie);
  EXPECT_EQ(Find(seen, kPage), nullptr);
  for (const Seen& s : seen) EXPECT_TRUE(s.type & kCookie) << s.name;
}

TEST_F(UrlCacheContract, TheContentWalkGivesThePagesWithTheirFilesAndNoOtherContainersEntries) {
  Commit(kCookieA, kCookie);
  Commit(kPage, kNormalEntry);
  Commit(kVisit, kHistoryEntry);
  // The system's own walk with no pattern: Windows gives the content
  // container alone, Wine every container.
  std::vector<std::string> unpatterned = Env().CacheWalkWithoutPattern();
  auto listed = [&unpatterned](const std::string& name) {
    return std::find(unpatterned.begin(), unpatterned.end(), name) != unpatterned.end();
  };
  EXPECT_TRUE(listed(kPage));
  EXPECT_EQ(listed(kCookieA), WindowsOrWine(false, true));
  EXPECT_EQ(listed(kVisit), WindowsOrWine(false, true));

  // The content walk gives the content alone on both.
  long end = 0;
  std::vector<Seen> seen = Walk(platform::CacheContainer::Content, &end);
  EXPECT_EQ(end, platform::kErrorNoMoreItems);
  const Seen* page = Find(seen, kPage);
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(page->type & kCookie);
  EXPECT_EQ(Find(seen, kCookieA), nullptr);
  EXPECT_EQ(Find(seen, kVisit), nullptr);
  for (const Seen& s : seen) EXPECT_FALSE(s.type & kCookie) << s.name;

  // A page's file lies in the cache's folder (Windows 10: INetCache\IE\...;
  // Wine: INetCache\Content.IE5\...).
  std::string folder;
  ASSERT_TRUE(Env().platform().shell.SpecialFolder(platform::kCsidlInternetCache, &folder));
  EXPECT_TRUE(util::EqualNoCase(page->localFile.substr(0, folder.size() + 1), folder + "\\")) << page->localFile;
  EXPECT_TRUE(Env().platform().files.IsFile(page->localFile)) << page->localFile;
}

TEST_F(UrlCacheContract, AShortBufferReportsTheSizeNeededAndTheSameCallThenSucceeds) {
  Commit(kCookieA, kCookie);
  Commit(kBigCookie, kCookie, 6000);  // a record larger than 4096 bytes

  // No buffer at all: 122 and the size of the first entry.
  uint32_t size = 0;
  long error = 0xdeadbeef;
  EXPECT_EQ(cache().FindFirst(platform::CacheContainer::Cookies, nullptr, &size, &error), nullptr);
  EXPECT_EQ(error, platform::kErrorInsufficientBuffer);
  EXPECT_GT(size, 0u);

  // Walk with no buffer first each time, as the typed-URL step does: a
  // failed call does not move the enumeration on.
  CacheEntryBuffer buffer(size);
  size = buffer.size();
  std::unique_ptr<platform::UrlCacheFind> find =
      cache().FindFirst(platform::CacheContainer::Cookies, buffer.data(), &size, &error);
  ASSERT_NE(find, nullptr) << "error " << error;
  std::vector<std::string> names{cache().SourceName(buffer.data())};
  uint32_t biggest = 0;
  for (;;) {
    size = 0;
    error = find->Next(nullptr, &size);
    if (error != platform::kErrorInsufficientBuffer) break;
    biggest = std::max(biggest, size);
    buffer.Resize(size);
    size = buffer.size();
    ASSERT_EQ(find->Next(buffer.data(), &size), platform::kErrorSuccess);
    names.push_back(cache().SourceName(buffer.data()));
  }
  EXPECT_EQ(error, platform::kErrorNoMoreItems);
  EXPECT_EQ(std::count(names.begin(), names.end(), kCookieA), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), kBigCookie), 1);

  long end = 0;
  std::vector<Seen> grown = Walk(platform::CacheContainer::Cookies, &end);
  EXPECT_EQ(grown.size(), names.size()) << "the same entries with a growing buffer";
  EXPECT_GT(biggest, 4096u) << "the big entry needs more than 4096 bytes";
}

TEST_F(UrlCacheContract, DeletionBySourceNameRemovesOneEntry) {
  Commit(kCookieA, kCookie);
  Commit(kCookieB, kCookie);
  EXPECT_EQ(cache().DeleteEntry(kCookieA), platform::kErrorSuccess);
  EXPECT_EQ(cache().DeleteEntry(kCookieA), platform::kErrorFileNotFound);
  long end = 0;
  std::vector<Seen> seen = Walk(platform::CacheContainer::Cookies, &end);
  EXPECT_EQ(Find(seen, kCookieA), nullptr);
  EXPECT_NE(Find(seen, kCookieB), nullptr);
}

TEST(UrlHistoryContract, TheStoreIsMadeAndClearedOnAWorkerThreadTwice) {
  for (int pass = 0; pass < 2; ++pass) {
    long created = 0xdeadbeef, cleared = 0xdeadbeef;
    bool made = false;
    std::thread worker([&] {
      std::unique_ptr<platform::HistoryStore> store = Env().platform().urlHistory.CreateStore(&created);
      made = store != nullptr;
      if (store) cleared = store->ClearHistory();
    });
    worker.join();
    EXPECT_TRUE(made) << "pass " << pass << ", HRESULT " << std::hex << created;
    EXPECT_EQ(created, 0);
    // Windows clears the history (S_OK); Wine answers E_NOTIMPL.
    EXPECT_EQ(cleared, WindowsOrWine(0L, static_cast<long>(platform::kHresultNotImplemented))) << std::hex << cleared;
  }
}

}  // namespace
}  // namespace contract
