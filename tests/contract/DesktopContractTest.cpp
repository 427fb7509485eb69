// Global hotkeys, and other programs' top-level windows: enumeration, class
// names cut to the caller's buffer, and the show state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "ContractEnv.h"
#include "util/Text.h"

namespace contract {
namespace {

using platform::WindowId;

// A combination no desktop uses: CTRL + ALT + SHIFT with F9 or F10.
constexpr uint32_t kModifiers = 1 | 2 | 4;
constexpr uint32_t kF9 = 0x78, kF10 = 0x79;

// Thread hotkeys (no window) need no display, so these run everywhere.
TEST(HotkeyContract, ACombinationCanBeHeldByOneIdentifierAtATime) {
  platform::Desktop& desktop = Env().platform().desktop;
  ASSERT_EQ(desktop.RegisterHotKey(0, 0x7A01, kModifiers, kF9), platform::kErrorSuccess);
  // What another program meets: Windows and Wine answer alike.
  EXPECT_EQ(desktop.RegisterHotKey(0, 0x7A02, kModifiers, kF9), platform::kErrorHotkeyAlreadyRegistered);
  EXPECT_FALSE(desktop.UnregisterHotKey(0, 0x7A02)) << "it was never registered";
  EXPECT_TRUE(desktop.UnregisterHotKey(0, 0x7A01));
  EXPECT_FALSE(desktop.UnregisterHotKey(0, 0x7A01)) << "released already";
  EXPECT_EQ(desktop.RegisterHotKey(0, 0x7A02, kModifiers, kF9), platform::kErrorSuccess) << "free again";
  EXPECT_TRUE(desktop.UnregisterHotKey(0, 0x7A02));
}

TEST(HotkeyContract, TwoCombinationsLiveSideBySide) {
  platform::Desktop& desktop = Env().platform().desktop;
  EXPECT_EQ(desktop.RegisterHotKey(0, 0x7A01, kModifiers, kF9), platform::kErrorSuccess);
  EXPECT_EQ(desktop.RegisterHotKey(0, 0x7A02, kModifiers, kF10), platform::kErrorSuccess);
  EXPECT_TRUE(desktop.UnregisterHotKey(0, 0x7A01));
  EXPECT_TRUE(desktop.UnregisterHotKey(0, 0x7A02));
}

// A window of another program, or a skip naming what the platform answered.
// The end-to-end run repeats these tests on a display with
// CORVANE_CONTRACT_DISPLAY=1, where a window that cannot be made fails.
WindowId MakeWindow(const std::string& className, bool visible) {
  WindowId window = Env().MakeTopLevelWindow(className, visible);
  if (!window) {
    // Windows always has a desktop to make one on; Wine has none without a display.
    EXPECT_TRUE(Env().underWine());
    EXPECT_EQ(std::getenv("CORVANE_CONTRACT_DISPLAY"), nullptr) << "a display was promised";
  }
  return window;
}

std::vector<WindowId> AllTopLevelWindows() {
  std::vector<WindowId> all;
  Env().platform().desktop.EnumTopLevelWindows([&all](WindowId w) {
    all.push_back(w);
    return true;
  });
  return all;
}

bool Contains(const std::vector<WindowId>& list, WindowId w) {
  return std::find(list.begin(), list.end(), w) != list.end();
}

TEST(WindowContract, EnumerationVisitsEveryTopLevelWindowUntilTheVisitSaysStop) {
  WindowId shown = MakeWindow("IEFrame", true);
  WindowId hidden = MakeWindow("IEFrame", false);
  if (!shown || !hidden) GTEST_SKIP() << "Wine without a display: CreateWindowEx gives NULL";
  std::vector<WindowId> all = AllTopLevelWindows();
  EXPECT_TRUE(Contains(all, shown));
  EXPECT_TRUE(Contains(all, hidden)) << "hidden windows are enumerated too";
  EXPECT_EQ(std::count(all.begin(), all.end(), shown), 1);

  int visits = 0;
  Env().platform().desktop.EnumTopLevelWindows([&visits](WindowId) {
    ++visits;
    return false;
  });
  EXPECT_EQ(visits, 1);
}

TEST(WindowContract, AClassNameIsCutToTheCallersBuffer) {
  WindowId exact = MakeWindow("IEFrame", false);
  WindowId longer = MakeWindow("IEFrameLongerThanFifteen", false);
  if (!exact || !longer) GTEST_SKIP() << "Wine without a display: CreateWindowEx gives NULL";
  platform::Desktop& desktop = Env().platform().desktop;
  EXPECT_EQ(desktop.ClassNameOf(exact, 16), "IEFrame");
  EXPECT_EQ(desktop.ClassNameOf(longer, 16), "IEFrameLongerTh") << "15 characters and the terminating zero";
  EXPECT_EQ(desktop.ClassNameOf(longer, 256), "IEFrameLongerThanFifteen");
  EXPECT_EQ(desktop.ClassNameOf(longer, 1), "");
}

// The tray icon is added with the V1 record; a balloon comes as a
// modification with the larger record, and only for an icon the shell holds.
TEST(WindowContract, ABalloonIsAModificationOfAnIconTheShellHolds) {
  WindowId window = MakeWindow("CorvaneTrayContract", false);
  if (!window) GTEST_SKIP() << "Wine without a display: CreateWindowEx gives NULL";
  platform::Desktop& desktop = Env().platform().desktop;
  platform::NotifyIconRecord icon{platform::kNotifyIconV1Size, window, 7, 1 | 4, 0x8001, {}, "Contract"};
  platform::NotifyIconRecord balloon{platform::kNotifyIconBalloonSize, window, 7, platform::kNotifyIconInfo, 0, {}, {}};
  balloon.infoTitle = "Corvane 2.4";
  balloon.info = std::string(300, 'x') + " (cut to the field)";
  balloon.infoFlags = 3;

  EXPECT_FALSE(desktop.NotifyIcon(platform::NotifyIconOp::Modify, balloon)) << "no such icon yet";
  ASSERT_TRUE(desktop.NotifyIcon(platform::NotifyIconOp::Add, icon));
  EXPECT_TRUE(desktop.NotifyIcon(platform::NotifyIconOp::Modify, balloon));
  EXPECT_TRUE(desktop.NotifyIcon(platform::NotifyIconOp::Delete, icon));
  EXPECT_FALSE(desktop.NotifyIcon(platform::NotifyIconOp::Modify, balloon)) << "gone with its icon";
}

// A browser whose windows the hotkey hid still shows the user one: the mark
// makes a hidden window count for its process.
TEST(WindowContract, AWindowHiddenForTheUserCountsAsShownForItsProcess) {
  WindowId window = MakeWindow("CorvaneHiddenForUser", false);
  if (!window) GTEST_SKIP() << "Wine without a display: CreateWindowEx gives NULL";
  platform::Platform& p = Env().platform();
  const std::string path = p.process.ExecutablePath();
  const std::string own = path.substr(path.find_last_of('\\') + 1);
  // This process's windows that earlier tests left shown, hidden meanwhile.
  std::vector<WindowId> shown;
  for (WindowId w : AllTopLevelWindows()) {
    if (p.desktop.IsWindowVisible(w) && util::EqualNoCase(p.desktop.ProgramFileOf(w), own)) shown.push_back(w);
  }
  for (WindowId w : shown) p.desktop.ShowWindow(w, platform::kSwHide);
  auto ownShowsOne = [&p, &own] {
    for (const platform::RunningProcess& r : p.process.RunningProcesses()) {
      if (util::EqualNoCase(r.programFile, own)) return r.windowShown;
    }
    return false;
  };

  EXPECT_FALSE(ownShowsOne()) << "only hidden windows";
  p.desktop.MarkHiddenForUser(window, true);
  EXPECT_TRUE(ownShowsOne());
  EXPECT_FALSE(p.desktop.IsWindowVisible(window)) << "the mark shows nothing";
  p.desktop.MarkHiddenForUser(window, false);
  EXPECT_FALSE(ownShowsOne());
  for (WindowId w : shown) p.desktop.ShowWindow(w, platform::kSwShow);
}

TEST(WindowContract, ShowWindowSwitchesTheShowStateAndReportsTheFormerOne) {
  WindowId window = MakeWindow("IEFrame", false);
  if (!window) GTEST_SKIP() << "Wine without a display: CreateWindowEx gives NULL";
  platform::Desktop& desktop = Env().platform().desktop;
  EXPECT_FALSE(desktop.ShowWindow(window, platform::kSwShow)) << "it was hidden";
  EXPECT_TRUE(desktop.ShowWindow(window, platform::kSwShow)) << "now shown";
  EXPECT_TRUE(desktop.ShowWindow(window, platform::kSwHide));
  EXPECT_FALSE(desktop.ShowWindow(window, platform::kSwHide));
}

}  // namespace
}  // namespace contract
