// The auto history cleaner: the timer on the virtual clock, the interval list,
// the check box and the tray entry kept in agreement.
#include "HistoryWindowFixture.h"

namespace hosttest {
namespace {

using settings::kApplySettingsError;
namespace value = settings::value;

class ScheduleTest : public HistoryWindowFixture {
 protected:
  // Runs started and not yet delivered: one at most.
  size_t runs() { return cleaning() ? 1 : 0; }
  void AdvanceTo(uint64_t at) { ui.AdvanceTime(at - sim.clock.NowMs()); }
  ui::CheckBox& autoBox() { return *main().CoolCheckRadioBox2; }
  ui::MenuItem& trayEntry() { return *main().MenuEnableAutoHistoryCleaner; }
  // The timer runs only while the cleaner is on and a schedule is set.
  void ExpectInvariant() {
    if (!main().Timer1->enabled()) return;
    EXPECT_EQ(Number(value::kAutoCleaner.name), 1);
    ASSERT_TRUE(Number(value::kCleanerSchedule.name));
    EXPECT_GE(*Number(value::kCleanerSchedule.name), 0);
  }
  void ExpectAllOn(bool on) {
    EXPECT_EQ(autoBox().checked(), on);
    EXPECT_EQ(trayEntry().checked(), on);
    EXPECT_EQ(Number(value::kAutoCleaner.name), on ? 1 : 0);
  }
};

TEST_F(ScheduleTest, FifteenMinutesAndSwitchedOnCleansOneIntervalLaterThenEveryInterval) {
  StartQuietly();
  main().Show();
  main().ComboBox1->UserSelect(0);
  EXPECT_EQ(Number(value::kCleanerSchedule.name), -1) << "stored only when the list loses the focus";
  uint64_t on = sim.clock.NowMs();
  autoBox().UserClick();  // takes the focus from the list first
  EXPECT_EQ(Number(value::kCleanerSchedule.name), 0);
  ExpectAllOn(true);
  EXPECT_TRUE(main().Timer1->enabled());
  EXPECT_EQ(main().Timer1->interval(), 900000u);
  ExpectInvariant();

  AdvanceTo(on + 899999);
  EXPECT_EQ(runs(), 0u);
  // The first run is held in the middle of its purge.
  SetBool("WindowsTempFiles", true);
  PlantTempFiles(3);
  sim.files.gate.HoldAt("RemoveFile", 1);
  AdvanceTo(on + 900000);
  EXPECT_EQ(runs(), 1u);
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));
  const cleaner::TUWHCleanerThrd* first = worker();
  // A tick during the run starts nothing, and nothing is queued for later.
  AdvanceTo(on + 1800000);
  EXPECT_EQ(worker(), first);
  sim.files.gate.Release();
  ASSERT_TRUE(DeliverEndsOfRuns());
  EXPECT_TRUE(sim.files.List(kTemp).empty()) << "the first run cleaned to its end";
  EXPECT_EQ(runs(), 0u);
  EXPECT_TRUE(ui.boxes.empty()) << "the window is hidden: no message";
  EXPECT_TRUE(sim.desktop.balloons.empty()) << "nor a balloon for a success";
  AdvanceTo(on + 2700000);
  EXPECT_EQ(runs(), 1u);
  ASSERT_TRUE(DeliverEndsOfRuns());
}

TEST_F(ScheduleTest, AStartWithTheCleanerOnAndOneHourCleansAnHourAfterTheStart) {
  SetBool(value::kAutoCleaner.name, true);
  SetInt(value::kCleanerSchedule.name, 2);
  uint64_t start = sim.clock.NowMs();
  StartQuietly();
  EXPECT_TRUE(main().Timer1->enabled());
  EXPECT_EQ(main().Timer1->interval(), 3600000u);
  EXPECT_EQ(main().ComboBox1->itemIndex(), 2);
  ExpectAllOn(true);
  ExpectInvariant();

  AdvanceTo(start + 3599999);
  EXPECT_EQ(runs(), 0u);
  AdvanceTo(start + 3600000);
  EXPECT_EQ(runs(), 1u);
  ASSERT_TRUE(DeliverEndsOfRuns());
}

TEST_F(ScheduleTest, ANewIntervalLeftInTheListWhenTheWindowClosesIsNotStored) {
  SetBool(value::kAutoCleaner.name, true);
  SetInt(value::kCleanerSchedule.name, 2);
  StartQuietly();
  uint64_t start = sim.clock.NowMs();
  main().Show();
  main().ComboBox1->UserSelect(0);
  main().Close();
  EXPECT_FALSE(main().visible());
  EXPECT_EQ(Number(value::kCleanerSchedule.name), 2);
  EXPECT_EQ(main().Timer1->interval(), 3600000u);
  AdvanceTo(start + 1800000);
  EXPECT_EQ(runs(), 0u) << "the old hourly countdown goes on";
  main().Show();
  EXPECT_EQ(main().ComboBox1->itemIndex(), 2) << "shown again, the list shows the interval in effect";
  ASSERT_TRUE(DeliverEndsOfRuns());
}

TEST_F(ScheduleTest, WithoutAnIntervalSwitchingOnNeverCleansUntilOneIsChosen) {
  StartQuietly();
  EXPECT_EQ(Number(value::kCleanerSchedule.name), -1);
  main().Show();
  autoBox().UserClick();
  ExpectAllOn(true);
  EXPECT_FALSE(main().Timer1->enabled());
  ExpectInvariant();
  ui.AdvanceTime(2 * 43200000ull);
  EXPECT_EQ(runs(), 0u);

  // Choosing "30 Minutes" and leaving the list starts the countdown.
  main().ComboBox1->UserSelect(1);
  uint64_t chosen = sim.clock.NowMs();
  main().Label1->SetFocus();
  EXPECT_EQ(Number(value::kCleanerSchedule.name), 1);
  EXPECT_TRUE(main().Timer1->enabled());
  ExpectInvariant();
  AdvanceTo(chosen + 1799999);
  EXPECT_EQ(runs(), 0u);
  AdvanceTo(chosen + 1800000);
  EXPECT_EQ(runs(), 1u);
  ASSERT_TRUE(DeliverEndsOfRuns());
}

TEST_F(ScheduleTest, OnFromTheTrayThenOffFromTheCheckBoxStopsEverything) {
  SetInt(value::kCleanerSchedule.name, 0);
  StartQuietly();
  trayEntry().UserClick();
  ExpectAllOn(true);
  EXPECT_TRUE(main().Timer1->enabled());
  ExpectInvariant();

  main().Show();
  autoBox().UserClick();
  ExpectAllOn(false);
  EXPECT_FALSE(main().Timer1->enabled());
  ExpectInvariant();
  ui.AdvanceTime(3600000);
  EXPECT_EQ(runs(), 0u);

  // And back on from the check box, off from the tray.
  autoBox().UserClick();
  ExpectAllOn(true);
  EXPECT_TRUE(main().Timer1->enabled());
  trayEntry().UserClick();
  ExpectAllOn(false);
  EXPECT_FALSE(main().Timer1->enabled());
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ScheduleTest, ChangingTheIntervalWhileRunningRestartsTheCountdown) {
  SetBool(value::kAutoCleaner.name, true);
  SetInt(value::kCleanerSchedule.name, 0);
  StartQuietly();
  main().Show();
  ui.AdvanceTime(600000);
  main().ComboBox1->UserSelect(1);
  uint64_t changed = sim.clock.NowMs();
  main().Label1->SetFocus();
  EXPECT_EQ(Number(value::kCleanerSchedule.name), 1);
  EXPECT_EQ(main().Timer1->interval(), 1800000u);
  AdvanceTo(changed + 1799999);
  EXPECT_EQ(runs(), 0u) << "no tick at the old 15-minute mark";
  AdvanceTo(changed + 1800000);
  EXPECT_EQ(runs(), 1u);
  ASSERT_TRUE(DeliverEndsOfRuns());

  // Leaving the list with the same entry still stores it and restarts.
  ui.AdvanceTime(1000000);
  main().ComboBox1->SetFocus();
  uint64_t again = sim.clock.NowMs();
  sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, value::kCleanerSchedule.name);
  main().Label1->SetFocus();
  EXPECT_EQ(Number(value::kCleanerSchedule.name), 1);
  AdvanceTo(again + 1799999);
  EXPECT_EQ(runs(), 0u);
  AdvanceTo(again + 1800000);
  EXPECT_EQ(runs(), 1u);
  ASSERT_TRUE(DeliverEndsOfRuns());
}

TEST_F(ScheduleTest, AScheduleAboveThirteenRunsEveryFifteenMinutes) {
  SetBool(value::kAutoCleaner.name, true);
  SetInt(value::kCleanerSchedule.name, 20);
  uint64_t start = sim.clock.NowMs();
  StartQuietly();
  EXPECT_EQ(main().ComboBox1->itemIndex(), -1);
  EXPECT_EQ(main().ScheduleInterval(), 900000u);
  EXPECT_TRUE(main().Timer1->enabled());
  AdvanceTo(start + 900000);
  EXPECT_EQ(runs(), 1u);
  ASSERT_TRUE(DeliverEndsOfRuns());
}

TEST_F(ScheduleTest, EveryEntryHasItsInterval) {
  StartQuietly();
  const uint32_t expected[] = {900000,   1800000,  3600000,  7200000,  10800000, 14400000, 18000000,
                               21600000, 25200000, 28800000, 32400000, 36000000, 39600000, 43200000};
  ASSERT_EQ(main().ComboBox1->items().size(), 14u);
  EXPECT_EQ(main().ComboBox1->items()[0], "15 Minutes");
  EXPECT_EQ(main().ComboBox1->items()[2], "1 Hour");
  EXPECT_EQ(main().ComboBox1->items()[13], "12 Hours");
  for (int i = 0; i < 14; ++i) {
    main().ComboBox1->SetItemIndex(i);
    EXPECT_EQ(main().ScheduleInterval(), expected[i]) << i;
  }
  main().ComboBox1->SetItemIndex(-1);
  EXPECT_EQ(main().ScheduleInterval(), 900000u);
}

TEST_F(ScheduleTest, IsCleanerScheduleSetTakesAMissingScheduleForNoneAndWritesNothing) {
  StartQuietly();
  sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, value::kCleanerSchedule.name);
  EXPECT_FALSE(main().IsCleanerScheduleSet());
  EXPECT_FALSE(Setting(value::kCleanerSchedule.name).has_value()) << "a question writes nothing";
  SetInt(value::kCleanerSchedule.name, 0);
  EXPECT_TRUE(main().IsCleanerScheduleSet());
  SetSetting(value::kCleanerSchedule.name, RegValue::String("3"));
  EXPECT_FALSE(main().IsCleanerScheduleSet()) << "a value of another type is a registry error";
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  SetInt(value::kCleanerSchedule.name, 4);
  EXPECT_FALSE(main().IsCleanerScheduleSet());
}

TEST_F(ScheduleTest, AnUnopenableKeySaysSoAndEveryControlShowsWhatIsStored) {
  SetBool(value::kAutoCleaner.name, true);
  SetInt(value::kCleanerSchedule.name, 0);
  StartQuietly();
  main().Show();
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);

  // The interval list: back to the stored interval, which keeps running.
  main().ComboBox1->UserSelect(3);
  main().Label1->SetFocus();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kApplySettingsError);
  EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(main().ComboBox1->itemIndex(), 0);
  EXPECT_TRUE(main().Timer1->enabled());
  EXPECT_EQ(main().Timer1->interval(), 900000u);
  // Left unchanged, there is nothing to report.
  main().ComboBox1->SetFocus();
  main().Label1->SetFocus();
  EXPECT_EQ(ui.boxes.size(), 1u);

  // The tray entry: no change.
  trayEntry().UserClick();
  EXPECT_EQ(ui.boxes.size(), 2u);
  EXPECT_TRUE(trayEntry().checked());
  EXPECT_TRUE(autoBox().checked());
  EXPECT_TRUE(main().Timer1->enabled());

  // The check box: back to checked, with the tray entry and the timer as they were.
  autoBox().UserClick();
  EXPECT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes.back().text, kApplySettingsError);
  EXPECT_TRUE(autoBox().checked());
  EXPECT_TRUE(trayEntry().checked());
  EXPECT_TRUE(main().Timer1->enabled());
  EXPECT_EQ(Number(value::kAutoCleaner.name), 1) << "nothing written";
  EXPECT_EQ(Number(value::kCleanerSchedule.name), 0);
}

}  // namespace
}  // namespace hosttest
