// The pop-up blocker's preferences window and the sound chooser: loading,
// the count, the three switches with their tray marks, and the sound.
#include "CorvaneFixture.h"
#include "forms/PopUpBlocker.h"
#include "forms/SoundSelection.h"

namespace hosttest {
namespace {

using settings::kApplySettingsError;
namespace value = settings::value;

constexpr const char* kSounds = "C:\\Program Files\\Corvane\\sounds\\";

class PopUpBlockerTest : public CorvaneFixture {
 protected:
  void SetUp() override {
    // A start would create the two announcement switches true.
    SetBool(value::kSoundNotification.name, false);
    SetBool(value::kAnimTrayIcon.name, false);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ui.boxes.empty());
  }
  forms::TPopUpBlockerPref& pref() { return *corvane().PopUpBlockerPref; }
  forms::TSelectSound& chooser() { return *corvane().SelectSound; }
  // Shows the window as the tray entry does, hiding it first so that it loads again.
  void ShowPref() {
    pref().Hide();
    main().TrayMenu->Find("MenuPopUpBlockerPref")->UserClick();
  }
  // "..." in the window, then `line` chosen in the chooser and "Select".
  void ChooseSound(int line) {
    ui.onModal = [this, line](ui::Form& form) {
      ASSERT_EQ(&form, &chooser());
      EXPECT_EQ(chooser().CoolListBox1->itemIndex(), 0) << "the first line at every showing";
      chooser().CoolListBox1->UserClickLine(line, false);
      chooser().SpeedButton1->UserClick();
    };
    pref().SpeedButton1->UserClick();
    ui.onModal = nullptr;
  }
  void AddSounds() {
    sim.files.AddFile(std::string(kSounds) + "sound1.wav");
    sim.files.AddFile(std::string(kSounds) + "sound2.wav");
  }
  std::string LastPlayed() const { return sim.sound.played.empty() ? std::string() : sim.sound.played.back().path; }
};

TEST_F(PopUpBlockerTest, TheTrayEntryShowsTheWindowWithTheStoredSettings) {
  SetBool(value::kPopupBlocking.name, true);
  SetBool(value::kSoundNotification.name, false);
  SetBool(value::kAnimTrayIcon.name, true);
  ShowPref();
  EXPECT_TRUE(pref().visible());
  EXPECT_EQ(ui.foreground, &pref());
  EXPECT_TRUE(pref().CoolCheckRadioBox1->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox3->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox4->checked());
  EXPECT_EQ(pref().CoolLabel1->caption(), "SoundNotification1");
  EXPECT_TRUE(ui.boxes.empty());
  // What the showing read is what the tray and the announcement follow.
  EXPECT_TRUE(main().EnablePopupBlocking1->checked());
  EXPECT_FALSE(main().Playasoundwhenapopupwindowisblocked1->checked());
  EXPECT_TRUE(main().Animatesystemtrayiconwhenapopupwindowisblocked1->checked());
}

TEST_F(PopUpBlockerTest, SoundIndexOneShowsTheSecondSoundAndPlaysItsFile) {
  AddSounds();
  SetInt(value::kSoundIndex.name, 1);
  ShowPref();
  EXPECT_EQ(pref().CoolLabel1->caption(), "SoundNotification2");
  EXPECT_EQ(live().soundIndex.value(), 1);

  pref().SpeedButton2->UserClick();
  ASSERT_EQ(sim.sound.played.size(), 1u);
  EXPECT_EQ(LastPlayed(), std::string(kSounds) + "sound2.wav");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(pref().CoolCheckRadioBox3->checked()) << "the test plays whether or not the box is ticked";
}

TEST_F(PopUpBlockerTest, AnIndexOutsideTheTableShowsItsNumberAndNamesNoFile) {
  AddSounds();
  for (auto [stored, label] : {std::pair<int32_t, const char*>{5, "SoundNotification6"},
                               {-1, "SoundNotification0"},
                               {2147483647, "SoundNotification2147483648"}}) {
    SCOPED_TRACE(stored);
    SetInt(value::kSoundIndex.name, stored);
    ShowPref();
    EXPECT_EQ(pref().CoolLabel1->caption(), label);
    ui.boxes.clear();
    pref().SpeedButton2->UserClick();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Sound file missing");
    EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Error);
  }
  EXPECT_TRUE(sim.sound.played.empty());
}

TEST_F(PopUpBlockerTest, AnAbsentSoundFileIsReportedAndAnEmptyLabelPlaysNothing) {
  sim.files.AddFile(std::string(kSounds) + "sound2.wav");
  ShowPref();
  pref().SpeedButton2->UserClick();
  EXPECT_EQ(CountBoxes("Sound file missing"), 1);
  EXPECT_TRUE(sim.sound.played.empty());

  // Before any showing that reached the settings, the label is empty and the button does nothing.
  ui.boxes.clear();
  pref().CoolLabel1->SetCaption("");
  pref().SpeedButton2->UserClick();
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(sim.sound.played.empty());
}

TEST_F(PopUpBlockerTest, TheCountFollowsTheFirstStartFlag) {
  SetBool(value::kBlockerFirstStart.name, true);
  SetInt(value::kEliminatedPopups.name, 7);
  ShowPref();
  EXPECT_EQ(pref().Label3->caption(), "0000000000") << "not registered yet: the design text stays";

  SetBool(value::kBlockerFirstStart.name, false);
  SetInt(value::kEliminatedPopups.name, 42);
  ShowPref();
  EXPECT_EQ(pref().Label3->caption(), "42");

  SetBool(value::kBlockerFirstStart.name, true);
  SetInt(value::kEliminatedPopups.name, 43);
  ShowPref();
  EXPECT_EQ(pref().Label3->caption(), "42") << "a true flag keeps the text the count had";

  SetBool(value::kBlockerFirstStart.name, false);
  sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, value::kEliminatedPopups.name);
  ShowPref();
  EXPECT_EQ(pref().Label3->caption(), "0000000000") << "no count stored";

  SetInt(value::kEliminatedPopups.name, 42);
  ShowPref();
  sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, value::kBlockerFirstStart.name);
  ShowPref();
  EXPECT_EQ(pref().Label3->caption(), "0000000000") << "no flag stored";

  SetBool(value::kBlockerFirstStart.name, false);
  SetSetting(value::kEliminatedPopups.name, RegValue::String("42"));
  ShowPref();
  EXPECT_EQ(pref().Label3->caption(), "0000000000") << "a count that is not a number";
  EXPECT_TRUE(ui.boxes.empty());

  // A pop-up window the module could not count (at Low integrity) is counted
  // here, and the open window shows it at once.
  SetInt(value::kEliminatedPopups.name, 42);
  main().PopupBlockedNotify("x", 2, 0x43560001);
  EXPECT_EQ(Number(value::kEliminatedPopups.name), 43);
  EXPECT_EQ(pref().Label3->caption(), "43");
  main().PopupBlockedNotify("x", 2, 0);
  EXPECT_EQ(Number(value::kEliminatedPopups.name), 43) << "counted by the module itself";
}

TEST_F(PopUpBlockerTest, AnUnopenableKeyOnShowingGivesTheErrorAndKeepsTheBoxes) {
  SetBool(value::kBlockerFirstStart.name, false);
  SetInt(value::kEliminatedPopups.name, 42);
  SetBool(value::kPopupBlocking.name, true);
  ShowPref();
  ASSERT_EQ(pref().Label3->caption(), "42");

  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  SetBool(value::kPopupBlocking.name, false);
  ShowPref();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kApplySettingsError);
  EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(ui.boxes[0].caption, "Corvane 2.4");
  EXPECT_TRUE(pref().CoolCheckRadioBox1->checked()) << "the boxes keep their states";
  EXPECT_EQ(pref().Label3->caption(), "0000000000");
}

TEST_F(PopUpBlockerTest, MissingValuesAreWrittenFalseAndClearTheirBoxes) {
  SetBool(value::kPopupBlocking.name, true);
  SetBool(value::kSoundNotification.name, true);
  SetBool(value::kAnimTrayIcon.name, true);
  ShowPref();
  for (const char* name : {value::kPopupBlocking.name, value::kSoundNotification.name, value::kAnimTrayIcon.name,
                           value::kSoundIndex.name}) {
    sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, name);
  }
  live().soundIndex.Set(1);
  ShowPref();
  EXPECT_FALSE(pref().CoolCheckRadioBox1->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox3->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox4->checked());
  EXPECT_EQ(Number(value::kPopupBlocking.name), 0);
  EXPECT_EQ(Number(value::kSoundNotification.name), 0);
  EXPECT_EQ(Number(value::kAnimTrayIcon.name), 0);
  EXPECT_EQ(Number(value::kSoundIndex.name), 0);
  EXPECT_EQ(live().soundIndex.value(), 0);
  EXPECT_EQ(pref().CoolLabel1->caption(), "SoundNotification1");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PopUpBlockerTest, AValueOfAnotherTypeEndsTheLoadingSilently) {
  SetBool(value::kPopupBlocking.name, true);
  SetSetting(value::kSoundNotification.name, RegValue::String("1"));
  SetBool(value::kAnimTrayIcon.name, true);
  ShowPref();
  EXPECT_TRUE(pref().CoolCheckRadioBox1->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox4->checked()) << "not reached";
  EXPECT_EQ(pref().CoolLabel1->caption(), "") << "not reached";
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PopUpBlockerTest, EachBoxWritesItsValueAndSetsItsTrayMarkAtOnce) {
  struct Case {
    ui::CheckBox* box;
    ui::MenuItem* entry;
    const char* value;
  };
  ShowPref();
  for (Case c :
       {Case{pref().CoolCheckRadioBox1, main().EnablePopupBlocking1, value::kPopupBlocking.name},
        Case{pref().CoolCheckRadioBox3, main().Playasoundwhenapopupwindowisblocked1, value::kSoundNotification.name},
        Case{pref().CoolCheckRadioBox4, main().Animatesystemtrayiconwhenapopupwindowisblocked1,
             value::kAnimTrayIcon.name}}) {
    SCOPED_TRACE(c.value);
    ASSERT_FALSE(c.box->checked());
    c.box->UserClick();
    EXPECT_TRUE(c.entry->checked());
    EXPECT_EQ(Number(c.value), 1);
    c.box->UserClick();
    EXPECT_FALSE(c.entry->checked());
    EXPECT_EQ(Number(c.value), 0);
    c.entry->UserClick();
    EXPECT_TRUE(c.box->checked()) << "the open window follows the tray at once";
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PopUpBlockerTest, ClearingEnablePopupBlockingClearsTheTrayMarkAndWritesFalse) {
  SetBool(value::kPopupBlocking.name, true);
  program.reset();
  ASSERT_TRUE(Start());
  ASSERT_TRUE(main().EnablePopupBlocking1->checked());
  ShowPref();
  ASSERT_TRUE(pref().CoolCheckRadioBox1->checked());
  pref().CoolCheckRadioBox1->UserClick();
  EXPECT_FALSE(main().EnablePopupBlocking1->checked());
  EXPECT_EQ(Number(value::kPopupBlocking.name), 0);
}

TEST_F(PopUpBlockerTest, AClickThatCannotOpenTheKeyGivesTheErrorAndNothingElse) {
  ShowPref();
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  pref().CoolCheckRadioBox3->UserClick();
  EXPECT_EQ(CountBoxes(kApplySettingsError), 1);
  EXPECT_FALSE(pref().CoolCheckRadioBox3->checked()) << "the box goes back to what is stored";
  EXPECT_FALSE(main().Playasoundwhenapopupwindowisblocked1->checked());
  EXPECT_EQ(Number(value::kSoundNotification.name), 0);
}

TEST_F(PopUpBlockerTest, TheChoiceShowsTheLineTextUntilTheNextShowingAndReachesTheAnnouncement) {
  AddSounds();
  SetInt(value::kSoundIndex.name, 1);
  SetBool(value::kSoundNotification.name, true);
  program.reset();
  ASSERT_TRUE(Start());
  ShowPref();

  ChooseSound(0);
  EXPECT_FALSE(chooser().visible());
  EXPECT_EQ(pref().CoolLabel1->caption(), "Sound Notification 1");
  EXPECT_EQ(live().soundIndex.value(), 0);
  EXPECT_EQ(Number(value::kSoundIndex.name), 0);
  main().PopupBlockedNotify(nullptr, 0);
  EXPECT_EQ(LastPlayed(), std::string(kSounds) + "sound1.wav") << "the next announcement plays the new choice";

  ChooseSound(1);
  EXPECT_EQ(pref().CoolLabel1->caption(), "Sound Notification 2");
  EXPECT_EQ(Number(value::kSoundIndex.name), 1);
  pref().SpeedButton2->UserClick();
  EXPECT_EQ(LastPlayed(), std::string(kSounds) + "sound2.wav");
  sim.clock.Advance(forms::kAnnouncementGapMs);
  main().PopupBlockedNotify(nullptr, 0);
  EXPECT_EQ(LastPlayed(), std::string(kSounds) + "sound2.wav");
  EXPECT_EQ(sim.sound.played.size(), 3u);

  ShowPref();
  EXPECT_EQ(pref().CoolLabel1->caption(), "SoundNotification2");
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PopUpBlockerTest, ClosingTheChooserOtherwiseChangesNothing) {
  ShowPref();
  ui.onModal = [this](ui::Form&) {
    chooser().CoolListBox1->UserClickLine(1, false);
    chooser().Close();
  };
  pref().SpeedButton1->UserClick();
  EXPECT_FALSE(chooser().visible());
  EXPECT_EQ(pref().CoolLabel1->caption(), "SoundNotification1");
  EXPECT_EQ(live().soundIndex.value(), 0);
  EXPECT_EQ(Number(value::kSoundIndex.name), 0);

  // The next showing starts from the first line again.
  ChooseSound(1);
  EXPECT_EQ(Number(value::kSoundIndex.name), 1);
}

TEST_F(PopUpBlockerTest, AChooserThatCannotOpenTheKeyStillShowsAndPlaysTheChoiceUntilTheNextShowing) {
  AddSounds();
  SetBool(value::kSoundNotification.name, true);
  program.reset();
  ASSERT_TRUE(Start());
  ShowPref();
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);

  ChooseSound(1);
  EXPECT_EQ(CountBoxes(kApplySettingsError), 1);
  EXPECT_FALSE(chooser().visible()) << "the chooser closes in any case";
  EXPECT_EQ(pref().CoolLabel1->caption(), "Sound Notification 2");
  pref().SpeedButton2->UserClick();
  EXPECT_EQ(LastPlayed(), std::string(kSounds) + "sound2.wav");
  // What could not be stored was not applied: the announcement keeps the stored sound.
  main().PopupBlockedNotify(nullptr, 0);
  EXPECT_EQ(LastPlayed(), std::string(kSounds) + "sound1.wav");

  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey, false);
  ShowPref();
  EXPECT_EQ(pref().CoolLabel1->caption(), "SoundNotification1");
  EXPECT_EQ(Number(value::kSoundIndex.name), 0);
}

}  // namespace
}  // namespace hosttest
