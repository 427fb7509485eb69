// The Windows hotkey's action: the press handler's switches, the show/hide
// pass over the browser frames, the machine's master mute, the
// registration table and the tray entry.
#include "CorvaneFixture.h"
#include "browsers/BrowserProcesses.h"
#include "forms/BossKey.h"
#include "services/WindowsHotkey.h"

namespace hosttest {
namespace {

namespace value = settings::value;
using platform::WindowId;

class BossKeyTest : public CorvaneFixture {
 protected:
  // Starts with the hotkey enabled and the two actions as given.
  void StartWith(bool hideWindows, bool toggleMute) {
    SetBool(value::kWindowsHotKey.name, true);
    SetBool(value::kIEWHotKey.name, hideWindows);
    SetBool(value::kWinVolControl.name, toggleMute);
    SetInt(value::kHotkeyCombination.name, 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ui.boxes.empty());
  }
  // A WM_HOTKEY to the main window; true when it was consumed.
  bool Press(uintptr_t id = 2) {
    ui::Message m;
    m.msg = ui::kWmHotKey;
    m.wParam = id;
    return main().OnMessage(m);
  }
  bool Visible(WindowId w) { return sim.desktop.FindWindowById(w)->visible; }
  browsers::BrowserRun RunOf(const std::string& programFile) {
    for (const browsers::BrowserRow& browser : browsers::kBrowsers) {
      if (browser.programFile == programFile) return browsers::RunOf(browser, sim.process.RunningProcesses());
    }
    return browsers::BrowserRun::NotRunning;
  }
  // Starts with the hotkey on as CTRL + F12, which another program holds,
  // and the answer to the question that offers the other one.
  void StartWithCtrlF12Taken(ui::MessageResult answer) {
    sim.desktop.HoldElsewhere(platform::kModControl, platform::kVkF12);
    SetBool(value::kWindowsHotKey.name, true);
    SetInt(value::kHotkeyCombination.name, 1);
    ui.answers = {answer};
    ASSERT_TRUE(Start());
  }
};

TEST_F(BossKeyTest, TheFirstPressAfterAStartShowsAndTheSecondHidesOnlyTheBrowserFrames) {
  WindowId ie1 = sim.desktop.AddWindow("IEFrame", "Page one");
  WindowId other = sim.desktop.AddWindow("Notepad", "Untitled");
  WindowId ie2 = sim.desktop.AddWindow("IEFrame", "Page two");
  StartWith(true, false);
  ASSERT_EQ(Number(value::kIEStatus.name), 0);

  EXPECT_TRUE(Press());
  EXPECT_TRUE(Visible(ie1));
  EXPECT_TRUE(Visible(ie2));
  EXPECT_EQ(Number(value::kIEStatus.name), 1);
  using Calls = std::vector<std::pair<WindowId, int>>;
  EXPECT_EQ(sim.desktop.showCalls, (Calls{{ie1, 5}, {ie2, 5}}));

  sim.desktop.showCalls.clear();
  EXPECT_TRUE(Press(1)) << "both identifiers lead to the same action";
  EXPECT_FALSE(Visible(ie1));
  EXPECT_FALSE(Visible(ie2));
  EXPECT_TRUE(Visible(other));
  EXPECT_EQ(Number(value::kIEStatus.name), 0);
  EXPECT_EQ(sim.desktop.showCalls, (Calls{{ie1, 0}, {ie2, 0}}));

  EXPECT_TRUE(Press());
  EXPECT_TRUE(Visible(ie1));
  EXPECT_EQ(Number(value::kIEStatus.name), 1);
  EXPECT_EQ(sim.audio.reads, 0) << "the volume step is off";
}

// The browsers of the table are known by their program, not by a window
// class that other programs share; a browser's own hidden windows, and
// another session's, are left alone, and only what a press hid comes back.
TEST_F(BossKeyTest, APressHidesTheTableBrowsersWindowsByTheirProgramUnlessTheBoxIsClearedAndShowsOnlyWhatItHid) {
  platform::sim::SimDesktop& desktop = sim.desktop;
  WindowId ie = desktop.AddWindow("IEFrame", "Internet Explorer", true, "iexplore.exe");
  WindowId chrome = desktop.AddWindow("Chrome_WidgetWin_1", "Chrome", true, "chrome.exe");
  WindowId edge = desktop.AddWindow("Chrome_WidgetWin_1", "Edge", true, "MSEDGE.EXE");
  WindowId firefox = desktop.AddWindow("MozillaWindowClass", "Firefox", true, "firefox.exe");
  WindowId editor = desktop.AddWindow("Chrome_WidgetWin_1", "An editor on Chromium", true, "Code.exe");
  WindowId lookalike = desktop.AddWindow("Chrome_WidgetWin_1", "", true, "notchrome.exe");
  WindowId ownHidden = desktop.AddWindow("Chrome_WidgetWin_0", "", false, "chrome.exe");
  WindowId otherSession = desktop.AddWindow("Chrome_WidgetWin_1", "", true, "");
  EXPECT_TRUE(services::IsBrowserWindow(desktop, edge)) << "the program file's name in any case";
  EXPECT_FALSE(services::IsBrowserWindow(desktop, editor));
  EXPECT_FALSE(services::IsBrowserWindow(desktop, lookalike));
  StartWith(true, false);
  ASSERT_EQ(Number(value::kHotkeyAllBrowsers.name), 1) << "a missing switch is written on";
  const std::vector<WindowId> browsers = {ie, chrome, edge, firefox};
  const std::vector<WindowId> others = {editor, lookalike, otherSession};

  sim.process.runningPrograms = {"chrome.exe"};

  EXPECT_TRUE(Press());  // the first press after a start shows
  EXPECT_TRUE(Press());
  for (WindowId w : browsers) EXPECT_FALSE(Visible(w)) << w;
  for (WindowId w : others) EXPECT_TRUE(Visible(w)) << w;
  EXPECT_EQ(RunOf("chrome.exe"), browsers::BrowserRun::WithWindow) << "hidden for the user, not in the background";
  EXPECT_TRUE(Press());
  for (WindowId w : browsers) EXPECT_TRUE(Visible(w)) << w;
  EXPECT_FALSE(Visible(ownHidden)) << "a browser's own hidden window stays hidden";
  desktop.ShowWindow(chrome, platform::kSwHide);
  EXPECT_EQ(RunOf("chrome.exe"), browsers::BrowserRun::InBackground) << "hidden by the browser itself once shown";
  desktop.ShowWindow(chrome, platform::kSwShow);

  // Cleared: Internet Explorer alone, as before.
  SetBool(value::kHotkeyAllBrowsers.name, false);
  corvane().BossKeyPref->FormShow();
  EXPECT_TRUE(Press());
  EXPECT_FALSE(Visible(ie));
  EXPECT_TRUE(Visible(chrome));
  EXPECT_TRUE(Press());

  // What a press hid comes back when the hotkey is switched off, as at Exit.
  corvane().BossKeyPref->CoolCheckRadioBox6->UserClick();
  EXPECT_EQ(Number(value::kHotkeyAllBrowsers.name), 1);
  EXPECT_TRUE(Press());
  EXPECT_FALSE(Visible(firefox));
  main().MenuEnableBossKey->UserClick();
  for (WindowId w : browsers) EXPECT_TRUE(Visible(w)) << w;
  EXPECT_FALSE(Visible(ownHidden));
}

TEST_F(BossKeyTest, TheShowPassShowsAFrameAnotherProgramHidAndOneOpenedLater) {
  WindowId hidden = sim.desktop.AddWindow("IEFrame", "Hidden elsewhere", false);
  StartWith(true, false);
  Press();
  EXPECT_TRUE(Visible(hidden));
  Press();
  EXPECT_FALSE(Visible(hidden));
  WindowId later = sim.desktop.AddWindow("IEFrame", "Opened while hidden");
  EXPECT_TRUE(Visible(later)) << "no hide pass has seen it yet";
  Press();
  EXPECT_TRUE(Visible(hidden));
  EXPECT_TRUE(Visible(later));
}

TEST_F(BossKeyTest, OnlyTheWholeCaseSensitiveClassNameCounts) {
  WindowId prefixed = sim.desktop.AddWindow("IEFrameX", "");
  WindowId lower = sim.desktop.AddWindow("ieframe", "");
  WindowId longName = sim.desktop.AddWindow("IEFrameLongerThanTheBuffer", "");
  WindowId shortName = sim.desktop.AddWindow("IEFram", "");
  StartWith(true, false);
  Press();
  Press();
  EXPECT_TRUE(Visible(prefixed));
  EXPECT_TRUE(Visible(lower));
  EXPECT_TRUE(Visible(longName));
  EXPECT_TRUE(Visible(shortName));
  EXPECT_TRUE(sim.desktop.showCalls.empty());
  EXPECT_EQ(Number(value::kIEStatus.name), 0) << "the toggle goes on even with nothing to show";
}

TEST_F(BossKeyTest, MuteOnlyNeitherReadsNorWritesIEStatusAndFlipsTheMachinesMasterMute) {
  WindowId ie = sim.desktop.AddWindow("IEFrame", "");
  StartWith(false, true);
  SetBool(value::kIEStatus.name, true);
  int opensBefore = sim.registry.openCount();

  EXPECT_TRUE(Press());
  EXPECT_TRUE(sim.audio.muted);
  EXPECT_EQ(sim.registry.openCount(), opensBefore);
  EXPECT_EQ(Number(value::kIEStatus.name), 1);
  EXPECT_TRUE(Visible(ie));
  EXPECT_TRUE(sim.desktop.showCalls.empty());
  EXPECT_EQ(sim.audio.reads, 1);
  EXPECT_EQ(sim.audio.writes, 1);

  Press();
  EXPECT_FALSE(sim.audio.muted) << "each press sets the opposite of what it reads";
  sim.audio.muted = true;  // muted elsewhere
  Press();
  EXPECT_FALSE(sim.audio.muted);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(BossKeyTest, TheWindowStepComesBeforeTheVolumeStep) {
  sim.desktop.AddWindow("IEFrame", "");
  StartWith(true, true);
  Press();
  EXPECT_EQ(Number(value::kIEStatus.name), 1);
  EXPECT_TRUE(sim.audio.muted);
}

// Windows answers E_NOTFOUND for the default playback device of a machine
// that has none: said once, and the window step goes on.
TEST_F(BossKeyTest, WithoutAPlaybackDeviceThePressSaysSoOnceAndStillHidesTheWindows) {
  WindowId ie = sim.desktop.AddWindow("IEFrame", "");
  sim.audio.present = false;
  StartWith(true, true);
  EXPECT_TRUE(Press());
  EXPECT_TRUE(Press());
  EXPECT_FALSE(Visible(ie));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, services::kNoAudioDeviceMessage);
  EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Information);
  EXPECT_EQ(sim.audio.writes, 0);

  sim.audio.present = true;
  Press();
  EXPECT_TRUE(sim.audio.muted) << "a device plugged in since is muted";
}

TEST_F(BossKeyTest, AMuteThatCannotBeReadIsLeftAsItIsSilently) {
  StartWith(false, true);
  sim.audio.muted = true;
  sim.audio.readResult = platform::kHresultFail;
  Press();
  EXPECT_TRUE(sim.audio.muted);
  EXPECT_EQ(sim.audio.writes, 0);
  sim.audio.readResult = platform::kHresultOk;
  sim.audio.writeResult = platform::kHresultFail;
  Press();
  EXPECT_TRUE(sim.audio.muted);
  EXPECT_TRUE(ui.boxes.empty()) << "only a missing device is told";
}

TEST_F(BossKeyTest, WithTheMasterSwitchOffAPressIsConsumedAndDoesNothing) {
  WindowId ie = sim.desktop.AddWindow("IEFrame", "");
  SetBool(value::kIEWHotKey.name, true);
  SetBool(value::kWinVolControl.name, true);
  SetBool(value::kWindowsHotKey.name, false);
  ASSERT_TRUE(Start());
  main().RegisterBossKey(0);  // a press may still be queued from before the switch went off
  ASSERT_EQ(sim.desktop.hotkeys().size(), 1u);
  int opensBefore = sim.registry.openCount();

  EXPECT_TRUE(Press(1));
  EXPECT_TRUE(Visible(ie));
  EXPECT_TRUE(sim.desktop.showCalls.empty());
  EXPECT_EQ(sim.registry.openCount(), opensBefore);
  EXPECT_EQ(sim.audio.reads, 0);
}

TEST_F(BossKeyTest, OtherHotkeyIdentifiersGoOnToTheDefaultProcessing) {
  sim.desktop.AddWindow("IEFrame", "");
  StartWith(true, true);
  EXPECT_FALSE(Press(0));
  EXPECT_FALSE(Press(3));
  EXPECT_EQ(Number(value::kIEStatus.name), 0);
  EXPECT_EQ(sim.audio.reads, 0);
}

TEST_F(BossKeyTest, ABadIEStatusCountsAsFalseAndIsOverwritten) {
  WindowId ie = sim.desktop.AddWindow("IEFrame", "", false);
  StartWith(true, false);
  SetSetting(value::kIEStatus.name, RegValue::String("1"));
  Press();
  EXPECT_TRUE(Visible(ie));
  EXPECT_EQ(Number(value::kIEStatus.name), 1);

  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  Press();
  EXPECT_TRUE(Visible(ie)) << "an unopenable key reads false: the show branch again";
  EXPECT_TRUE(ui.boxes.empty()) << "silently";
}

TEST_F(BossKeyTest, RegistrationFollowsTheCombinationTable) {
  StartWith(false, false);
  using Hotkeys = std::vector<std::tuple<int, uint32_t, uint32_t>>;
  auto table = [this] {
    Hotkeys out;
    for (const auto& h : sim.desktop.hotkeys()) {
      EXPECT_EQ(h.window, main().handle());
      out.emplace_back(h.id, h.modifiers, h.virtualKey);
    }
    return out;
  };
  EXPECT_EQ(table(), (Hotkeys{{2, 2u, 0x7Bu}}));
  main().RegisterBossKey(0);
  EXPECT_EQ(table(), (Hotkeys{{1, 1u, 0x70u}})) << "row 1 to row 0 releases 2 and registers 1";
  main().RegisterBossKey(5);
  EXPECT_EQ(table(), (Hotkeys{{1, 1u, 0x70u}})) << "a value without a row changes nothing";
  main().RegisterBossKey(-1);
  EXPECT_EQ(table(), (Hotkeys{{1, 1u, 0x70u}}));
  main().RegisterBossKey(1);
  EXPECT_EQ(table(), (Hotkeys{{2, 2u, 0x7Bu}})) << "row 0 to row 1 releases 1 and registers 2";
  main().UnregisterBossKeys();
  EXPECT_TRUE(table().empty());
}

// RegisterHotKey fails with ERROR_HOTKEY_ALREADY_REGISTERED for a
// combination another program took first: said, with the other one offered;
// the tray's mark and the window show the hotkey off, and the stored choice
// stays, to be tried again.
TEST_F(BossKeyTest, ACombinationAnotherProgramHoldsIsToldWithTheOtherOfferedAndTriedAgain) {
  StartWithCtrlF12Taken(ui::MessageResult::No);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Confirmation);
  EXPECT_EQ(ui.boxes[0].text,
            "CTRL + F12 is used by another program, so the Windows hotkey is off. Use ALT + F1 instead?");
  EXPECT_TRUE(sim.desktop.hotkeys().empty());
  EXPECT_FALSE(main().MenuEnableBossKey->checked());
  corvane().BossKeyPref->ShowNormal();
  EXPECT_FALSE(corvane().BossKeyPref->CoolCheckRadioBox5->checked());
  EXPECT_TRUE(corvane().BossKeyPref->CoolCheckRadioBox3->checked());
  EXPECT_EQ(ui.boxes.size(), 1u) << "showing the window does not ask again";
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 1) << "the stored choice stays";
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 1);

  // A click on the mark without its check tries again, and so does the window's box.
  ui.answers = {ui::MessageResult::No, ui::MessageResult::No};
  main().MenuEnableBossKey->UserClick();
  corvane().BossKeyPref->CoolCheckRadioBox5->UserClick();
  EXPECT_EQ(ui.boxes.size(), 3u);
  EXPECT_FALSE(corvane().BossKeyPref->CoolCheckRadioBox5->checked());
  EXPECT_FALSE(main().MenuEnableBossKey->checked());
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 1);

  // Taking the other: stored, held, shown on, and shown in the open window.
  ui.answers = {ui::MessageResult::Yes};
  main().MenuEnableBossKey->UserClick();
  ASSERT_EQ(sim.desktop.hotkeys().size(), 1u);
  EXPECT_EQ(sim.desktop.hotkeys()[0].id, 1);
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 0);
  EXPECT_TRUE(main().MenuEnableBossKey->checked());
  EXPECT_TRUE(corvane().BossKeyPref->CoolCheckRadioBox5->checked());
  EXPECT_TRUE(corvane().BossKeyPref->CoolCheckRadioBox4->checked());
  EXPECT_EQ(ui.boxes.size(), 4u);
}

TEST_F(BossKeyTest, BothCombinationsHeldElsewhereAreToldWithoutAnotherOffer) {
  sim.desktop.HoldElsewhere(platform::kModAlt, platform::kVkF1);
  StartWithCtrlF12Taken(ui::MessageResult::Yes);
  ASSERT_EQ(ui.boxes.size(), 2u);
  EXPECT_EQ(ui.boxes[1].kind, ui::MessageKind::Information);
  EXPECT_EQ(ui.boxes[1].text,
            "ALT + F1 is used by another program too, so the Windows hotkey is off. Close the program that uses ALT + "
            "F1 or CTRL + F12 and switch the hotkey on again.");
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 0) << "the combination taken is stored";
  EXPECT_FALSE(main().MenuEnableBossKey->checked());
  EXPECT_TRUE(sim.desktop.hotkeys().empty());
}

TEST_F(BossKeyTest, TheTrayEntrySwitchesTheHotkeyAndThePressHandlerAtOnce) {
  WindowId ie = sim.desktop.AddWindow("IEFrame", "", true);
  SetBool(value::kWindowsHotKey.name, false);
  SetBool(value::kIEWHotKey.name, true);
  ASSERT_TRUE(Start());
  sim.registry.DeleteValue(RegRoot::LocalMachine, settings::kSettingsKey, value::kHotkeyCombination.name);

  main().MenuEnableBossKey->UserClick();
  EXPECT_TRUE(main().MenuEnableBossKey->checked());
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 1);
  ASSERT_EQ(sim.desktop.hotkeys().size(), 1u);
  EXPECT_EQ(sim.desktop.hotkeys()[0].id, 2) << "a missing combination means CTRL + F12";
  EXPECT_FALSE(Setting(value::kHotkeyCombination.name)) << "and is not written";
  Press();
  Press();
  EXPECT_FALSE(Visible(ie)) << "the press works without a restart";

  main().MenuEnableBossKey->UserClick();
  EXPECT_FALSE(main().MenuEnableBossKey->checked());
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 0);
  EXPECT_TRUE(sim.desktop.hotkeys().empty());
  EXPECT_TRUE(Visible(ie)) << "switched off, the hotkey shows what it hid";
  EXPECT_EQ(Number(value::kIEStatus.name), 1) << "shown: the next press hides";
  EXPECT_TRUE(Press()) << "a late press is still consumed";
  EXPECT_TRUE(Visible(ie));

  SetInt(value::kHotkeyCombination.name, 0);
  main().MenuEnableBossKey->UserClick();
  ASSERT_EQ(sim.desktop.hotkeys().size(), 1u);
  EXPECT_EQ(sim.desktop.hotkeys()[0].id, 1);
  Press(1);
  EXPECT_FALSE(Visible(ie)) << "the first press after switching on again hides";

  // Exit shows them again too.
  main().TrayMenu->Find("MenuShutDown")->UserClick();
  EXPECT_TRUE(Visible(ie));
  EXPECT_EQ(Number(value::kIEStatus.name), 1);
  EXPECT_TRUE(sim.desktop.hotkeys().empty());
}

TEST_F(BossKeyTest, TheTrayEntryWithAnUnopenableKeyShowsTheErrorAndChangesNothing) {
  StartWith(false, false);
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  main().MenuEnableBossKey->UserClick();
  EXPECT_EQ(CountBoxes(settings::kApplySettingsError), 1);
  EXPECT_EQ(ui.boxes.back().kind, ui::MessageKind::Error);
  EXPECT_TRUE(main().MenuEnableBossKey->checked());
  EXPECT_TRUE(live().hotkeyEnabled.value());
  EXPECT_EQ(sim.desktop.hotkeys().size(), 1u);
}

TEST_F(BossKeyTest, TheTrayEntryStopsAtARegistryErrorKeepingWhatWasDone) {
  SetBool(value::kWindowsHotKey.name, false);
  ASSERT_TRUE(Start());
  SetSetting(value::kHotkeyCombination.name, RegValue::String("0"));
  main().MenuEnableBossKey->UserClick();
  EXPECT_TRUE(ui.boxes.empty()) << "a registry error ends the handler without a message";
  EXPECT_FALSE(main().MenuEnableBossKey->checked()) << "nothing is held, so the mark shows the hotkey off";
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 1);
  EXPECT_TRUE(live().hotkeyEnabled.value());
  EXPECT_TRUE(sim.desktop.hotkeys().empty()) << "the unreadable combination registers nothing";
}

}  // namespace
}  // namespace hosttest
