// The start-up read of every preference, and the restoring of the defaults.
#include <cstdint>

#include "app/Autostart.h"
#include "cleaner/CleanerTable.h"
#include "app/CorvaneMain.h"
#include "app/Settings.h"
#include "app/SettingsAccessor.h"

namespace app {

void TCorvaneMain::LoadPreferences() {
  LiveSettings& live = app_.live;
  ClearHotkeyAndSound();
  schedule_.Stop();

  SettingsOutcome read = app_.settings.Load([this, &live](SettingsKey& key) {
    ComboBox1->SetItemIndex(key.IntegerOrWrite(value::kCleanerSchedule, -1));
    shownSchedule_ = ComboBox1->itemIndex();
    schedule_.Reset(shownSchedule_);

    const bool autoCleaner = key.BoolOrWrite(value::kAutoCleaner, false);
    CoolCheckRadioBox2->SetChecked(autoCleaner);
    MenuEnableAutoHistoryCleaner->SetChecked(autoCleaner);
    schedule_.RunIf(autoCleaner);

    live.popupBlocking.Set(key.BoolOrWrite(value::kPopupBlocking, false));
    live.soundNotification.Set(key.BoolOrWrite(value::kSoundNotification, true));
    live.soundIndex.Set(key.IntegerOrWrite(value::kSoundIndex, 0));
    live.animTrayIcon.Set(key.BoolOrWrite(value::kAnimTrayIcon, true));

    // Switched on, the hotkey is registered (see FollowLiveSettings); the
    // start writes the combination of a missing one.
    live.hotkeyEnabled.Set(key.BoolOrWrite(value::kWindowsHotKey, false));
    if (live.hotkeyEnabled.value()) key.IntegerOrWrite(value::kHotkeyCombination, 1);
    live.hideIEWindows.Set(key.BoolOrWrite(value::kIEWHotKey, false));
    live.toggleMute.Set(key.BoolOrWrite(value::kWinVolControl, false));

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
  live.soundIndex.Set(0);
}

void TCorvaneMain::RestoreDefaultPreferences() {
  CoolCheckRadioBox1->SetChecked(false);
  CoolCheckRadioBox2->SetChecked(false);
  schedule_.Stop();
  ClearHotkeyAndSound();

  app_.settings.Change([](SettingsKey& key) {
    for (const char* name : cleaner::CleanerValueNames) key.BoolOrWrite(name, false);
    for (const char* name : {value::kPopupBlocking, value::kSoundNotification, value::kAnimTrayIcon,
                             value::kWindowsHotKey, value::kWinVolControl, value::kIEWHotKey, value::kAutoCleaner,
                             value::kIEStatus}) {
      key.BoolOrWrite(name, false);
    }
    key.WriteInteger(value::kSoundIndex, 0);
    key.WriteInteger(value::kHotkeyCombination, 1);
    key.WriteInteger(value::kCleanerSchedule, -1);
    key.WriteInteger(value::kEliminatedPopups, 0);
  });
}

}  // namespace app
