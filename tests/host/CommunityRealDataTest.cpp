// Entries of the Winapp2 project's own file run on real profiles that
// Chromium and Firefox made (tests/browsers/make_profiles.sh), laid out where
// the applications those entries name keep them: what goes, and what the
// rules keep (databases with their journals, cookie stores cleaned with the
// keep-list, saved passwords).
#include <gtest/gtest.h>

#include <filesystem>

#include "MirroredProfiles.h"
#include "cookies/KeepList.h"
#include "services/CleaningRun.h"
#include "settings/CommunityChoices.h"
#include "settings/Settings.h"
#include "util/Text.h"

namespace hosttest {
namespace {

namespace fs = std::filesystem;
using platform::RegRoot;

const std::string kRoaming = "C:\\users\\user\\AppData\\Roaming";
const std::string kLocal = "C:\\users\\user\\AppData\\Local";

class CommunityOnRealData : public MirroredProfiles {
 protected:
  void SetUp() override {
    definitions_ = ReadBytes(fs::path(CORVANE_WINAPP2_DIR) / "Winapp2.ini");
    if (definitions_.empty()) GTEST_SKIP() << "the Winapp2 project's file is not in " << CORVANE_WINAPP2_DIR;
    MirroredProfiles::SetUp();
    if (HasFatalFailure()) return;
    sim_.registry.CreateKey(RegRoot::LocalMachine, settings::kSettingsKey);
    sim_.files.AddFile("C:\\Program Files\\Corvane\\winapp2.ini", definitions_);
  }

  services::RunEnd Clean(const std::vector<std::string>& entries) {
    for (const std::string& name : entries) settings::StoreCommunityChoice(sim_.registry, name, true);
    services::CleaningRun run(platform_);
    return run.RunHere(platform::recording::Mode::PassThrough);
  }

  bool Has(const std::string& path) { return sim_.files.Exists(path); }

  std::string definitions_;
  platform::Platform platform_{sim_.registry, sim_.process, sim_.clock, sim_.files,    sim_.desktop,
                               sim_.sound,    sim_.audio,   sim_.shell, sim_.urlCache, sim_.urlHistory,
                               sim_.security, sim_.ansi,    databases_, sim_.http};
};

TEST_F(CommunityOnRealData, DiscordsEntryTakesItsCachesAndLogsAndKeepsItsDatabasesWithTheirJournals) {
  // Discord is Chromium inside: its data folder is a profile.
  const std::string discord = kRoaming + "\\discord";
  Mirror(profiles_ / "chromium" / "Default", discord);
  sim_.registry.CreateKey(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Discord");
  const std::vector<std::string> before = sim_.files.List(discord);
  services::RunEnd end = Clean({"Discord"});
  ASSERT_TRUE(end.success()) << end.message;
  EXPECT_FALSE(end.skipped()) << end.report;
  for (const char* cache : {"Cache", "Code Cache", "GPUCache", "DawnGraphiteCache", "DawnWebGPUCache"}) {
    EXPECT_FALSE(Has(discord + "\\" + cache)) << cache;
  }
  EXPECT_FALSE(Has(discord + "\\LOG"));
  EXPECT_FALSE(Has(discord + "\\Network Persistent State"));
  // The rule names every journal; each one whose database is beside it stays.
  for (const std::string& name : before) {
    const std::string database =
        name.size() > 8 && name.substr(name.size() - 8) == "-journal" ? name.substr(0, name.size() - 8) : std::string();
    if (database.empty()) continue;
    EXPECT_EQ(Has(discord + "\\" + name), Has(discord + "\\" + database)) << name;
  }
  EXPECT_TRUE(Has(discord + "\\History-journal"));
  EXPECT_EQ(Query(discord + "\\History", "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  EXPECT_FALSE(Query(discord + "\\Cookies", "SELECT host_key FROM cookies").empty());
  for (const char* kept : {"Cookies", "Login Data", "Preferences", "Local Storage", "Sessions"}) {
    EXPECT_TRUE(Has(discord + "\\" + kept)) << kept;
  }
  EXPECT_NE(end.report.find("Discord (community cleaner)\r\n  Files and folders removed: "), std::string::npos);
  EXPECT_NE(end.report.find("FileKey3: " + discord + "\\History-journal: left in place: the journal of History"),
            std::string::npos)
      << end.report;
}

TEST_F(CommunityOnRealData, ABrowserForksCookieStoreIsCleanedWithTheKeepListRatherThanDeleted) {
  // A Chromium fork the browser table does not know, with its cookies in Network\ as on Windows.
  const std::string chromium = kLocal + "\\1browser\\1browser\\User Data\\Default\\Network";
  Mirror(profiles_ / "chromium" / "Default" / "Cookies", chromium + "\\Cookies");
  Mirror(profiles_ / "chromium" / "Default" / "Cookies-journal", chromium + "\\Cookies-journal");
  // A Firefox fork, with the write-ahead log Firefox leaves beside its cookies.
  const std::string gecko = kRoaming + "\\Floorp\\Profiles\\x.default";
  for (const fs::directory_entry& profile :
       fs::directory_iterator(profiles_ / "firefox" / "home" / ".config" / "mozilla" / "firefox")) {
    if (profile.path().extension() == ".corvane") Mirror(profile.path(), gecko);
  }
  ASSERT_TRUE(cookies::WriteKeepList(platform_, {"kept.example"}));
  services::RunEnd end =
      Clean({"1Browser Web Browsing Cookies", "Floorp Web Browsing Cookies", "Floorp Saved Usernames & Passwords"});
  ASSERT_TRUE(end.success()) << end.message;
  const std::vector<std::string> kept{".kept.example", ".www.kept.example", "kept.example", "www.kept.example"};
  EXPECT_EQ(Query(chromium + "\\Cookies", "SELECT host_key FROM cookies ORDER BY 1"), kept);
  EXPECT_EQ(Query(gecko + "\\cookies.sqlite", "SELECT host FROM moz_cookies ORDER BY 1"), kept);
  EXPECT_TRUE(Has(chromium + "\\Cookies-journal"));
  EXPECT_TRUE(Has(gecko + "\\cookies.sqlite-wal"));
  EXPECT_NE(end.report.find(chromium + "\\Cookies: a cookie store: cleaned with the keep-list rather than deleted (8 "
                                       "cookies removed, 4 kept (kept.example, www.kept.example))"),
            std::string::npos)
      << end.report;
  // The entry that names the saved passwords takes them, once chosen.
  EXPECT_FALSE(Has(gecko + "\\key4.db"));
  EXPECT_TRUE(Has(gecko + "\\places.sqlite"));
}

}  // namespace
}  // namespace hosttest
