// The main window "Preferences": its two preferences and the tray menu; the
// owner of the tray icon, the auto-clean schedule and the Windows hotkey,
// whose operations it offers under the names the program knows them by; the
// start-up reading of the preferences, and the exit.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "services/BrowserCloseCleaner.h"
#include "services/CleanerSchedule.h"
#include "services/Services.h"
#include "services/TrayIcon.h"
#include "services/WindowsHotkey.h"
#include "settings/Settings.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

// WM_COMMAND identifier of "Exit", which other programs (the uninstaller) send.
constexpr int kExitCommandId = 9001;
// Said once to each user, at the first start: Windows keeps a new icon among
// the hidden ones, and a balloon may never show.
constexpr const char* kTrayHintMessage =
    "Corvane runs in the notification area, beside the clock. Windows may keep its icon among the hidden icons "
    "(the arrow beside them): drag it from there onto the taskbar to keep it in sight. Right-click it for "
    "Corvane's menu.";

// After an announcement of a blocked pop-up window, the next one waits this
// long: a flood of reports is counted, not played one by one.
constexpr uint64_t kAnnouncementGapMs = 3000;

class TCorvaneMain : public ui::Form {
 public:
  explicit TCorvaneMain(services::Services& app);
  ~TCorvaneMain() override;

  void FormCreate();
  // kTrayHintMessage, at the first start of each user.
  void TellWhereTheIconIs();
  void LoadPreferences();
  void RestoreDefaultPreferences();

  // Tray icon.
  void AddTrayIcon() { tray_.Add(); }
  void DeleteTrayIcon() { tray_.Delete(); }
  void AnimateTrayIcon() { tray_.Animate(); }
  // An error balloon from the tray icon, titled with the application title.
  void ShowTrayBalloon(const std::string& text);
  void TrayIconNotify(uint32_t mouseMessage);
  // WM_COPYDATA: `dataId` is its dwData.
  void PopupBlockedNotify(const void* data, uint32_t size, uintptr_t dataId = 0);
  std::string NotificationSoundPath(int32_t soundIndex);
  void AppMinimize();
  void AppRestore();

  // Auto-clean schedule.
  uint32_t ScheduleInterval();
  bool IsCleanerScheduleSet() { return schedule_.IsSet(); }
  void Timer1Timer();
  void ComboBox1Exit();
  void CoolCheckRadioBox2Click();
  void MenuEnableAutoHistoryCleanerClick();

  // Cleaning a browser when it closes; the end of its runs goes to it.
  services::BrowserCloseCleaner& browserCloseCleaner() { return closeCleaner_; }

  // Windows hotkey.
  void RegisterBossKey(int16_t combination) { hotkey_.Register(combination); }
  void RegisterStoredBossKey() { hotkey_.RegisterStored(); }
  void UnregisterBossKeys() { hotkey_.UnregisterBoth(); }
  bool ReadIEStatus() { return hotkey_.ReadToggleState(); }
  void WriteIEStatus(bool status) { hotkey_.WriteToggleState(status); }
  void ShowIEWindows() { hotkey_.ShowBrowserWindows(); }
  void HideIEWindows() { hotkey_.HideBrowserWindows(); }
  bool IsVolumeMuted() { return hotkey_.IsMuted(); }
  void SetVolumeMute(bool mute) { hotkey_.SetMute(mute); }
  void MenuEnableBossKeyClick();
  // Another program holds `combination`: said, and the other one offered.
  void HotkeyTaken(int16_t combination);

  // Handlers of the window and the tray menu.
  void FormClose(bool& hide);
  void FormShow();
  void CoolCheckRadioBox1Click();
  void Label1Click();
  void MenuShutDownClick();
  // WM_ENDSESSION when the session does end: what Exit does, at once.
  void EndSession();

  // What the tray menu and the end of the session ask of the other windows;
  // set by whoever made them.
  std::function<void(int page)> ShowHistoryCleaner;
  std::function<void()> ShowPopUpBlocker;
  std::function<void()> ShowBossKey;
  std::function<void()> ShowAbout;
  // A combination was stored from here, not from the hotkey window.
  std::function<void()> CombinationStored;
  // A blocked pop-up window was reported, and perhaps counted here.
  std::function<void()> PopupReported;
  // The session is ending: what must be saved is saved now.
  std::function<void()> BeforeSessionEnds;

  // Controls.
  ui::Control* Image1;
  ui::CheckBox* CoolCheckRadioBox1;
  ui::CheckBox* CoolCheckRadioBox2;
  ui::Control* CoolGroupBox1;
  ui::Control* Label2;
  ui::ComboBox* ComboBox1;
  ui::Control* Label1;
  std::unique_ptr<ui::MenuItem> TrayMenu;
  ui::Timer* Timer1;  // the schedule's

  ui::MenuItem* MenuEnableAutoHistoryCleaner;
  ui::MenuItem* MenuCleanOnBrowserClose;
  ui::MenuItem* EnablePopupBlocking1;
  ui::MenuItem* Playasoundwhenapopupwindowisblocked1;
  ui::MenuItem* Animatesystemtrayiconwhenapopupwindowisblocked1;
  ui::MenuItem* MenuEnableBossKey;

 private:
  bool HandleMessage(ui::Message& message);
  void BuildControls();
  void BuildTrayMenu();
  void FollowLiveSettings();
  // The hotkey's switches off and the first sound, as before any reading.
  void ClearHotkeyAndSound();
  // A tray entry with a check mark: its switch flipped and stored.
  void ToggleSwitch(util::Watched<bool>& live, const settings::Setting& setting);
  void OpenWithShell(const std::string& verb, const std::string& file, int show);

  services::Services& app_;
  services::TrayIcon tray_;
  services::CleanerSchedule schedule_;
  services::WindowsHotkey hotkey_;
  services::BrowserCloseCleaner closeCleaner_;
  // The interval the list showed as stored: a store that fails puts it back.
  int shownSchedule_ = settings::value::kCleanerSchedule.fallback;
  bool offeringOtherHotkey_ = false;
  // When the last announcement of a blocked pop-up window ended; none yet.
  std::optional<uint64_t> lastAnnouncementEnd_;
};

}  // namespace forms
