// The community's entries chosen, detected and run in the cleaning run on the
// simulated machine: what each key means, what no rule may do, and what is
// left alone and named, in the preview, the report and the exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CorvaneFixture.h"
#include "app/CommandLine.h"
#include "community/Places.h"
#include "community/Sources.h"
#include "forms/CorvaneMain.h"
#include "platform/sim/SimPlatform.h"
#include "services/CleaningRun.h"
#include "settings/CommunityChoices.h"
#include "settings/Settings.h"

namespace hosttest {
namespace {

using platform::RegRoot;
using platform::RegValue;

const std::string kRules = "C:\\users\\user\\AppData\\Roaming\\Corvane\\Cleaners\\rules.ini";
const std::string kLocal = "C:\\users\\user\\AppData\\Local";
const std::string kRoaming = "C:\\users\\user\\AppData\\Roaming";
const std::string kProfile = "C:\\users\\user";
const std::string kCommunity = std::string(settings::kSettingsKey) + "\\" + settings::kCommunityKey;

class CommunityCleaning : public ::testing::Test {
 protected:
  CommunityCleaning() { sim.registry.CreateKey(RegRoot::LocalMachine, settings::kSettingsKey); }

  // The rules file, and every entry of it chosen.
  void Define(const std::string& text) {
    sim.files.AddFile(kRules, text);
    for (const community::Entry& entry : community::LoadCatalogue(sim.platform).entries) Choose(entry.name);
  }
  void Choose(const std::string& name) {
    sim.registry.Set(RegRoot::LocalMachine, kCommunity, name, RegValue::DWord(1));
  }
  services::RunEnd Run(platform::recording::Mode mode = platform::recording::Mode::PassThrough) {
    services::CleaningRun run(sim.platform);
    return run.RunHere(mode);
  }
  // The exit code and printout of a command.
  int Command(app::CommandAction action, std::string* printed) {
    app::Command command;
    command.action = action;
    return app::RunCommand(sim.platform, command, [printed](const std::string& text) { *printed += text; });
  }
  bool Has(const std::string& path) { return sim.files.Exists(path); }
  static bool Says(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

  platform::sim::SimPlatform sim;
};

TEST_F(CommunityCleaning, PatternsRecurseRemoveSelfAndExclusionsMeanExactlyWhatTheyAre) {
  const std::string app = kLocal + "\\App";
  for (const char* file :
       {"Logs\\a.log", "Logs\\B.LOG", "Logs\\day1.txt", "Logs\\day10.txt", "Logs\\sub\\c.log", "Cache\\a.bin",
        "Cache\\deep\\b.bin", "Cache\\a.keep", "Cache\\deep\\b.keep", "Temp\\x.tmp", "Temp\\in\\deeper\\y.tmp",
        "Data\\x.db", "Data\\important.db", "Data\\important.db.bak", "Data\\sub\\y.db", "Data\\other\\keep.cfg",
        "Profiles\\one\\Cache\\p.bin", "Profiles\\two\\Cache\\q.bin", "Profiles\\two\\prefs.js"}) {
    sim.files.AddFile(app + "\\" + file, "12345");
  }
  sim.files.AddDirectory(app + "\\Temp\\empty");
  Define(
      "[App *]\n"
      "DetectFile=%LocalAppData%\\App\n"
      "FileKey1=%LocalAppData%\\App\\Logs|*.log;day?.txt\n"
      "FileKey2=%LocalAppData%\\App\\Cache|*|RECURSE\n"
      "FileKey3=%LocalAppData%\\App\\Temp|*|REMOVESELF\n"
      "FileKey4=%LocalAppData%\\App\\Data|*.db*|REMOVESELF\n"
      "FileKey5=%LocalAppData%\\App\\Profiles\\*\\Cache|*|REMOVESELF\n"
      "ExcludeKey1=FILE|%LocalAppData%\\App\\Data\\|important.db\n"
      "ExcludeKey2=PATH|%LocalAppData%\\App\\Cache\\|*.keep\n");

  // The preview removes nothing and says what the cleaning removes.
  services::RunEnd preview = Run(platform::recording::Mode::Preview);
  ASSERT_TRUE(preview.success()) << preview.message;
  EXPECT_TRUE(Has(app + "\\Logs\\a.log"));
  EXPECT_TRUE(
      Says(preview.report, "App (community cleaner)\r\n  Files and folders to remove: 12 files (60 bytes), 7 folders"))
      << preview.report;

  services::RunEnd end = Run();
  ASSERT_TRUE(end.success()) << end.message;
  EXPECT_EQ(end.message, services::kCleaningDoneMessage);
  EXPECT_TRUE(
      Says(end.report, "App (community cleaner)\r\n  Files and folders removed: 12 files (60 bytes), 7 folders"))
      << end.report;
  // Long names, case aside, '*' and '?'; without RECURSE the subfolders stay whole.
  EXPECT_EQ(sim.files.List(app + "\\Logs"), (std::vector<std::string>{"day10.txt", "sub"}));
  EXPECT_TRUE(Has(app + "\\Logs\\sub\\c.log"));
  // RECURSE empties the subfolders and keeps them; PATH keeps its files at every depth.
  EXPECT_EQ(sim.files.List(app + "\\Cache"), (std::vector<std::string>{"a.keep", "deep"}));
  EXPECT_EQ(sim.files.List(app + "\\Cache\\deep"), std::vector<std::string>{"b.keep"});
  // REMOVESELF: the files, then every folder left empty, then the folder itself.
  EXPECT_FALSE(Has(app + "\\Temp"));
  // FILE keeps that name only, not the names it begins; a folder that holds
  // something is never removed.
  EXPECT_EQ(sim.files.List(app + "\\Data"), (std::vector<std::string>{"important.db", "other"}));
  EXPECT_EQ(sim.files.List(app + "\\Data\\other"), std::vector<std::string>{"keep.cfg"});
  // A wildcard in the folder reaches every match.
  EXPECT_EQ(sim.files.List(app + "\\Profiles"), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(sim.files.List(app + "\\Profiles\\two"), std::vector<std::string>{"prefs.js"});
  EXPECT_TRUE(Says(end.report, "FileKey4: " + app + "\\Data: 1 file kept by ExcludeKey1")) << end.report;
}

TEST_F(CommunityCleaning, NoRuleEmptiesAProtectedFolderOrRemovesAProtectedKeyAndTheRestOfTheEntryRuns) {
  for (const char* file : {"Documents\\report.docx", "Documents\\plot.log", "Documents\\sub\\x.txt", "Desktop\\a.txt",
                           "Stuff\\s.txt", "AppData\\Local\\App\\keep.dat", "AppData\\Local\\t.tmp"}) {
    sim.files.AddFile(kProfile + "\\" + file);
  }
  sim.files.AddFile("C:\\root.txt");
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Bad\\Trace", "x", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Other", "x", RegValue::DWord(1));
  Define(
      "[Bad *]\n"
      "FileKey1=%UserProfile%\\Documents|*|RECURSE\n"
      "FileKey2=%SystemDrive%|*.*|RECURSE\n"
      "FileKey3=%Documents%|plot.log\n"
      "FileKey4=%UserProfile%\\*|*\n"
      "FileKey5=%UserProfile%\\AppData|*|RECURSE\n"
      "FileKey6=%LocalAppData%|*.tmp\n"
      "RegKey1=HKCU\\Software\n"
      "RegKey2=HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\n"
      "RegKey3=HKCU\\Software\\Bad\\Trace\n");
  services::RunEnd end = Run();
  ASSERT_TRUE(end.success()) << end.message;
  EXPECT_TRUE(Has(kProfile + "\\Documents\\report.docx"));
  EXPECT_TRUE(Has(kProfile + "\\Documents\\sub\\x.txt"));
  EXPECT_TRUE(Has(kProfile + "\\Desktop\\a.txt"));
  EXPECT_TRUE(Has("C:\\root.txt"));
  EXPECT_TRUE(Has(kProfile + "\\AppData\\Local\\App\\keep.dat"));
  // A rule may name files there.
  EXPECT_FALSE(Has(kProfile + "\\Documents\\plot.log"));
  EXPECT_FALSE(Has(kProfile + "\\AppData\\Local\\t.tmp"));
  // A folder the wildcard reaches that is nobody's own is cleaned.
  EXPECT_FALSE(Has(kProfile + "\\Stuff\\s.txt"));
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Other"));
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Bad\\Trace"));
  for (const std::string& line : {
           "FileKey1: " + kProfile +
               "\\Documents: refused: it is Documents, where a rule may name files but not "
               "empty the folder or its subfolders",
           std::string("FileKey2: C:: refused: it is a drive's root"),
           "FileKey4: " + kProfile + "\\Desktop: refused: it is Desktop",
           "FileKey5: " + kProfile + "\\AppData: refused: it holds " + kRoaming,
           std::string("RegKey1: HKEY_CURRENT_USER\\Software: refused: a key no rule may remove"),
           std::string("RegKey2: HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion: refused"),
       }) {
    EXPECT_TRUE(Says(end.report, line)) << line << "\n" << end.report;
  }
  EXPECT_TRUE(Says(end.report, "  Left in place by Corvane's rules: ")) << end.report;
  // Refusals are Corvane's own rules at work: nothing to clean again later.
  EXPECT_FALSE(end.skipped());
}

TEST_F(CommunityCleaning, RegKeysTakeAKeyOrOneValueInEachViewWhereItIsAKeyOfItsOwnAndExclusionsKeepTheirPart) {
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Tree\\sub", "a", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Values", "Recent", RegValue::String("x"));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Values", "Size", RegValue::DWord(3));
  sim.registry.Set(RegRoot::LocalMachine, "Software\\Vendor", "v", RegValue::DWord(1));
  sim.registry.Set(RegRoot::LocalMachine, "Software\\WOW6432Node\\Vendor", "v", RegValue::DWord(1));
  sim.registry.Set(RegRoot::LocalMachine, "Software\\Policies\\Vendor", "v", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Bags\\1", "a", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Bags\\AllFolders\\Shell", "a", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Bags", "top", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Tree2\\sub", "a", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Tree2", "Keep", RegValue::DWord(1));
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Reg\\Tree2", "Drop", RegValue::DWord(1));
  Define(
      "[Reg *]\n"
      "RegKey1=HKCU\\Software\\Reg\\Tree\n"
      "RegKey2=HKCU\\Software\\Reg\\Values|Recent\n"
      "RegKey3=HKLM\\Software\\Vendor\n"
      "RegKey4=HKLM\\Software\\Policies\\Vendor\n"
      "RegKey5=HKCU\\Software\\Reg\\Bags\n"
      "RegKey6=HKCU\\Software\\Reg\\Tree2\n"
      "ExcludeKey1=REG|HKCU\\Software\\Reg\\Bags\\AllFolders\n"
      "ExcludeKey2=REG|HKCU\\Software\\Reg\\Tree2|Keep\n");
  // A key both views share is removed once, and a preview says so once.
  services::RunEnd preview = Run(platform::recording::Mode::Preview);
  EXPECT_TRUE(Says(preview.report, "  Registry keys to remove: 6\r\n")) << preview.report;
  EXPECT_TRUE(Says(preview.report, "HKEY_LOCAL_MACHINE (32-bit view)\\Software\\Vendor")) << preview.report;
  EXPECT_FALSE(Says(preview.report, "HKEY_LOCAL_MACHINE (32-bit view)\\Software\\Policies")) << preview.report;
  Run();
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Reg\\Tree"));
  EXPECT_EQ(sim.registry.ValueNames(RegRoot::CurrentUser, "Software\\Reg\\Values"), std::vector<std::string>{"Size"});
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, "Software\\Vendor"));
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, "Software\\WOW6432Node\\Vendor"));
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, "Software\\Policies\\Vendor"));
  EXPECT_EQ(sim.registry.SubkeyNames(RegRoot::CurrentUser, "Software\\Reg\\Bags"),
            std::vector<std::string>{"AllFolders"});
  EXPECT_TRUE(sim.registry.ValueNames(RegRoot::CurrentUser, "Software\\Reg\\Bags").empty());
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\Reg\\Bags\\AllFolders\\Shell"));
  EXPECT_EQ(sim.registry.ValueNames(RegRoot::CurrentUser, "Software\\Reg\\Tree2"), std::vector<std::string>{"Keep"});
  EXPECT_TRUE(sim.registry.SubkeyNames(RegRoot::CurrentUser, "Software\\Reg\\Tree2").empty());
}

TEST_F(CommunityCleaning, AJournalBesideItsDatabaseStaysAndOneWithoutItGoes) {
  const std::string data = kRoaming + "\\Zoom\\data";
  for (const char* file :
       {"a.db", "a.db-journal", "b.db-wal", "b.db-shm", "c.db", "c.db-journal", "d.db", "d.db-wal"}) {
    sim.files.AddFile(data + "\\" + file);
  }
  Define(
      "[Zoom *]\n"
      "FileKey1=%AppData%\\Zoom\\data|*-journal;*.db-wal;*.db-shm\n"
      "FileKey2=%AppData%\\Zoom\\data|c.db*\n");
  Run();
  EXPECT_EQ(sim.files.List(data), (std::vector<std::string>{"a.db", "a.db-journal", "d.db", "d.db-wal"}));
}

TEST_F(CommunityCleaning, LinksFilesInUseRunningBrowsersAndPasswordsAreLeftAloneAndNamedWithExitCode4) {
  // A junction inside a tree being emptied goes as a link; what it leads to stays.
  sim.files.AddFile(kProfile + "\\Documents\\thesis.docx");
  sim.files.AddFile(kLocal + "\\App\\Temp\\t.tmp");
  sim.files.AddFolderLink(kLocal + "\\App\\Temp\\docs", kProfile + "\\Documents");
  // A link where a rule's folder is written is not followed.
  sim.files.AddFolderLink(kLocal + "\\App\\Linked", kProfile + "\\Documents");
  sim.files.AddFile(kLocal + "\\App\\Logs\\held.log");
  sim.files.AddFile(kLocal + "\\App\\Logs\\free.log");
  sim.files.HoldOpen(kLocal + "\\App\\Logs\\held.log", false);
  const std::string fork = kLocal + "\\Fork\\User Data\\Default";
  sim.files.AddFile(fork + "\\Login Data");
  sim.files.AddFile(fork + "\\Login Data For Account");
  sim.files.AddFile(fork + "\\Visited Links");
  const std::string saved = kLocal + "\\Saved\\User Data\\Default";
  sim.files.AddFile(saved + "\\Login Data");
  const std::string chrome = kLocal + "\\Google\\Chrome\\User Data\\Default";
  sim.files.AddFile(chrome + "\\History");
  sim.process.runningPrograms = {"chrome.exe"};
  Define(
      "[App *]\n"
      "FileKey1=%LocalAppData%\\App\\Temp|*|REMOVESELF\n"
      "FileKey2=%LocalAppData%\\App\\Linked|*\n"
      "FileKey3=%LocalAppData%\\App\\Logs|*.log\n"
      "[Fork *]\n"
      "FileKey1=%LocalAppData%\\Fork\\User Data\\*|*\n"
      "[Saved Passwords *]\n"
      "FileKey1=%LocalAppData%\\Saved\\User Data\\*|Login Data*\n"
      "[Chrome History *]\n"
      "FileKey1=%LocalAppData%\\Google\\Chrome*\\User Data\\*|History*\n");
  services::RunEnd end = Run();
  ASSERT_TRUE(end.success()) << end.message;
  EXPECT_TRUE(Has(kProfile + "\\Documents\\thesis.docx"));
  EXPECT_FALSE(Has(kLocal + "\\App\\Temp"));
  EXPECT_TRUE(Says(end.report, kLocal + "\\App\\Temp\\docs (link)")) << end.report;
  EXPECT_TRUE(Says(end.report, "  Left alone: 1\r\n    " + kLocal + "\\App\\Linked: a link")) << end.report;
  EXPECT_TRUE(Has(kLocal + "\\App\\Logs\\held.log"));
  EXPECT_FALSE(Has(kLocal + "\\App\\Logs\\free.log"));
  EXPECT_TRUE(Says(end.report, "remove " + kLocal + "\\App\\Logs\\held.log: in use by another program")) << end.report;
  // Saved passwords go only by an entry that names them.
  EXPECT_TRUE(Has(fork + "\\Login Data"));
  EXPECT_TRUE(Has(fork + "\\Login Data For Account"));
  EXPECT_FALSE(Has(fork + "\\Visited Links"));
  EXPECT_TRUE(Says(end.report, "FileKey1: " + fork + "\\Login Data: left in place: it holds saved passwords"))
      << end.report;
  EXPECT_FALSE(Has(saved + "\\Login Data"));
  EXPECT_TRUE(Has(chrome + "\\History"));
  EXPECT_TRUE(Says(end.report, "Chrome History: Google Chrome is running (chrome.exe): close it and clean again"))
      << end.report;
  EXPECT_TRUE(end.skipped());
  EXPECT_EQ(end.message, std::string(services::kProgramFilesInUseMessage) + " " + services::kLinksAlsoRefusedMessage +
                             "App" + services::kLinksNamedMessage);
  std::string printed;
  EXPECT_EQ(Command(app::CommandAction::Clean, &printed), app::kExitSkipped);
}

TEST_F(CommunityCleaning, OnlyChosenEntriesOfDetectedApplicationsRunAfterTheBuiltInCleanersAndListShowsThem) {
  sim.files.AddFile(kLocal + "\\Here\\cache\\a.bin");
  sim.files.AddFile(kLocal + "\\Away\\cache\\b.bin");
  sim.files.AddFile(kLocal + "\\Unchosen\\cache\\c.bin");
  sim.files.AddFile(kRules,
                    "[Here *]\nDetectFile=%LocalAppData%\\Here\nFileKey1=%LocalAppData%\\Here\\cache|*\n"
                    "[Away *]\nDetect=HKCU\\Software\\Away\nFileKey1=%LocalAppData%\\Away\\cache|*\n"
                    "[Unchosen *]\nFileKey1=%LocalAppData%\\Unchosen\\cache|*\n");
  Choose("Here");
  Choose("Away");
  Choose("Gone");
  sim.registry.Set(RegRoot::LocalMachine, settings::kSettingsKey, "WindowsRunHist", RegValue::DWord(1));
  services::RunEnd end = Run();
  EXPECT_FALSE(Has(kLocal + "\\Here\\cache\\a.bin"));
  EXPECT_TRUE(Has(kLocal + "\\Away\\cache\\b.bin"));
  EXPECT_TRUE(Has(kLocal + "\\Unchosen\\cache\\c.bin"));
  const size_t builtIn = end.report.find("\r\nRun History\r\n");
  const size_t here = end.report.find("\r\nHere (community cleaner)\r\n  Files and folders removed: 1 file");
  EXPECT_TRUE(builtIn != std::string::npos && here != std::string::npos && builtIn < here) << end.report;
  EXPECT_TRUE(Says(end.report, "Away (community cleaner)\r\n  Not run: its application was not found on this machine."))
      << end.report;
  EXPECT_TRUE(Says(end.report, "Gone (community cleaner)\r\n  Not run: it is no longer in the definitions."))
      << end.report;

  // A detected entry is listed, chosen or not, after the built-in ones.
  sim.registry.Set(RegRoot::CurrentUser, "Software\\Away", "x", RegValue::DWord(1));
  std::string listed;
  EXPECT_EQ(Command(app::CommandAction::List, &listed), app::kExitFinished);
  EXPECT_TRUE(Says(listed, "[x] WindowsRunHist\r\n")) << listed;
  EXPECT_TRUE(Says(listed, "[ ] URLAddressBar\r\n")) << listed;
  // The browsers by their switches (a missing one counts as on), between the two.
  EXPECT_TRUE(Says(listed, "[ ] WindowsTimeline\r\n[x] CleanEdge\r\n")) << listed;
  sim.registry.Set(RegRoot::LocalMachine, settings::kSettingsKey, "CleanVivaldi", RegValue::DWord(0));
  EXPECT_EQ(Command(app::CommandAction::List, &listed), app::kExitFinished);
  EXPECT_TRUE(Says(listed, "[ ] CleanVivaldi\r\n")) << listed;
  EXPECT_TRUE(Says(listed, "[x] CleanFirefox\r\n[x] Away\r\n[x] Here\r\n[ ] Unchosen\r\n")) << listed;
}

TEST_F(CorvaneFixture, RestoringTheDefaultsClearsTheChosenCommunityEntries) {
  MakeSettingsKey();
  ASSERT_TRUE(Start());
  ASSERT_TRUE(settings::StoreCommunityChoice(sim.registry, "Discord", true));
  ASSERT_TRUE(settings::StoreCommunityChoice(sim.registry, "Zoom", true));
  main().RestoreDefaultPreferences();
  std::vector<std::string> chosen;
  EXPECT_EQ(settings::ReadCommunityChoices(sim.registry, &chosen), "");
  EXPECT_TRUE(chosen.empty());
}

}  // namespace
}  // namespace hosttest
