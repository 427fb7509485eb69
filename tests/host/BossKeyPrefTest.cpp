// The Windows hotkey's preferences window: loading at every showing, the
// five clicks, and their effect on the running hotkey.
#include <functional>

#include "CorvaneFixture.h"
#include "forms/BossKey.h"

namespace hosttest {
namespace {

namespace value = settings::value;
using platform::WindowId;

class BossKeyPrefTest : public CorvaneFixture {
 protected:
  forms::TBossKeyPref& pref() { return *corvane().BossKeyPref; }
  void ShowPref() {
    pref().Hide();
    main().TrayMenu->Find("MenuBossKeyPref")->UserClick();
    ASSERT_TRUE(pref().visible());
  }
  void Remove(const char* name) { sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, name); }
  bool Press() {
    ui::Message m;
    m.msg = ui::kWmHotKey;
    m.wParam = 1;
    return main().OnMessage(m);
  }
  std::vector<int> HotkeyIds() {
    std::vector<int> ids;
    for (const auto& h : sim.desktop.hotkeys()) ids.push_back(h.id);
    return ids;
  }
};

TEST_F(BossKeyPrefTest, TheWindowHasItsCaptionSizeGroupsAndBoxes) {
  ASSERT_TRUE(Start());
  forms::TBossKeyPref& f = pref();
  EXPECT_EQ(f.className(), "TBossKeyPref");
  EXPECT_EQ(f.caption(), "Windows Hotkey Prefrences");
  EXPECT_EQ(f.clientWidth(), 370);
  EXPECT_EQ(f.clientHeight(), 319);
  EXPECT_EQ(f.Image1->picture(), "BossKeyStrip");
  EXPECT_EQ(f.Image1->bounds().width, 47);
  struct Row {
    ui::Control* group;
    const char* caption;
  };
  // Top to bottom.
  std::vector<Row> rows = {{f.CoolGroupBox2, "Windows Hotkey Status"},
                           {f.CoolGroupBox3, "Internet Explorer Hotkey Status"},
                           {f.CoolGroupBox4, "Windows Volume Control"},
                           {f.CoolGroupBox1, "Windows Hotkey"}};
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].group->caption(), rows[i].caption);
    EXPECT_GE(rows[i].group->bounds().left, 47);
    if (i == 0) continue;
    const ui::Rect above = rows[i - 1].group->bounds();
    EXPECT_GE(rows[i].group->bounds().top, above.top + above.height) << rows[i].caption;
  }
  EXPECT_EQ(f.CoolCheckRadioBox5->parent(), f.CoolGroupBox2);
  EXPECT_EQ(f.CoolCheckRadioBox5->caption(), "Enable windows hotkey");
  EXPECT_EQ(f.CoolCheckRadioBox1->caption(), "Enable Internet Explorer hotkey");
  EXPECT_EQ(f.CoolCheckRadioBox6->parent(), f.CoolGroupBox3);
  EXPECT_EQ(f.CoolCheckRadioBox6->caption(), "Also hide the other browsers' windows");
  EXPECT_EQ(f.CoolCheckRadioBox2->caption(), "Enable windows volume control");
  EXPECT_EQ(f.CoolCheckRadioBox3->caption(), "CTRL + F12");
  EXPECT_EQ(f.CoolCheckRadioBox4->caption(), "ALT + F1");
  EXPECT_EQ(f.CoolCheckRadioBox3->kind(), ui::Kind::RadioBox);
  EXPECT_EQ(f.CoolCheckRadioBox4->kind(), ui::Kind::RadioBox);
  EXPECT_LT(f.CoolCheckRadioBox3->bounds().left, f.CoolCheckRadioBox4->bounds().left) << "CTRL + F12 on the left";
  EXPECT_TRUE(f.CoolCheckRadioBox3->checked()) << "as designed, before any showing";
  EXPECT_FALSE(f.CoolCheckRadioBox4->checked());

  // The keyboard's order is the order of creation: top to bottom, left to right.
  std::vector<const ui::Control*> boxes;
  std::function<void(const ui::Control&)> walk = [&](const ui::Control& c) {
    for (const auto& child : c.children()) {
      if (child->kind() == ui::Kind::CheckBox || child->kind() == ui::Kind::RadioBox) boxes.push_back(child);
      walk(*child);
    }
  };
  walk(f);
  EXPECT_EQ(boxes, (std::vector<const ui::Control*>{f.CoolCheckRadioBox5, f.CoolCheckRadioBox1, f.CoolCheckRadioBox6,
                                                    f.CoolCheckRadioBox2, f.CoolCheckRadioBox3, f.CoolCheckRadioBox4}));
}

TEST_F(BossKeyPrefTest, ShowingLoadsTheStoredSwitchesAndCombination) {
  SetBool(value::kWindowsHotKey.name, true);
  SetBool(value::kIEWHotKey.name, false);
  SetBool(value::kWinVolControl.name, true);
  SetInt(value::kHotkeyCombination.name, 0);
  ASSERT_TRUE(Start());
  ShowPref();
  EXPECT_TRUE(pref().CoolCheckRadioBox5->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox1->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox2->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox4->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox3->checked());

  // A change made in the tray appears at once; one stored elsewhere, at the next showing.
  main().MenuEnableBossKey->UserClick();
  EXPECT_FALSE(pref().CoolCheckRadioBox5->checked());
  SetInt(value::kHotkeyCombination.name, 1);
  ShowPref();
  EXPECT_FALSE(pref().CoolCheckRadioBox5->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox3->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox4->checked());
}

TEST_F(BossKeyPrefTest, AllFourValuesMissingAreWrittenWithTheirDefaults) {
  SetBool(value::kWindowsHotKey.name, true);
  SetBool(value::kIEWHotKey.name, true);
  SetBool(value::kWinVolControl.name, true);
  SetInt(value::kHotkeyCombination.name, 0);
  ASSERT_TRUE(Start());
  ShowPref();
  SetBool(value::kHotkeyAllBrowsers.name, false);
  ShowPref();
  EXPECT_FALSE(pref().CoolCheckRadioBox6->checked());
  for (const char* name : {value::kWindowsHotKey.name, value::kIEWHotKey.name, value::kWinVolControl.name,
                           value::kHotkeyCombination.name, value::kHotkeyAllBrowsers.name}) {
    Remove(name);
  }
  ShowPref();
  EXPECT_EQ(Number(value::kHotkeyAllBrowsers.name), 1) << "the other browsers are hidden unless cleared";
  EXPECT_TRUE(pref().CoolCheckRadioBox6->checked());
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 0);
  EXPECT_EQ(Number(value::kIEWHotKey.name), 0);
  EXPECT_EQ(Number(value::kWinVolControl.name), 0);
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 1);
  EXPECT_FALSE(pref().CoolCheckRadioBox5->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox1->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox2->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox3->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox4->checked());
}

TEST_F(BossKeyPrefTest, AStoredCombinationOfSevenLeavesBothRadioBoxesAsTheyWere) {
  SetInt(value::kHotkeyCombination.name, 0);
  ASSERT_TRUE(Start());
  ShowPref();
  ASSERT_TRUE(pref().CoolCheckRadioBox4->checked());
  SetInt(value::kHotkeyCombination.name, 7);
  ShowPref();
  EXPECT_TRUE(pref().CoolCheckRadioBox4->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox3->checked());
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 7) << "nothing written";
}

TEST_F(BossKeyPrefTest, ARegistryErrorEndsTheLoadingAndAnUnopenableKeyLeavesTheBoxes) {
  SetBool(value::kWinVolControl.name, true);
  SetInt(value::kHotkeyCombination.name, 0);
  ASSERT_TRUE(Start());
  SetSetting(value::kIEWHotKey.name, RegValue::String("1"));
  SetBool(value::kWindowsHotKey.name, true);
  ShowPref();
  EXPECT_TRUE(pref().CoolCheckRadioBox5->checked()) << "loaded before the bad value";
  EXPECT_FALSE(pref().CoolCheckRadioBox2->checked()) << "not loaded after it";
  EXPECT_TRUE(pref().CoolCheckRadioBox3->checked());
  EXPECT_TRUE(ui.boxes.empty());
  // The switch read is the one in force: the tray shows it and the hotkey is held.
  EXPECT_TRUE(main().MenuEnableBossKey->checked());
  EXPECT_EQ(HotkeyIds(), std::vector<int>{1});

  SetBool(value::kIEWHotKey.name, true);
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  ShowPref();
  EXPECT_FALSE(pref().CoolCheckRadioBox1->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox5->checked());
  EXPECT_TRUE(ui.boxes.empty()) << "silent on showing";

  // The later switch, of the wrong type, is read after the combination.
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey, false);
  ShowPref();
  ASSERT_TRUE(pref().CoolCheckRadioBox4->checked());
  SetSetting(value::kHotkeyAllBrowsers.name, RegValue::String("0"));
  SetInt(value::kHotkeyCombination.name, 1);
  pref().CoolCheckRadioBox6->SetChecked(true);
  ShowPref();
  EXPECT_TRUE(pref().CoolCheckRadioBox3->checked()) << "the combination is loaded before the bad switch";
  EXPECT_FALSE(pref().CoolCheckRadioBox4->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox6->checked()) << "the bad switch leaves its box";
}

TEST_F(BossKeyPrefTest, AltF1ChosenWhileDisabledIsStoredAndLeftToOtherProgramsUntilEnabled) {
  WindowId ie = sim.desktop.AddWindow("IEFrame", "");
  SetBool(value::kWindowsHotKey.name, false);
  SetBool(value::kIEWHotKey.name, true);
  ASSERT_TRUE(Start());
  ShowPref();
  ASSERT_TRUE(sim.desktop.hotkeys().empty());

  pref().CoolCheckRadioBox4->UserClick();
  EXPECT_TRUE(pref().CoolCheckRadioBox4->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox3->checked());
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 0);
  EXPECT_TRUE(sim.desktop.hotkeys().empty()) << "other programs keep ALT + F1 while the hotkey is off";
  EXPECT_TRUE(Press()) << "a stray press is consumed";
  EXPECT_TRUE(sim.desktop.FindWindowById(ie)->visible);
  EXPECT_TRUE(sim.desktop.showCalls.empty());

  pref().CoolCheckRadioBox5->UserClick();
  ASSERT_EQ(sim.desktop.hotkeys().size(), 1u);
  EXPECT_EQ(sim.desktop.hotkeys()[0].id, 1);
  EXPECT_EQ(sim.desktop.hotkeys()[0].modifiers, 1u);
  EXPECT_EQ(sim.desktop.hotkeys()[0].virtualKey, 0x70u);

  pref().CoolCheckRadioBox3->UserClick();
  EXPECT_EQ(HotkeyIds(), std::vector<int>{2}) << "enabled: the new combination takes over at once";
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 1);
}

TEST_F(BossKeyPrefTest, TickingEnableWithTheCombinationMissingRegistersCtrlF12WithoutWritingIt) {
  SetBool(value::kWindowsHotKey.name, false);
  ASSERT_TRUE(Start());
  ShowPref();
  Remove(value::kHotkeyCombination.name);

  pref().CoolCheckRadioBox5->UserClick();
  EXPECT_EQ(HotkeyIds(), std::vector<int>{2});
  EXPECT_FALSE(Setting(value::kHotkeyCombination.name));
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 1);
  EXPECT_TRUE(main().MenuEnableBossKey->checked()) << "the tray entry follows at once";
  EXPECT_TRUE(live().hotkeyEnabled.value());

  pref().CoolCheckRadioBox5->UserClick();
  EXPECT_TRUE(sim.desktop.hotkeys().empty());
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 0);
  EXPECT_FALSE(main().MenuEnableBossKey->checked());
  EXPECT_FALSE(live().hotkeyEnabled.value());
}

TEST_F(BossKeyPrefTest, TheActionBoxesReachThePressHandlerWithoutARestart) {
  WindowId ie = sim.desktop.AddWindow("IEFrame", "");
  SetBool(value::kWindowsHotKey.name, true);
  SetBool(value::kIEWHotKey.name, false);
  SetBool(value::kWinVolControl.name, false);
  ASSERT_TRUE(Start());
  ShowPref();

  pref().CoolCheckRadioBox1->UserClick();
  pref().CoolCheckRadioBox2->UserClick();
  EXPECT_EQ(Number(value::kIEWHotKey.name), 1);
  EXPECT_EQ(Number(value::kWinVolControl.name), 1);
  Press();
  Press();
  EXPECT_FALSE(sim.desktop.FindWindowById(ie)->visible);
  EXPECT_FALSE(sim.audio.muted) << "muted, then unmuted";
  EXPECT_EQ(sim.audio.writes, 2);

  pref().CoolCheckRadioBox1->UserClick();
  EXPECT_EQ(Number(value::kIEWHotKey.name), 0);
  EXPECT_TRUE(sim.desktop.FindWindowById(ie)->visible) << "switched off, the hotkey shows what it hid";
  EXPECT_EQ(Number(value::kIEStatus.name), 1);
  sim.desktop.showCalls.clear();
  Press();
  EXPECT_TRUE(sim.desktop.showCalls.empty()) << "the window step is off now";
  EXPECT_TRUE(sim.audio.muted);
}

TEST_F(BossKeyPrefTest, AnUnopenableKeyGivesTheErrorOnEveryClickAndEveryBoxKeepsWhatIsStored) {
  SetBool(value::kWindowsHotKey.name, true);
  SetInt(value::kHotkeyCombination.name, 1);
  ASSERT_TRUE(Start());
  ShowPref();
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);

  pref().CoolCheckRadioBox1->UserClick();
  pref().CoolCheckRadioBox2->UserClick();
  pref().CoolCheckRadioBox5->UserClick();
  EXPECT_EQ(CountBoxes(settings::kApplySettingsError), 3);
  EXPECT_FALSE(pref().CoolCheckRadioBox1->checked());
  EXPECT_FALSE(pref().CoolCheckRadioBox2->checked());
  EXPECT_TRUE(pref().CoolCheckRadioBox5->checked());
  EXPECT_FALSE(live().hideIEWindows.value());
  EXPECT_FALSE(live().toggleMute.value());
  EXPECT_TRUE(live().hotkeyEnabled.value());
  EXPECT_TRUE(main().MenuEnableBossKey->checked());
  EXPECT_EQ(HotkeyIds(), std::vector<int>{2});

  pref().CoolCheckRadioBox4->UserClick();
  EXPECT_EQ(CountBoxes(settings::kApplySettingsError), 4);
  EXPECT_TRUE(pref().CoolCheckRadioBox3->checked()) << "back to the combination in force";
  EXPECT_FALSE(pref().CoolCheckRadioBox4->checked());
  EXPECT_EQ(HotkeyIds(), std::vector<int>{2});
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 1);
  for (const auto& box : ui.boxes) EXPECT_EQ(box.kind, ui::MessageKind::Error);
}

}  // namespace
}  // namespace hosttest
