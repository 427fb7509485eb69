// The start-up read of every preference, and the restoring of the defaults.
#include <cstdint>

#include "browsers/BrowserTable.h"
#include "cleaner/CleanerTable.h"
#include "forms/CorvaneMain.h"
#include "settings/Autostart.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"

namespace app {

void TCorvaneMain::LoadPreferences() {
  LiveSettings& live = app_.live;
  ClearHotkeyAndSound();
  schedule_.Stop();

  SettingsOutcome read = app_.settings.Load([this, &live](SettingsKey& key) {
    ComboBox1->SetItemIndex(key.IntegerOrStartDefault(value::kCleanerSchedule));
    shownSchedule_ = ComboBox1->itemIndex();
    schedule_.Reset(shownSchedule_);

    // The box, the tray's mark and the timer follow it (see FollowLiveSettings).
    live.autoCleaner.Set(key.BoolOrStartDefault(value::kAutoCleaner));
    schedule_.RunIf(live.autoCleaner.value());

    live.popupBlocking.Set(key.BoolOrStartDefault(value::kPopupBlocking));
    live.soundNotification.Set(key.BoolOrStartDefault(value::kSoundNotification));
    live.soundIndex.Set(key.IntegerOrStartDefault(value::kSoundIndex));
    live.animTrayIcon.Set(key.BoolOrStartDefault(value::kAnimTrayIcon));

    // Switched on, the hotkey is registered (see FollowLiveSettings); the
    // start writes the combination of a missing one.
    live.hotkeyEnabled.Set(key.BoolOrStartDefault(value::kWindowsHotKey));
    if (live.hotkeyEnabled.value()) key.IntegerOrStartDefault(value::kHotkeyCombination);
    live.hideIEWindows.Set(key.BoolOrStartDefault(value::kIEWHotKey));
    live.toggleMute.Set(key.BoolOrStartDefault(value::kWinVolControl));
    live.hideAllBrowsers.Set(key.BoolOrStartDefault(value::kHotkeyAllBrowsers));
    live.cleanOnBrowserClose.Set(key.BoolOrStartDefault(value::kCleanOnBrowserClose));

    key.WriteBool(value::kIEStatus, false);
  });
  if (!read.opened) {
    app_.application.Message(ui::MessageKind::Error, kReadPreferencesError);
    RestoreDefaultPreferences();
  }
  CoolCheckRadioBox1->SetChecked(IsAutostartSet(app_.platform.registry));
}

void TCorvaneMain::ClearHotkeyAndSound() {
  LiveSettings& live = app_.live;
  live.hotkeyEnabled.Set(false);
  live.hideIEWindows.Set(false);
  live.toggleMute.Set(false);
  live.hideAllBrowsers.Set(value::kHotkeyAllBrowsers.fallback != 0);
  live.soundIndex.Set(value::kSoundIndex.fallback);
}

void TCorvaneMain::RestoreDefaultPreferences() {
  CoolCheckRadioBox1->SetChecked(false);
  app_.live.autoCleaner.Set(value::kAutoCleaner.fallback != 0);
  app_.live.cleanOnBrowserClose.Set(value::kCleanOnBrowserClose.fallback != 0);
  schedule_.Stop();
  ClearHotkeyAndSound();

  app_.settings.Change([](SettingsKey& key) {
    for (const char* name : cleaner::CleanerValueNames) key.RestoreDefault(CleanerSwitch(name));
    for (const browsers::BrowserRow& browser : browsers::kBrowsers)
      key.RestoreDefault(BrowserSwitch(browser.settingName));
    for (const Setting* setting : kSettings) key.RestoreDefault(*setting);
  });
}

}  // namespace app
