// The start-up read of every preference, and the restoring of the defaults.
#include <cstdint>

#include "browsers/BrowserTable.h"
#include "cleaner/CleanerTable.h"
#include "forms/CorvaneMain.h"
#include "settings/Autostart.h"
#include "settings/CommunityChoices.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"

namespace forms {

void TCorvaneMain::LoadPreferences() {
  settings::LiveSettings& live = app_.live;
  ClearHotkeyAndSound();
  schedule_.Stop();

  settings::SettingsOutcome read = app_.settings.Load([this, &live](settings::SettingsKey& key) {
    ComboBox1->SetItemIndex(key.IntegerOrStartDefault(settings::value::kCleanerSchedule));
    shownSchedule_ = ComboBox1->itemIndex();
    schedule_.Reset(shownSchedule_);

    // The box, the tray's mark and the timer follow it (see FollowLiveSettings).
    live.autoCleaner.Set(key.BoolOrStartDefault(settings::value::kAutoCleaner));
    schedule_.RunIf(live.autoCleaner.value());

    live.popupBlocking.Set(key.BoolOrStartDefault(settings::value::kPopupBlocking));
    live.soundNotification.Set(key.BoolOrStartDefault(settings::value::kSoundNotification));
    live.soundIndex.Set(key.IntegerOrStartDefault(settings::value::kSoundIndex));
    live.animTrayIcon.Set(key.BoolOrStartDefault(settings::value::kAnimTrayIcon));

    // Switched on, the hotkey is registered (see FollowLiveSettings); the
    // start writes the combination of a missing one.
    live.hotkeyEnabled.Set(key.BoolOrStartDefault(settings::value::kWindowsHotKey));
    if (live.hotkeyEnabled.value()) key.IntegerOrStartDefault(settings::value::kHotkeyCombination);
    live.hideIEWindows.Set(key.BoolOrStartDefault(settings::value::kIEWHotKey));
    live.toggleMute.Set(key.BoolOrStartDefault(settings::value::kWinVolControl));
    key.WriteBool(settings::value::kIEStatus, false);

    // The later switches come last, so that one of them stored with the
    // wrong type ends the reading after every earlier value is done.
    live.hideAllBrowsers.Set(key.BoolOrStartDefault(settings::value::kHotkeyAllBrowsers));
    live.cleanOnBrowserClose.Set(key.BoolOrStartDefault(settings::value::kCleanOnBrowserClose));
  });
  if (!read.opened) {
    app_.application.Message(ui::MessageKind::Error, settings::kReadPreferencesError);
    RestoreDefaultPreferences();
  }
  CoolCheckRadioBox1->SetChecked(settings::IsAutostartSet(app_.platform.registry));
}

void TCorvaneMain::ClearHotkeyAndSound() {
  settings::LiveSettings& live = app_.live;
  live.hotkeyEnabled.Set(false);
  live.hideIEWindows.Set(false);
  live.toggleMute.Set(false);
  live.hideAllBrowsers.Set(settings::value::kHotkeyAllBrowsers.fallback != 0);
  live.soundIndex.Set(settings::value::kSoundIndex.fallback);
}

void TCorvaneMain::RestoreDefaultPreferences() {
  CoolCheckRadioBox1->SetChecked(false);
  app_.live.autoCleaner.Set(settings::value::kAutoCleaner.fallback != 0);
  app_.live.cleanOnBrowserClose.Set(settings::value::kCleanOnBrowserClose.fallback != 0);
  schedule_.Stop();
  ClearHotkeyAndSound();

  app_.settings.Change([](settings::SettingsKey& key) {
    for (const char* name : cleaner::CleanerValueNames) key.RestoreDefault(settings::CleanerSwitch(name));
    for (const browsers::BrowserRow& browser : browsers::kBrowsers)
      key.RestoreDefault(settings::BrowserSwitch(browser.settingName));
    for (const settings::Setting* setting : settings::kSettings) key.RestoreDefault(*setting);
  });
  settings::ClearCommunityChoices(app_.platform.registry);
}

}  // namespace forms
