// Cookie site names and the walk over the cookie entries of the URL cache.
#include <gtest/gtest.h>

#include <atomic>

#include "cookies/CookieCache.h"
#include "platform/sim/SimPlatform.h"

namespace hosttest {
namespace {

using cookies::CookieSiteName;
using cookies::ScanCookieCache;
using cookies::ScanMode;
using Lines = std::vector<std::string>;

TEST(CookieSiteName, IsTheTextAfterTheFirstAtCutBeforeTheFirstSlash) {
  EXPECT_EQ(CookieSiteName("Cookie:alice@www.Example.com/"), "www.Example.com");
  EXPECT_EQ(CookieSiteName("Cookie:alice@www.example.com/PATH/"), "www.example.com");
  EXPECT_EQ(CookieSiteName("Cookie:al@ice@host/x@y/"), "ice@host") << "the first at sign counts";
  EXPECT_EQ(CookieSiteName("Cookie:host.example/path/"), "Cookie:host.example") << "no at sign: the prefix stays";
  EXPECT_EQ(CookieSiteName("Cookie:alice@host.example"), "host.example");
  EXPECT_EQ(CookieSiteName(""), "");
}

class CookieWalk : public ::testing::Test {
 protected:
  void Cookie(const std::string& name, uint32_t extra = 0) { sim.urlCache.AddCookie(name, extra); }
  bool Delete(const Lines& keep) { return ScanCookieCache(sim.urlCache, ScanMode::Delete, keep, nullptr); }
  Lines List() {
    Lines sites;
    EXPECT_TRUE(ScanCookieCache(sim.urlCache, ScanMode::List, {}, &sites));
    return sites;
  }
  platform::sim::SimPlatform sim;
};

TEST_F(CookieWalk, ListsEveryCookieUnderItsSiteSortedAndOnlyCookies) {
  Cookie("Cookie:alice@zeta.example/");
  Cookie("Cookie:alice@Alpha.example/");
  Cookie("Cookie:alice@alpha.example/PATH/");
  Cookie("Cookie:bare.example/");
  sim.urlCache.Add("http://page.example/index.html", 0x1);
  EXPECT_EQ(List(), (Lines{"Alpha.example", "alpha.example", "Cookie:bare.example", "zeta.example"}));
}

TEST_F(CookieWalk, DeletesWhatTheKeepListDoesNotNameWholeAndWithoutRegardToCase) {
  Cookie("Cookie:alice@Kept.Example/");
  Cookie("Cookie:alice@kept.example/PATH/");
  Cookie("Cookie:alice@sub.kept.example/");
  Cookie("Cookie:alice@blank.example/");
  Cookie("Cookie:alice@gone.example/");
  Cookie("Cookie:nobody.example/");
  sim.urlCache.Add("http://page.example/", 0x1);
  EXPECT_TRUE(Delete({"zzz.example", "KEPT.example", "blank.example ", "cookie:NOBODY.example", "aaa.example"}));
  EXPECT_EQ(sim.urlCache.Names(), (Lines{"Cookie:alice@Kept.Example/", "Cookie:alice@kept.example/PATH/",
                                         "Cookie:nobody.example/", "http://page.example/"}))
      << "a parent domain keeps no subdomain; a trailing blank matches nothing";
}

TEST_F(CookieWalk, AnEmptyKeepListDeletesEveryCookie) {
  Cookie("Cookie:alice@a.example/");
  Cookie("Cookie:bob@b.example/x/");
  sim.urlCache.Add("Visited: alice@http://a.example/", 0x00200000);
  // A run asked to stop deletes nothing more, and the walk says it did not end.
  std::atomic<bool> stop{true};
  EXPECT_FALSE(ScanCookieCache(sim.urlCache, ScanMode::Delete, {}, nullptr, &stop));
  EXPECT_EQ(sim.urlCache.Names().size(), 3u);
  EXPECT_TRUE(Delete({}));
  EXPECT_EQ(sim.urlCache.Names(), Lines{"Visited: alice@http://a.example/"});
}

TEST_F(CookieWalk, AnEntryLargerThanTheBufferGrowsItAndIsHandled) {
  Cookie("Cookie:alice@a.example/");
  Cookie("Cookie:alice@big.example/", 10000);   // the first entry of the walk...
  Cookie("Cookie:alice@huge.example/", 70000);  // ...and a later one, larger still
  Cookie("Cookie:alice@z.example/");
  EXPECT_EQ(List(), (Lines{"a.example", "big.example", "huge.example", "z.example"}));
  EXPECT_TRUE(Delete({"z.example"}));
  EXPECT_EQ(sim.urlCache.Names(), Lines{"Cookie:alice@z.example/"});
  EXPECT_EQ(sim.urlCache.openEnumerations(), 0);
}

TEST_F(CookieWalk, AnEntryOfAnAbsurdSizeEndsTheWalkInsteadOfBeingAllocated) {
  const std::string name = "Cookie:alice@absurd.example/";
  Cookie("Cookie:alice@a.example/");
  // A record that says it needs 4 GiB less four bytes; its size in 32 bits
  // plus the alignment would wrap to a buffer of nothing.
  Cookie(name, 0xFFFFFFFCu - platform::sim::SimUrlCache::RecordSize(name, {}));
  Cookie("Cookie:alice@z.example/");
  Lines sites;
  EXPECT_FALSE(ScanCookieCache(sim.urlCache, ScanMode::List, {}, &sites));
  EXPECT_EQ(sites, Lines{"a.example"});
  EXPECT_FALSE(Delete({}));
  EXPECT_EQ(sim.urlCache.Names(), (Lines{name, "Cookie:alice@z.example/"}));
  EXPECT_EQ(sim.urlCache.openEnumerations(), 0);
}

TEST_F(CookieWalk, AnEnumerationErrorEndsTheWalkQuietlyKeepingWhatWasDone) {
  Cookie("Cookie:alice@a.example/");
  Cookie("Cookie:alice@b.example/");
  Cookie("Cookie:alice@c.example/");
  sim.urlCache.FailEnumerationAfter(2, platform::kErrorAccessDenied);
  EXPECT_FALSE(Delete({}));
  EXPECT_EQ(sim.urlCache.Names(), Lines{"Cookie:alice@c.example/"});
  EXPECT_EQ(sim.urlCache.openEnumerations(), 0);
}

TEST_F(CookieWalk, AFailedDeletionIsPassedOver) {
  Cookie("Cookie:alice@a.example/");
  Cookie("Cookie:alice@b.example/");
  sim.urlCache.MakeUndeletable("Cookie:alice@a.example/");
  EXPECT_TRUE(Delete({}));
  EXPECT_EQ(sim.urlCache.Names(), Lines{"Cookie:alice@a.example/"});
}

TEST_F(CookieWalk, AnEmptyCacheEndsNormally) {
  EXPECT_TRUE(Delete({}));
  EXPECT_TRUE(List().empty());
  EXPECT_EQ(sim.urlCache.deleteCalls(), 0);
}

}  // namespace
}  // namespace hosttest
