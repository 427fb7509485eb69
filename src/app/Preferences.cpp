// The start-up read of every preference, and the restoring of the defaults.
#include <cstdint>

#include "app/CleanerTable.h"
#include "app/CorvaneMain.h"
#include "app/Autostart.h"
#include "app/SettingsAccessor.h"
#include "app/Settings.h"

namespace app {

namespace {
// A stored combination outside the 16-bit range names no row, rather than
// wrapping round onto one.
int16_t AsCombination(int32_t stored) {
  return stored >= INT16_MIN && stored <= INT16_MAX ? static_cast<int16_t>(stored) : -1;
}
}  // namespace

void TCorvaneMain::LoadPreferences() {
  hotkeyEnabled = hideIEWindows = toggleMute = false;
  soundIndex = 0;
  Timer1->SetEnabled(false);

  SettingsOutcome read = app_.settings.Load([this](SettingsKey& key) {
    ComboBox1->SetItemIndex(key.IntegerOrWrite(value::kCleanerSchedule, -1));
    shownSchedule_ = ComboBox1->itemIndex();
    Timer1->SetInterval(ScheduleInterval());

    const bool autoCleaner = key.BoolOrWrite(value::kAutoCleaner, false);
    CoolCheckRadioBox2->SetChecked(autoCleaner);
    MenuEnableAutoHistoryCleaner->SetChecked(autoCleaner);
    if (autoCleaner) Timer1->SetEnabled(IsCleanerScheduleSet());

    EnablePopupBlocking1->SetChecked(key.BoolOrWrite(value::kPopupBlocking, false));
    Playasoundwhenapopupwindowisblocked1->SetChecked(key.BoolOrWrite(value::kSoundNotification, true));
    soundIndex = key.IntegerOrWrite(value::kSoundIndex, 0);
    Animatesystemtrayiconwhenapopupwindowisblocked1->SetChecked(key.BoolOrWrite(value::kAnimTrayIcon, true));

    hotkeyEnabled = key.BoolOrWrite(value::kWindowsHotKey, false);
    MenuEnableBossKey->SetChecked(hotkeyEnabled);
    if (hotkeyEnabled) RegisterBossKey(AsCombination(key.IntegerOrWrite(value::kHotkeyCombination, 1)));
    hideIEWindows = key.BoolOrWrite(value::kIEWHotKey, false);
    toggleMute = key.BoolOrWrite(value::kWinVolControl, false);

    key.WriteBool(value::kIEStatus, false);
  });
  if (!read.opened) {
    app_.application.Message(ui::MessageKind::Error, kReadPreferencesError);
    RestoreDefaultPreferences();
  }
  CoolCheckRadioBox1->SetChecked(IsAutostartSet(app_.platform.registry));
}

void TCorvaneMain::RestoreDefaultPreferences() {
  CoolCheckRadioBox1->SetChecked(false);
  CoolCheckRadioBox2->SetChecked(false);
  Timer1->SetEnabled(false);
  hotkeyEnabled = hideIEWindows = toggleMute = false;
  soundIndex = 0;

  app_.settings.Change([](SettingsKey& key) {
    for (const char* name : CleanerValueNames) key.BoolOrWrite(name, false);
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
