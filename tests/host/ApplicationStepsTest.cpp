// Steps 18 to 27 on the simulated machine: each application's keys, values
// and files, what stays beside them, and the INI edit of the image viewer.
#include "CleanerFixture.h"

namespace hosttest {
namespace {

const char kPlayer[] = "Software\\Microsoft\\MediaPlayer\\Player\\";
const char kAppData[] = "C:\\users\\user\\AppData\\Roaming";
const char kCommon[] = "C:\\ProgramData";
const char kIni[] = "C:\\Program Files\\IrfanView\\i_view32.ini";
// Where the 32-bit IrfanView 3 is installed on 64-bit Windows.
const char kIni86[] = "C:\\Program Files (x86)\\IrfanView\\i_view32.ini";

class ApplicationStepsTest : public CleanerFixture {
 protected:
  // The media player's traces, in the registry and in three folders.
  void PlantMediaPlayer() {
    MakeKey(Join(kPlayer, "RecentFileList"));
    MakeKey(Join(kPlayer, "RecentURLList"));
    SetValue(Join(kPlayer, "Settings"), "OpenDir");
    SetValue(Join(kPlayer, "Settings"), "Volume");
    sim.files.AddFile(Join(kAppData, "\\Microsoft\\Media Player\\CurrentDatabase_360.wmdb"));
    sim.files.AddFile(Join(kAppData, "\\Microsoft\\Media Player\\hidden.dat"), "", platform::kAttrHidden);
    sim.files.AddFile(Join(kAppData, "\\Microsoft\\Media Player\\Art Cache\\art.jpg"));
    sim.files.AddFile(Join(kCommon, "\\Microsoft\\Media Index\\index.bin"));
    sim.files.AddFile("C:\\windows\\wmplibrary_v_0_12.db");
    sim.files.AddFile("C:\\windows\\wmplibrary_v_0_12.lrd");
    sim.files.AddFile("C:\\windows\\win.ini");
    sim.files.AddFile("C:\\windows\\All Users\\Application Data\\Microsoft\\Media Index\\old.bin");
  }
};

TEST_F(ApplicationStepsTest, MediaPlayerRemovesItsListsAndPlainFilesAndStopsWithoutTheWindowsFolder) {
  PlantMediaPlayer();
  sim.shell.specialFolders.erase(platform::kCsidlWindows);
  thread->Select("MSWindowsMediaPlayer");
  Run();
  EXPECT_FALSE(HasKey(Join(kPlayer, "RecentFileList")));
  EXPECT_FALSE(HasKey(Join(kPlayer, "RecentURLList")));
  EXPECT_FALSE(HasValue(Join(kPlayer, "Settings"), "OpenDir"));
  EXPECT_TRUE(HasValue(Join(kPlayer, "Settings"), "Volume"));
  EXPECT_EQ(List(Join(kAppData, "\\Microsoft\\Media Player")), (Names{"Art Cache", "hidden.dat"}));
  EXPECT_EQ(List(Join(kAppData, "\\Microsoft\\Media Player\\Art Cache")), Names{"art.jpg"});
  EXPECT_TRUE(List(Join(kCommon, "\\Microsoft\\Media Index")).empty());
  EXPECT_EQ(List("C:\\windows"), (Names{"All Users", "win.ini", "wmplibrary_v_0_12.db", "wmplibrary_v_0_12.lrd"}))
      << "rows 7 to 9 need the Windows folder";
  EXPECT_EQ(List("C:\\windows\\All Users\\Application Data\\Microsoft\\Media Index"), Names{"old.bin"});

  sim.shell.specialFolders[platform::kCsidlWindows] = "C:\\windows";
  Run();
  EXPECT_EQ(List("C:\\windows"), (Names{"All Users", "win.ini"}));
  EXPECT_TRUE(List("C:\\windows\\All Users\\Application Data\\Microsoft\\Media Index").empty());
}

TEST_F(ApplicationStepsTest, ACDSeeAcrobatAndWordRemoveTheirNamedValuesKeysAndFiles) {
  const char* acdNames[] = {"LastFolder", "OpenFolder", "Favorites", "ImageDB", "HistPaths", "HistMCFDestFolder"};
  for (const char* n : acdNames) SetValue("Software\\ACD Systems\\ACDSee", n);
  SetValue("Software\\ACD Systems\\ACDSee", "Theme");
  for (const char* n :
       {"ImageDB", "OpenFolder", "HistMCFDestFolder", "HistPaths", "HistSearchText", "HistFileFilters", "LastFolder"}) {
    SetValue("Software\\ACD Systems\\ACDSee\\50", n);
  }
  sim.files.AddFile(Join(kCommon, "\\Systems\\ACDSee\\imageDB.ddf"));
  sim.files.AddFile(Join(kCommon, "\\Systems\\ACDSee\\other.ddf"));
  for (int n = 1; n <= 5; ++n)
    SetValue("Software\\Adobe\\Acrobat Reader\\4.0\\AdobeViewer", "avpRecentFile" + std::to_string(n));
  for (int n = 1; n <= 9; ++n) {
    MakeKey("Software\\Adobe\\Acrobat Reader\\5.0\\AVGeneral\\cRecentFiles\\c" + std::to_string(n));
    MakeKey("Software\\Adobe\\Acrobat Reader\\6.0\\AVGeneral\\cRecentFiles\\c" + std::to_string(n));
  }
  SetValue("Software\\Microsoft\\Office\\9.0\\Word\\Data", "settings");
  SetValue("Software\\Microsoft\\Office\\10.0\\Word\\Data", "settings");
  SetValue("Software\\Microsoft\\Office\\10.0\\Word\\Data", "Toolbars");
  sim.files.AddFile(Join(kCommon, "\\Microsoft\\Office\\Recent\\letter.doc"));
  sim.files.AddFile(Join(kCommon, "\\Microsoft\\Office\\Recent\\sheet.xls"));
  thread->Select("ACDSee");
  thread->Select("AcrobatReader");
  thread->Select("MSWord");
  Run();

  EXPECT_EQ(sim.registry.ValueNames(RegRoot::CurrentUser, "Software\\ACD Systems\\ACDSee"), Names{"Theme"});
  EXPECT_EQ(sim.registry.ValueNames(RegRoot::CurrentUser, "Software\\ACD Systems\\ACDSee\\50"), Names{"LastFolder"});
  EXPECT_EQ(List(Join(kCommon, "\\Systems\\ACDSee")), Names{"other.ddf"});
  EXPECT_EQ(sim.registry.ValueNames(RegRoot::CurrentUser, "Software\\Adobe\\Acrobat Reader\\4.0\\AdobeViewer"),
            Names{"avpRecentFile5"});
  EXPECT_EQ(
      sim.registry.SubkeyNames(RegRoot::CurrentUser, "Software\\Adobe\\Acrobat Reader\\5.0\\AVGeneral\\cRecentFiles"),
      Names{"c9"});
  EXPECT_EQ(
      sim.registry.SubkeyNames(RegRoot::CurrentUser, "Software\\Adobe\\Acrobat Reader\\6.0\\AVGeneral\\cRecentFiles"),
      (Names{"c6", "c7", "c8", "c9"}));
  EXPECT_FALSE(HasValue("Software\\Microsoft\\Office\\9.0\\Word\\Data", "settings"));
  EXPECT_FALSE(HasValue("Software\\Microsoft\\Office\\10.0\\Word\\Data", "settings"));
  EXPECT_TRUE(HasValue("Software\\Microsoft\\Office\\10.0\\Word\\Data", "Toolbars"));
  EXPECT_EQ(List(Join(kCommon, "\\Microsoft\\Office\\Recent")), Names{"sheet.xls"});
}

TEST_F(ApplicationStepsTest, IrfanViewEmptiesSevenKeysAndLeavesEveryOtherLineAsItWas) {
  thread->Select("IrfanView");
  Run();
  EXPECT_FALSE(sim.files.Exists(kIni)) << "no file is created";

  const std::string before =
      "; IrfanView settings\r\n"
      "[Open]\r\n"
      "OpenIndex=3\r\n"
      "Filter=*.jpg\r\n"
      "OpenDir=C:\\Photos\\Secret\r\n"
      "\r\n"
      "[MRUD]\r\n"
      "Dir1=C:\\Photos\\Secret\r\n"
      "Dir3=D:\\Scans\r\n"
      "[Viewing]\r\n"
      "Zoom=100\r\n";
  sim.files.AddFile(kIni, before);
  Run();
  EXPECT_EQ(sim.files.Content(kIni),
            "; IrfanView settings\r\n"
            "[Open]\r\n"
            "OpenIndex=\r\n"
            "Filter=*.jpg\r\n"
            "OpenDir=\r\n"
            "\r\n"
            "[MRUD]\r\n"
            "Dir1=\r\n"
            "Dir3=\r\n"
            "Dir2=\r\n"
            "Dir4=\r\n"
            "Dir5=\r\n"
            "[Viewing]\r\n"
            "Zoom=100\r\n");

  sim.files.AddFile(kIni86, "[MRUD]\r\nDir1=C:\\Photos\r\n");
  Run();
  EXPECT_EQ(sim.files.Content(kIni86),
            "[MRUD]\r\nDir1=\r\nDir2=\r\nDir3=\r\nDir4=\r\nDir5=\r\n[Open]\r\nOpenIndex=\r\nOpenDir=\r\n");
}

TEST_F(ApplicationStepsTest, AnIniFileThatCannotBeWrittenIsLeftAndTheRunGoesOn) {
  sim.files.AddFile(kIni, "[Open]\r\nOpenDir=C:\\x\r\n", platform::kAttrReadOnly);
  MakeKey("Software\\Kodak\\Imaging\\Recent File List");
  thread->Select("IrfanView");
  thread->Select("MSImaging");
  Run();
  EXPECT_EQ(sim.files.Content(kIni), "[Open]\r\nOpenDir=C:\\x\r\n");
  EXPECT_FALSE(HasKey("Software\\Kodak\\Imaging\\Recent File List"));
  EXPECT_TRUE(thread->finished());

  sim.shell.specialFolders.erase(platform::kCsidlProgramFiles);
  sim.shell.specialFolders.erase(platform::kCsidlProgramFilesX86);
  sim.files.AddFile(kIni, "[Open]\r\nOpenDir=C:\\x\r\n");
  Run();
  EXPECT_EQ(sim.files.Content(kIni), "[Open]\r\nOpenDir=C:\\x\r\n") << "without Program Files the step ends";
}

TEST_F(ApplicationStepsTest, PaintWinRarRealOneAndPowerDVDRemoveOnlyTheirTargets) {
  MakeKey("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List");
  MakeKey("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\View");
  for (const char* n : {"0", "1", "2", "3", "4"}) SetValue("Software\\WinRAR\\ArcHistory", n);
  MakeKey("Software\\WinRAR\\DialogEditHistory\\ExtrPath");
  MakeKey("Software\\WinRAR\\DialogEditHistory\\ArcName");
  const std::string prefs = "Software\\RealNetworks\\RealPlayer\\6.0\\Preferences\\";
  for (int n = 1; n <= 9; ++n) MakeKey(prefs + "MostRecentClips" + std::to_string(n));
  MakeKey(prefs + "LastOpenFileDir");
  const std::string player = Join(kCommon, "\\RealRealOne Player");
  for (const char* f : {"cookies.txt", "ctd.dat", "realplayer.ste", "urls.ini", "prefs.ini"}) {
    sim.files.AddFile(player + "\\" + f);
  }
  sim.files.AddFile(player + "\\history\\h1.rpl");
  sim.files.AddFile(player + "\\history\\h2.rpl", "", platform::kAttrReadOnly);
  sim.files.AddFile(player + "\\history\\deeper\\h3.rpl");
  sim.files.AddFile("C:\\users\\user\\Documents\\CyberLink\\PowerDVD\\list.pls");
  sim.files.AddFile("C:\\users\\user\\Documents\\CyberLink\\PowerDVD\\setup.ini");
  thread->Select("MSPaint");
  thread->Select("WinRar");
  thread->Select("RealOne");
  thread->Select("PowerDVD");
  Run();

  EXPECT_EQ(
      sim.registry.SubkeyNames(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint"),
      Names{"View"});
  EXPECT_EQ(sim.registry.ValueNames(RegRoot::CurrentUser, "Software\\WinRAR\\ArcHistory"), Names{"4"});
  EXPECT_EQ(sim.registry.SubkeyNames(RegRoot::CurrentUser, "Software\\WinRAR\\DialogEditHistory"), Names{"ArcName"});
  EXPECT_EQ(sim.registry.SubkeyNames(RegRoot::CurrentUser, prefs.substr(0, prefs.size() - 1)),
            Names{"MostRecentClips9"});
  EXPECT_EQ(List(player), (Names{"history", "prefs.ini"}));
  EXPECT_EQ(List(player + "\\history"), (Names{"deeper", "h2.rpl"}));
  EXPECT_EQ(List("C:\\users\\user\\Documents\\CyberLink\\PowerDVD"), Names{"setup.ini"});
}

// Any user may create the folders below all users' application data; a link
// planted at any level between the special folder and a step's folder must
// not lead the step into another user's files. The same for the user's own
// folders of steps 18 and 27.
TEST_F(ApplicationStepsTest, NoStepDeletesBehindALinkPlantedBetweenItsSpecialFolderAndItsFolder) {
  const std::string victim = "C:\\users\\other\\Documents";
  struct Target {
    std::string special;
    std::vector<std::string> levels;  // the folders below it, down to the step's own
  };
  const Target targets[] = {
      {kCommon, {"Microsoft", "Media Index"}},      {kCommon, {"Systems", "ACDSee"}},
      {kCommon, {"Microsoft", "Office", "Recent"}}, {kCommon, {"RealRealOne Player", "history"}},
      {kAppData, {"Microsoft", "Media Player"}},    {"C:\\users\\user\\Documents", {"CyberLink", "PowerDVD"}}};
  const char* traps[] = {"index.bin", "imageDB.ddf", "letter.doc", "urls.ini", "cookies.txt", "list.pls"};
  for (const Target& target : targets) {
    for (size_t linked = 0; linked < target.levels.size(); ++linked) {
      platform::sim::SimPlatform machine;
      // The link stands for levels[linked]; the levels below it are the
      // victim's folders, each holding files every step's masks match.
      std::string link = target.special;
      std::vector<std::string> mine{victim};
      for (size_t i = 0; i < target.levels.size(); ++i) {
        if (i <= linked)
          link += "\\" + target.levels[i];
        else
          mine.push_back(mine.back() + "\\" + target.levels[i]);
      }
      for (const std::string& folder : mine) {
        for (const char* trap : traps) machine.files.AddFile(folder + "\\" + trap, "mine");
      }
      const uint32_t tag = linked % 2 ? platform::kReparseTagSymlink : platform::kReparseTagMountPoint;
      machine.files.AddFolderLink(link, victim, tag);
      cleaner::TUWHCleanerThrd run(machine.platform, ui);
      run.Select("MSWindowsMediaPlayer");
      run.Select("ACDSee");
      run.Select("MSWord");
      run.Select("RealOne");
      run.Select("PowerDVD");
      run.Execute();
      EXPECT_TRUE(run.finished());
      for (const std::string& folder : mine) {
        for (const char* trap : traps) EXPECT_TRUE(machine.files.IsFile(folder + "\\" + trap)) << link << ": " << trap;
      }
    }
  }
}

TEST_F(ApplicationStepsTest, RealOneWithoutCommonApplicationDataStillDeletesItsKeys) {
  MakeKey("Software\\RealNetworks\\RealPlayer\\6.0\\Preferences\\LastOpenFileDir");
  sim.files.AddFile(Join(kCommon, "\\RealRealOne Player\\urls.ini"));
  sim.shell.specialFolders.erase(platform::kCsidlCommonAppData);
  thread->Select("RealOne");
  Run();
  EXPECT_FALSE(HasKey("Software\\RealNetworks\\RealPlayer\\6.0\\Preferences\\LastOpenFileDir"));
  EXPECT_EQ(List(Join(kCommon, "\\RealRealOne Player")), Names{"urls.ini"});
}

}  // namespace
}  // namespace hosttest
