// The history cleaner window: its boxes bound to the stored switches, the
// tray's three entries, "Clean Now", and what a run reports when it ends.
#include <optional>
#include <thread>

#include "HistoryWindowFixture.h"
#include "OtherProcessRun.h"
#include "browsers/BrowserProcesses.h"
#include "cleaner/CleanerTable.h"
#include "cookies/KeepList.h"

namespace hosttest {
namespace {

using cleaner::CleanerValueNames;
using forms::kStartCleaningQuestion;
using services::kCleaningDoneMessage;
using settings::kApplySettingsError;
using ui::MessageKind;
using ui::MessageResult;

class HistoryCleanerTest : public HistoryWindowFixture {
 protected:
  // Clean Now, answered Yes, started nothing and said why in a second box,
  // an error whose text begins with `start`; returns that text.
  std::string ExpectNoRunAndAnError(const std::string& start) {
    EXPECT_FALSE(cleaning());
    EXPECT_EQ(worker(), nullptr);
    EXPECT_TRUE(hc().SpeedButton2->enabled());
    EXPECT_EQ(ui.boxes.size(), 2u);
    if (ui.boxes.empty()) return {};
    EXPECT_EQ(ui.boxes.back().kind, MessageKind::Error);
    EXPECT_EQ(ui.boxes.back().text.rfind(start, 0), 0u) << ui.boxes.back().text;
    return ui.boxes.back().text;
  }
};

TEST_F(HistoryCleanerTest, TheWindowHasItsTabsBoxesAndButtonsInPlace) {
  StartQuietly();
  EXPECT_EQ(hc().caption(), "History Cleaner");
  EXPECT_EQ(hc().clientWidth(), 624);
  EXPECT_EQ(hc().clientHeight(), 328);
  ASSERT_EQ(hc().PageControl1->children().size(), 5u);
  EXPECT_EQ(hc().TabSheet1->caption(), "Internet Explorer");
  EXPECT_EQ(hc().TabSheet2->caption(), "Windows");
  EXPECT_EQ(hc().TabSheet3->caption(), "Applications");
  EXPECT_EQ(hc().TabSheet4->caption(), "Browsers");
  EXPECT_EQ(hc().TabSheet5->caption(), "Windows 10/11");
  EXPECT_EQ(hc().Find("Label1")->caption(),
            "Internet Explorer keeps tracks of websites you have visited in various locations,  url drop-down history, "
            "browser cache and browser history");
  EXPECT_EQ(hc().Find("Label3")->caption().back(), ' ');

  // Box k on its tab, in its column and row; the tab order follows the numbers.
  ui::Control* tabs[] = {hc().TabSheet1, hc().TabSheet2, hc().TabSheet3, hc().TabSheet4, hc().TabSheet5};
  for (size_t i = 0; i < cleaner::kCleanerCount; ++i) {
    const cleaner::Cleaner& cleaner = cleaner::kCleaners[i];
    const int k = static_cast<int>(i) + 1;
    ui::CheckBox& b = box(k);
    EXPECT_EQ(tabs[static_cast<int>(cleaner.page)]->Find(b.name()), &b) << k;
    // The top of its column: the first box of the same tab and column.
    int first = 1;
    while (cleaner::kCleaners[first - 1].page != cleaner.page || cleaner::kCleaners[first - 1].column != cleaner.column)
      ++first;
    ui::CheckBox& top = box(first);
    EXPECT_EQ(b.bounds().left, top.bounds().left) << k;
    EXPECT_EQ(b.bounds().top, top.bounds().top + (cleaner.row - 1) * 38) << k;
    EXPECT_EQ(b.bounds().width, cleaner.column == cleaner::CleanerColumn::Left ? 260 : 284) << k;
    EXPECT_EQ(b.bounds().height, 31);
    EXPECT_EQ(first + cleaner.row - 1, k) << "numbered down each column";
  }
  // Where each tab's boxes begin and end, as users know them.
  for (auto [k, tab] : {std::pair{1, 0}, {6, 0}, {7, 1}, {16, 1}, {17, 2}}) {
    EXPECT_EQ(tabs[tab]->Find(box(k).name()), &box(k)) << k;
  }
  EXPECT_LT(box(1).bounds().left, box(4).bounds().left);
  EXPECT_EQ(box(10).caption(), "Search History");
  EXPECT_EQ(box(21).caption(), "InfranView (Ver. 3) ");
  EXPECT_EQ(box(24).caption(), "WinRar (Ver. 2, 3) ");
  EXPECT_EQ(box(15).caption(), "Network Places Cache (Network Neighborhood)");

  EXPECT_EQ(hc().SpeedButton3->caption(), "Cookies Manager");
  EXPECT_EQ(hc().TabSheet1->Find("SpeedButton3"), hc().SpeedButton3);
  EXPECT_EQ(hc().SpeedButton2->caption(), "Clean Now");
  EXPECT_EQ(hc().SpeedButton2->parent(), &hc()) << "outside the pages, so on every tab";
}

// The Browsers page lists the browsers found with their profiles, each
// browser with its box: on unless its switch says otherwise.
TEST_F(HistoryCleanerTest, TheBrowsersPageShowsTheBrowsersFoundWithTheirProfilesAndStoresTheirSwitches) {
  StartQuietly();
  const std::string local = "C:\\users\\user\\AppData\\Local\\";
  sim.files.AddDirectory(local + "Google\\Chrome\\User Data\\Default");
  sim.files.AddDirectory(local + "Google\\Chrome\\User Data\\Profile 2");
  sim.files.AddFile("C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\profiles.ini",
                    "[Profile0]\r\nName=work\r\nIsRelative=1\r\nPath=Profiles/w.work\r\n");
  sim.files.AddDirectory("C:\\users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\w.work");
  SetBool("CleanFirefox", false);
  hc().Show();
  ui::CheckBox* chrome = hc().BrowserBox(1);
  ui::CheckBox* firefox = hc().BrowserBox(5);
  EXPECT_FALSE(hc().BrowserBox(0)->visible()) << "Edge is not there";
  ASSERT_TRUE(chrome->visible());
  EXPECT_EQ(chrome->caption(), "Google Chrome (Default, Profile 2)");
  EXPECT_EQ(firefox->caption(), "Firefox (work)");
  EXPECT_EQ(hc().TabSheet4->Find(chrome->name()), chrome);
  EXPECT_LT(chrome->bounds().top, firefox->bounds().top);
  EXPECT_TRUE(chrome->checked()) << "a missing switch is on";
  EXPECT_FALSE(firefox->checked());
  chrome->UserClick();
  EXPECT_EQ(Number("CleanChrome"), 0);
  firefox->UserClick();
  EXPECT_EQ(Number("CleanFirefox"), 1);

  // A click that cannot be stored puts the box back, as on every other box.
  sim.registry.MakeUnwritable(RegRoot::LocalMachine, settings::kSettingsKey);
  chrome->UserClick();
  EXPECT_FALSE(chrome->checked());
  EXPECT_EQ(Number("CleanChrome"), 0);
  EXPECT_EQ(CountBoxes(kApplySettingsError), 1);
}

TEST_F(HistoryCleanerTest, TheFirstShowingWritesMissingSwitchesOffAndAMissingKeyChangesNothing) {
  StartQuietly();
  for (const char* name : CleanerValueNames)
    sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, name);
  SetBool("RecycleBin", true);
  for (int k = 1; k <= static_cast<int>(cleaner::kCleanerCount); ++k) box(k).SetChecked(true);

  hc().Show();
  for (int k = 1; k <= static_cast<int>(cleaner::kCleanerCount); ++k) {
    EXPECT_EQ(box(k).checked(), k == 12) << k;
    EXPECT_EQ(Number(CleanerValueNames[k - 1]), k == 12 ? 1 : 0) << k;
  }
  hc().Hide();

  // Without the key, the boxes keep what they show and nothing is created.
  sim.registry.DeleteTree(RegRoot::LocalMachine, settings::kSettingsKey);
  box(3).SetChecked(true);
  hc().Show();
  EXPECT_TRUE(box(3).checked());
  EXPECT_TRUE(box(12).checked());
  EXPECT_FALSE(box(1).checked());
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, settings::kSettingsKey));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(HistoryCleanerTest, TheTraysThreeEntriesOpenTheWindowOnTheirTabWithTheStoredStates) {
  StartQuietly();
  SetBool("WindowsTempFiles", true);
  SetBool("TelenetHistory", true);
  const char* entries[] = {"MenuIEHistCleaner", "MenuWindowsHistCleaner", "MenuAppHistCleaner"};
  for (int page : {1, 0, 2}) {
    hc().Hide();
    main().TrayMenu->Find(entries[page])->UserClick();
    EXPECT_TRUE(hc().visible());
    EXPECT_EQ(hc().PageControl1->activePageIndex(), page);
    EXPECT_EQ(ui.foreground, &hc());
    EXPECT_TRUE(box(7).checked());
    EXPECT_TRUE(box(16).checked());
    EXPECT_FALSE(box(8).checked());
    EXPECT_TRUE(hc().PageControl1->ActivePage()->Showing());
    EXPECT_TRUE(hc().SpeedButton2->Showing());
  }
  EXPECT_FALSE(box(7).Showing()) << "the Windows tab is not the one shown";
}

TEST_F(HistoryCleanerTest, AClickStoresItsSwitchAtOnceAndAnUnopenableKeySaysSo) {
  StartQuietly();
  hc().Show();
  box(9).UserClick();
  EXPECT_EQ(Number("WindowsRunHist"), 1);
  box(9).UserClick();
  EXPECT_EQ(Number("WindowsRunHist"), 0);
  EXPECT_TRUE(ui.boxes.empty());

  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  box(20).UserClick();
  EXPECT_FALSE(box(20).checked()) << "the box goes back to what is stored";
  EXPECT_EQ(Number("MSWord"), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kApplySettingsError);
  EXPECT_EQ(ui.boxes[0].kind, MessageKind::Error);

  // A key that refuses write access cannot be opened for the write either.
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey, false);
  sim.registry.MakeUnwritable(RegRoot::LocalMachine, settings::kSettingsKey);
  box(20).UserClick();
  EXPECT_EQ(CountBoxes(kApplySettingsError), 2);
  // A run only reads the switches, which such a key still allows.
  SetBool("RecycleBin", true);
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(cleaning());
  EXPECT_TRUE(Cleans("RecycleBin"));
  ASSERT_TRUE(DeliverEndsOfRuns());
}

TEST_F(HistoryCleanerTest, EachBoxSelectsItsCleanerForTheRun) {
  StartQuietly();
  hc().Show();
  box(5).UserClick();   // Autocomplete History
  box(10).UserClick();  // Search History drives the find-files cleaner
  box(3).UserClick();
  box(26).UserClick();
  EXPECT_EQ(Number("AutoComplete"), 1);

  ClickCleanNow(MessageResult::Yes);
  ASSERT_NE(worker(), nullptr);
  EXPECT_TRUE(Cleans("AutoComplete"));
  EXPECT_TRUE(Cleans("FindFileHistory"));
  EXPECT_FALSE(Cleans("FindCompHistory"));
  EXPECT_TRUE(Cleans("TempInternetFiles"));
  EXPECT_TRUE(Cleans("PowerDVD"));
  for (size_t i = 0; i < cleaner::kCleanerCount; ++i) {
    EXPECT_EQ(worker()->selection[i], i == 2 || i == 4 || i == 9 || i == 25) << i;
  }
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(worker(), nullptr) << "freed after its end";
}

TEST_F(HistoryCleanerTest, ASwitchStoredAsTextStopsTheLoadingAndARunThatCannotReadItStartsNotAndSaysWhy) {
  StartQuietly();
  SetBool("URLAddressBar", true);
  SetSetting("TempInternetFiles", RegValue::String("1"));
  SetBool("InternetHistoryFiles", true);
  SetBool("PowerDVD", true);
  box(4).SetChecked(false);
  box(26).SetChecked(false);
  box(6).SetChecked(true);

  hc().Show();
  EXPECT_TRUE(box(1).checked());
  EXPECT_FALSE(box(3).checked());
  EXPECT_FALSE(box(4).checked()) << "loading stopped at box 3";
  EXPECT_TRUE(box(6).checked()) << "boxes after the bad value keep their state";
  EXPECT_FALSE(box(26).checked());

  // Cleaning with half the selection read would clean what the user never chose.
  sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, "URLAddressBar");
  ClickCleanNow(MessageResult::Yes);
  EXPECT_EQ(ExpectNoRunAndAnError(services::kCleaningNotStartedMessage),
            "The history cleaning could not be started: "
            "the selected cleaners could not be read from the settings (Invalid data type for "
            "\"TempInternetFiles\").");

  // A missing switch is simply off: with the bad value mended, the run goes ahead.
  SetBool("TempInternetFiles", false);
  ClickCleanNow(MessageResult::Yes);
  ASSERT_NE(worker(), nullptr);
  EXPECT_FALSE(Cleans("URLAddressBar"));
  EXPECT_TRUE(Cleans("InternetHistoryFiles"));
  EXPECT_TRUE(Cleans("PowerDVD"));
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);

  // Browsers that were running are named, so nobody takes their history for gone.
  SetBool("BrowserHistory", true);
  sim.process.runningPrograms = {"msedge.exe", "chrome.exe", "firefox.exe"};
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, std::string(services::kBrowsersRunningMessage) +
                                      "Microsoft Edge, Google Chrome and Firefox. Close them and clean again.");

  // A link left alone names its cleaner, with the browsers or alone, and
  // never passes for a clean sweep; the kept report names the link.
  sim.files.AddFile("C:\\users\\other\\Documents\\thesis.doc", "mine");
  sim.files.AddFolderLink("C:\\windows\\History", "C:\\users\\other\\Documents");
  sim.files.AddDirectory("C:\\users\\user\\AppData\\Local");  // where last-run.txt goes
  sim.process.runningPrograms = {"chrome.exe"};
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text,
            std::string(services::kBrowsersRunningMessage) + "Google Chrome. Close them and clean again. " +
                services::kLinksAlsoRefusedMessage + "Browser Visit History" + services::kLinksNamedMessage);
  sim.process.runningPrograms.clear();
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text,
            std::string(services::kLinksRefusedMessage) + "Browser Visit History" + services::kLinksNamedMessage);
  EXPECT_EQ(sim.files.Content("C:\\users\\other\\Documents\\thesis.doc"), "mine");
  const std::string report = sim.files.Content("C:\\users\\user\\AppData\\Local\\Corvane\\last-run.txt");
  EXPECT_NE(report.find("\r\nBrowser Visit History\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("  Left alone: 1\r\n    C:\\windows\\History: a link, left alone rather than followed\r\n"),
            std::string::npos)
      << report;

  // A temporary folder the guard refuses is named too, beside the link.
  SetBool("WindowsTempFiles", true);
  sim.files.AddFile("C:\\users\\user\\Documents\\thesis.doc", "mine");
  sim.shell.tempFolder = "C:\\users\\user\\Documents\\";
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, std::string(services::kLinksRefusedMessage) + "Browser Visit History" +
                                      services::kLinksNamedMessage + " " + services::kAlsoLeftAloneMessage +
                                      "C:\\users\\user\\Documents" + services::kLeftAloneNamedMessage);
  EXPECT_EQ(sim.files.Content("C:\\users\\user\\Documents\\thesis.doc"), "mine");
}

// Edge kept running by its startup boost, with no window open, is closed
// first when the user agrees (through the Restart Manager, on its profile's
// files) and then cleaned; one that will not end, or whose files another
// program holds, is left running and named. Edge run as an administrator,
// whose process a standard user may not open, is seen running all the same.
TEST_F(HistoryCleanerTest, ABrowserInTheBackgroundIsClosedFirstOnlyWhenTheUserAgrees) {
  const std::string data = "C:\\users\\user\\AppData\\Local\\Microsoft\\Edge\\User Data\\";
  const std::string cache = data + "Default\\Cache\\Cache_Data\\f_000001";
  sim.files.AddFile(cache, "cached");
  sim.process.backgroundPrograms = {"msedge.exe"};
  sim.process.filesInUse[data + "lockfile"] = "msedge.exe";
  sim.process.runningPrograms = {"chrome.exe"};
  StartQuietly();
  SetBool("BrowserCache", true);
  hc().Show();
  const std::string edge = browsers::NameInBackground(browsers::kBrowsers[0]);
  EXPECT_EQ(edge,
            "Microsoft Edge (its settings \"Startup boost\" and \"Continue running background extensions and apps "
            "when Microsoft Edge is closed\" keep it running)");
  const std::string chromeRuns =
      std::string(services::kBrowsersRunningMessage) + "Google Chrome. Close them and clean again.";
  auto cleanNow = [this](std::initializer_list<MessageResult> answers) {
    ui.boxes.clear();
    ui.answers = answers;
    hc().SpeedButton2->UserClick();
    EXPECT_TRUE(DeliverEndsOfRuns());
    return ui.boxes.empty() ? std::string() : ui.boxes.back().text;
  };

  EXPECT_EQ(cleanNow({MessageResult::Yes, MessageResult::No}),
            chromeRuns + " " + services::kBrowsersAlsoInBackgroundMessage + edge + services::kBackgroundAdviceMessage);
  ASSERT_EQ(ui.boxes.size(), 3u) << "asked about Edge only, which shows no window";
  EXPECT_EQ(ui.boxes[1].text, forms::kBackgroundBrowsersQuestion + edge + forms::kCloseFirstQuestion);
  EXPECT_TRUE(sim.files.Exists(cache)) << "declined: left running, and alone";
  EXPECT_TRUE(sim.process.Runs("msedge.exe"));

  sim.process.refuseToEnd.insert("msedge.exe");
  EXPECT_NE(cleanNow({MessageResult::Yes, MessageResult::Yes})
                .find(std::string(". Microsoft Edge") + services::kNotClosedMessage + "it did not end when asked."),
            std::string::npos);
  sim.process.refuseToEnd.clear();
  sim.process.runningPrograms.push_back("backup.exe");
  sim.process.filesInUse[data + "Default\\History"] = "backup.exe";
  EXPECT_NE(
      cleanNow({MessageResult::Yes, MessageResult::Yes})
          .find(std::string(". Microsoft Edge") + services::kNotClosedMessage + "backup.exe also has its files open."),
      std::string::npos)
      << "another program's files are not ours to close";
  EXPECT_TRUE(sim.files.Exists(cache));
  EXPECT_TRUE(sim.process.endedByRestartManager.empty());

  sim.process.filesInUse.erase(data + "Default\\History");
  EXPECT_EQ(cleanNow({MessageResult::Yes, MessageResult::Yes}), chromeRuns);
  EXPECT_EQ(sim.process.endedByRestartManager, std::vector<std::string>{"msedge.exe"});
  EXPECT_FALSE(sim.files.Exists(cache)) << "closed, then cleaned";
  EXPECT_NE(sim.files.Content("C:\\users\\user\\AppData\\Local\\Corvane\\last-run.txt")
                .find("  Microsoft Edge ran in the background and was closed before the cleaning.\r\n"),
            std::string::npos);

  sim.files.AddFile(cache, "cached");
  sim.process.runningPrograms.push_back("msedge.exe");
  sim.process.elevated.insert("msedge.exe");
  EXPECT_EQ(cleanNow({MessageResult::Yes}), std::string(services::kBrowsersRunningMessage) +
                                                "Microsoft Edge and Google Chrome. Close them and clean again.");
  EXPECT_TRUE(sim.files.Exists(cache)) << "never cleaned under a running browser";
}

// A scheduled run that fails while the window is hidden: a balloon from the
// tray icon, once for each cause in a row; what it says is in last-run.txt
// too, where Focus Assist hid it.
TEST_F(HistoryCleanerTest, AHiddenFailureShowsABalloonOncePerCauseAndASuccessRearmsIt) {
  StartQuietly();
  SetBool("RecycleBin", true);
  const std::string lastRun = "C:\\users\\user\\AppData\\Local\\Corvane\\last-run.txt";
  sim.files.AddDirectory("C:\\users\\user\\AppData\\Local");
  auto endsWith = [](const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
  };
  auto balloonTexts = [this] {
    std::vector<std::string> texts;
    for (const auto& b : sim.desktop.balloons) texts.push_back(b.info);
    return texts;
  };
  const std::string unopenable = std::string(services::kCleaningNotStartedMessage) +
                                 "the selected cleaners could not be read: the settings key cannot be opened.";

  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  main().Timer1Timer();
  EXPECT_FALSE(cleaning()) << "no run on switches that could not be read";
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 0u);
  ASSERT_EQ(sim.desktop.balloons.size(), 1u);
  const platform::NotifyIconRecord& balloon = sim.desktop.balloons[0];
  EXPECT_EQ(balloon.info, unopenable);
  EXPECT_EQ(balloon.infoTitle, "Corvane 2.4");
  EXPECT_EQ(balloon.infoFlags, 3u) << "NIIF_ERROR";
  EXPECT_EQ(balloon.id, 1005u);
  EXPECT_EQ(sim.desktop.trayIcons().begin()->second.iconResource, "TrayIcon") << "the icon stays as it was";
  EXPECT_EQ(sim.files.Content(lastRun), "\xEF\xBB\xBF" + unopenable + "\r\n");
  main().Timer1Timer();
  EXPECT_EQ(balloonTexts(), std::vector<std::string>{unopenable}) << "the same cause again: shown once";

  // Another cause is shown; a success between two failures re-arms the first.
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey, false);
  std::string keepList = cookies::KeepListPath(sim.platform);
  sim.files.AddFile(keepList, "example.com\r\n");
  sim.files.MakeUnreadable(keepList);
  SetBool("CookiesCleaner", true);
  main().Timer1Timer();
  ASSERT_TRUE(DeliverEndsOfRuns());
  ASSERT_EQ(sim.desktop.balloons.size(), 2u);
  EXPECT_EQ(sim.desktop.balloons[1].info.rfind(services::kCleaningStoppedMessage, 0), 0u);
  EXPECT_NE(sim.desktop.balloons[1].info.find("SafeCookies.txt"), std::string::npos);
  EXPECT_TRUE(endsWith(sim.files.Content(lastRun), "\r\n" + sim.desktop.balloons[1].info + "\r\n"));
  EXPECT_NE(sim.files.Content(lastRun).find("Corvane cleaning report."), std::string::npos) << "after the report";
  main().Timer1Timer();
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(sim.desktop.balloons.size(), 2u);

  sim.files.MakeUnreadable(keepList, false);
  main().Timer1Timer();
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(sim.desktop.balloons.size(), 2u) << "a success shows nothing while hidden";
  EXPECT_TRUE(endsWith(sim.files.Content(lastRun), "Every selected cleaner ran to its end.\r\n")) << "the report alone";
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  main().Timer1Timer();
  EXPECT_EQ(balloonTexts().size(), 3u);
  EXPECT_EQ(balloonTexts().back(), unopenable);
  EXPECT_TRUE(ui.boxes.empty()) << "no message box while the window is hidden";
}

TEST_F(HistoryCleanerTest, CleanNowStaysDisabledUntilTheWorkerEndsAndNoStartsNothing) {
  StartQuietly();
  hc().Show();
  ClickCleanNow(MessageResult::No);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kStartCleaningQuestion);
  EXPECT_EQ(ui.boxes[0].kind, MessageKind::Confirmation);
  EXPECT_FALSE(cleaning());
  EXPECT_EQ(worker(), nullptr);
  EXPECT_TRUE(hc().SpeedButton2->enabled());

  ClickCleanNow(MessageResult::Yes);
  EXPECT_TRUE(cleaning());
  for (int page = 0; page < 3; ++page) {
    hc().PageControl1->SetActivePageIndex(page);
    EXPECT_TRUE(hc().SpeedButton2->Showing());
    EXPECT_FALSE(hc().SpeedButton2->enabled()) << "page " << page;
  }
  // A disabled button takes no click.
  hc().SpeedButton2->UserClick();
  EXPECT_EQ(ui.boxes.size(), 2u);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_TRUE(hc().SpeedButton2->enabled());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
  EXPECT_EQ(ui.boxes.back().kind, MessageKind::Information);
}

TEST_F(HistoryCleanerTest, TheEndIsReportedOncePerWorkerAndOnlyWhileTheWindowShows) {
  StartQuietly();
  // Started by the schedule while hidden: no message.
  main().Timer1Timer();
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(hc().SpeedButton2->enabled());

  // A start while a run goes (the schedule's tick) starts nothing: one run, one message.
  hc().Show();
  ClickCleanNow(MessageResult::Yes);
  const cleaner::TUWHCleanerThrd* first = worker();
  main().Timer1Timer();
  EXPECT_EQ(worker(), first);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(CountBoxes(kCleaningDoneMessage), 1);
  EXPECT_FALSE(cleaning());
  EXPECT_EQ(worker(), nullptr);
  EXPECT_TRUE(hc().SpeedButton2->enabled());
}

TEST_F(HistoryCleanerTest, AnotherProcessCleaningRefusesCleanNowAtOnceAndACrashedOneDoesNot) {
  StartQuietly();
  SetBool("RecycleBin", true);
  hc().Show();
  platform::sim::SimPlatform other(sim.process.mutexes());
  {
    OtherProcessRun run(other.process);
    ASSERT_TRUE(run.held());
    ClickCleanNow(MessageResult::Yes);
    EXPECT_FALSE(cleaning());
    EXPECT_TRUE(hc().SpeedButton2->enabled());
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text, "Another history cleaning is in progress. Try again when it has finished.");
    EXPECT_EQ(ui.boxes[1].kind, MessageKind::Information);
    EXPECT_TRUE(sim.shell.recycleBinCalls.empty());
  }

  // Once it has let go, Clean Now cleans, and meanwhile the other process is refused.
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(cleaning());
  cleaner::CleaningRunGuard::State otherSees = cleaner::CleaningRunGuard::State::Held;
  other.process.StartThread([&] { otherSees = cleaner::CleaningRunGuard(other.process).state(); }).join();
  EXPECT_EQ(otherSees, cleaner::CleaningRunGuard::State::Busy);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 1u);

  // A holder that crashed: its thread ended without letting go, and Windows
  // hands the abandoned mutex to the next one who asks.
  std::optional<cleaner::CleaningRunGuard> crashed;
  other.process.StartThread([&] { crashed.emplace(other.process); }).join();
  ASSERT_TRUE(crashed->held());
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(cleaning());
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 2u);

  // Another account's run, in any session, neither waits for this user's
  // nor holds it up.
  platform::sim::SimPlatform stranger(sim.process.mutexes());
  stranger.process.userSid = "S-1-5-21-1004336348-1177238915-682003330-1002";
  {
    OtherProcessRun run(stranger.process);
    ASSERT_TRUE(run.held());
    ClickCleanNow(MessageResult::Yes);
    ASSERT_TRUE(cleaning());
    ASSERT_TRUE(DeliverEndsOfRuns());
    EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
    EXPECT_EQ(sim.shell.recycleBinCalls.size(), 3u);
  }
  // Another account that makes an object of the Global\ name with this
  // user's SID first, held for ever, no longer keeps this user from
  // cleaning: the right to clean is in the user's private namespace, where
  // no other account can make anything.
  {
    auto& table = *sim.process.mutexes();
    std::lock_guard<std::mutex> lock(table.lock);
    auto& planted = table.mutexes["Global\\" + std::string(cleaner::kCleaningRunMutexName) + "-" + sim.process.userSid];
    planted.handles = 1;
    planted.ownerSid = stranger.process.userSid;
  }
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(cleaning());
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 4u);
}

// std::thread throws when the system has no thread to give.
TEST_F(HistoryCleanerTest, AWorkerThatCannotStartLeavesCleanNowEnabledAndLetsGoOfTheRightToClean) {
  StartQuietly();
  SetBool("RecycleBin", true);
  hc().Show();
  sim.process.refuseThreads = true;
  ClickCleanNow(MessageResult::Yes);
  ExpectNoRunAndAnError("The history cleaning could not be started: ");
  EXPECT_EQ(ui.RunPosted(), 0) << "no end of a run to come";
  platform::sim::SimPlatform other(sim.process.mutexes());
  EXPECT_TRUE(OtherProcessRun(other.process).held()) << "the right to clean was let go";

  sim.process.refuseThreads = false;
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 1u);
}

TEST_F(HistoryCleanerTest, ARunThatAStepStoppedSaysSoInsteadOfReportingSuccess) {
  StartQuietly();
  const std::string lastRun = "C:\\users\\user\\AppData\\Local\\Corvane\\last-run.txt";
  sim.files.AddDirectory("C:\\users\\user\\AppData\\Local");
  std::string keepList = cookies::KeepListPath(sim.platform);
  sim.files.AddFile(keepList, "example.com\r\n");
  sim.files.MakeUnreadable(keepList);
  sim.urlCache.AddCookie("Cookie:user@tracker.example/");
  SetBool("CookiesCleaner", true);
  SetBool("RecycleBin", true);
  hc().Show();
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());

  EXPECT_EQ(CountBoxes(kCleaningDoneMessage), 0);
  ASSERT_EQ(ui.boxes.size(), 2u);
  const auto& box = ui.boxes[1];
  EXPECT_EQ(box.kind, MessageKind::Error);
  EXPECT_EQ(box.text.rfind(services::kCleaningStoppedMessage, 0), 0u) << box.text;
  EXPECT_NE(box.text.find("SafeCookies.txt"), std::string::npos) << "says what stopped it: " << box.text;
  EXPECT_TRUE(hc().SpeedButton2->enabled());
  EXPECT_EQ(sim.files.Content(keepList), "example.com\r\n") << "the keep-list is left as it was";
  // The report kept for the user says the same, cleaner by cleaner.
  const std::string stopped = sim.files.Content(lastRun);
  EXPECT_NE(
      stopped.find("\r\nCookies\r\n  Nothing was there to remove.\r\n  Stopped here: The list of cookies to keep"),
      std::string::npos)
      << stopped;
  EXPECT_NE(stopped.find("\r\nRecycle Bin\r\n  Not run: the cleaning stopped before it.\r\n"), std::string::npos);

  // Once the file reads again, the next run ends normally.
  sim.files.MakeUnreadable(keepList, false);
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
  const std::string finished = sim.files.Content(lastRun);
  EXPECT_NE(finished.find("  Cookies removed: 1\r\n    tracker.example (1)\r\n"), std::string::npos) << finished;
  EXPECT_NE(finished.find("\r\nEvery selected cleaner ran to its end.\r\n"), std::string::npos);
}

// Keeping the report raises once the worker has ended: the run lets go of
// its worker and of the right to clean all the same, so the schedule's next
// tick cleans and a command-line run is not refused.
TEST_F(HistoryCleanerTest, AReportThatRaisesWhenKeptStillEndsTheRun) {
  StartQuietly();
  SetBool("RecycleBin", true);
  main().Timer1Timer();
  ASSERT_TRUE(cleaning());
  ASSERT_TRUE(ui.WaitForPosted(10000)) << "the run never ended";
  sim.shell.throwOnNextCall = "out of memory";  // where last-run.txt goes
  ui.RunPosted();
  EXPECT_TRUE(sim.shell.throwOnNextCall.empty()) << "the report's keeping asked the shell";
  EXPECT_FALSE(cleaning());
  EXPECT_TRUE(hc().SpeedButton2->enabled());
  platform::sim::SimPlatform other(sim.process.mutexes());
  EXPECT_TRUE(OtherProcessRun(other.process).held()) << "the right to clean was let go";

  // Out of memory as the worker posts its end: it tries again until the end goes.
  ui.postsToRefuse = 2;
  main().Timer1Timer();
  EXPECT_TRUE(cleaning()) << "the next tick cleans";
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.postsToRefuse, 0);
  EXPECT_FALSE(cleaning());
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 2u);
  EXPECT_TRUE(sim.desktop.balloons.empty()) << "a run that cleaned all it was asked to is no failure";
}

TEST_F(HistoryCleanerTest, CookiesManagerOpensTheCookieManagerModally) {
  StartQuietly();
  hc().Show();
  ui::Form* shown = nullptr;
  ui.onModal = [&](ui::Form& form) {
    shown = &form;
    EXPECT_TRUE(form.modal());
    form.Close();
  };
  hc().SpeedButton3->UserClick();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->className(), "TCookieManager");
  EXPECT_FALSE(shown->visible());
}

}  // namespace
}  // namespace hosttest
