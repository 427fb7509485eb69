// Steps 8 to 17 on the simulated machine: the keys and values each removes,
// the chains of dependent deletions, the purged folders and the recycle bin.
#include "CleanerFixture.h"

namespace hosttest {
namespace {

const char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
const char kBars[] = "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\";
const char kAcMru[] = "Software\\Microsoft\\Search Assistant\\ACMru\\";
const char kTelnet[] = "Software\\Microsoft\\Telnet";
const char kWinlogonNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char kWinlogonLm[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Winlogon";
const char kTemp[] = "C:\\users\\user\\AppData\\Local\\Temp";
const char kRecent[] = "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent";
const char kNetHood[] = "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts";

using WindowsStepsTest = CleanerFixture;

TEST_F(WindowsStepsTest, TheKeyStepsDeleteTheirWholeKeysAndAMissingOneDoesNotStopTheNext) {
  MakeKey("Software\\Microsoft\\RAS Autodial\\Addresses");
  MakeKey(Join(kExplorer, "Doc Find Spec MRU"));
  // ContainingTextMRU is missing.
  MakeKey(Join(kBars, "FilesNamedMRU"));
  MakeKey(Join(kAcMru, "5603"));
  MakeKey(Join(kAcMru, "5604"));
  MakeKey(Join(kExplorer, "FindComputerMRU"));
  MakeKey(Join(kBars, "ComputerNameMRU"));
  MakeKey(Join(kAcMru, "5001"));
  MakeKey(Join(kAcMru, "5647"));
  MakeKey(Join(kExplorer, "RunMRU"));
  MakeKey(Join(kAcMru, "5605"));  // not a target
  MakeKey("Software\\Microsoft\\RAS Autodial\\Default");
  thread->Select("AutoDialHistory");
  thread->Select("FindFileHistory");
  thread->Select("FindCompHistory");
  thread->Select("WindowsRunHist");
  Run();
  for (const std::string& gone :
       {std::string("Software\\Microsoft\\RAS Autodial\\Addresses"), Join(kExplorer, "Doc Find Spec MRU"),
        Join(kBars, "FilesNamedMRU"), Join(kAcMru, "5603"), Join(kAcMru, "5604"), Join(kExplorer, "FindComputerMRU"),
        Join(kBars, "ComputerNameMRU"), Join(kAcMru, "5001"), Join(kAcMru, "5647"), Join(kExplorer, "RunMRU")}) {
    EXPECT_FALSE(HasKey(gone)) << gone;
  }
  EXPECT_TRUE(HasKey(Join(kAcMru, "5605")));
  EXPECT_TRUE(HasKey("Software\\Microsoft\\RAS Autodial\\Default"));
}

TEST_F(WindowsStepsTest, TelnetDeletesEightNumberedHostsAndTheLastChainWhileItHolds) {
  for (int n = 1; n <= 9; ++n) {
    for (const char* name : {"Machine", "Service", "TermType"}) SetValue(kTelnet, name + std::to_string(n));
  }
  SetValue(kTelnet, "Other");
  for (const char* name : {"LastMachine", "LastService", "LastTermType"}) SetValue(kTelnet, name);
  thread->Select("TelenetHistory");
  Run();
  EXPECT_EQ(sim.registry.ValueNames(RegRoot::CurrentUser, kTelnet),
            (Names{"Machine9", "Other", "Service9", "TermType9"}));

  // No LastMachine: the other two stay.
  SetValue(kTelnet, "LastService");
  SetValue(kTelnet, "LastTermType");
  Run();
  EXPECT_TRUE(HasValue(kTelnet, "LastService"));
  EXPECT_TRUE(HasValue(kTelnet, "LastTermType"));

  // LastMachine but no LastService: LastTermType stays.
  sim.registry.DeleteValue(RegRoot::CurrentUser, kTelnet, "LastService");
  SetValue(kTelnet, "LastMachine");
  Run();
  EXPECT_FALSE(HasValue(kTelnet, "LastMachine"));
  EXPECT_TRUE(HasValue(kTelnet, "LastTermType"));
}

TEST_F(WindowsStepsTest, LastLogonDeletesEachNameOnlyWhenTheOneBeforeWent) {
  thread->Select("LastLogonHistory");
  SetValue(kWinlogonNt, "AltDefaultUserName");
  SetValue(kWinlogonLm, "DefaultUserName", RegRoot::LocalMachine);
  Run();  // no DefaultUserName for the user: nothing else is touched
  EXPECT_TRUE(HasValue(kWinlogonNt, "AltDefaultUserName"));
  EXPECT_TRUE(HasValue(kWinlogonLm, "DefaultUserName", RegRoot::LocalMachine));

  SetValue(kWinlogonNt, "DefaultUserName");
  sim.registry.DeleteValue(RegRoot::CurrentUser, kWinlogonNt, "AltDefaultUserName");
  Run();  // the alternative name is missing: the machine's value stays
  EXPECT_FALSE(HasValue(kWinlogonNt, "DefaultUserName"));
  EXPECT_TRUE(HasValue(kWinlogonLm, "DefaultUserName", RegRoot::LocalMachine));

  SetValue(kWinlogonNt, "DefaultUserName");
  SetValue(kWinlogonNt, "AltDefaultUserName");
  SetValue(kWinlogonNt, "Shell");
  Run();
  EXPECT_FALSE(HasValue(kWinlogonNt, "DefaultUserName"));
  EXPECT_FALSE(HasValue(kWinlogonNt, "AltDefaultUserName"));
  EXPECT_FALSE(HasValue(kWinlogonLm, "DefaultUserName", RegRoot::LocalMachine));
  EXPECT_TRUE(HasValue(kWinlogonNt, "Shell"));
}

TEST_F(WindowsStepsTest, TheTemporaryFolderLosesItsDesktopIniFilesButKeepsWhatIsInUse) {
  sim.files.AddFile(Join(kTemp, "\\desktop.ini"));
  sim.files.AddFile(Join(kTemp, "\\a\\b\\Desktop.ini"));
  sim.files.AddFile(Join(kTemp, "\\a\\x.tmp"), "", platform::kAttrReadOnly | platform::kAttrHidden);
  sim.files.AddFile(Join(kTemp, "\\busy\\setup.log"));
  sim.files.HoldOpen(Join(kTemp, "\\busy\\setup.log"));
  thread->Select("WindowsTempFiles");
  Run();
  EXPECT_EQ(List(kTemp), Names{"busy"});
  EXPECT_EQ(List(Join(kTemp, "\\busy")), Names{"setup.log"});

  sim.shell.tempFolder.clear();  // no temporary folder: nothing to do, nothing raised
  Run();
  EXPECT_TRUE(thread->finished());
}

TEST_F(WindowsStepsTest, ATemporaryFolderThatIsOneOfTheSystemsFoldersOrHoldsTheProfileIsLeftAlone) {
  const char* kept[] = {"C:\\pagefile.sys",
                        "C:\\users\\user\\Documents\\thesis.doc",
                        "C:\\users\\user\\Desktop\\todo.txt",
                        "C:\\users\\Public\\Music\\song.mp3",
                        "C:\\windows\\win.ini",
                        "C:\\windows\\system32\\kernel32.dll",
                        "C:\\Program Files\\Corvane\\corvane.exe",
                        "C:\\users\\user\\AppData\\Local\\app.db",
                        "C:\\Data\\users\\user\\file.txt"};
  for (const char* file : kept) sim.files.AddFile(file);
  sim.files.AddFile("C:\\Work\\Temp\\a.tmp");
  // 8.3 names, as GetTempPath often gives them.
  sim.files.SetShortName("C:\\users\\user\\Desktop", "DESKTO~1");
  sim.files.SetShortName("C:\\Program Files", "PROGRA~1");
  thread->Select("WindowsTempFiles");
  for (const char* temp : {"C:\\", "C:\\users\\user\\", "C:\\USERS\\USER\\Documents\\", "C:\\Windows\\",
                           "C:\\users\\user\\DESKTO~1\\", "C:\\users\\", "C:\\users\\Public\\", "C:\\PROGRA~1\\",
                           "C:\\windows\\system32\\", "C:\\users\\user\\AppData\\Local\\"}) {
    sim.shell.tempFolder = temp;
    Run();
    EXPECT_TRUE(thread->finished());
    // Told, never a silent success.
    ASSERT_EQ(thread->skips().size(), 1u) << temp;
    EXPECT_TRUE(thread->skips()[0].refused) << temp;
  }
  // A folder above the profile, where the profile lives elsewhere.
  sim.shell.specialFolders[platform::kCsidlProfile] = "C:\\Data\\users\\user";
  sim.shell.tempFolder = "C:\\Data\\";
  Run();
  for (const char* file : kept) EXPECT_TRUE(sim.files.IsFile(file)) << file;

  sim.shell.tempFolder = "C:\\Work\\Temp\\";  // anywhere else is purged
  Run();
  EXPECT_TRUE(List("C:\\Work\\Temp").empty());
}

TEST_F(WindowsStepsTest, EveryKnownFolderIsRefusedAsTheTemporaryFolderByItsNameAsTheFileSystemComparesIt) {
  // A profile named outside ASCII, whose folders a letter-case change of
  // A to Z alone would not recognise.
  const std::string profile = "C:\\Users\\\xC3\x89lodie";  // Élodie
  const std::pair<int, std::string> known[] = {
      {platform::kCsidlProfile, profile},
      {platform::kCsidlPersonal, profile + "\\Documents"},
      {platform::kKnownFolderDownloads, profile + "\\T\xC3\xA9l\xC3\xA9"
                                                  "chargements"},  // Téléchargements
      {platform::kCsidlMyPictures, profile + "\\Pictures"},
      {platform::kCsidlMyMusic, profile + "\\Music"},
      {platform::kCsidlMyVideo, profile + "\\Videos"},
      {platform::kKnownFolderOneDrive, profile + "\\OneDrive"},
      {platform::kCsidlCommonVideo, "C:\\Users\\Public\\Videos"},
  };
  std::vector<std::string> kept;
  for (const auto& [id, folder] : known) {
    sim.shell.specialFolders[id] = folder;
    kept.push_back(folder + "\\kept.txt");
  }
  kept.push_back("C:\\Program Files\\App\\Temp\\setup.log");
  kept.push_back("C:\\Windows\\Logs\\service.log");
  for (const std::string& file : kept) sim.files.AddFile(file);
  sim.files.SetShortName(profile + "\\OneDrive", "ONEDRI~1");
  thread->Select("WindowsTempFiles");
  for (std::string temp : {"C:\\USERS\\\xC3\xA9LODIE\\",
                           "C:\\users\\\xC3\xA9lodie\\t\xC3\x89L\xC3\x89"
                           "CHARGEMENTS\\",
                           "c:\\users\\\xC3\xA9LODIE\\pictures\\", "C:\\Users\\\xC3\x89lodie\\ONEDRI~1\\",
                           "C:\\Users\\\xC3\x89lodie\\ONEDRI~9\\", "C:\\Users\\Public\\",
                           "C:\\Program Files\\App\\Temp\\", "C:\\Windows\\Logs\\"}) {
    sim.shell.tempFolder = temp;
    Run();
    EXPECT_TRUE(thread->finished()) << temp;
  }
  for (const std::string& file : kept) EXPECT_TRUE(sim.files.IsFile(file)) << file;

  // The Windows folder's own Temp, the system accounts' temporary folder, is emptied.
  sim.files.AddFile("C:\\Windows\\Temp\\service.log");
  sim.shell.tempFolder = "C:\\WINDOWS\\TEMP\\";
  Run();
  EXPECT_FALSE(sim.files.IsFile("C:\\Windows\\Temp\\service.log"));
}

// Recent holds the recent items' shortcuts beside every program's jump list
// and Quick Access's pins: only the shortcuts go.
TEST_F(WindowsStepsTest, RecentDocumentsLoseTheirShortcutsOnlyAndTheKeyGoesWithoutTheFolder) {
  sim.files.AddFile(Join(kRecent, "\\desktop.ini"), "keep");
  sim.files.AddFile(Join(kRecent, "\\report.doc.lnk"));
  sim.files.AddFile(Join(kRecent, "\\Plan.LNK"), "", platform::kAttrReadOnly);
  sim.files.AddFile(Join(kRecent, "\\notes.txt"), "not a shortcut");
  sim.shell.SetJumpList("Microsoft.Office.WINWORD.EXE.15", {{"pinned.docx"}, {"letter.docx"}, {}});
  MakeKey(Join(kExplorer, "RecentDocs"));
  thread->Select("RecentDocs");
  Run();
  EXPECT_EQ(List(kRecent), (Names{"AutomaticDestinations", "CustomDestinations", "desktop.ini", "notes.txt"}));
  EXPECT_EQ(sim.shell.JumpListOf("Microsoft.Windows.Explorer").pinned,
            std::vector<std::string>{platform::sim::kQuickAccessPin});
  EXPECT_EQ(sim.shell.JumpListOf("Microsoft.Office.WINWORD.EXE.15").recent, std::vector<std::string>{"letter.docx"})
      << "a jump list is the jump-list step's";
  EXPECT_TRUE(sim.files.IsFile(platform::sim::kCustomDestinations));
  EXPECT_FALSE(HasKey(Join(kExplorer, "RecentDocs")));

  sim.shell.specialFolders.erase(platform::kCsidlRecent);
  MakeKey(Join(kExplorer, "RecentDocs"));
  Run();
  EXPECT_FALSE(HasKey(Join(kExplorer, "RecentDocs")));
}

// A network location is a read-only folder holding desktop.ini, which makes
// Explorer show it as a place, and target.lnk: it goes whole or stays whole.
TEST_F(WindowsStepsTest, NetworkPlacesLoseEachLocationWholeAndKeepOneInUseWhole) {
  const uint32_t hiddenSystem = platform::kAttrHidden | platform::kAttrSystem;
  for (const char* location : {"\\Team share (server)", "\\Photos (nas)", "\\Held (server)"}) {
    sim.files.AddDirectory(Join(kNetHood, location));
    sim.files.SetAttributes(Join(kNetHood, location), platform::kAttrDirectory | platform::kAttrReadOnly);
    sim.files.AddFile(Join(kNetHood, location) + "\\desktop.ini", "[.ShellClassInfo]", hiddenSystem);
    sim.files.AddFile(Join(kNetHood, location) + "\\target.lnk", "\\\\server\\share");
  }
  sim.files.HoldOpen(Join(kNetHood, "\\Held (server)\\target.lnk"));
  sim.files.AddFile(Join(kNetHood, "\\desktop.ini"), "the folder's own");
  sim.files.AddFile(Join(kNetHood, "\\old place.lnk"));
  thread->Select("NetworkHistory");
  Run();
  EXPECT_EQ(List(kNetHood), (Names{"desktop.ini", "Held (server)"}));
  EXPECT_EQ(List(Join(kNetHood, "\\Held (server)")), (Names{"desktop.ini", "target.lnk"})) << "still a place";
}

// The folders the system names are their owner's to move with a junction:
// emptied where they lead. The temporary folder only where that place is
// not one of the user's or the system's own; left alone, it is told.
TEST_F(WindowsStepsTest, AFolderMovedWithALinkIsEmptiedWhereItLeadsUnlessTheTemporaryFolderLeadsToAKnownOne) {
  const std::string documents = "C:\\users\\user\\Documents";
  sim.files.AddFile(documents + "\\thesis.doc", "mine");
  sim.files.AddFile(documents + "\\sub\\notes.txt", "mine");
  sim.files.AddFile("D:\\Recent\\report.doc.lnk");
  sim.files.AddFile("D:\\Recent\\desktop.ini", "keep");
  sim.files.AddFile("D:\\NetHood\\server\\target.lnk");
  sim.files.AddFolderLink(kTemp, documents);
  sim.files.AddFolderLink(kRecent, "D:\\Recent");
  sim.files.AddFolderLink(kNetHood, "D:\\NetHood");
  thread->Select("WindowsTempFiles");
  thread->Select("RecentDocs");
  thread->Select("NetworkHistory");
  Run();
  EXPECT_TRUE(thread->finished());
  EXPECT_EQ(sim.files.Content(documents + "\\thesis.doc"), "mine");
  EXPECT_EQ(sim.files.Content(documents + "\\sub\\notes.txt"), "mine");
  EXPECT_EQ(List("D:\\Recent"), Names{"desktop.ini"});
  EXPECT_TRUE(List("D:\\NetHood").empty());
  ASSERT_EQ(thread->skips().size(), 1u);
  EXPECT_EQ(thread->skips()[0].cleaner, *cleaner::CleanerIndexOf("WindowsTempFiles"));
  EXPECT_EQ(thread->skips()[0].what, kTemp);

  // Led anywhere else, the temporary folder is emptied, and nothing is told.
  sim.files.AddFile("D:\\Temp\\setup.log");
  sim.files.RemoveFolder(kTemp);
  sim.files.AddFolderLink(kTemp, "D:\\Temp");
  Run();
  EXPECT_TRUE(List("D:\\Temp").empty());
  EXPECT_TRUE(thread->skips().empty());
  EXPECT_EQ(sim.files.Content(documents + "\\thesis.doc"), "mine");
}

// TEMP names a folder at the root of the system drive, where any account
// may make folders: another account made it first, or a junction in its
// place that leads into this user's data, or another account's.
TEST_F(WindowsStepsTest, ATemporaryFolderAnotherAccountMadeIsEmptiedOnlyWhereItLeadsOutsideEveryonesFolders) {
  const std::string firefox = "C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default";
  const std::string theirs = "C:\\users\\other\\AppData\\Local\\Temp";
  sim.files.AddFile(firefox + "\\logins.json", "mine");
  sim.files.AddFile(firefox + "\\key4.db", "mine");
  sim.files.AddFile(theirs + "\\draft.tmp", "theirs");
  sim.files.AddFile("\\\\server\\share\\shared.doc", "ours");
  sim.files.AddFile("C:\\ProgramData\\App\\licence.key", "everyone's");
  thread->Select("WindowsTempFiles");
  sim.shell.tempFolder = "C:\\Temp\\";
  const size_t temp = *cleaner::CleanerIndexOf("WindowsTempFiles");
  for (const std::string& target : {std::string("C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox"), theirs,
                                    std::string("C:\\ProgramData\\App")}) {
    sim.files.RemoveFolder("C:\\Temp");
    sim.files.AddFolderLink("C:\\Temp", target);
    Run();
    ASSERT_EQ(thread->skips().size(), 1u) << target;
    EXPECT_EQ(thread->skips()[0].cleaner, temp);
    EXPECT_EQ(thread->skips()[0].what, "C:\\Temp");
    EXPECT_TRUE(thread->skips()[0].link);
  }
  EXPECT_EQ(sim.files.Content(firefox + "\\logins.json"), "mine");
  EXPECT_EQ(sim.files.Content(firefox + "\\key4.db"), "mine");
  EXPECT_EQ(sim.files.Content(theirs + "\\draft.tmp"), "theirs");
  EXPECT_EQ(sim.files.Content("C:\\ProgramData\\App\\licence.key"), "everyone's");

  // A share's root is a root, whatever its number of names.
  sim.shell.tempFolder = "\\\\server\\share\\";
  Run();
  EXPECT_EQ(sim.files.Content("\\\\server\\share\\shared.doc"), "ours");
  ASSERT_EQ(thread->skips().size(), 1u);
  EXPECT_EQ(thread->skips()[0].what, "\\\\server\\share");
  EXPECT_TRUE(thread->skips()[0].refused);

  // The folder itself, made by the other account, is emptied, links inside removed as links.
  sim.shell.tempFolder = "C:\\Temp\\";
  sim.files.RemoveFolder("C:\\Temp");
  sim.files.AddFile("C:\\Temp\\setup.log");
  sim.files.AddFolderLink("C:\\Temp\\profile", firefox);
  Run();
  EXPECT_TRUE(List("C:\\Temp").empty());
  EXPECT_TRUE(thread->skips().empty());
  EXPECT_EQ(sim.files.Content(firefox + "\\key4.db"), "mine");
}

// Checked and emptied through one handle: the other account that swaps the
// folder for a junction once it has been checked leads the purge nowhere.
TEST_F(WindowsStepsTest, ATemporaryFolderSwappedForALinkAfterItsCheckIsEmptiedWhereItWasChecked) {
  const std::string documents = "C:\\users\\user\\Documents";
  sim.files.AddFile(documents + "\\thesis.doc", "mine");
  sim.files.AddFile("C:\\Temp\\setup.log");
  sim.shell.tempFolder = "C:\\Temp\\";
  thread->Select("WindowsTempFiles");
  sim.files.gate.HoldAt("LongPathName", 1);  // the check's first known folder: the name was looked at
  thread->Start();
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));
  sim.files.Move("C:\\Temp", "C:\\Moved");
  sim.files.AddFolderLink("C:\\Temp", documents);
  sim.files.gate.Release();
  ASSERT_TRUE(ui.WaitForPosted(10000));
  ui.RunPosted();
  EXPECT_EQ(sim.files.Content(documents + "\\thesis.doc"), "mine");
  EXPECT_TRUE(List("C:\\Moved").empty()) << "the folder checked is the one emptied";
}

TEST_F(WindowsStepsTest, TheRecycleBinIsEmptiedSilentlyAlsoWhenEmptyAndAFailureIsIgnored) {
  sim.shell.recycled = {"a.txt", "b.txt"};
  thread->Select("RecycleBin");
  thread->Select("RecentDocs");
  Run();
  EXPECT_TRUE(sim.shell.recycled.empty());
  Run();
  sim.shell.recycleBinResult = platform::kHresultFail;
  MakeKey(Join(kExplorer, "RecentDocs"));
  Run();
  EXPECT_EQ(sim.shell.recycleBinCalls, (std::vector<uint32_t>{7, 7, 7}));
  EXPECT_FALSE(HasKey(Join(kExplorer, "RecentDocs"))) << "the run went on";
}

// What Windows 10 and 11 keep.
const char kLocal[] = "C:\\users\\user\\AppData\\Local";

TEST_F(WindowsStepsTest, ExplorerAndTheFileDialogsLoseTheirListsAndKeepTheirOtherSettings) {
  for (const char* list :
       {"TypedPaths", "WordWheelQuery", "ComDlg32\\OpenSavePidlMRU\\*", "ComDlg32\\OpenSavePidlMRU\\docx",
        "ComDlg32\\LastVisitedPidlMRU", "ComDlg32\\LastVisitedPidlMRULegacy", "ComDlg32\\CIDSizeMRU"}) {
    MakeKey(Join(kExplorer, list));
  }
  SetValue(Join(kExplorer, "ComDlg32"), "FirstFolder");
  SetValue(Join(kExplorer, "Advanced"), "HideFileExt");
  thread->Select("ExplorerTypedPaths");
  thread->Select("ExplorerSearchHistory");
  thread->Select("FileDialogHistory");
  Run();
  for (const char* gone : {"TypedPaths", "WordWheelQuery", "ComDlg32\\OpenSavePidlMRU", "ComDlg32\\LastVisitedPidlMRU",
                           "ComDlg32\\LastVisitedPidlMRULegacy"}) {
    EXPECT_FALSE(HasKey(Join(kExplorer, gone))) << gone;
  }
  EXPECT_TRUE(HasKey(Join(kExplorer, "ComDlg32\\CIDSizeMRU"))) << "the dialogs' sizes are no history";
  EXPECT_TRUE(HasValue(Join(kExplorer, "ComDlg32"), "FirstFolder"));
  EXPECT_TRUE(HasValue(Join(kExplorer, "Advanced"), "HideFileExt"));
}

TEST_F(WindowsStepsTest, JumpListsLoseTheirRecentAndFrequentItemsAndKeepTheirPins) {
  using JumpList = platform::sim::SimShell::JumpList;
  sim.shell.applicationIds = {"Microsoft.Windows.Explorer", "Microsoft.Office.WINWORD.EXE.15"};
  // The lists are files in Recent, as Windows keeps them; their identifiers' case does not count.
  sim.shell.SetJumpList("microsoft.windows.explorer", {{"C:\\Projects"}, {"C:\\Secret"}, {"C:\\Often"}});
  sim.shell.SetJumpList("Microsoft.Office.WINWORD.EXE.15", {{}, {"letter.docx"}, {}});
  // An application the shell does not list keeps its list: its identifier is not known.
  sim.shell.SetJumpList("Unlisted.App", {{}, {"kept.txt"}, {}});
  const std::string explorerFile = sim.shell.JumpListFile("Microsoft.Windows.Explorer");
  EXPECT_EQ(explorerFile.rfind(Join(kRecent, "\\AutomaticDestinations\\"), 0), 0u) << explorerFile;
  thread->Select("JumpListHistory");
  Run();
  const JumpList explorer = sim.shell.JumpListOf("Microsoft.Windows.Explorer");
  EXPECT_EQ(explorer.pinned, std::vector<std::string>{"C:\\Projects"});
  EXPECT_TRUE(explorer.recent.empty());
  EXPECT_TRUE(explorer.frequent.empty());
  EXPECT_TRUE(sim.shell.JumpListOf("Microsoft.Office.WINWORD.EXE.15").recent.empty());
  EXPECT_EQ(sim.shell.JumpListOf("Unlisted.App").recent, std::vector<std::string>{"kept.txt"});
  EXPECT_TRUE(sim.files.IsFile(platform::sim::kCustomDestinations)) << "the applications' own tasks stay";
  EXPECT_TRUE(thread->skips().empty());

  // The applications cannot be listed: nothing changes, and the run says so.
  sim.shell.applicationIdsResult = platform::kHresultClassNotRegistered;
  sim.shell.SetJumpList("Microsoft.Windows.Explorer", {{"C:\\Projects"}, {"C:\\Secret"}, {}});
  Run();
  EXPECT_EQ(sim.shell.JumpListOf("Microsoft.Windows.Explorer").recent, std::vector<std::string>{"C:\\Secret"});
  ASSERT_EQ(thread->skips().size(), 1u);
  EXPECT_EQ(thread->skips()[0].error, platform::kHresultClassNotRegistered);
  EXPECT_FALSE(thread->skips()[0].inUse) << "cleaning again would not help";
  EXPECT_TRUE(thread->finished());
}

TEST_F(WindowsStepsTest, ThumbnailCachesGoUnlessExplorerHoldsThemAndNothingIsReachedThroughALink) {
  const std::string explorer = std::string(kLocal) + "\\Microsoft\\Windows\\Explorer";
  for (const char* name :
       {"thumbcache_32.db", "thumbcache_256.db", "thumbcache_idx.db", "iconcache_32.db", "ExplorerStartupLog.etl"}) {
    sim.files.AddFile(explorer + "\\" + name, "t");
  }
  sim.files.HoldOpen(explorer + "\\thumbcache_idx.db");
  thread->Select("ThumbnailCache");
  Run();
  EXPECT_EQ(List(explorer), (Names{"ExplorerStartupLog.etl", "iconcache_32.db", "thumbcache_idx.db"}));
  ASSERT_EQ(thread->skips().size(), 1u);
  EXPECT_EQ(thread->skips()[0].what, explorer + "\\thumbcache_idx.db");
  EXPECT_TRUE(thread->skips()[0].inUse);

  // Explorer's folder swapped for a link elsewhere: nothing there is removed.
  const std::string victim = "C:\\users\\other\\Pictures";
  sim.files.AddFile(victim + "\\thumbcache_mine.db", "mine");
  sim.files.Release(explorer + "\\thumbcache_idx.db");
  sim.files.AddFolderLink(std::string(kLocal) + "\\Microsoft\\Windows", "C:\\users\\other");
  Run();
  EXPECT_EQ(sim.files.Content(victim + "\\thumbcache_mine.db"), "mine");
  ASSERT_EQ(thread->skips().size(), 1u) << "told, never a silent success";
  EXPECT_EQ(thread->skips()[0].what, std::string(kLocal) + "\\Microsoft\\Windows");
  EXPECT_TRUE(thread->skips()[0].link);
}

TEST_F(WindowsStepsTest, TheTimelineLosesItsActivitiesInEveryAccountButALockedDatabaseIsSkippedWhole) {
  const std::string platformFolder = std::string(kLocal) + "\\ConnectedDevicesPlatform";
  const std::string mine = platformFolder + "\\L.user\\ActivitiesCache.db";
  const std::string work = platformFolder + "\\AAD.4f1c\\ActivitiesCache.db";
  // The tables as Windows documents them, with a row each (the ones that matter).
  for (const std::string& db : {mine, work}) {
    sim.databases.AddTable(db, "Activity", {"Id", "AppId", "Payload"}, {{"1", "notepad", "plan.txt"}});
    sim.databases.AddTable(db, "ActivityOperation", {"Id", "AppId", "Payload"}, {{"1", "notepad", "plan.txt"}});
    sim.databases.AddTable(db, "Metadata", {"Key", "Value"}, {{"version", "3"}});
  }
  sim.databases.AddTable(mine, "Activity_PackageId", {"ActivityId", "PackageName"}, {{"1", "notepad.exe"}});
  // The work account's database lacks Activity_PackageId.
  sim.databases.Lookup(work)->locked = true;
  auto rows = [this](const std::string& db, const char* table) {
    return sim.databases.Lookup(db)->tables.at(table).rows.size();
  };
  thread->Select("WindowsTimeline");
  Run();
  for (const char* table : {"Activity", "ActivityOperation", "Activity_PackageId"}) EXPECT_EQ(rows(mine, table), 0u);
  EXPECT_EQ(rows(mine, "Metadata"), 1u);
  EXPECT_EQ(rows(work, "Activity"), 1u) << "locked: untouched";
  ASSERT_EQ(thread->skips().size(), 1u);
  EXPECT_EQ(thread->skips()[0].what, work);
  EXPECT_TRUE(thread->skips()[0].inUse);

  sim.databases.Lookup(work)->locked = false;
  Run();
  EXPECT_EQ(rows(work, "Activity"), 0u);
  EXPECT_EQ(rows(work, "ActivityOperation"), 0u);
  ASSERT_EQ(thread->skips().size(), 1u);
  EXPECT_EQ(thread->skips()[0].what, work + ": Activity_PackageId") << "the missing table is named";
  EXPECT_FALSE(thread->skips()[0].inUse);

  // An account's folder that is a link is not followed, and told.
  const std::string elsewhere = "C:\\users\\other\\AppData\\Local\\ConnectedDevicesPlatform\\L.other";
  sim.databases.AddTable(elsewhere + "\\ActivitiesCache.db", "Activity", {"Id", "AppId", "Payload"},
                         {{"1", "notepad", "theirs.txt"}});
  sim.files.AddFolderLink(platformFolder + "\\L.other", elsewhere);
  Run();
  EXPECT_EQ(rows(elsewhere + "\\ActivitiesCache.db", "Activity"), 1u);
  ASSERT_EQ(thread->skips().size(), 2u);
  EXPECT_EQ(thread->skips()[1].what, platformFolder + "\\L.other");
  EXPECT_TRUE(thread->skips()[1].link);
}

}  // namespace
}  // namespace hosttest
