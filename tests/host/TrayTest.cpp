// The tray: its icon and menu, the pop-up toggles, the blocked-pop-up
// announcement, the main window's own behaviour and "Exit".
#include <chrono>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include "HistoryWindowFixture.h"
#include "cleaner/ProtectedStorage.h"
#include "cookies/KeepList.h"
#include "forms/AboutForm.h"
#include "forms/CookiesManager.h"

namespace hosttest {
namespace {

using platform::NotifyIconOp;
using settings::kApplySettingsError;
namespace value = settings::value;

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSound1 = "C:\\Program Files\\Corvane\\sounds\\sound1.wav";
constexpr const char* kSound2 = "C:\\Program Files\\Corvane\\sounds\\sound2.wav";

class TrayTest : public HistoryWindowFixture {
 protected:
  void SetUp() override {
    // The pop-up switches off (a missing one would start on).
    for (const char* name : {value::kPopupBlocking.name, value::kSoundNotification.name, value::kAnimTrayIcon.name})
      SetBool(name, false);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(ui.boxes.empty());
    sim.desktop.notifyCalls.clear();
  }
  ui::MenuItem& Entry(const char* name) {
    ui::MenuItem* item = main().TrayMenu->Find(name);
    EXPECT_NE(item, nullptr) << name;
    return *item;
  }
  // WM_COPYDATA as the blocker module sends it; returns the handler's answer.
  intptr_t Report(const void* data, uint32_t size, uintptr_t dataId = 0) {
    ui::Message m;
    m.msg = ui::kWmCopyData;
    m.copyData = data;
    m.copyDataSize = size;
    m.copyDataId = dataId;
    EXPECT_TRUE(ui.Deliver(main(), m));
    return m.result;
  }
  intptr_t Message(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    ui::Message m;
    m.msg = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    main().OnMessage(m);
    return m.result;
  }
  std::vector<std::string> IconsShown() const {
    std::vector<std::string> icons;
    for (const auto& call : sim.desktop.notifyCalls) {
      EXPECT_EQ(call.op, NotifyIconOp::Modify);
      icons.push_back(call.record.iconResource);
    }
    return icons;
  }
};

// The menu as a person reads it: captions in order, "-" for a separator, submenus indented.
void Describe(const ui::MenuItem& menu, const std::string& indent, std::vector<std::string>& lines) {
  for (const auto& item : menu.items()) {
    lines.push_back(indent + (item->separator() ? "-" : item->caption()));
    Describe(*item, indent + "  ", lines);
  }
}

TEST_F(TrayTest, TheMenuHasEveryEntryInItsPlace) {
  std::vector<std::string> lines;
  Describe(*main().TrayMenu, "", lines);
  const std::vector<std::string> expected = {"Preferences",
                                             "-",
                                             "History Cleaner Preferences",
                                             "  Internet Explorer History Cleaner",
                                             "  -",
                                             "  Windows History Cleaner",
                                             "  -",
                                             "  Applications History Cleaner",
                                             "Popup Blocker Preferences",
                                             "Windows Hotkey Preferences",
                                             "-",
                                             "Enable Auto History Cleaner",
                                             "Popup Blocker",
                                             "  &Enable Popup Blocking",
                                             "  -",
                                             "  Play a Sound When a Popup Window is Blocked",
                                             "  -",
                                             "  Animate System Tray Icon When a Popup Window is Blocked",
                                             "Enable Windows Hotkey",
                                             "Clean a Browser When It Closes",
                                             "-",
                                             "&Help",
                                             "  &Contents and Topics",
                                             "  -",
                                             "  &Online Support",
                                             "  -",
                                             "  Online &FAQ",
                                             "  -",
                                             "  Submit Support Ticket",
                                             "  -",
                                             "  About Us",
                                             "-",
                                             "Exit"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(Entry("MenuShutDown").commandId(), forms::kExitCommandId);
}

TEST_F(TrayTest, EachPopupToggleFlipsItsMarkAndItsValue) {
  const std::pair<const char*, const char*> toggles[] = {
      {"EnablePopupBlocking1", value::kPopupBlocking.name},
      {"Playasoundwhenapopupwindowisblocked1", value::kSoundNotification.name},
      {"Animatesystemtrayiconwhenapopupwindowisblocked1", value::kAnimTrayIcon.name}};
  for (const auto& [name, valueName] : toggles) {
    ui::MenuItem& entry = Entry(name);
    ASSERT_FALSE(entry.checked()) << name;
    ASSERT_EQ(Number(valueName), 0) << name;
    entry.UserClick();
    EXPECT_TRUE(entry.checked()) << name;
    EXPECT_EQ(Number(valueName), 1) << name;
    entry.UserClick();
    EXPECT_FALSE(entry.checked()) << name;
    EXPECT_EQ(Number(valueName), 0) << name;
  }
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TrayTest, AToggleWithAnUnopenableKeyReportsAndChangesNothing) {
  const std::pair<const char*, const char*> toggles[] = {
      {"EnablePopupBlocking1", value::kPopupBlocking.name},
      {"Playasoundwhenapopupwindowisblocked1", value::kSoundNotification.name},
      {"Animatesystemtrayiconwhenapopupwindowisblocked1", value::kAnimTrayIcon.name}};
  for (const auto& [name, valueName] : toggles) Entry(name).UserClick();  // on
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  for (const auto& [name, valueName] : toggles) {
    ui.boxes.clear();
    Entry(name).UserClick();
    ASSERT_EQ(ui.boxes.size(), 1u) << name;
    EXPECT_EQ(ui.boxes[0].text, "An error has occurred while trying to apply user settings");
    EXPECT_EQ(ui.boxes[0].kind, ui::MessageKind::Error);
    EXPECT_EQ(ui.boxes[0].caption, "Corvane 2.4");
    EXPECT_TRUE(Entry(name).checked()) << name;
    EXPECT_EQ(Number(valueName), 1) << name;
  }
}

TEST_F(TrayTest, ABlockedPopupPlaysTheSoundToItsEndThenBlinksFourTimes) {
  sim.files.AddFile(kSound1, "RIFF");
  sim.sound.lengthMs[kSound1] = 700;
  live().soundNotification.Set(true);
  live().animTrayIcon.Set(true);
  uint64_t before = sim.clock.NowMs();
  size_t sleepsBefore = sim.clock.sleeps().size();

  const char address[] = "http://popup.example/";
  EXPECT_EQ(Report(address, sizeof address), 1);

  ASSERT_EQ(sim.sound.played.size(), 1u);
  EXPECT_EQ(sim.sound.played[0].path, kSound1);
  EXPECT_EQ(sim.sound.played[0].startedAtMs, before) << "the sound comes first";
  std::vector<uint32_t> sleeps = sim.clock.sleeps();
  EXPECT_EQ(std::vector<uint32_t>(sleeps.begin() + static_cast<long>(sleepsBefore), sleeps.end()),
            std::vector<uint32_t>(8, 300));
  EXPECT_EQ(sim.clock.NowMs() - before, 700u + 2400u) << "the sender waits for both";
  EXPECT_EQ(IconsShown(), (std::vector<std::string>{"TrayAnim", "TrayIcon", "TrayAnim", "TrayIcon", "TrayAnim",
                                                    "TrayIcon", "TrayAnim", "TrayIcon"}));
  for (const auto& call : sim.desktop.notifyCalls) {
    EXPECT_EQ(call.record.id, 1005u);
    EXPECT_EQ(call.record.window, main().handle());
    EXPECT_EQ(call.record.tip, "Corvane");
  }
  ASSERT_EQ(sim.desktop.trayIcons().size(), 1u);
  EXPECT_EQ(sim.desktop.trayIcons().begin()->second.iconResource, "TrayIcon");
}

TEST_F(TrayTest, WithBothAnnouncementsOffABlockedPopupDoesNothingVisible) {
  sim.files.AddFile(kSound1, "RIFF");
  uint64_t before = sim.clock.NowMs();
  EXPECT_EQ(Report("x", 1), 1);
  EXPECT_TRUE(sim.sound.played.empty());
  EXPECT_TRUE(sim.desktop.notifyCalls.empty());
  EXPECT_EQ(sim.clock.NowMs(), before);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TrayTest, TheSoundPlaysOnlyFromAFileThatExistsAndAnIndexOfTheTable) {
  live().soundNotification.Set(true);
  Report("x", 1);
  EXPECT_TRUE(sim.sound.played.empty()) << "sound1.wav is missing";
  EXPECT_TRUE(ui.boxes.empty());

  sim.files.AddFile(kSound1);
  sim.files.AddFile(kSound2);
  live().soundIndex.Set(1);
  sim.clock.Advance(forms::kAnnouncementGapMs);
  Report("x", 1);
  ASSERT_EQ(sim.sound.played.size(), 1u);
  EXPECT_EQ(sim.sound.played[0].path, kSound2) << "the index read at start chooses the file";

  for (int32_t index : {2, -1, 1000}) {
    live().soundIndex.Set(index);
    EXPECT_EQ(main().NotificationSoundPath(index), "") << index;
    sim.clock.Advance(forms::kAnnouncementGapMs);
    Report("x", 1);
  }
  EXPECT_EQ(sim.sound.played.size(), 1u) << "an index outside the table names no file";
  EXPECT_EQ(main().NotificationSoundPath(0), kSound1);
  EXPECT_EQ(main().NotificationSoundPath(1), kSound2);
}

TEST_F(TrayTest, AnyPayloadIsReadWithinItsBlock) {
  live().animTrayIcon.Set(true);
  // Exactly sized heap blocks, so that a read past the end shows under the address sanitizer.
  std::vector<char> unterminated = {'a', 'b', 'o', 'u', 't'};
  std::vector<char> huge(4 * 1024 * 1024, 'x');
  std::vector<char> empty;
  for (const auto& [data, size] : std::vector<std::pair<const void*, size_t>>{
           {nullptr, 0}, {empty.data(), 0}, {unterminated.data(), unterminated.size()}, {huge.data(), huge.size()}}) {
    sim.clock.Advance(forms::kAnnouncementGapMs);
    EXPECT_EQ(Report(data, static_cast<uint32_t>(size)), 1);
  }
  EXPECT_EQ(sim.desktop.notifyCalls.size(), 4u * 8u) << "each one is announced";
}

// A program at any integrity level may send the window reports as fast as it
// likes: each is counted when it hands over a count, and announced at most
// once in the gap after the last announcement ended.
TEST_F(TrayTest, AFloodOfReportsIsCountedEveryOneAndAnnouncedAtASaneRate) {
  sim.files.AddFile(kSound1, "RIFF");
  live().soundNotification.Set(true);
  live().animTrayIcon.Set(true);
  SetInt(value::kEliminatedPopups.name, 40);
  const uint64_t start = sim.clock.NowMs();
  for (int i = 0; i < 100; ++i) Report("x", 2, 0x43560001);
  EXPECT_EQ(Number(value::kEliminatedPopups.name), 140);
  EXPECT_EQ(sim.sound.played.size(), 1u);
  EXPECT_EQ(sim.desktop.notifyCalls.size(), 8u);
  EXPECT_EQ(sim.clock.NowMs() - start, 500u + 2400u) << "only the first held the window";

  sim.clock.Advance(forms::kAnnouncementGapMs);
  Report("x", 2, 0x43560003);
  EXPECT_EQ(sim.sound.played.size(), 2u) << "announced again after the gap";
  EXPECT_EQ(Number(value::kEliminatedPopups.name), 143);

  // Only the module's tag hands over a count, and the count stops at its largest value.
  for (uintptr_t other : {uintptr_t{0}, uintptr_t{3}, uintptr_t{0x43570001}, uintptr_t{0x143560001}}) {
    Report("x", 2, other);
  }
  EXPECT_EQ(Number(value::kEliminatedPopups.name), 143);
  SetInt(value::kEliminatedPopups.name, INT32_MAX - 1);
  Report("x", 2, 0x4356FFFF);
  EXPECT_EQ(Number(value::kEliminatedPopups.name), INT32_MAX);
}

TEST_F(TrayTest, OtherProgramsMessagesDoNothingAndAFailingHandlerIsReportedWhileTheProgramGoesOn) {
  // Any program may post or send the numbers the program keeps for itself, with any parameters.
  for (uint32_t msg : {0x0400u, 0x8000u, 0x8001u, 0x8002u, 0x8010u, 0xBFFFu}) {
    for (intptr_t lParam : {intptr_t{0}, intptr_t{0x12345678}, intptr_t{-1}}) {
      ui::Message m;
      m.msg = msg;
      m.wParam = 0xdeadbeef;
      m.lParam = lParam;
      EXPECT_FALSE(ui.Deliver(main(), m)) << msg;
    }
  }
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(sim.desktop.notifyCalls.empty());
  EXPECT_TRUE(ui.popups.empty());
  EXPECT_FALSE(ui.terminated);
  EXPECT_EQ(ui.RunPosted(), 0);

  // Work that fails where the system's dispatch called it: posted work, a
  // menu entry chosen from the tray, a timer.
  int ranAfter = 0;
  ui.Post([] { throw std::runtime_error("The disk is full"); });
  ui.Post([&] { ++ranAfter; });
  EXPECT_EQ(ui.RunPosted(), 2);
  EXPECT_EQ(ranAfter, 1) << "the work posted after it still runs";
  ui.onPopupMenu = [](ui::MenuItem&) { throw std::bad_alloc(); };
  ui::Message click;
  click.msg = services::WM_TRAYICON;
  click.lParam = ui::kWmRButtonUp;
  EXPECT_FALSE(ui.Deliver(main(), click));
  ui::Timer timer(main(), 1000);
  timer.OnTimer = [] { throw 42; };
  timer.SetEnabled(true);
  ui.AdvanceTime(1000);
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].text, "The disk is full");
  EXPECT_EQ(ui.boxes[1].text, std::bad_alloc().what());
  EXPECT_EQ(ui.boxes[2].text, "An unexpected error has occurred");
  for (const auto& box : ui.boxes) {
    EXPECT_EQ(box.caption, "Corvane 2.4");
    EXPECT_EQ(box.kind, ui::MessageKind::Error);
  }
  timer.SetEnabled(false);

  // And the program still answers a blocked pop-up.
  live().animTrayIcon.Set(true);
  EXPECT_EQ(Report("x", 1), 1);
  EXPECT_EQ(sim.desktop.notifyCalls.size(), 8u);
}

TEST_F(TrayTest, TheTrayCallbackRestoresOnADoubleClickAndOpensTheMenuOnTheRightButton) {
  ASSERT_TRUE(program->application().minimized());
  EXPECT_EQ(Message(services::WM_TRAYICON, 1005, 0x0200 /* WM_MOUSEMOVE */), 0);
  EXPECT_FALSE(main().visible());
  EXPECT_TRUE(ui.popups.empty());

  Message(services::WM_TRAYICON, 1005, ui::kWmLButtonDblClk);
  EXPECT_TRUE(main().visible());
  EXPECT_TRUE(ui.appWindowVisible);
  EXPECT_EQ(ui.foreground, &main());
  EXPECT_FALSE(program->application().minimized());

  ui.foreground = nullptr;
  ui.cursor = {812, 590};
  bool postedBeforeClosing = true;
  ui.onPopupMenu = [&](ui::MenuItem&) {
    postedBeforeClosing = !ui.postedMessages.empty();
    EXPECT_EQ(ui.foreground, &main()) << "the window comes to the front before the menu opens";
  };
  Message(services::WM_TRAYICON, 1005, ui::kWmRButtonUp);
  ASSERT_EQ(ui.popups.size(), 1u);
  EXPECT_EQ(ui.popups[0].owner, &main());
  EXPECT_EQ(ui.popups[0].menu, main().TrayMenu.get());
  EXPECT_EQ(ui.popups[0].at.x, 812);
  EXPECT_EQ(ui.popups[0].at.y, 590);
  EXPECT_FALSE(postedBeforeClosing);
  ASSERT_EQ(ui.postedMessages.size(), 1u);
  EXPECT_EQ(ui.postedMessages[0].form, &main());
  EXPECT_EQ(ui.postedMessages[0].msg, ui::kWmNull);
  EXPECT_EQ(ui.postedMessages[0].wParam, 0u);
  EXPECT_EQ(ui.postedMessages[0].lParam, 0);
}

TEST_F(TrayTest, ARestartedTaskbarGetsTheIconBack) {
  platform::NotifyIconRecord gone;
  gone.window = main().handle();
  gone.id = 1005;
  sim.desktop.NotifyIcon(NotifyIconOp::Delete, gone);  // Explorer went, and its tray with it
  ASSERT_TRUE(sim.desktop.trayIcons().empty());
  Message(ui::kWmTaskbarCreated, 0, 0);
  ASSERT_EQ(sim.desktop.trayIcons().size(), 1u);
  const auto& icon = sim.desktop.trayIcons().begin()->second;
  EXPECT_EQ(icon.id, 1005u);
  EXPECT_EQ(icon.callbackMessage, 2025u);
  EXPECT_EQ(icon.iconResource, "TrayIcon");
  EXPECT_EQ(icon.tip, "Corvane");
}

// At sign-in the program may start before Explorer's tray takes icons: the
// add is tried again on a timer, for a bounded time, until the icon is there.
TEST_F(TrayTest, AnIconTheShellRefusesIsAddedAgainOnATimerForABoundedTime) {
  main().DeleteTrayIcon();
  sim.desktop.trayReady = false;
  main().AddTrayIcon();
  ui.AdvanceTime(services::kTrayAddRetryMs * 10);
  EXPECT_TRUE(sim.desktop.trayIcons().empty());
  sim.desktop.trayReady = true;
  ui.AdvanceTime(services::kTrayAddRetryMs);
  ASSERT_EQ(sim.desktop.trayIcons().size(), 1u);
  EXPECT_EQ(sim.desktop.trayIcons().begin()->second.iconResource, "TrayIcon");
  const size_t calls = sim.desktop.notifyCalls.size();
  ui.AdvanceTime(services::kTrayAddRetryMs * 10);
  EXPECT_EQ(sim.desktop.notifyCalls.size(), calls) << "once there, no more tries";

  // Refused for good: the tries end.
  main().DeleteTrayIcon();
  sim.desktop.trayReady = false;
  main().AddTrayIcon();
  ui.AdvanceTime(uint64_t{services::kTrayAddRetryMs} * (services::kTrayAddRetries + 5));
  const size_t given = sim.desktop.notifyCalls.size();
  ui.AdvanceTime(services::kTrayAddRetryMs * 10);
  EXPECT_EQ(sim.desktop.notifyCalls.size(), given);
  EXPECT_LE(given - calls, 2u * (services::kTrayAddRetries + 1) + 1) << "an add and a modification per try";
}

TEST_F(TrayTest, ClosingPreferencesHidesItAndADoubleClickShowsItAgainEveryTime) {
  Entry("MenuGeneralPref").UserClick();
  EXPECT_TRUE(main().visible());
  EXPECT_EQ(ui.foreground, &main());
  main().Close();
  EXPECT_FALSE(main().visible());
  EXPECT_FALSE(ui.appWindowVisible);
  EXPECT_FALSE(ui.terminated);
  EXPECT_EQ(sim.desktop.trayIcons().size(), 1u);

  // Restored from the start-up state once, then closed: the next double-click still shows it.
  for (int round = 0; round < 2; ++round) {
    ui.foreground = nullptr;
    Message(services::WM_TRAYICON, 1005, ui::kWmLButtonDblClk);
    EXPECT_TRUE(main().visible()) << round;
    EXPECT_TRUE(ui.appWindowVisible) << round;
    EXPECT_EQ(ui.foreground, &main()) << round;
    main().Close();
    EXPECT_FALSE(main().visible()) << round;
  }
}

TEST_F(TrayTest, TheWindowEntriesShowTheirWindows) {
  const std::pair<const char*, int> pages[] = {
      {"MenuIEHistCleaner", 0}, {"MenuWindowsHistCleaner", 1}, {"MenuAppHistCleaner", 2}};
  for (const auto& [name, page] : pages) {
    corvane().HistoryCleanerPref->Hide();
    Entry(name).UserClick();
    EXPECT_TRUE(corvane().HistoryCleanerPref->visible()) << name;
    EXPECT_EQ(corvane().HistoryCleanerPref->PageControl1->activePageIndex(), page) << name;
  }
  bool modal = false;
  ui.onModal = [&](ui::Form& form) {
    modal = &form == corvane().AboutBox.get() && form.modal();
    form.Close();
  };
  Entry("MenuItem18").UserClick();
  EXPECT_TRUE(modal) << "About Us is shown modally";
  EXPECT_FALSE(corvane().AboutBox->visible());
}

TEST_F(TrayTest, TheHelpAndOnlineEntriesGoThroughTheShell) {
  const std::pair<const char*, const char*> entries[] = {
      {"MenuItem12", "C:\\Program Files\\Corvane\\Help\\corvane.chm"},
      {"MenuItem14", "https://www.tessaly.example/support/overview.htm"},
      {"MenuItem16", "https://www.tessaly.example/support/faq.htm"},
      {"SubmitSupportTicket1", "https://www.tessaly.example/support/sticket.htm"}};
  for (const auto& [name, file] : entries) {
    sim.desktop.shellCalls.clear();
    Entry(name).UserClick();
    ASSERT_EQ(sim.desktop.shellCalls.size(), 1u) << name;
    EXPECT_EQ(sim.desktop.shellCalls[0].verb, "Open");
    EXPECT_EQ(sim.desktop.shellCalls[0].file, file);
    EXPECT_EQ(sim.desktop.shellCalls[0].show, 10);
  }
  sim.desktop.shellCalls.clear();
  main().Label1->UserClick();
  ASSERT_EQ(sim.desktop.shellCalls.size(), 1u);
  EXPECT_EQ(sim.desktop.shellCalls[0].verb, "open");
  EXPECT_EQ(sim.desktop.shellCalls[0].file, "www.tessaly.example");
  EXPECT_EQ(sim.desktop.shellCalls[0].show, 5);
  EXPECT_TRUE(ui.boxes.empty());
}

// Whoever switches autostart on is recorded in the machine's settings by
// SID, for an uninstaller that runs with another account's rights.
TEST_F(TrayTest, TheAutostartBoxWritesAndDeletesTheRunValueAndRecordsWhoseItIs) {
  sim.registry.CreateKey(RegRoot::CurrentUser, kRunKey);
  const std::string other = "S-1-5-21-1-2-3-1002";
  SetSetting(settings::kAutostartUsers, RegValue::String(other));
  main().CoolCheckRadioBox1->UserClick();
  auto run = sim.registry.Get(RegRoot::CurrentUser, kRunKey, "Corvane");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->type, RegType::String);
  EXPECT_EQ(run->data, "\"C:\\Program Files\\Corvane\\corvane.exe\"") << "quoted, for the blank in the path";
  EXPECT_EQ(Setting(settings::kAutostartUsers)->data, other + ";" + sim.process.userSid);
  program.reset();
  ASSERT_TRUE(Start());
  EXPECT_TRUE(main().CoolCheckRadioBox1->checked()) << "the next start reads it as set";

  main().CoolCheckRadioBox1->UserClick();
  EXPECT_FALSE(main().CoolCheckRadioBox1->checked());
  EXPECT_FALSE(sim.registry.Get(RegRoot::CurrentUser, kRunKey, "Corvane"));
  EXPECT_EQ(Setting(settings::kAutostartUsers)->data, other) << "the other user's entry stays recorded";

  // A value already gone counts as removed.
  main().CoolCheckRadioBox1->UserClick();
  sim.registry.DeleteValue(RegRoot::CurrentUser, kRunKey, "Corvane");
  main().CoolCheckRadioBox1->UserClick();
  EXPECT_FALSE(main().CoolCheckRadioBox1->checked());
  EXPECT_TRUE(ui.boxes.empty());

  // When the Run key cannot be opened the user is told, and the box shows what Windows will do.
  sim.registry.MakeUnopenable(RegRoot::CurrentUser, kRunKey);
  main().CoolCheckRadioBox1->UserClick();
  EXPECT_FALSE(main().CoolCheckRadioBox1->checked());
  EXPECT_FALSE(sim.registry.Get(RegRoot::CurrentUser, kRunKey, "Corvane"));
  sim.registry.MakeUnopenable(RegRoot::CurrentUser, kRunKey, false);
  main().CoolCheckRadioBox1->UserClick();
  sim.registry.MakeUnopenable(RegRoot::CurrentUser, kRunKey);
  main().CoolCheckRadioBox1->UserClick();
  EXPECT_TRUE(main().CoolCheckRadioBox1->checked());
  EXPECT_TRUE(sim.registry.Get(RegRoot::CurrentUser, kRunKey, "Corvane"));
  EXPECT_EQ(CountBoxes(kApplySettingsError), 2);
  EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(TrayTest, ExitMarksTheProgramStoppedReleasesTheHotkeysAndRemovesTheIcon) {
  sim.desktop.RegisterHotKey(main().handle(), 2, 2, 0x7B);
  sim.desktop.AddWindow("IEFrame", "Hidden elsewhere", false);
  Entry("MenuShutDown").UserClick();
  EXPECT_TRUE(sim.desktop.showCalls.empty()) << "the hotkey hid nothing, so Exit shows nothing";
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 0);
  EXPECT_TRUE(sim.desktop.hotkeys().empty());
  EXPECT_TRUE(ui.terminated);
  EXPECT_EQ(sim.desktop.trayIcons().size(), 1u) << "the icon goes with the window";
  EXPECT_TRUE(ui.pumpTimeouts.empty()) << "no run: nothing to wait for";
  program->Run();
  program.reset();
  EXPECT_TRUE(sim.desktop.trayIcons().empty());
  EXPECT_FALSE(sim.process.mutexes()->Exists("CorvaneMUTEX")) << "a new start may follow";
  EXPECT_FALSE(sim.process.exitedWith);
}

TEST_F(TrayTest, ExitDuringARunStopsItBeforeItsNextDeletionAndEndsLikeAnyExit) {
  SetBool("WindowsTempFiles", true);
  SetBool("RecycleBin", true);
  PlantTempFiles(20);
  sim.files.gate.HoldAt("RemoveFile", 4);
  main().Timer1Timer();
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));
  std::thread call = ReleaseOnStop(sim.files.gate);  // the held deletion then ends

  Entry("MenuShutDown").UserClick();
  call.join();
  EXPECT_FALSE(cleaning()) << "its end arrived within the wait";
  EXPECT_EQ(ui.pumpTimeouts, std::vector<uint32_t>{services::kExitWaitMs});
  EXPECT_EQ(sim.files.List(kTemp).size(), 15u) << "five deletions, then the purge stopped";
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty()) << "the next step never began";
  EXPECT_TRUE(ui.terminated);
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 0);
  EXPECT_TRUE(ui.boxes.empty() && sim.desktop.balloons.empty()) << "a run stopped for the exit is not reported";
  main().Timer1Timer();
  EXPECT_FALSE(cleaning()) << "no run starts once the program is ending";

  program->Run();
  EXPECT_FALSE(sim.process.exitedWith);
  program.reset();
  EXPECT_TRUE(sim.desktop.trayIcons().empty());
  EXPECT_FALSE(sim.process.mutexes()->Exists(settings::kMutexName));
  EXPECT_FALSE(sim.process.mutexes()->Exists(platform::sim::SimProcess::UserNamespace(sim.process.userSid) +
                                             cleaner::kCleaningRunMutexName));
}

// A worker that does not come back from one system call within the wait.
TEST_F(TrayTest, ExitWithARunStuckInACallEndsTheProcessAfterTheWait) {
  SetBool("WindowsTempFiles", true);
  PlantTempFiles(3);
  sim.files.gate.HoldAt("RemoveFile");
  main().Timer1Timer();
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));

  ASSERT_EQ(Message(ui::kWmCommand, forms::kExitCommandId, 0), 0);
  EXPECT_TRUE(cleaning());
  EXPECT_EQ(ui.pumpTimeouts, std::vector<uint32_t>{services::kExitWaitMs}) << "no longer for an ordinary step";
  EXPECT_TRUE(ui.terminated);
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 0);

  // The message loop has ended: the process ends with code 0 before anything
  // the run still uses is freed, and the icon does not outlive it.
  program->Run();
  EXPECT_EQ(sim.process.exitedWith, 0u);
  EXPECT_TRUE(sim.desktop.trayIcons().empty());
  sim.files.gate.Release();
}

// Cutting it off would leave the protected-storage key opened up for good.
TEST_F(TrayTest, ExitWaitsLongerForTheStepWhoseAccessListMustBePutBack) {
  const std::string top =
      "Software\\Microsoft\\Protected Storage System Provider\\" + cleaner::SidToText(sim.security.userSid);
  const std::string dataKey = top + "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
  sim.registry.Set(RegRoot::CurrentUser, dataKey, "item", RegValue::DWord(1));
  const std::string before = sim.security.DescriptorOf(RegRoot::CurrentUser, top);
  const char* kIntelliForms = "Software\\Microsoft\\Internet Explorer\\IntelliForms";
  sim.registry.Set(RegRoot::CurrentUser, kIntelliForms, "item", RegValue::DWord(1));
  SetBool("AutoComplete", true);
  sim.security.gate.HoldAt("SetDacl");  // the first change: the top key opened up
  main().Timer1Timer();
  ASSERT_TRUE(sim.security.gate.WaitUntilHeld(10000));
  // The call comes back only after the ordinary wait is over.
  std::thread slowCall([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(services::kExitWaitMs + 1000));
    sim.security.gate.Release();
  });

  Entry("MenuShutDown").UserClick();
  slowCall.join();
  EXPECT_EQ(ui.pumpTimeouts, (std::vector<uint32_t>{services::kExitWaitMs, services::kIndivisibleStepWaitMs}));
  EXPECT_FALSE(cleaning());
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, dataKey));
  EXPECT_EQ(sim.security.DescriptorOf(RegRoot::CurrentUser, top), before) << "its access list is back";
  EXPECT_TRUE(sim.registry.KeyExists(RegRoot::CurrentUser, kIntelliForms)) << "the step after it never began";
  program->Run();
  EXPECT_FALSE(sim.process.exitedWith);
}

TEST_F(TrayTest, TheEndOfTheSessionSavesTheCookieManagersEditsAndEndsLikeExit) {
  EXPECT_EQ(Message(ui::kWmQueryEndSession, 0, 0), 1) << "the session may end";
  EXPECT_EQ(Message(ui::kWmEndSession, 0, 0), 0);
  EXPECT_FALSE(ui.terminated) << "another program cancelled the end";

  sim.files.AddDirectory("C:\\Program Files\\Corvane\\Settings");
  SetBool("WindowsTempFiles", true);
  PlantTempFiles(5);
  sim.files.gate.HoldAt("RemoveFile");
  main().Timer1Timer();
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));
  std::thread call = ReleaseOnStop(sim.files.gate);
  // Windows ends the session while the cookie manager is open with an edit.
  ui.onModal = [this](ui::Form&) {
    corvane().CookieManager->DstList->Add("kept.example");
    EXPECT_EQ(Message(ui::kWmEndSession, 1, 0), 0);
  };
  corvane().CookieManager->ShowModal();
  call.join();

  EXPECT_EQ(sim.files.Content(cookies::KeepListPath(sim.platform)), "kept.example\r\n");
  EXPECT_FALSE(cleaning());
  EXPECT_LT(sim.files.List(kTemp).size(), 5u);
  EXPECT_GT(sim.files.List(kTemp).size(), 0u) << "the run was stopped";
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 0);
  EXPECT_TRUE(sim.desktop.trayIcons().empty()) << "gone before the handler returns";
  EXPECT_TRUE(sim.desktop.hotkeys().empty());
  EXPECT_TRUE(ui.terminated);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TrayTest, ExitAsOtherProgramsAskForItEndsEvenWithAnUnopenableKey) {
  sim.registry.MakeUnopenable(RegRoot::LocalMachine, settings::kSettingsKey);
  EXPECT_EQ(Message(ui::kWmCommand, forms::kExitCommandId, 0), 0);
  EXPECT_TRUE(ui.terminated);
  EXPECT_TRUE(ui.boxes.empty()) << "Exit goes on silently";
  EXPECT_EQ(Number(value::kCorvaneRunning.name), 1) << "the key could not be written";
}

}  // namespace
}  // namespace hosttest
