// Cleaning a browser when it closes: which browser closed (its last process
// ended, none started since), what that run cleans, the switch kept in step
// in the tray and the window, and a balloon only when something was left.
#include "HistoryWindowFixture.h"

namespace hosttest {
namespace {

namespace value = settings::value;

class BrowserCloseTest : public HistoryWindowFixture {
 protected:
  static constexpr size_t kChrome = 1;
  static constexpr size_t kFirefox = 5;
  const std::string local = "C:\\users\\user\\AppData\\Local\\";
  const std::string chromeCache = local + "Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data\\f_000001";
  // Firefox keeps its cache under the local application data.
  const std::string firefoxCache = local + "Mozilla\\Firefox\\Profiles\\w.work\\cache2\\entries\\A1";

  // Chrome and Firefox with a cache file each; the browsers' cache and the
  // temporary folder chosen; cleaning on close as `on`.
  void StartWithTwoBrowsers(bool on) {
    sim.files.AddFile(chromeCache, "cached");
    sim.files.AddFile("C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\profiles.ini",
                      "[Profile0]\r\nName=work\r\nIsRelative=1\r\nPath=Profiles/w.work\r\n");
    sim.files.AddDirectory("C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\w.work");
    sim.files.AddFile(firefoxCache, "cached");
    SetBool("BrowserCache", true);
    SetBool("WindowsTempFiles", true);
    PlantTempFiles(1);
    SetBool(value::kCleanOnBrowserClose.name, on);
    StartQuietly();
  }
  bool Exists(const std::string& path) { return sim.files.Lookup(path) != nullptr; }
  services::BrowserCloseCleaner& closing() { return main().browserCloseCleaner(); }
  // A program starts and shows its first window.
  void Launch(const std::string& program) {
    sim.process.runningPrograms.push_back(program);
    sim.desktop.AddWindow("Chrome_WidgetWin_1", "New Tab", true, program);
  }
  std::string LastRun() {
    const std::string path = local + "Corvane\\last-run.txt";
    return sim.files.Lookup(path) ? sim.files.Content(path) : std::string();
  }
};

TEST_F(BrowserCloseTest, TheLastProcessEndingCleansThatBrowsersChosenItemsOnlyAndSaysNothing) {
  sim.process.runningPrograms = {"firefox.exe"};
  StartWithTwoBrowsers(true);
  EXPECT_TRUE(closing().watching(kFirefox)) << "running at the start";
  EXPECT_FALSE(closing().watching(kChrome));
  sim.desktop.AddWindow("Notepad", "Untitled", true, "notepad.exe");
  Launch("chrome.exe");
  EXPECT_TRUE(closing().watching(kChrome)) << "learnt from its window";
  EXPECT_EQ(sim.process.programWatches(), 2u);
  Launch("chrome.exe");  // a second window: the same wait
  EXPECT_EQ(sim.process.programWatches(), 2u);
  hc().Show();

  sim.process.EndProgram("chrome.exe");
  EXPECT_FALSE(cleaning()) << "the end is handled on the user-interface thread";
  ui.RunPosted();
  ASSERT_TRUE(cleaning());
  EXPECT_TRUE(Cleans("BrowserCache"));
  EXPECT_FALSE(Cleans("WindowsTempFiles")) << "a browser's closing cleans its items only";
  EXPECT_TRUE(worker()->browserSelection[kChrome]);
  EXPECT_FALSE(worker()->browserSelection[kFirefox]) << "Firefox still runs";
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_FALSE(Exists(chromeCache));
  EXPECT_TRUE(Exists(firefoxCache));
  EXPECT_EQ(sim.files.List(kTemp).size(), 1u);
  EXPECT_NE(LastRun().find("Google Chrome"), std::string::npos);
  EXPECT_TRUE(ui.boxes.empty()) << "no message, even with the window open";
  EXPECT_TRUE(sim.desktop.balloons.empty());
  EXPECT_FALSE(Setting("CleanFirefox")) << "the stored switches stay as they were";
  EXPECT_FALSE(closing().watching(kChrome));
}

TEST_F(BrowserCloseTest, ABrowserThatStartedMoreProcessesIsWaitedForAgainAndAClosingDuringARunWaitsForIt) {
  sim.process.runningPrograms = {"chrome.exe", "firefox.exe"};
  StartWithTwoBrowsers(true);
  // Its wait ends, but a process of it started meanwhile: still running.
  sim.process.EndProgram("chrome.exe");
  sim.process.runningPrograms.push_back("chrome.exe");
  ui.RunPosted();
  EXPECT_FALSE(cleaning());
  EXPECT_TRUE(closing().watching(kChrome));

  // "Clean Now" holds the run in its purge of the temporary folder.
  sim.files.gate.HoldAt("RemoveFile");
  ClickCleanNow(ui::MessageResult::Yes);
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));
  const cleaner::TUWHCleanerThrd* cleanNow = worker();
  sim.process.EndProgram("chrome.exe");
  sim.process.EndProgram("firefox.exe");
  ui.RunPosted();
  EXPECT_EQ(worker(), cleanNow) << "one run at a time";
  EXPECT_TRUE(Exists(chromeCache));
  sim.files.gate.Release();
  // The closings' run follows the end of "Clean Now" (and may end as soon).
  ASSERT_TRUE(DeliverEndsOfRuns());
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_TRUE(sim.files.List(kTemp).empty());
  EXPECT_FALSE(Exists(chromeCache));
  EXPECT_FALSE(Exists(firefoxCache));
}

TEST_F(BrowserCloseTest, AFileInUseShowsABalloonAndASwitchedOffBrowserOrNoItemCleansNothing) {
  sim.process.runningPrograms = {"chrome.exe", "firefox.exe"};
  SetBool("CleanFirefox", false);
  StartWithTwoBrowsers(true);
  sim.files.HoldOpen(chromeCache, false);
  sim.process.EndProgram("chrome.exe");
  ui.RunPosted();
  ASSERT_TRUE(DeliverEndsOfRuns());
  ASSERT_EQ(sim.desktop.balloons.size(), 1u);
  EXPECT_EQ(sim.desktop.balloons[0].info, services::kFilesInUseMessage);

  // Firefox's switch is off: its closing starts no run and writes no report.
  const std::string report = LastRun();
  sim.process.EndProgram("firefox.exe");
  ui.RunPosted();
  EXPECT_FALSE(cleaning());
  EXPECT_EQ(LastRun(), report);
  SetBool("BrowserCache", false);
  Launch("chrome.exe");
  sim.process.EndProgram("chrome.exe");
  ui.RunPosted();
  EXPECT_FALSE(cleaning()) << "no browser item chosen";
  EXPECT_EQ(sim.desktop.balloons.size(), 1u);
}

// Chrome's last window closes, but its background apps keep it running:
// after the grace a balloon says so and names the setting, and Chrome is
// cleaned once it ends. A browser that ends soon after its last window says
// nothing.
TEST_F(BrowserCloseTest, ALastWindowClosingWhileTheBrowserRunsOnInTheBackgroundSaysSoAndItIsCleanedWhenItEnds) {
  StartWithTwoBrowsers(true);
  sim.process.runningPrograms.push_back("chrome.exe");
  const platform::WindowId chrome = sim.desktop.AddWindow("Chrome_WidgetWin_1", "New Tab", true, "chrome.exe");
  Launch("firefox.exe");
  ASSERT_TRUE(closing().watching(kChrome));

  sim.process.KeepInBackground("chrome.exe");
  sim.desktop.RemoveWindow(chrome);
  ui.AdvanceTime(services::kLastWindowGraceMs - 1);
  EXPECT_TRUE(sim.desktop.balloons.empty()) << "a browser takes a moment to end";
  ui.AdvanceTime(1);
  ASSERT_EQ(sim.desktop.balloons.size(), 1u);
  EXPECT_EQ(sim.desktop.balloons[0].info,
            "Google Chrome (its setting \"Continue running background apps when Google Chrome is closed\" keeps it "
            "running)" +
                std::string(services::kStillInBackgroundMessage));
  EXPECT_FALSE(cleaning());
  EXPECT_TRUE(Exists(chromeCache)) << "its profile is held while it runs";
  ui.AdvanceTime(services::kLastWindowGraceMs);
  EXPECT_EQ(sim.desktop.balloons.size(), 1u) << "said once";

  sim.process.EndProgram("chrome.exe");
  ui.RunPosted();
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_FALSE(Exists(chromeCache));

  // Firefox's window goes and its process ends within the grace.
  sim.process.EndProgram("firefox.exe");
  sim.desktop.RemoveWindow(sim.desktop.FindTopLevelWindow("Chrome_WidgetWin_1", "New Tab"));
  ui.AdvanceTime(services::kLastWindowGraceMs);
  ui.RunPosted();
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_FALSE(Exists(firefoxCache));
  EXPECT_EQ(sim.desktop.balloons.size(), 1u);
}

TEST_F(BrowserCloseTest, TheTrayEntryAndTheBoxStoreTheSwitchShowItBothAndStartOrStopTheWatch) {
  sim.process.runningPrograms = {"chrome.exe"};
  StartWithTwoBrowsers(false);
  EXPECT_EQ(Number(value::kCleanOnBrowserClose.name), 0);
  EXPECT_FALSE(closing().watching(kChrome));
  main().MenuCleanOnBrowserClose->UserClick();
  EXPECT_EQ(Number(value::kCleanOnBrowserClose.name), 1);
  EXPECT_TRUE(main().MenuCleanOnBrowserClose->checked());
  EXPECT_TRUE(closing().watching(kChrome)) << "switched on, the running browser is picked up";
  hc().Show();
  EXPECT_TRUE(hc().CleanOnCloseBox->checked());
  EXPECT_EQ(hc().CleanOnCloseBox->parent(), hc().TabSheet4->children().front());

  hc().CleanOnCloseBox->UserClick();
  EXPECT_EQ(Number(value::kCleanOnBrowserClose.name), 0);
  EXPECT_FALSE(main().MenuCleanOnBrowserClose->checked());
  EXPECT_EQ(sim.process.programWatches(), 0u) << "off: nothing is waited for";
  Launch("firefox.exe");
  EXPECT_FALSE(closing().watching(kFirefox)) << "nor learnt of";
  sim.process.EndProgram("chrome.exe");
  ui.RunPosted();
  EXPECT_FALSE(cleaning());

  // A switch that cannot be stored stays as it is stored.
  sim.registry.MakeUnwritable(RegRoot::LocalMachine, settings::kSettingsKey);
  ui.answers.push_back(ui::MessageResult::Ok);
  hc().CleanOnCloseBox->UserClick();
  EXPECT_FALSE(hc().CleanOnCloseBox->checked());
  EXPECT_FALSE(closing().watching(kFirefox));
}

}  // namespace
}  // namespace hosttest
