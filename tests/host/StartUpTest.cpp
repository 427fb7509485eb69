// Start-up: one instance, the first start on a bare machine, the blocker
// module's one-time registration, the splash and the hidden tray state.
#include "CorvaneFixture.h"
#include "cleaner/CleanerTable.h"
#include "forms/AboutForm.h"
#include "forms/BossKey.h"
#include "forms/CookiesManager.h"
#include "forms/HistoryCleaner.h"
#include "forms/PopUpBlocker.h"
#include "forms/SoundSelection.h"

namespace hosttest {
namespace {

using settings::kApplySettingsError;
using settings::kReadPreferencesError;
namespace value = settings::value;

TEST_F(CorvaneFixture, FirstStartWithoutTheKeyRestoresEveryDefaultAndEndsUpHidden) {
  ASSERT_TRUE(Start());

  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, kReadPreferencesError);
  EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Error);
  EXPECT_EQ(ui.boxes[0].caption, "Corvane 2.4");

  for (const char* name : cleaner::CleanerValueNames) EXPECT_EQ(Number(name), 0) << name;
  for (const browsers::BrowserRow& browser : browsers::kBrowsers) EXPECT_EQ(Number(browser.settingName), 1);
  for (const char* name : {value::kPopupBlocking.name, value::kSoundNotification.name, value::kAnimTrayIcon.name,
                           value::kWindowsHotKey.name, value::kWinVolControl.name, value::kIEWHotKey.name,
                           value::kAutoCleaner.name, value::kIEStatus.name, value::kCleanOnBrowserClose.name}) {
    EXPECT_EQ(Number(name), 0) << name;
  }
  EXPECT_EQ(Number(value::kSoundIndex.name), 0);
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 1);
  EXPECT_EQ(Number(value::kCleanerSchedule.name), -1);
  EXPECT_EQ(Number(value::kEliminatedPopups.name), 0);
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 1);
  EXPECT_FALSE(Setting(value::kBlockerFirstStart.name)) << "the program never creates CRVNBFirst";
  EXPECT_EQ(Number(value::kHotkeyAllBrowsers.name), 1);
  EXPECT_EQ(Number(value::kCleanOnBrowserClose.name), 0);
  EXPECT_EQ(sim.registry.ValueNames(RegRoot::LocalMachine, settings::kSettingsKey).size(),
            cleaner::kCleanerCount + browsers::kBrowserCount + 8 + 4 + 1 + 1 + 1);

  // Nothing shows but the tray icon.
  EXPECT_FALSE(main().visible());
  EXPECT_FALSE(ui.appWindowVisible);
  EXPECT_TRUE(program->application().minimized());
  ASSERT_EQ(sim.desktop.trayIcons().size(), 1u);
  const auto& icon = sim.desktop.trayIcons().begin()->second;
  EXPECT_EQ(icon.window, main().handle());
  EXPECT_EQ(icon.id, 1005u);
  EXPECT_EQ(icon.callbackMessage, 2025u);
  EXPECT_EQ(icon.flags, 7u);
  EXPECT_EQ(icon.tip, "Corvane");
  EXPECT_EQ(icon.iconResource, "TrayIcon");
  EXPECT_EQ(icon.size, sizeof(void*) == 8 ? 104u : 88u);
}

TEST_F(CorvaneFixture, TheStartAfterARestoreShowsNoMessageAndReadsTheRestoredValues) {
  ASSERT_TRUE(Start());
  program.reset();
  ui.boxes.clear();

  ASSERT_TRUE(Start());
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_FALSE(main().Playasoundwhenapopupwindowisblocked1->checked());
  EXPECT_FALSE(main().Animatesystemtrayiconwhenapopupwindowisblocked1->checked());
}

TEST_F(CorvaneFixture, AKeyWithOnlySomeValuesGetsTheStartUpDefaults) {
  SetInt(value::kHotkeyCombination.name, 0);
  SetBool(value::kPopupBlocking.name, true);
  ASSERT_TRUE(Start());

  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(Number(value::kSoundNotification.name), 1);
  EXPECT_EQ(Number(value::kAnimTrayIcon.name), 1);
  EXPECT_EQ(Number(value::kAutoCleaner.name), 0);
  EXPECT_EQ(Number(value::kWindowsHotKey.name), 0);
  EXPECT_EQ(Number(value::kIEWHotKey.name), 0);
  EXPECT_EQ(Number(value::kWinVolControl.name), 0);
  EXPECT_EQ(Number(value::kCleanerSchedule.name), -1);
  EXPECT_EQ(Number(value::kSoundIndex.name), 0);
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 0) << "a present value keeps its data";
  EXPECT_EQ(Number(value::kIEStatus.name), 0);
  EXPECT_FALSE(Setting(value::kEliminatedPopups.name));
  for (const char* name : cleaner::CleanerValueNames) EXPECT_FALSE(Setting(name)) << name << " is the cleaner window's";

  EXPECT_TRUE(main().EnablePopupBlocking1->checked());
  EXPECT_TRUE(main().Playasoundwhenapopupwindowisblocked1->checked());
  EXPECT_TRUE(main().Animatesystemtrayiconwhenapopupwindowisblocked1->checked());
  EXPECT_FALSE(main().MenuEnableBossKey->checked());
}

TEST_F(CorvaneFixture, ABooleanStoredAsTextStopsTheReadingAtThatValue) {
  SetInt(value::kCleanerSchedule.name, 2);
  SetBool(value::kAutoCleaner.name, true);
  SetSetting(value::kPopupBlocking.name, RegValue::String("1"));
  SetBool(value::kSoundNotification.name, true);
  ASSERT_TRUE(Start());

  EXPECT_TRUE(ui.boxes.empty()) << "registry errors end the reading silently";
  EXPECT_EQ(main().ComboBox1->itemIndex(), 2);
  EXPECT_TRUE(main().CoolCheckRadioBox2->checked());
  EXPECT_TRUE(main().Timer1->enabled());
  EXPECT_EQ(main().Timer1->interval(), 3600000u);
  // Nothing after the bad value was read or written.
  EXPECT_FALSE(main().EnablePopupBlocking1->checked());
  EXPECT_FALSE(main().Playasoundwhenapopupwindowisblocked1->checked());
  EXPECT_FALSE(Setting(value::kSoundIndex.name));
  EXPECT_FALSE(Setting(value::kIEStatus.name));
  EXPECT_EQ(Setting(value::kPopupBlocking.name)->type, RegType::String);
  // The start-up still marks the program as running.
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 1);
}

TEST_F(CorvaneFixture, ALaterSwitchStoredAsTextEndsTheReadingOnlyAfterTheToggleIsReset) {
  MakeSettingsKey();
  SetBool(value::kIEStatus.name, true);
  SetSetting(value::kHotkeyAllBrowsers.name, RegValue::String("1"));
  ASSERT_TRUE(Start());
  EXPECT_EQ(Number(value::kIEStatus.name), 0);
  EXPECT_FALSE(Setting(value::kCleanOnBrowserClose.name)) << "nothing after the bad value";
}

TEST_F(CorvaneFixture, TheFirstStartOfEachUserTellsOnceWhereTheIconIs) {
  MakeSettingsKey();
  ASSERT_TRUE(Start(true));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, forms::kTrayHintMessage);
  EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Information);
  EXPECT_EQ(sim.desktop.trayIcons().size(), 1u) << "the icon is there to be found";
  program.reset();
  ASSERT_TRUE(Start(true));
  EXPECT_EQ(ui.boxes.size(), 1u) << "once";
}

TEST_F(CorvaneFixture, IEStatusIsFalseAfterEveryStart) {
  MakeSettingsKey();
  SetBool(value::kIEStatus.name, true);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Number(value::kIEStatus.name), 0);
}

TEST_F(CorvaneFixture, TheHotkeyIsRegisteredAtStartWhenEnabled) {
  SetBool(value::kWindowsHotKey.name, true);
  ASSERT_TRUE(Start());
  EXPECT_EQ(Number(value::kHotkeyCombination.name), 1) << "a missing combination is written as 1";
  ASSERT_EQ(sim.desktop.hotkeys().size(), 1u);
  EXPECT_EQ(sim.desktop.hotkeys()[0].id, 2);
  EXPECT_EQ(sim.desktop.hotkeys()[0].modifiers, 2u);
  EXPECT_EQ(sim.desktop.hotkeys()[0].virtualKey, 0x7Bu);
  EXPECT_TRUE(live().hotkeyEnabled.value());
  EXPECT_TRUE(main().MenuEnableBossKey->checked());
}

TEST_F(CorvaneFixture, TheAutostartBoxFollowsTheRunValue) {
  ASSERT_TRUE(Start());
  EXPECT_FALSE(main().CoolCheckRadioBox1->checked()) << "no Run key";
  program.reset();

  sim.registry.Set(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Corvane",
                   RegValue::String("C:\\x\\corvane.exe"));
  ASSERT_TRUE(Start());
  EXPECT_TRUE(main().CoolCheckRadioBox1->checked());
  program.reset();

  sim.registry.MakeUnopenable(RegRoot::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  ASSERT_TRUE(Start());
  EXPECT_FALSE(main().CoolCheckRadioBox1->checked());
}

constexpr const char* kModulePath = "C:\\Program Files\\Corvane\\cvblock.dll";

TEST_F(CorvaneFixture, TheBlockerModuleIsRegisteredExactlyOnceFromTheProgramsFolder) {
  int registrations = 0;
  sim.process.libraries[kModulePath]["DllRegisterServer"] = [&] {
    ++registrations;
    return 0;
  };
  MakeSettingsKey();
  SetBool(value::kBlockerFirstStart.name, true);
  ASSERT_TRUE(Start());
  EXPECT_EQ(registrations, 1);
  EXPECT_EQ(Number(value::kBlockerFirstStart.name), 0);
  EXPECT_EQ(sim.process.loadCount, (std::map<std::string, int, util::LessNoCase>{{kModulePath, 1}}))
      << "by its full path, never through the search path";
  program.reset();

  ASSERT_TRUE(Start());
  EXPECT_EQ(registrations, 1);
  EXPECT_EQ(sim.process.loadCount[kModulePath], 1) << "the next start does not load the module";
}

TEST_F(CorvaneFixture, AMissingModuleOrExportLeavesTheFlagForTheNextStart) {
  MakeSettingsKey();
  SetBool(value::kBlockerFirstStart.name, true);
  sim.process.libraries["cvblock.dll"]["DllRegisterServer"] = [] { return 0; };  // found only by a search
  ASSERT_TRUE(Start());
  EXPECT_EQ(Number(value::kBlockerFirstStart.name), 1);
  program.reset();

  sim.process.libraries[kModulePath]["SomethingElse"] = [] { return 0; };
  ASSERT_TRUE(Start());
  EXPECT_EQ(Number(value::kBlockerFirstStart.name), 1);
  EXPECT_EQ(sim.process.loadCount[kModulePath], 2);
}

// A standard user: HKEY_LOCAL_MACHINE is read-only but for the settings key,
// on which the installer granted Users query and set value. The module's
// registration is refused at every start for him, so it is not tried again:
// the pop-up blocker window says once that the setup registers it.
TEST_F(CorvaneFixture, AStandardUserWorksWithTheGrantAndARefusedRegistrationIsToldOnceNotTriedAgain) {
  sim.registry.standardUser = true;
  sim.registry.GrantUsers(RegRoot::LocalMachine, settings::kSettingsKey,
                          platform::sim::SimRegistry::kQueryValue | platform::sim::SimRegistry::kSetValue);
  SetBool(value::kBlockerFirstStart.name, true);
  // The module writes its class under HKEY_CLASSES_ROOT, which maps to HKLM\SOFTWARE\Classes.
  int attempts = 0;
  sim.process.libraries[kModulePath]["DllRegisterServer"] = [&]() -> platform::HResult {
    ++attempts;
    long error = 0;
    auto key = sim.registry.Open(RegRoot::LocalMachine, "SOFTWARE\\Classes\\CLSID\\{9ED2FC98}",
                                 platform::RegAccess::SetOnly, true, &error);
    return key ? 0 : static_cast<platform::HResult>(0x80070000u | static_cast<uint32_t>(error));
  };

  ASSERT_TRUE(Start());
  EXPECT_EQ(attempts, 1);
  EXPECT_EQ(Number(value::kBlockerRegistrationDenied.name), 1) << "access denied is not success";
  EXPECT_EQ(Number(value::kBlockerFirstStart.name), 0) << "not to be tried at every start";
  EXPECT_TRUE(ui.boxes.empty()) << "the start is quiet";
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 1);
  EXPECT_EQ(Number(value::kSoundIndex.name), 0) << "the defaults of missing values are written through the grant";
  main().EnablePopupBlocking1->UserClick();
  EXPECT_EQ(Number(value::kPopupBlocking.name), 1);
  EXPECT_TRUE(ui.boxes.empty());
  program.reset();

  ASSERT_TRUE(Start());
  EXPECT_EQ(attempts, 1) << "the next start does not try again";
  corvane().PopUpBlockerPref->ShowNormal();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, forms::kModuleNotRegisteredMessage);
  EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Information);
  corvane().PopUpBlockerPref->Hide();
  corvane().PopUpBlockerPref->ShowNormal();
  EXPECT_EQ(ui.boxes.size(), 1u) << "once";
  program.reset();

  // The setup, run again as an administrator, sets the flag when it cannot
  // register the module for another reason: then the start tries again.
  SetBool(value::kBlockerFirstStart.name, true);
  sim.registry.standardUser = false;
  ASSERT_TRUE(Start());
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(Number(value::kBlockerFirstStart.name), 0);
  EXPECT_EQ(Number(value::kBlockerRegistrationDenied.name), 0);
}

// Every account may write the key, so nothing read from it may lead the
// program to a file, a library or a program: the module is the one beside the
// program and the sound is chosen by index.
TEST_F(CorvaneFixture, NothingReadFromTheSharedKeyNamesAFileALibraryOrAProgram) {
  const std::string planted = "C:\\Users\\mallory\\planted";
  for (const char* ext : {".dll", ".wav", ".exe", ".chm"}) sim.files.AddFile(planted + ext, "RIFF");
  sim.files.AddFile("C:\\Program Files\\Corvane\\sounds\\sound1.wav", "RIFF");
  sim.files.AddFile("C:\\Program Files\\Corvane\\sounds\\sound2.wav", "RIFF");
  sim.process.libraries[planted + ".dll"]["DllRegisterServer"] = [] { return 0; };
  sim.process.libraries[kModulePath]["DllRegisterServer"] = [] { return 0; };
  std::vector<std::string> names(cleaner::CleanerValueNames.begin(), cleaner::CleanerValueNames.end());
  for (const char* name :
       {value::kCleanerSchedule.name, value::kAutoCleaner.name, value::kPopupBlocking.name,
        value::kSoundNotification.name, value::kSoundIndex.name, value::kAnimTrayIcon.name, value::kWindowsHotKey.name,
        value::kHotkeyCombination.name, value::kIEWHotKey.name, value::kWinVolControl.name, value::kIEStatus.name,
        value::kCorvaneRunning.name, value::kBlockerFirstStart.name, value::kEliminatedPopups.name}) {
    names.push_back(name);
  }

  // Round one: every value a path; round two: every value a number that is
  // not one of ours (the switches then read as on).
  const std::vector<RegValue> rounds = {RegValue::String(planted + ".dll"), RegValue::DWord(0x7FFFFFFF),
                                        RegValue::DWord(0xFFFFFFFF)};
  for (const RegValue& hostile : rounds) {
    for (const std::string& name : names) SetSetting(name, hostile);
    ASSERT_TRUE(Start());
    main().PopupBlockedNotify("x", 1);
    live().soundNotification.Set(true);
    main().PopupBlockedNotify("x", 1);
    corvane().PopUpBlockerPref->ShowNormal();
    corvane().PopUpBlockerPref->SpeedButton2->UserClick();
    corvane().BossKeyPref->ShowNormal();
    corvane().HistoryCleanerPref->ShowNormal();
    program.reset();
  }

  for (const auto& [path, count] : sim.process.loadCount) EXPECT_EQ(path, kModulePath);
  EXPECT_EQ(sim.process.loadCount[kModulePath], 2) << "a number that is not 0 reads as true";
  for (const auto& play : sim.sound.played)
    EXPECT_EQ(play.path.rfind("C:\\Program Files\\Corvane\\sounds\\", 0), 0u) << play.path;
  EXPECT_TRUE(sim.desktop.shellCalls.empty());
}

TEST_F(CorvaneFixture, AStandardUserWithoutTheKeyIsToldAndNothingIsCreated) {
  sim.registry.standardUser = true;
  ASSERT_TRUE(Start());
  EXPECT_EQ(CountBoxes(kReadPreferencesError), 1);
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::LocalMachine, settings::kSettingsKey))
      << "creating it needs more rights";
  ui.boxes.clear();
  main().EnablePopupBlocking1->UserClick();
  EXPECT_EQ(CountBoxes(kApplySettingsError), 1);
  EXPECT_FALSE(main().EnablePopupBlocking1->checked());
}

TEST_F(CorvaneFixture, AMissingFirstStartFlagRegistersNothing) {
  MakeSettingsKey();
  ASSERT_TRUE(Start());
  EXPECT_EQ(sim.process.loadCount["cvblock.dll"], 0);
  EXPECT_FALSE(Setting(value::kBlockerFirstStart.name));
}

TEST_F(CorvaneFixture, AnUnwritableKeyAtStartRestoresNothingAndShowsOnlyTheReadError) {
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  ASSERT_TRUE(Start());
  EXPECT_EQ(CountBoxes(kReadPreferencesError), 1);
  EXPECT_EQ(CountBoxes(kApplySettingsError), 0);
  EXPECT_TRUE(sim.registry.ValueNames(RegRoot::LocalMachine, settings::kSettingsKey).empty());
}

TEST_F(CorvaneFixture, TheSplashShowsForItsTimeBeforeTheProgramHides) {
  ASSERT_TRUE(Start());
  std::vector<uint32_t> sleeps = sim.clock.sleeps();
  ASSERT_FALSE(sleeps.empty());
  EXPECT_EQ(sleeps.back(), 1200u);
  EXPECT_EQ(ui.repaintedCaptions, std::vector<std::string>{"Splash"}) << "the splash itself is gone by now";
}

TEST_F(CorvaneFixture, TheWindowsAreCreatedWithTheirCaptions) {
  ASSERT_TRUE(Start());
  app::Corvane& c = corvane();
  EXPECT_EQ(c.CorvaneMain->caption(), "Preferences");
  EXPECT_EQ(c.CorvaneMain->className(), "TCorvaneMain");
  EXPECT_EQ(c.CorvaneMain->clientWidth(), 366);
  EXPECT_EQ(c.CorvaneMain->clientHeight(), 197);
  std::vector<ui::Form*> others = {c.BossKeyPref.get(),        c.SelectSound.get(),   c.AboutBox.get(),
                                   c.HistoryCleanerPref.get(), c.CookieManager.get(), c.PopUpBlockerPref.get()};
  std::vector<std::string> captions = {"Windows Hotkey Prefrences", "Select Sound",    "About Us",
                                       "History Cleaner",           "Cookies Manager", "Popup Blocker Preferences"};
  for (size_t i = 0; i < others.size(); ++i) {
    EXPECT_EQ(others[i]->caption(), captions[i]);
    EXPECT_FALSE(others[i]->visible());
  }
}

TEST_F(CorvaneFixture, ASecondInstanceEndsAtOnceAndSpeaksOnlyWhenItFindsTheFirst) {
  MakeSettingsKey();
  ASSERT_TRUE(Start());
  ui.boxes.clear();

  // A second process on the same machine shares the kernel's named objects.
  platform::sim::SimPlatform second(sim.process.mutexes());
  ui::headless::HeadlessUi secondUi(second.clock);
  app::Program secondProgram(second.platform, secondUi);
  EXPECT_FALSE(secondProgram.Start());
  EXPECT_TRUE(secondUi.boxes.empty()) << "no window titled Corvane on this desktop";
  EXPECT_EQ(secondProgram.corvane(), nullptr);
  EXPECT_TRUE(second.desktop.trayIcons().empty());
  EXPECT_EQ(secondUi.appTitle, "");

  platform::sim::SimPlatform third(sim.process.mutexes());
  third.desktop.AddWindow("TApplication", "Corvane", false);
  ui::headless::HeadlessUi thirdUi(third.clock);
  app::Program thirdProgram(third.platform, thirdUi);
  EXPECT_FALSE(thirdProgram.Start());
  ASSERT_EQ(thirdUi.boxes.size(), 1u);
  EXPECT_EQ(thirdUi.boxes[0].text, "There is another instance of the program running");
  EXPECT_EQ(thirdUi.boxes[0].caption, "Corvane");
  EXPECT_EQ(thirdUi.boxes[0].kind, ui::MessageKind::Plain);
  EXPECT_TRUE(third.registry.ValueNames(RegRoot::LocalMachine, settings::kSettingsKey).empty());
}

TEST_F(CorvaneFixture, TheFirstInstanceCarriesTheTitleASecondOneLooksFor) {
  MakeSettingsKey();
  ASSERT_TRUE(Start());
  EXPECT_EQ(ui.appTitle, "Corvane");
  EXPECT_EQ(program->application().title(), "Corvane 2.4");
}

}  // namespace
}  // namespace hosttest
