// The browser items on real profiles that Chromium and Firefox made
// (tests/browsers/make_profiles.sh): the files lie in the simulated machine
// as on Windows, their databases are copies of the real ones, opened with
// SQLite. A browser version whose schema differs shows up here.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>

#include "MirroredProfiles.h"
#include "browsers/BrowserItems.h"
#include "cleaner/CleanerSteps.h"
#include "platform/recording/RecordingDatabases.h"
#include "platform/sim/SimDatabases.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sqlite/SqliteDatabases.h"
#include "util/Text.h"

namespace {

namespace fs = std::filesystem;
using browsers::Item;
using browsers::ProfileResult;
using hosttest::ReadBytes;

const char kLocal[] = "C:\\Users\\me\\AppData\\Local";
const char kRoaming[] = "C:\\Users\\me\\AppData\\Roaming";
const std::string kChromeData = std::string(kLocal) + "\\Google\\Chrome\\User Data";

const browsers::BrowserRow& Row(const char* programFile) {
  for (size_t i = 0; i < browsers::kBrowserCount; ++i) {
    if (util::EqualNoCase(browsers::kBrowsers[i].programFile, programFile)) return browsers::kBrowsers[i];
  }
  throw std::logic_error(programFile);
}

class RealProfiles : public hosttest::MirroredProfiles {
 protected:
  void SetUp() override {
    MirroredProfiles::SetUp();
    if (HasFatalFailure()) return;
    const fs::path& source = profiles_;
    Mirror(source / "chromium" / "Local State", kChromeData + "\\Local State");
    Mirror(source / "chromium" / "Default", kChromeData + "\\Default");
    // As on Windows, this one keeps its cookies in Network\.
    Mirror(source / "chromium" / "Profile 1", kChromeData + "\\Profile 1");
    fs::path profile1 = scratch_ / "3";
    fs::create_directory(profile1 / "Network");
    fs::rename(profile1 / "Cookies", profile1 / "Network" / "Cookies");
    AddMirroredFile(kChromeData + "\\Profile 1\\Network\\Cookies", profile1 / "Network" / "Cookies", {});
    sim_.files.RemoveFile(kChromeData + "\\Profile 1\\Cookies");
    const fs::path firefox = source / "firefox" / "home";
    Mirror(firefox / ".config" / "mozilla" / "firefox", std::string(kRoaming) + "\\Mozilla\\Firefox");
    Mirror(firefox / ".cache" / "mozilla" / "firefox", std::string(kLocal) + "\\Mozilla\\Firefox");
  }
  // Runs `sql` on the real copy of a database, as another program would.
  void Exec(const std::string& simPath, const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_open_v2(RealPath(simPath).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK) << sql << ": " << message;
    sqlite3_free(message);
    sqlite3_close(db);
  }
  // A database the browser never wrote holds no rows: Chromium makes
  // Shortcuts only once its address bar has offered one, which a headless
  // visit does on some runs and not on others.
  uint64_t CountRows(const std::string& simPath, const std::string& table) const {
    if (!fs::exists(RealPath(simPath))) return 0;
    return std::stoull(Query(simPath, "SELECT count(*) FROM " + table).at(0));
  }

  // Every byte of the real copies and of the simulated files.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> all;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(scratch_)) {
      if (entry.is_regular_file()) all[entry.path().string()] = ReadBytes(entry.path());
    }
    for (const auto& [prefix, copy] : mirrors_) {
      for (const std::string& name : sim_.files.List(prefix)) all["sim " + prefix + "\\" + name] = "listed";
    }
    return all;
  }

  std::vector<browsers::Profile> Profiles(const char* programFile) {
    return browsers::FindProfiles(sim_.files, Row(programFile), {kLocal, kRoaming});
  }

  // Runs `items` on every profile of Chromium (as Chrome) and Firefox.
  std::map<std::string, ProfileResult> Clean(const std::vector<Item>& items, browsers::BrowserServices& services,
                                             const std::vector<std::string>& keepList = {}) {
    std::map<std::string, ProfileResult> results;
    for (const char* program : {"chrome.exe", "firefox.exe"}) {
      for (const browsers::Profile& profile : Profiles(program)) {
        for (Item item : items) {
          browsers::CleanProfileItem(item, services, Row(program), profile, keepList, &results[profile.folder]);
        }
      }
    }
    return results;
  }

  std::string Firefox() { return Profiles("firefox.exe").at(0).folder; }

  browsers::BrowserServices services_ = cleaner::BrowserServicesOn(sim_.files, databases_);
};

const std::vector<Item> kEveryItem{Item::Cache, Item::Cookies, Item::History, Item::FormData, Item::Sessions};

TEST_F(RealProfiles, EveryProfileIsFoundWithItsCacheWhereTheBrowserKeepsIt) {
  sim_.files.AddDirectory(kChromeData + "\\Profile 7");  // not listed in Local State, present
  sim_.files.AddDirectory(kChromeData + "\\Profile X");
  sim_.files.AddDirectory(kChromeData + "\\System Profile");
  std::vector<std::string> folders;
  for (const browsers::Profile& p : Profiles("chrome.exe")) {
    folders.push_back(p.folder);
    EXPECT_EQ(p.cacheFolder, p.folder);
  }
  EXPECT_EQ(folders, (std::vector<std::string>{kChromeData + "\\Default", kChromeData + "\\Profile 1",
                                               kChromeData + "\\Profile 7"}));
  std::vector<browsers::Profile> firefox = Profiles("firefox.exe");
  ASSERT_EQ(firefox.size(), 1u);
  EXPECT_EQ(firefox[0].name, "corvane");
  const std::string relative = firefox[0].folder.substr(std::string(kRoaming).size());
  EXPECT_EQ(firefox[0].folder.rfind(std::string(kRoaming) + "\\Mozilla\\Firefox\\", 0), 0u);
  EXPECT_EQ(firefox[0].cacheFolder, kLocal + relative);
  EXPECT_TRUE(sim_.files.IsDirectory(firefox[0].cacheFolder + "\\cache2"));
  EXPECT_TRUE(Profiles("msedge.exe").empty());
  // Opera's data folder is its profile; its caches are under the local folder.
  sim_.files.AddDirectory(std::string(kRoaming) + "\\Opera Software\\Opera Stable");
  std::vector<browsers::Profile> opera = Profiles("opera.exe");
  ASSERT_EQ(opera.size(), 1u);
  EXPECT_EQ(opera[0].folder, std::string(kRoaming) + "\\Opera Software\\Opera Stable");
  EXPECT_EQ(opera[0].cacheFolder, std::string(kLocal) + "\\Opera Software\\Opera Stable");
}

TEST_F(RealProfiles, CookiesOfKeptSitesAndTheirSubdomainsStay) {
  const std::vector<std::string> sites{"ads.gone.example", "gone.example",    "kept.example",
                                       "last.example",     "notkept.example", "www.kept.example"};
  EXPECT_EQ(browsers::CookieSites(services_, Row("chrome.exe"), Profiles("chrome.exe").at(1)), sites);
  EXPECT_EQ(browsers::CookieSites(services_, Row("firefox.exe"), Profiles("firefox.exe").at(0)), sites);
  std::map<std::string, ProfileResult> results = Clean({Item::Cookies}, services_, {"KEPT.example"});
  for (const std::string& jar : {kChromeData + "\\Default\\Cookies", kChromeData + "\\Profile 1\\Network\\Cookies",
                                 Firefox() + "\\cookies.sqlite"}) {
    SCOPED_TRACE(jar);
    bool chromium = jar.find("Chrome") != std::string::npos;
    std::vector<std::string> hosts =
        Query(jar, chromium ? "SELECT host_key FROM cookies ORDER BY 1" : "SELECT host FROM moz_cookies ORDER BY 1");
    // "notkept.example" ends with the line's letters but is no subdomain of it.
    EXPECT_EQ(hosts,
              (std::vector<std::string>{".kept.example", ".www.kept.example", "kept.example", "www.kept.example"}));
    EXPECT_EQ(Query(jar, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  }
  const ProfileResult& chrome = results[kChromeData + "\\Default"];
  EXPECT_EQ(chrome.cookiesRemoved, 8u);
  EXPECT_EQ(chrome.cookiesKept, 4u);
  EXPECT_EQ(chrome.keptSites, (std::vector<std::string>{"kept.example", "www.kept.example"}));
  EXPECT_TRUE(chrome.skipped.empty());
  EXPECT_EQ(results[Firefox()].cookiesRemoved, 8u);
}

TEST_F(RealProfiles, HistoryFormsSessionsAndCacheGoWhileBookmarksPasswordsAndSettingsStay) {
  const std::string chrome = kChromeData + "\\Default", firefox = Firefox();
  const uint64_t addresses = CountRows(chrome + "\\History", "urls"),
                 visits = CountRows(chrome + "\\History", "visits");
  const uint64_t forms = CountRows(chrome + "\\Web Data", "autofill");
  const uint64_t firefoxVisits = CountRows(firefox + "\\places.sqlite", "moz_historyvisits");
  const uint64_t firefoxForms = CountRows(firefox + "\\formhistory.sqlite", "moz_formhistory");
  const std::vector<std::string> bookmarks = Query(firefox + "\\places.sqlite", "SELECT * FROM moz_bookmarks");
  const std::string bookmarked =
      Query(firefox + "\\places.sqlite", "SELECT count(DISTINCT fk) FROM moz_bookmarks").at(0);
  // The one password each browser saved, and Chromium's bookmark.
  const char kLogins[] = "SELECT origin_url, username_value, hex(password_value) FROM logins";
  const std::vector<std::string> logins = Query(chrome + "\\Login Data", kLogins);
  const std::string chromeBookmarks = sim_.files.Content(chrome + "\\Bookmarks");
  const std::string firefoxLogins = sim_.files.Content(firefox + "\\logins.json");
  const std::string preferences = sim_.files.Content(chrome + "\\Preferences");
  const std::string key4 = ReadBytes(RealPath(firefox + "\\key4.db"));
  ASSERT_EQ(logins.size(), 1u);
  ASSERT_NE(chromeBookmarks.find("kept.example"), std::string::npos);
  ASSERT_NE(firefoxLogins.find("kept.example"), std::string::npos);
  ASSERT_GT(addresses, 0u);
  ASSERT_GT(firefoxVisits, 0u);
  // The search typed into the last site's form, and the session Firefox wrote as it quit.
  ASSERT_GT(firefoxForms, 0u);
  ASSERT_TRUE(sim_.files.Exists(firefox + "\\sessionstore.jsonlz4"));

  std::map<std::string, ProfileResult> results = Clean(kEveryItem, services_);

  const ProfileResult& c = results[chrome];
  EXPECT_EQ(c.addresses, addresses);
  EXPECT_EQ(c.visits, visits);
  EXPECT_EQ(c.formEntries, forms);
  EXPECT_GT(c.sessionFiles, 0u);
  EXPECT_TRUE(c.skipped.empty()) << c.skipped[0].file << ": " << c.skipped[0].reason;
  EXPECT_EQ(CountRows(chrome + "\\History", "urls") + CountRows(chrome + "\\History", "visits") +
                CountRows(chrome + "\\History", "keyword_search_terms") + CountRows(chrome + "\\Web Data", "autofill"),
            0u);
  for (const char* folder : {"\\Cache", "\\Sessions"}) EXPECT_EQ(sim_.files.List(chrome + folder).size(), 0u) << folder;
  EXPECT_TRUE(sim_.files.Exists(chrome + "\\Login Data"));
  EXPECT_EQ(Query(chrome + "\\Login Data", kLogins), logins);
  EXPECT_EQ(sim_.files.Content(chrome + "\\Bookmarks"), chromeBookmarks);
  EXPECT_EQ(sim_.files.Content(chrome + "\\Preferences"), preferences);
  EXPECT_TRUE(sim_.files.Exists(chrome + "\\Secure Preferences"));

  const ProfileResult& f = results[firefox];
  EXPECT_EQ(f.visits, firefoxVisits);
  EXPECT_EQ(f.formEntries, firefoxForms);
  EXPECT_GT(f.sessionFiles, 0u);
  EXPECT_FALSE(sim_.files.Exists(firefox + "\\sessionstore.jsonlz4"));
  EXPECT_TRUE(f.skipped.empty()) << f.skipped[0].file << ": " << f.skipped[0].reason;
  const std::string places = firefox + "\\places.sqlite";
  EXPECT_EQ(CountRows(places, "moz_historyvisits") + CountRows(firefox + "\\formhistory.sqlite", "moz_formhistory"),
            0u);
  EXPECT_EQ(Query(places, "SELECT * FROM moz_bookmarks"), bookmarks);
  // What stays is what a bookmark points at, unvisited, with its origin.
  EXPECT_EQ(Query(places,
                  "SELECT count(*) FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks "
                  "WHERE fk NOT NULL) OR visit_count != 0 OR last_visit_date NOT NULL"),
            std::vector<std::string>{"0"});
  EXPECT_EQ(Query(places, "SELECT count(*) FROM moz_origins WHERE id NOT IN (SELECT origin_id FROM moz_places)"),
            std::vector<std::string>{"0"});
  EXPECT_EQ(Query(places, "SELECT count(*) FROM moz_places WHERE url LIKE '%.example%'"),
            std::vector<std::string>{"0"});
  EXPECT_EQ(CountRows(places, "moz_places"), std::stoull(bookmarked));
  EXPECT_TRUE(sim_.files.Exists(firefox + "\\key4.db"));
  EXPECT_EQ(ReadBytes(RealPath(firefox + "\\key4.db")), key4);
  EXPECT_EQ(sim_.files.Content(firefox + "\\logins.json"), firefoxLogins);
  EXPECT_EQ(sim_.files.List(Profiles("firefox.exe")[0].cacheFolder + "\\cache2").size(), 0u);
  for (const std::string& db : {chrome + "\\History", chrome + "\\Favicons", chrome + "\\Web Data", places,
                                firefox + "\\favicons.sqlite", firefox + "\\formhistory.sqlite"}) {
    EXPECT_EQ(Query(db, "PRAGMA integrity_check"), std::vector<std::string>{"ok"}) << db;
  }
}

TEST_F(RealProfiles, APreviewCountsWhatACleaningRemovesAndChangesNothing) {
  // As after Firefox ended: one database's log folded in and gone, another's
  // still beside it.
  sqlite3* places = nullptr;
  sqlite3_open_v2(RealPath(Firefox() + "\\places.sqlite").c_str(), &places, SQLITE_OPEN_READWRITE, nullptr);
  ASSERT_EQ(sqlite3_exec(places, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(places);
  ASSERT_FALSE(fs::exists(RealPath(Firefox() + "\\places.sqlite-wal")));
  ASSERT_TRUE(fs::exists(RealPath(Firefox() + "\\cookies.sqlite-wal")));
  const std::map<std::string, std::string> before = Snapshot();
  platform::recording::Recorder preview(sim_.platform, platform::recording::Mode::Preview);
  platform::recording::RecordingDatabases previewDatabases(databases_, preview);
  browsers::BrowserServices previewServices = cleaner::BrowserServicesOn(preview.platform().files, previewDatabases);
  std::map<std::string, ProfileResult> would = Clean(kEveryItem, previewServices, {"kept.example"});
  const std::map<std::string, std::string> after = Snapshot();
  for (const auto& [file, bytes] : after) EXPECT_TRUE(before.count(file) && before.at(file) == bytes) << file;
  for (const auto& [file, bytes] : before) EXPECT_TRUE(after.count(file)) << file << " went";

  platform::recording::Recorder run(sim_.platform, platform::recording::Mode::PassThrough);
  platform::recording::RecordingDatabases runDatabases(databases_, run);
  browsers::BrowserServices runServices = cleaner::BrowserServicesOn(run.platform().files, runDatabases);
  std::map<std::string, ProfileResult> did = Clean(kEveryItem, runServices, {"kept.example"});
  ASSERT_EQ(would.size(), did.size());
  for (const auto& [folder, r] : did) {
    SCOPED_TRACE(folder);
    const ProfileResult& w = would[folder];
    EXPECT_EQ(std::tie(w.addresses, w.visits, w.cookiesRemoved, w.cookiesKept, w.keptSites, w.formEntries),
              std::tie(r.addresses, r.visits, r.cookiesRemoved, r.cookiesKept, r.keptSites, r.formEntries))
        << (w.skipped.empty() ? "" : w.skipped[0].file + ": " + w.skipped[0].reason);
  }
  // Both noted the rows by file and table.
  for (platform::recording::Recorder* recorder : {&preview, &run}) {
    uint64_t urls = 0;
    for (const platform::recording::Change& change : recorder->Changes()) {
      if (change.kind == platform::recording::ChangeKind::DeleteRows && change.name == "urls") urls += change.items;
    }
    EXPECT_EQ(urls, did[kChromeData + "\\Default"].addresses + did[kChromeData + "\\Profile 1"].addresses);
  }
}

TEST_F(RealProfiles, ADatabaseInUseIsSkippedAndNamedAndTheProfilesOtherFilesAreCleaned) {
  const std::string chrome = kChromeData + "\\Default";
  const uint64_t addresses = CountRows(chrome + "\\History", "urls");
  sqlite3* browser = nullptr;
  sqlite3_open_v2(RealPath(chrome + "\\History").c_str(), &browser, SQLITE_OPEN_READWRITE, nullptr);
  ASSERT_EQ(sqlite3_exec(browser, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
            SQLITE_OK);
  ProfileResult r;
  browsers::CleanProfileItem(Item::History, services_, Row("chrome.exe"), Profiles("chrome.exe").at(0), {}, &r);
  sqlite3_exec(browser, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(browser);
  ASSERT_EQ(r.skipped.size(), 1u);
  EXPECT_EQ(r.skipped[0].file, chrome + "\\History");
  EXPECT_EQ(r.skipped[0].reason, "in use by another program");
  EXPECT_TRUE(r.skipped[0].inUse);
  EXPECT_EQ(r.addresses, 0u);
  EXPECT_EQ(CountRows(chrome + "\\History", "urls"), addresses);
  EXPECT_EQ(CountRows(chrome + "\\Top Sites", "top_sites") + CountRows(chrome + "\\Shortcuts", "omni_box_shortcuts"),
            0u);
}

// A database's schema is the browser's file, and whoever could write it may
// have added triggers: one that copies each deleted address elsewhere, one
// that puts each deleted visit back, one whose cross join would hold the
// run. None of them runs: the profiles clean as they do without them, and
// the counts are of what went.
TEST_F(RealProfiles, TriggersAddedToTheDatabasesNeverRunAndTheProfilesCleanAsBefore) {
  const std::string history = kChromeData + "\\Default\\History", places = Firefox() + "\\places.sqlite";
  const uint64_t addresses = CountRows(history, "urls"), visits = CountRows(history, "visits");
  const uint64_t firefoxVisits = CountRows(places, "moz_historyvisits");
  ASSERT_GT(CountRows(history, "segments"), 0u);
  Exec(history,
       "CREATE TABLE stash(url); CREATE TABLE filler(n);"
       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) INSERT INTO filler SELECT i "
       "FROM n;"
       "CREATE TRIGGER copy AFTER DELETE ON urls BEGIN INSERT INTO stash VALUES (old.url); END;"
       "CREATE TRIGGER back AFTER DELETE ON visits BEGIN INSERT INTO visits (id, url, visit_time) "
       "VALUES (old.id, old.url, old.visit_time); END;"
       "CREATE TRIGGER hold AFTER DELETE ON segments BEGIN INSERT INTO stash SELECT a.n FROM filler a, filler b, "
       "filler c; END;");
  Exec(places,
       "CREATE TRIGGER back AFTER DELETE ON moz_historyvisits BEGIN INSERT INTO moz_historyvisits (id, place_id, "
       "visit_date) VALUES (old.id, old.place_id, old.visit_date); END;");

  std::map<std::string, ProfileResult> results = Clean({Item::History}, services_);

  const ProfileResult& c = results[kChromeData + "\\Default"];
  EXPECT_TRUE(c.skipped.empty()) << c.skipped[0].file << ": " << c.skipped[0].reason;
  EXPECT_EQ(c.addresses, addresses);
  EXPECT_EQ(c.visits, visits);
  EXPECT_EQ(CountRows(history, "urls") + CountRows(history, "visits") + CountRows(history, "segments") +
                CountRows(history, "stash"),
            0u);
  const ProfileResult& f = results[Firefox()];
  EXPECT_TRUE(f.skipped.empty()) << f.skipped[0].file << ": " << f.skipped[0].reason;
  EXPECT_EQ(f.visits, firefoxVisits);
  EXPECT_EQ(CountRows(places, "moz_historyvisits"), 0u);
  for (const std::string& db : {history, places}) {
    EXPECT_EQ(Query(db, "PRAGMA integrity_check"), std::vector<std::string>{"ok"}) << db;
  }
}

// A statement that goes on far beyond what any browser's database takes is
// stopped: here the work allowed is made small and Firefox's places many.
// The database is named, left as it was, and the profile's others are cleaned.
TEST_F(RealProfiles, ADatabaseThatAsksForMoreWorkThanAllowedIsStoppedNamedAndLeftAsItWas) {
  const std::string places = Firefox() + "\\places.sqlite";
  Exec(places,
       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 50000) "
       "INSERT INTO moz_places (url, guid) SELECT 'https://filler.example/' || i, 'filler' || i FROM n;");
  const uint64_t visits = CountRows(places, "moz_historyvisits"), inPlaces = CountRows(places, "moz_places");
  ASSERT_GT(visits, 0u);
  platform::sqlite::SqliteDatabases bounded(
      platform::sqlite::IdentifyByPath, [this](const std::string& path) { return RealPath(path); }, 200'000);
  browsers::BrowserServices services = cleaner::BrowserServicesOn(sim_.files, bounded);
  ProfileResult r;
  for (Item item : {Item::History, Item::Cookies}) {
    browsers::CleanProfileItem(item, services, Row("firefox.exe"), Profiles("firefox.exe").at(0), {}, &r);
  }
  ASSERT_EQ(r.skipped.size(), 1u);
  EXPECT_EQ(r.skipped[0].file, places);
  EXPECT_EQ(r.skipped[0].reason, platform::DbResultText(platform::DbResult::TooMuchWork));
  EXPECT_FALSE(r.skipped[0].link);
  EXPECT_FALSE(r.skipped[0].inUse);
  EXPECT_EQ(r.visits, 0u);
  EXPECT_EQ(CountRows(places, "moz_historyvisits"), visits);
  EXPECT_EQ(CountRows(places, "moz_places"), inPlaces);
  EXPECT_GT(r.cookiesRemoved, 0u);
  EXPECT_EQ(CountRows(Firefox() + "\\cookies.sqlite", "moz_cookies"), 0u);
}

// Without real files: what another version, a damaged file or a file held open meets.
TEST(BrowserItems, AnotherVersionsSchemaADamagedDatabaseAndAHeldCacheFileAreSkippedNamedAndLeftAsTheyAre) {
  platform::sim::SimPlatform sim;
  platform::sim::SimDatabases databases(sim.files);
  const std::string profile = kChromeData + "\\Default";
  sim.files.AddDirectory(profile);
  databases.AddTable(profile + "\\Network\\Cookies", "cookies", {"host", "name"}, {{"a.example", "x"}});
  databases.AddTable(profile + "\\Web Data", "autofill", {"name", "value"}, {{"q", "secret"}});
  databases.Lookup(profile + "\\Web Data")->damaged = true;
  // And a cache file another program holds: the rest of the cache goes.
  sim.files.AddFile(profile + "\\Cache\\Cache_Data\\held", std::string(7, 'h'));
  sim.files.AddFile(profile + "\\Cache\\Cache_Data\\free", std::string(5, 'f'));
  sim.files.HoldOpen(profile + "\\Cache\\Cache_Data\\held");
  browsers::BrowserServices services = cleaner::BrowserServicesOn(sim.files, databases);
  browsers::Profile p{"Default", profile, kLocal, profile, kLocal};
  ProfileResult r;
  for (Item item : kEveryItem) browsers::CleanProfileItem(item, services, Row("chrome.exe"), p, {}, &r);
  ASSERT_EQ(r.skipped.size(), 3u);
  EXPECT_EQ(r.skipped[0].file, profile + "\\Cache");
  EXPECT_EQ(r.skipped[0].reason, "1 files in use or not removable");
  EXPECT_TRUE(r.skipped[0].inUse);
  EXPECT_EQ(r.cacheBytes, 5u);
  EXPECT_TRUE(sim.files.Exists(profile + "\\Cache\\Cache_Data\\held"));
  r.skipped.erase(r.skipped.begin());
  EXPECT_EQ(r.skipped[0].file, profile + "\\Network\\Cookies");
  EXPECT_EQ(r.skipped[0].reason, platform::DbResultText(platform::DbResult::NoSuchColumn));
  EXPECT_EQ(r.skipped[1].file, profile + "\\Web Data");
  EXPECT_EQ(r.skipped[1].reason, platform::DbResultText(platform::DbResult::Malformed));
  EXPECT_FALSE(r.skipped[0].inUse || r.skipped[1].inUse);
  EXPECT_EQ(databases.Lookup(profile + "\\Network\\Cookies")->tables["cookies"].rows.size(), 1u);
  EXPECT_EQ(databases.Lookup(profile + "\\Web Data")->tables["autofill"].rows.size(), 1u);
  // Both are told at the end of the run, not only in its report: the held
  // cache file is told as in use.
  browsers::BrowsersOutcome outcome;
  outcome.profiles.push_back({0, p, r, {}});
  EXPECT_EQ(outcome.LeftAlone(), (std::vector<std::string>{profile + "\\Network\\Cookies", profile + "\\Web Data"}));
}

// A name that leads out of the browser's folder, or that Windows would take
// for another: a wildcard (FindFirstFile takes *, ?, <, > and " for
// patterns, and "*" finds the folder's own "."), a device, a final dot or
// blank (dropped by the system's path rules, so another folder's name).
TEST(BrowserItems, ANameThatLeadsOutOfTheBrowsersFolderOrStandsForAnotherIsNoProfile) {
  platform::sim::SimPlatform sim;
  sim.files.AddFile(kChromeData + "\\Local State",
                    R"({"profile":{"info_cache":{"..":{"name":"up"},"..\\..\\Roaming":{"name":"out"},)"
                    R"("C:\\Windows":{"name":"system"},"*":{"name":"any"},"Wor?":{"name":"one"},)"
                    R"("W<":{"name":"dos"},"W>":{"name":"dos"},"W\"":{"name":"dos"},"CON":{"name":"device"},)"
                    R"("nul.txt":{"name":"device"},"COM1":{"name":"device"},"Work.":{"name":"dot"},)"
                    R"("Work ":{"name":"blank"},"Work":{"name":"Work"}}}})");
  for (const char* folder : {"Work", "CON", "nul.txt", "COM1", "Work.", "Work "}) {
    sim.files.AddDirectory(kChromeData + "\\" + folder);
  }
  // Where "..\..\Roaming" and Firefox's "../../Local" would lead.
  sim.files.AddDirectory(std::string(kLocal) + "\\Roaming");
  sim.files.AddDirectory(std::string(kRoaming) + "\\Local");
  const std::string firefox = std::string(kRoaming) + "\\Mozilla\\Firefox";
  sim.files.AddFile(
      firefox + "\\profiles.ini",
      "[Profile0]\r\nName=up\r\nIsRelative=1\r\nPath=../../Local\r\n\r\n[Profile1]\r\nName=elsewhere\r\n"
      "IsRelative=0\r\nPath=D:\\Profiles\\x\r\n\r\n[Profile2]\r\nName=mine\r\nIsRelative=1\r\nPath=Profiles/a.b\r\n"
      "\r\n[Profile3]\r\nName=around\r\nIsRelative=0\r\nPath=D:\\Profiles\\x\\..\\y\r\n"
      "\r\n[Profile4]\r\nName=any\r\nIsRelative=1\r\nPath=Profiles/*\r\n");
  sim.files.AddDirectory(firefox + "\\Profiles\\a.b");
  sim.files.AddDirectory("D:\\Profiles\\x");
  sim.files.AddDirectory("D:\\Profiles\\y");
  std::vector<std::string> found;
  for (const char* program : {"chrome.exe", "firefox.exe"}) {
    for (const browsers::Profile& p : browsers::FindProfiles(sim.files, Row(program), {kLocal, kRoaming})) {
      found.push_back(p.name + " " + p.folder + " " + p.cacheFolder);
    }
  }
  EXPECT_EQ(found,
            (std::vector<std::string>{
                "Work " + kChromeData + "\\Work " + kChromeData + "\\Work", "elsewhere D:\\Profiles\\x D:\\Profiles\\x",
                "mine " + firefox + "\\Profiles\\a.b " + kLocal + "\\Mozilla\\Firefox\\Profiles\\a.b"}));
}

TEST(BrowserItems, ABrowserRunsWhenAProgramOfItsFileNameDoes) {
  EXPECT_TRUE(browsers::IsRunning(Row("msedge.exe"), {"explorer.exe", "MSEdge.EXE"}));
  EXPECT_FALSE(browsers::IsRunning(Row("msedge.exe"), {"msedgewebview2.exe", "chrome.exe"}));
  browsers::KeptHosts kept({"Bank.example", ""});
  EXPECT_TRUE(kept.Keeps(".bank.example"));
  EXPECT_TRUE(kept.Keeps("login.eu.BANK.example"));
  EXPECT_FALSE(kept.Keeps("mybank.example"));
  EXPECT_FALSE(kept.Keeps("bank.example.evil"));
}

}  // namespace
