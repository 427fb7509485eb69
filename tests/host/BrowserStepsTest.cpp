// The Internet Explorer steps of a cleaning run, on the simulation.
#include <gtest/gtest.h>

#include "cleaner/CleanerThread.h"
#include "platform/sim/SimPlatform.h"
#include "ui/headless/HeadlessUi.h"

namespace hosttest {
namespace {

using platform::RegRoot;
using Lines = std::vector<std::string>;

constexpr const char* kKeepFile = "C:\\Program Files\\Corvane\\Settings\\SafeCookies.txt";
constexpr uint32_t kNormalEntry = 0x1;
constexpr uint32_t kHistoryEntry = 0x00200000;

class BrowserSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.files.AddDirectory("C:\\Program Files\\Corvane");
    sim.urlCache.AddCookie("Cookie:alice@kept.example/");
    sim.urlCache.AddCookie("Cookie:alice@tracker.example/ads/", 6000);
    sim.urlCache.Add("http://kept.example/index.html", kNormalEntry, 5000);
    sim.urlCache.Add("http://tracker.example/pixel.gif", kNormalEntry);
    sim.urlCache.Add("Visited: alice@http://kept.example/", kHistoryEntry);
  }
  // Runs one cleaning with the switches `select` sets, on this thread.
  std::unique_ptr<cleaner::TUWHCleanerThrd> Run(void (*select)(cleaner::TUWHCleanerThrd&)) {
    auto thread = std::make_unique<cleaner::TUWHCleanerThrd>(sim.platform, ui);
    select(*thread);
    thread->Execute();
    return thread;
  }
  platform::sim::SimPlatform sim;
  ui::headless::HeadlessUi ui{sim.clock};
};

TEST_F(BrowserSteps, CookieStepSparesTheKeepListAndNothingElse) {
  sim.files.AddFile(kKeepFile, "KEPT.example\r\n");
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.RunCookiesCleaner = true; });
  EXPECT_TRUE(run->finished());
  EXPECT_EQ(sim.urlCache.Names(), (Lines{"Cookie:alice@kept.example/", "http://kept.example/index.html",
                                         "http://tracker.example/pixel.gif", "Visited: alice@http://kept.example/"}));
}

TEST_F(BrowserSteps, CookieStepWithoutAKeepListDeletesEveryCookieAndMakesOnlyTheFolder) {
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.RunCookiesCleaner = true; });
  EXPECT_TRUE(run->finished());
  EXPECT_FALSE(sim.urlCache.Has("Cookie:alice@kept.example/"));
  EXPECT_FALSE(sim.urlCache.Has("Cookie:alice@tracker.example/ads/"));
  EXPECT_TRUE(sim.files.IsDirectory("C:\\Program Files\\Corvane\\Settings"));
  EXPECT_FALSE(sim.files.Exists(kKeepFile));
}

TEST_F(BrowserSteps, AnUnreadableKeepListEndsTheRunAndTheRunSaysSo) {
  sim.files.AddFile(kKeepFile, "kept.example\r\n");
  sim.files.MakeUnreadable(kKeepFile);
  auto run = Run([](cleaner::TUWHCleanerThrd& t) {
    t.RunCookiesCleaner = true;
    t.RunTypedURLCleaner = true;
  });
  EXPECT_FALSE(run->finished());
  EXPECT_NE(run->failure().find("cannot be read"), std::string::npos) << run->failure();
  EXPECT_EQ(sim.urlCache.Names().size(), 5u) << "no cookie deleted, and the later step did not run";
}

TEST_F(BrowserSteps, TypedUrlStepDeletesTheKeyAndEveryEntryButTheCookies) {
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1",
                   platform::RegValue::String("http://kept.example/"));
  sim.registry.CreateKey(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main");
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.RunTypedURLCleaner = true; });
  EXPECT_TRUE(run->finished());
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main"));
  EXPECT_EQ(sim.urlCache.Names(), (Lines{"Cookie:alice@kept.example/", "Cookie:alice@tracker.example/ads/"}))
      << "whatever the keep-list says, the cookies are left to the cookie step";
  EXPECT_EQ(sim.urlCache.openEnumerations(), 0);
}

TEST_F(BrowserSteps, IntelliFormsStepDeletesItsKeyOnly) {
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW", "x",
                   platform::RegValue::DWord(1));
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.RunAutoCompletePasswords = true; });
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\IntelliForms"));
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer"));
  EXPECT_EQ(sim.urlCache.Names().size(), 5u);
}

}  // namespace
}  // namespace hosttest
