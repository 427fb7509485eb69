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
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("CookiesCleaner"); });
  EXPECT_TRUE(run->finished());
  EXPECT_EQ(sim.urlCache.Names(), (Lines{"Cookie:alice@kept.example/", "http://kept.example/index.html",
                                         "http://tracker.example/pixel.gif", "Visited: alice@http://kept.example/"}));
}

TEST_F(BrowserSteps, CookieStepWithoutAKeepListDeletesEveryCookieAndMakesOnlyTheFolder) {
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("CookiesCleaner"); });
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
    t.Select("CookiesCleaner");
    t.Select("URLAddressBar");
  });
  EXPECT_FALSE(run->finished());
  EXPECT_NE(run->failure().find("cannot be read"), std::string::npos) << run->failure();
  EXPECT_EQ(sim.urlCache.Names().size(), 5u) << "no cookie deleted, and the later step did not run";
}

TEST_F(BrowserSteps, TypedUrlStepDeletesTheKeyAndEveryEntryButTheCookies) {
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1",
                   platform::RegValue::String("http://kept.example/"));
  sim.registry.CreateKey(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main");
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("URLAddressBar"); });
  EXPECT_TRUE(run->finished());
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main"));
  // Windows' walk of the content gives no other container's entry: the
  // cookies are the cookie step's whatever the keep-list says, the visits
  // the history step's.
  EXPECT_EQ(sim.urlCache.Names(), (Lines{"Cookie:alice@kept.example/", "Cookie:alice@tracker.example/ads/",
                                         "Visited: alice@http://kept.example/"}));
  EXPECT_EQ(sim.urlCache.openEnumerations(), 0);
}

TEST_F(BrowserSteps, IntelliFormsStepDeletesItsKeyOnly) {
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW", "x",
                   platform::RegValue::DWord(1));
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("AutoComplete"); });
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer\\IntelliForms"));
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Microsoft\\Internet Explorer"));
  EXPECT_EQ(sim.urlCache.Names().size(), 5u);
}

constexpr const char* kINetCache = "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache";
constexpr const char* kHistory = "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\History";
constexpr const char* kFavorites = "C:\\users\\user\\Favorites";

// INetCache holds the browser's cache beside Outlook's attachments and
// Office's working files: only the browser's folders and the files the
// cache names go, and the cache's entries stay (the typed-URL step's).
TEST_F(BrowserSteps, CacheFolderStepTakesTheBrowsersFilesOnlyAndLeavesOfficesAndTheEntries) {
  const std::string cache = kINetCache;
  sim.files.AddFile(cache + "\\desktop.ini", "[.ShellClassInfo]");
  sim.files.AddFile(cache + "\\IE\\ABC123\\page[1].htm", "<html>");
  sim.files.AddFile(cache + "\\IE\\container.dat", std::string(200, 'x'));
  sim.files.HoldOpen(cache + "\\IE\\container.dat");
  sim.files.AddFile(cache + "\\Low\\IE\\XYZ789\\script[1].js", "js");
  sim.files.AddFile(cache + "\\Virtualized\\C\\Users\\page.htm", "v");
  // Where older systems, and Wine, keep the cache's files: those the cache
  // names go, another file there stays.
  sim.files.AddFile(cache + "\\Content.IE5\\K1\\old[1].htm", "old");
  sim.files.AddFile(cache + "\\Content.IE5\\K1\\other.htm", "other");
  sim.urlCache.Add("http://old.example/old.htm", kNormalEntry, 0, cache + "\\CONTENT.IE5\\k1\\old[1].htm");
  // Entries that name what is not the browser's: kept whatever names them.
  sim.files.AddFile("C:\\users\\user\\Documents\\thesis.doc", "mine");
  sim.urlCache.Add("http://a.example/", kNormalEntry, 0, platform::sim::kOutlookAttachment);
  sim.urlCache.Add("http://b.example/", kNormalEntry, 0, cache + "\\IE\\..\\..\\..\\..\\..\\Documents\\thesis.doc");
  sim.urlCache.Add("http://c.example/", kNormalEntry, 0, "C:\\users\\user\\Documents\\thesis.doc");
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("TempInternetFiles"); });
  EXPECT_TRUE(run->finished());
  EXPECT_EQ(sim.files.List(cache), (Lines{"Content.IE5", "Content.MSO", "Content.Outlook", "Content.Word",
                                          "desktop.ini", "IE", "Low", "Virtualized"}));
  EXPECT_EQ(sim.files.List(cache + "\\IE"), Lines{"container.dat"}) << "held by the browser";
  EXPECT_EQ(sim.files.Content(cache + "\\IE\\container.dat"), std::string(200, 'x')) << "not wiped";
  EXPECT_EQ(sim.files.List(cache + "\\Low\\IE"), Lines{});
  EXPECT_EQ(sim.files.List(cache + "\\Virtualized"), Lines{});
  EXPECT_EQ(sim.files.List(cache + "\\Content.IE5\\K1"), Lines{"other.htm"});
  for (const char* kept : {platform::sim::kOutlookAttachment, platform::sim::kOfficeWorkingFile,
                           platform::sim::kWordWorkingFile, "C:\\users\\user\\Documents\\thesis.doc"}) {
    EXPECT_TRUE(sim.files.IsFile(kept)) << kept;
  }
  EXPECT_EQ(sim.urlCache.Names().size(), 9u);
  EXPECT_TRUE(run->skips().empty());
}

TEST_F(BrowserSteps, HistoryStepRunsTwoPassesOverTheStoreAndBothFolders) {
  std::string held = std::string(kHistory) + "\\History.IE5\\index.dat";
  sim.files.AddFile(held, std::string(100, 'h'));
  sim.files.HoldOpen(held);  // shares writing, refuses deletion
  sim.files.AddFile(std::string(kHistory) + "\\desktop.ini", "ini");
  sim.files.AddFile(std::string(kHistory) + "\\History.IE5\\MSHist01\\visit.dat", "v");
  sim.files.AddFile("C:\\windows\\History\\old.url", "u");
  sim.files.AddFile("C:\\windows\\HistoryNot\\keep.txt", "k");
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("InternetHistoryFiles"); });
  EXPECT_TRUE(run->finished());
  EXPECT_EQ(sim.urlHistory.created, 2);
  EXPECT_EQ(sim.urlHistory.cleared, 2);
  EXPECT_FALSE(sim.urlCache.Has("Visited: alice@http://kept.example/"));
  EXPECT_EQ(sim.files.List(kHistory), (Lines{"desktop.ini", "History.IE5"}));
  EXPECT_EQ(sim.files.List(std::string(kHistory) + "\\History.IE5"), Lines{"index.dat"});
  EXPECT_EQ(sim.files.Content(held), std::string(64, 'h') + std::string(36, '\0'));
  EXPECT_EQ(sim.files.writeCount(), 2) << "the index.dat that stayed is wiped again by the second pass";
  EXPECT_TRUE(sim.files.List("C:\\windows\\History").empty());
  EXPECT_TRUE(sim.files.IsFile("C:\\windows\\HistoryNot\\keep.txt"));
}

TEST_F(BrowserSteps, HistoryStepWithoutTheStoreOrTheFoldersStillPurgesWhatItFinds) {
  sim.urlHistory.creatable = false;
  sim.shell.specialFolders[platform::kCsidlHistory] = "";
  sim.files.AddFile("C:\\windows\\History\\old.url", "u");
  sim.files.AddFile(std::string(kHistory) + "\\visit.dat", "v");
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("InternetHistoryFiles"); });
  EXPECT_TRUE(run->finished());
  EXPECT_TRUE(sim.urlCache.Has("Visited: alice@http://kept.example/"));
  EXPECT_TRUE(sim.files.List("C:\\windows\\History").empty());
  EXPECT_TRUE(sim.files.IsFile(std::string(kHistory) + "\\visit.dat"));
}

TEST_F(BrowserSteps, FavoritesStepEmptiesTheFolderButKeepsItAndItsDesktopIni) {
  sim.files.AddFile(std::string(kFavorites) + "\\desktop.ini", "ini");
  sim.files.AddFile(std::string(kFavorites) + "\\Links\\desktop.ini", "ini");
  sim.files.AddFile(std::string(kFavorites) + "\\Links\\site.url", "u", platform::kAttrReadOnly);
  sim.files.AddFile(std::string(kFavorites) + "\\News\\paper.url", "u");
  auto run = Run([](cleaner::TUWHCleanerThrd& t) {
    t.Select("FavoritesCleaner");
    t.Select("CookiesCleaner");
  });
  EXPECT_TRUE(run->finished());
  EXPECT_EQ(sim.files.List(kFavorites), (Lines{"desktop.ini", "Links"}));
  EXPECT_EQ(sim.files.List(std::string(kFavorites) + "\\Links"), Lines{"desktop.ini"});
}

// The folders the system names may have been moved by their owner with a
// junction: emptied where they lead. Below the Windows folder, a link is
// another's doing: left alone, and told under its cleaner.
TEST_F(BrowserSteps, ANamedFolderMovedWithALinkIsEmptiedButALinkBelowTheWindowsFolderIsRefusedAndTold) {
  const std::string victim = "C:\\users\\other\\Documents";
  sim.files.AddFile(victim + "\\thesis.doc", "mine");
  sim.files.AddFile(victim + "\\sub\\index.dat", std::string(100, 'm'));
  sim.files.AddFolderLink("C:\\windows\\History", victim);
  for (const char* folder : {kINetCache, kHistory, kFavorites}) {
    const std::string moved = std::string("D:\\Moved") + (folder + std::string(folder).rfind('\\'));
    sim.files.AddFile(moved + "\\IE\\old\\page.htm", "p");
    sim.files.AddFolderLink(folder, moved);
  }
  auto run = Run([](cleaner::TUWHCleanerThrd& t) {
    t.Select("TempInternetFiles");
    t.Select("InternetHistoryFiles");
    t.Select("FavoritesCleaner");
  });
  EXPECT_TRUE(run->finished());
  for (const char* moved : {"D:\\Moved\\INetCache\\IE", "D:\\Moved\\History", "D:\\Moved\\Favorites"}) {
    EXPECT_TRUE(sim.files.List(moved).empty()) << moved;
  }
  EXPECT_EQ(sim.files.Content(victim + "\\thesis.doc"), "mine");
  EXPECT_EQ(sim.files.Content(victim + "\\sub\\index.dat"), std::string(100, 'm')) << "neither wiped nor deleted";
  const size_t history = *cleaner::CleanerIndexOf("InternetHistoryFiles");
  ASSERT_EQ(run->skips().size(), 1u) << "met in both of the history step's passes, told once";
  EXPECT_EQ(run->skips()[0].cleaner, history);
  EXPECT_EQ(run->skips()[0].what, "C:\\windows\\History");
}

TEST_F(BrowserSteps, AutoCompleteFollowsTheFamilyTheVersionQueryReports) {
  const std::string machineKey =
      "Software\\Microsoft\\Protected Storage System Provider\\alice\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
  const std::string userKey =
      "Software\\Microsoft\\Protected Storage System Provider\\S-1-5-21-1004336348-1177238915-682003330-1001\\Data\\"
      "e161255a-37c3-11d2-bcaa-00c04fd929db";
  sim.registry.CreateKey(RegRoot::LocalMachine, machineKey);
  sim.registry.CreateKey(RegRoot::CurrentUser, userKey);
  sim.shell.version.platformId = 1;  // Windows 98
  Run([](cleaner::TUWHCleanerThrd& t) { t.Select("AutoComplete"); });
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, userKey));
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, machineKey));

  sim.shell.version.platformId = 2;
  Run([](cleaner::TUWHCleanerThrd& t) { t.Select("AutoComplete"); });
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, userKey));
}

}  // namespace
}  // namespace hosttest
