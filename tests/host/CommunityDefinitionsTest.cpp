// The winapp2.ini format as read: the Winapp2 project's own file (test data
// kept outside the repository), every key of the format, and where the
// definitions may come from.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "community/Definitions.h"
#include "community/Sources.h"
#include "platform/sim/SimPlatform.h"

namespace hosttest {
namespace {

using community::Definitions;
using community::Entry;
using community::ParseDefinitions;

std::string RealFile() {
  const std::filesystem::path path = std::filesystem::path(CORVANE_WINAPP2_DIR) / "Winapp2.ini";
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const Entry& EntryNamed(const Definitions& d, const std::string& name) {
  auto it = std::find_if(d.entries.begin(), d.entries.end(), [&](const Entry& e) { return e.name == name; });
  if (it == d.entries.end()) throw std::logic_error("no entry " + name);
  return *it;
}

std::vector<std::string> ProblemTexts(const Definitions& d) {
  std::vector<std::string> texts;
  for (const community::Problem& p : d.problems) texts.push_back(p.entry + ", " + p.key + ": " + p.what);
  return texts;
}

TEST(CommunityDefinitions, EveryEntryOfTheProjectsFileIsReadAndItsMalformedKeysAreNamed) {
  const std::string text = RealFile();
  if (text.empty()) GTEST_SKIP() << "the Winapp2 project's file is not in " << CORVANE_WINAPP2_DIR;
  const Definitions d = ParseDefinitions(text, "Winapp2.ini");
  EXPECT_EQ(d.refused, "");
  EXPECT_EQ(d.version, "Version: 260730");
  EXPECT_EQ(d.entries.size(), 4067u);
  EXPECT_EQ(d.sections, 4067u);
  // The two defects the project's file is known for, and the two entries
  // whose paths have a stray "%": skipped and named, nothing else.
  const std::vector<std::string> problems = ProblemTexts(d);
  EXPECT_EQ(problems,
            (std::vector<std::string>{"Dolby Access, FileKey5: unknown variable \"%Package\"",
                                      "Dropbox, FileKey7: no \"|\" between the folder and the files",
                                      "Moonlighter, DetectFile: a \"%\" with no variable's name after it in "
                                      "\"%UserProfile%\\AppData%\\LocalLow\\11BitStudios\\Moonlighter\"",
                                      "Moonlighter, FileKey1: a \"%\" with no variable's name after it in "
                                      "\"%UserProfile%\\AppData%\\LocalLow\\11BitStudios\\Moonlighter\"",
                                      "Moonlighter, FileKey2: a \"%\" with no variable's name after it in "
                                      "\"%UserProfile%\\AppData%\\LocalLow\\11BitStudios\\Moonlighter\\Unity\"",
                                      "Moonlighter, : nothing left to clean: the entry is not offered",
                                      "Samsung Live Wallpaper, FileKey5: unknown variable \"%Package\"",
                                      "Samsung Live Wallpaper, FileKey6: unknown variable \"%Package\"",
                                      "Samsung Odyssey 3D Hub, FileKey1: a \"%\" with no variable's name after it in "
                                      "\"%UserProfile%\\AppData%\\LocalLow\\Samsung\\Odyssey3DHubUI\"",
                                      "Samsung Odyssey 3D Hub, : nothing left to clean: the entry is not offered"}));
  // The rest of those entries stands.
  EXPECT_EQ(EntryNamed(d, "Dropbox").files.size(), 26u);
  EXPECT_EQ(EntryNamed(d, "Dolby Access").files.size(), 4u);
  size_t files = 0, keys = 0, exclusions = 0;
  for (const Entry& e : d.entries) {
    files += e.files.size();
    keys += e.registry.size();
    exclusions += e.exclusions.size();
  }
  EXPECT_EQ(files, 14118u - 7u);
  EXPECT_EQ(keys, 3677u);
  EXPECT_EQ(exclusions, 86u);

  const Entry& discord = EntryNamed(d, "Discord");
  EXPECT_EQ(discord.group, "Internet");
  ASSERT_EQ(discord.detectKeys.size(), 3u);
  EXPECT_EQ(discord.detectKeys[0].path, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Discord");
  EXPECT_EQ(discord.files[2].folder, "%AppData%\\Discord*");
  EXPECT_EQ(discord.files[2].patterns, (std::vector<std::string>{"*-journal", "*.old", "*.tmp", "LOG", "modules.log",
                                                                 "Network Persistent State", "QuotaManager"}));
  EXPECT_TRUE(discord.files[2].recurse);
  EXPECT_FALSE(discord.files[2].removeSelf);
  EXPECT_TRUE(discord.files[3].removeSelf);
  EXPECT_EQ(EntryNamed(d, "Steam").group, "Games");
}

TEST(CommunityDefinitions, KeysVariablesRootsAndFlagsMatchWithoutRegardToCaseAndTheRestIsNamed) {
  const Definitions d = ParseDefinitions(
      "[Tool *]\r\n"
      "langsecref=3024\r\n"
      "DETECT=hkey_local_machine\\Software\\Tool\\\r\n"
      "detectfile1=%localappdata%\\Tool*\\bin\r\n"
      "DetectOS=6.2|\r\n"
      "SpecialDetect=det_chrome\r\n"
      "Warning=It forgets your layout.\r\n"
      "filekey1=%LOCALAPPDATA%\\Tool\\\\Cache\\|*.tmp; *.log ;|removeself\r\n"
      "FileKey2=%ProgramFiles%/Tool|a.txt|RECURSE\r\n"
      "RegKey1=hkcu\\Software\\Tool|Last Path\r\n"
      "RegKey2=HKCR\\.tool\r\n"
      "ExcludeKey1=file|%LocalAppData%\\Tool\\Cache\\|keep.log\r\n"
      "ExcludeKey2=Path|%LocalAppData%\\Tool\\|*.cfg\r\n"
      "ExcludeKey3=reg|HKCU\\Software\\Tool|Keep\r\n"
      "FileKey3=%LocalAppData%\\Tool|*|DELETEALL\r\n"
      "FileKey4=%LocalAppData%\\..\\Roaming|*\r\n"
      "FileKey5=Tool\\Cache|*\r\n"
      "RegKey3=HKXX\\Software\\Tool\r\n"
      "Colour=blue\r\n"
      "\r\n"
      "[Other]\r\n"
      "Section=Games\r\n"
      "LangSecRef=3021\r\n"
      "RegKey1=HKU\\.DEFAULT\\Software\\Other\r\n"
      "[Tool *]\r\n"
      "RegKey1=HKCU\\Software\\Twice\r\n",
      "test.ini");
  ASSERT_EQ(d.entries.size(), 2u);
  const Entry& tool = d.entries[0];
  EXPECT_EQ(tool.name, "Tool");
  EXPECT_EQ(tool.group, "Utilities");
  EXPECT_EQ(tool.source, "test.ini");
  ASSERT_EQ(tool.detectKeys.size(), 1u);
  EXPECT_EQ(tool.detectKeys[0].hive, community::Hive::LocalMachine);
  EXPECT_EQ(tool.detectKeys[0].path, "Software\\Tool");
  EXPECT_EQ(tool.detectFiles, std::vector<std::string>{"%localappdata%\\Tool*\\bin"});
  ASSERT_TRUE(tool.detectOs && tool.detectOs->min);
  EXPECT_EQ(*tool.detectOs->min, 602u);
  EXPECT_FALSE(tool.detectOs->max);
  EXPECT_EQ(tool.specialDetects, std::vector<community::SpecialDetect>{community::SpecialDetect::Chrome});
  EXPECT_EQ(tool.warning, "It forgets your layout.");
  ASSERT_EQ(tool.files.size(), 2u);
  EXPECT_EQ(tool.files[0].folder, "%LOCALAPPDATA%\\Tool\\Cache");
  EXPECT_EQ(tool.files[0].patterns, (std::vector<std::string>{"*.tmp", "*.log"}));
  EXPECT_TRUE(tool.files[0].recurse && tool.files[0].removeSelf);
  EXPECT_EQ(tool.files[1].folder, "%ProgramFiles%\\Tool");
  EXPECT_TRUE(tool.files[1].recurse && !tool.files[1].removeSelf);
  ASSERT_EQ(tool.registry.size(), 2u);
  EXPECT_EQ(tool.registry[0].at.hive, community::Hive::CurrentUser);
  EXPECT_EQ(tool.registry[0].value, std::optional<std::string>("Last Path"));
  EXPECT_EQ(tool.registry[1].at.hive, community::Hive::ClassesRoot);
  EXPECT_FALSE(tool.registry[1].value);
  ASSERT_EQ(tool.exclusions.size(), 3u);
  EXPECT_EQ(tool.exclusions[0].kind, community::Exclusion::Kind::File);
  EXPECT_EQ(tool.exclusions[0].folder, "%LocalAppData%\\Tool\\Cache");
  EXPECT_EQ(tool.exclusions[1].kind, community::Exclusion::Kind::Path);
  EXPECT_EQ(tool.exclusions[2].kind, community::Exclusion::Kind::Registry);
  EXPECT_EQ(tool.exclusions[2].value, std::optional<std::string>("Keep"));
  // A Section is the entry's own word over a LangSecRef; HKU's accounts are paths.
  EXPECT_EQ(d.entries[1].group, "Games");
  EXPECT_EQ(d.entries[1].registry[0].at.path, ".DEFAULT\\Software\\Other");
  EXPECT_EQ(ProblemTexts(d), (std::vector<std::string>{
                                 "Tool, FileKey3: unknown flag \"DELETEALL\"",
                                 "Tool, FileKey4: a folder named \"..\" in \"%LocalAppData%\\..\\Roaming\"",
                                 "Tool, FileKey5: not a full path: \"Tool\\Cache\"",
                                 "Tool, RegKey3: unknown root \"HKXX\"",
                                 "Tool, Colour: unknown key \"Colour\"",
                                 "Tool, : a second entry of this name: the first one is used",
                             }));
  EXPECT_EQ(community::GroupOfLangSecRef("3031"), "Windows Store");
  EXPECT_EQ(community::GroupOfLangSecRef("3099"), "3099");
}

TEST(CommunityDefinitions, AFileThatIsNotTextIsTooLargeOrHoldsNoEntryIsRefusedAndUtf16IsText) {
  EXPECT_EQ(ParseDefinitions(std::string("[A]\0RegKey1=HKCU\\A", 18), "a").refused, "not a text file");
  EXPECT_EQ(ParseDefinitions("[A]\nRegKey1=HKCU\\\xE9t\xE9", "a").refused, "not text in UTF-8 (save it as UTF-8)");
  EXPECT_EQ(ParseDefinitions("; nothing but a comment\n", "a").refused, "it holds no entry");
  EXPECT_EQ(ParseDefinitions(std::string(community::kMaxDefinitionBytes + 1, ' '), "a").refused, "larger than 16 MB");
  // "[Été]\r\nRegKey1=HKCU\Été" in UTF-16 with its byte-order mark.
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : std::u16string(u"[\u00C9t\u00E9]\r\nRegKey1=HKCU\\\u00C9t\u00E9\r\n")) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  const Definitions d = ParseDefinitions(utf16, "a");
  ASSERT_EQ(d.entries.size(), 1u);
  EXPECT_EQ(d.entries[0].name, "\xC3\x89t\xC3\xA9");
  EXPECT_EQ(d.entries[0].registry[0].at.path, "\xC3\x89t\xC3\xA9");
}

// A machine with definitions in the program's folder and the user's.
class CommunitySources : public ::testing::Test {
 protected:
  const std::string kProgram = "C:\\Program Files\\Corvane\\winapp2.ini";
  const std::string kUser = "C:\\users\\user\\AppData\\Roaming\\Corvane\\Cleaners";
  platform::sim::SimPlatform sim;
};

TEST_F(CommunitySources, TheUsersEntriesReplaceTheProgramFoldersAndFilesOthersCanChangeAreNotRead) {
  sim.files.AddFile(kProgram,
                    "[Alpha *]\nRegKey1=HKCU\\Software\\Admin\n[Beta *]\nLangSecRef=3023\nRegKey1=HKCU\\Software\\B\n");
  sim.files.AddFile(kUser + "\\winapp2.ini", "[alpha *]\nRegKey1=HKCU\\Software\\Downloaded\n");
  sim.files.AddFile(kUser + "\\mine.ini", "[Alpha *]\nRegKey1=HKCU\\Software\\Mine\n");
  sim.files.AddFile(kUser + "\\notes.txt", "[Gamma *]\nRegKey1=HKCU\\Software\\G\n");
  sim.files.AddFile("C:\\Program Files\\Corvane\\Settings\\planted.ini", "[Delta *]\nRegKey1=HKCU\\Software\\D\n");
  community::Catalogue catalogue = community::LoadCatalogue(sim.platform);
  ASSERT_EQ(catalogue.entries.size(), 2u);
  // Grouped: Applications before Multimedia.
  EXPECT_EQ(catalogue.entries[0].name, "Alpha");
  EXPECT_EQ(catalogue.entries[0].registry[0].at.path, "Software\\Mine");
  EXPECT_EQ(catalogue.entries[1].name, "Beta");
  EXPECT_EQ(catalogue.read, 4u);
  std::vector<std::string> sources;
  for (const community::Source& s : catalogue.sources) sources.push_back(s.path + ": " + s.refused);
  EXPECT_EQ(sources, (std::vector<std::string>{
                         kProgram + ": ",
                         "C:\\Program Files\\Corvane\\Settings\\planted.ini: not read: every account may change the "
                         "files of this shared folder",
                         kUser + "\\winapp2.ini: ",
                         kUser + "\\mine.ini: ",
                     }));

  // The Users group given write access to the user's folder: nothing of it is read.
  const std::string user = platform::sim::kSimUserSid;
  sim.files.SetSecurity(kUser, {user, {{user, 0x1F01FF}, {"S-1-5-32-545", 0x6}}});
  catalogue = community::LoadCatalogue(sim.platform);
  ASSERT_EQ(catalogue.entries.size(), 2u);
  EXPECT_EQ(catalogue.entries[0].registry[0].at.path, "Software\\Admin");
  EXPECT_EQ(catalogue.sources[3].refused, "other accounts may change " + kUser);
  // One above it another account's: the same.
  sim.files.SetSecurity(kUser, {user, {{user, 0x1F01FF}}});
  sim.files.SetSecurity("C:\\users\\user\\AppData\\Roaming\\Corvane", {"S-1-5-21-1-2-3-1002", {}});
  catalogue = community::LoadCatalogue(sim.platform);
  EXPECT_EQ(catalogue.entries[0].registry[0].at.path, "Software\\Admin");
  EXPECT_EQ(catalogue.sources[3].refused, "another account owns C:\\users\\user\\AppData\\Roaming\\Corvane");
  sim.files.SetSecurity("C:\\users\\user\\AppData\\Roaming\\Corvane", {user, {{user, 0x1F01FF}}});
  EXPECT_EQ(community::LoadCatalogue(sim.platform).entries[0].registry[0].at.path, "Software\\Mine");

  // A link in the folder's place leads nowhere.
  sim.files.AddDirectory("C:\\ProgramData\\Elsewhere");
  sim.files.AddFile("C:\\ProgramData\\Elsewhere\\evil.ini", "[Alpha *]\nRegKey1=HKCU\\Software\\Evil\n");
  sim.files.Move(kUser, "C:\\users\\user\\Cleaners.old");
  sim.files.AddFolderLink(kUser, "C:\\ProgramData\\Elsewhere");
  catalogue = community::LoadCatalogue(sim.platform);
  EXPECT_EQ(catalogue.entries[0].registry[0].at.path, "Software\\Admin");
  EXPECT_EQ(catalogue.sources.back().refused, kUser + " is a link to another place");
}

}  // namespace
}  // namespace hosttest
