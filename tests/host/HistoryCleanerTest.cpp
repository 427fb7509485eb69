// The history cleaner window: its boxes bound to the stored switches, the
// tray's three entries, "Clean Now", and what a run reports when it ends.
#include "HistoryWindowFixture.h"
#include "cookies/KeepList.h"

namespace hosttest {
namespace {

using app::CleanerValueNames;
using app::kApplySettingsError;
using forms::kCleaningDoneMessage;
using forms::kStartCleaningQuestion;
using ui::MessageKind;
using ui::MessageResult;

class HistoryCleanerTest : public HistoryWindowFixture {};

TEST_F(HistoryCleanerTest, TheWindowHasItsTabsBoxesAndButtonsInPlace) {
  StartQuietly();
  EXPECT_EQ(hc().caption(), "History Cleaner");
  EXPECT_EQ(hc().clientWidth(), 624);
  EXPECT_EQ(hc().clientHeight(), 328);
  ASSERT_EQ(hc().PageControl1->children().size(), 3u);
  EXPECT_EQ(hc().TabSheet1->caption(), "Internet Explorer");
  EXPECT_EQ(hc().TabSheet2->caption(), "Windows");
  EXPECT_EQ(hc().TabSheet3->caption(), "Applications");
  EXPECT_EQ(hc().Find("Label1")->caption(),
            "Internet Explorer keeps tracks of websites you have visited in various locations,  url drop-down history, "
            "browser cache and browser history");
  EXPECT_EQ(hc().Find("Label3")->caption().back(), ' ');

  // Box k on its tab, in its column and row; the tab order follows the numbers.
  struct Place {
    ui::Control* tab;
    int first, last;
  } tabs[] = {{hc().TabSheet1, 1, 6}, {hc().TabSheet2, 7, 16}, {hc().TabSheet3, 17, 26}};
  for (const Place& p : tabs) {
    int perColumn = (p.last - p.first + 1) / 2;
    for (int k = p.first; k <= p.last; ++k) {
      ui::CheckBox& b = box(k);
      EXPECT_EQ(p.tab->Find(b.name()), &b) << k;
      int index = k - p.first;
      ui::CheckBox& top = box(p.first + (index < perColumn ? 0 : perColumn));
      EXPECT_EQ(b.bounds().left, top.bounds().left) << k;
      EXPECT_EQ(b.bounds().top, top.bounds().top + (index % perColumn) * 38) << k;
      EXPECT_EQ(b.bounds().width, index < perColumn ? 260 : 284);
      EXPECT_EQ(b.bounds().height, 31);
    }
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

TEST_F(HistoryCleanerTest, TheFirstShowingWritesMissingSwitchesOffAndAMissingKeyChangesNothing) {
  StartQuietly();
  for (const char* name : CleanerValueNames) sim.registry.DeleteValue(RegRoot::LocalMachine, app::kSettingsKey, name);
  SetBool("RecycleBin", true);
  for (int k = 1; k <= 26; ++k) box(k).SetChecked(true);

  hc().Show();
  for (int k = 1; k <= 26; ++k) {
    EXPECT_EQ(box(k).checked(), k == 12) << k;
    EXPECT_EQ(Number(CleanerValueNames[k - 1]), k == 12 ? 1 : 0) << k;
  }
  hc().Hide();

  // Without the key, the boxes keep what they show and nothing is created.
  sim.registry.DeleteTree(RegRoot::LocalMachine, app::kSettingsKey);
  box(3).SetChecked(true);
  hc().Show();
  EXPECT_TRUE(box(3).checked());
  EXPECT_TRUE(box(12).checked());
  EXPECT_FALSE(box(1).checked());
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, app::kSettingsKey));
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

  sim.registry.MakeUnopenable(RegRoot::LocalMachine, app::kSettingsKey);
  box(20).UserClick();
  EXPECT_TRUE(box(20).checked()) << "the box keeps its new state";
  EXPECT_EQ(Number("MSWord"), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kApplySettingsError);
  EXPECT_EQ(ui.boxes[0].kind, MessageKind::Error);

  // A key that refuses write access cannot be opened for the write either.
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, app::kSettingsKey, false);
  sim.registry.MakeUnwritable(RegRoot::LocalMachine, app::kSettingsKey);
  box(20).UserClick();
  EXPECT_EQ(CountBoxes(kApplySettingsError), 2);
}

TEST_F(HistoryCleanerTest, EachSwitchReachesItsWorkerPropertyAndAutocompleteDrivesBoth) {
  StartQuietly();
  hc().Show();
  box(5).UserClick();   // Autocomplete History
  box(10).UserClick();  // Search History drives the find-files cleaner
  box(3).UserClick();
  box(26).UserClick();
  EXPECT_EQ(Number("AutoComplete"), 1);

  ClickCleanNow(MessageResult::Yes);
  ASSERT_NE(hc().CleanerThread, nullptr);
  const cleaner::TUWHCleanerThrd& w = *hc().CleanerThread;
  EXPECT_TRUE(w.RunAutoCompleteForms);
  EXPECT_TRUE(w.RunAutoCompletePasswords);
  EXPECT_TRUE(w.RunFindFilesHistory);
  EXPECT_FALSE(w.RunFindComputerHistory);
  EXPECT_TRUE(w.RunBrowserCacheCleaner);
  EXPECT_TRUE(w.RunPowerDVDCleaner);
  EXPECT_FALSE(w.RunTypedURLCleaner);
  EXPECT_FALSE(w.RunCookiesCleaner);
  EXPECT_FALSE(w.RunWindowsTempFold);
  EXPECT_FALSE(w.RunRealOneCleaner);
  for (size_t i = 0; i < 26; ++i) EXPECT_EQ(hc().CleanerSwitches[i], i == 2 || i == 4 || i == 9 || i == 25) << i;
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(hc().CleanerThread, nullptr) << "freed after its end";
}

TEST_F(HistoryCleanerTest, ASwitchStoredAsTextStopsTheLoadingAndTurnsItselfAndTheRestOffForARun) {
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

  hc().StartHistoryCleaner();
  EXPECT_TRUE(hc().CleanerSwitches[0]);
  for (size_t i = 2; i < 26; ++i) EXPECT_FALSE(hc().CleanerSwitches[i]) << i;
  EXPECT_TRUE(hc().CleanerThread->RunTypedURLCleaner);
  EXPECT_FALSE(hc().CleanerThread->RunBrowserHistory);
  EXPECT_FALSE(hc().CleanerThread->RunPowerDVDCleaner);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(CountBoxes(kCleaningDoneMessage), 1);
  EXPECT_EQ(ui.boxes.size(), 1u) << "no other message";
}

TEST_F(HistoryCleanerTest, AnUnopenableKeyStartsARunWithEverySwitchOff) {
  StartQuietly();
  SetBool("RecycleBin", true);
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, app::kSettingsKey);
  hc().StartHistoryCleaner();
  ASSERT_NE(hc().CleanerThread, nullptr);
  EXPECT_FALSE(hc().CleanerThread->RunRecycleBinCleaner);
  EXPECT_EQ(hc().runningWorkers(), 1u);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_TRUE(ui.boxes.empty()) << "hidden window: nothing shown";
}

TEST_F(HistoryCleanerTest, CleanNowStaysDisabledUntilTheWorkerEndsAndNoStartsNothing) {
  StartQuietly();
  hc().Show();
  ClickCleanNow(MessageResult::No);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kStartCleaningQuestion);
  EXPECT_EQ(ui.boxes[0].kind, MessageKind::Confirmation);
  EXPECT_EQ(hc().runningWorkers(), 0u);
  EXPECT_EQ(hc().CleanerThread, nullptr);
  EXPECT_TRUE(hc().SpeedButton2->enabled());

  ClickCleanNow(MessageResult::Yes);
  EXPECT_EQ(hc().runningWorkers(), 1u);
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
  hc().StartHistoryCleaner();
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(hc().SpeedButton2->enabled());

  // Two runs side by side while the window shows: one message each.
  hc().Show();
  ClickCleanNow(MessageResult::Yes);
  hc().StartHistoryCleaner();
  EXPECT_EQ(hc().runningWorkers(), 2u);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(CountBoxes(kCleaningDoneMessage), 2);
  EXPECT_EQ(hc().runningWorkers(), 0u);
  EXPECT_EQ(hc().CleanerThread, nullptr);
  EXPECT_TRUE(hc().SpeedButton2->enabled());
}

TEST_F(HistoryCleanerTest, ARunThatAStepStoppedSaysSoInsteadOfReportingSuccess) {
  StartQuietly();
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
  EXPECT_EQ(box.text.rfind(forms::kCleaningStoppedMessage, 0), 0u) << box.text;
  EXPECT_NE(box.text.find("SafeCookies.txt"), std::string::npos) << "says what stopped it: " << box.text;
  EXPECT_TRUE(hc().SpeedButton2->enabled());
  EXPECT_EQ(sim.files.Content(keepList), "example.com\r\n") << "the keep-list is left as it was";

  // Once the file reads again, the next run ends normally.
  sim.files.MakeUnreadable(keepList, false);
  ClickCleanNow(MessageResult::Yes);
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_EQ(ui.boxes.back().text, kCleaningDoneMessage);
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
