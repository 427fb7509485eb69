// The start-up read of every preference, and the restoring of the defaults.
#include <cstdint>

#include "app/CleanerTable.h"
#include "app/CorvaneMain.h"
#include "app/RegistryAccessor.h"
#include "app/Settings.h"

namespace app {

using platform::RegRoot;

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

  RegistryAccessor reg(app_.platform.registry, RegRoot::LocalMachine);
  if (!reg.OpenKey(settingsKey_, false)) {
    app_.application.Message(ui::MessageKind::Error, kReadPreferencesError);
    RestoreDefaultPreferences();
  } else {
    try {
      if (reg.ValueExists(value::kCleanerSchedule)) {
        ComboBox1->SetItemIndex(reg.ReadInteger(value::kCleanerSchedule));
      } else {
        reg.WriteInteger(value::kCleanerSchedule, -1);
        ComboBox1->SetItemIndex(-1);
      }
      shownSchedule_ = ComboBox1->itemIndex();
      Timer1->SetInterval(ScheduleInterval());

      if (reg.ValueExists(value::kAutoCleaner)) {
        bool on = reg.ReadBool(value::kAutoCleaner);
        CoolCheckRadioBox2->SetChecked(on);
        MenuEnableAutoHistoryCleaner->SetChecked(on);
        if (on) Timer1->SetEnabled(IsCleanerScheduleSet());
      } else {
        CoolCheckRadioBox2->SetChecked(false);
        MenuEnableAutoHistoryCleaner->SetChecked(false);
        reg.WriteBool(value::kAutoCleaner, false);
      }

      if (reg.ValueExists(value::kPopupBlocking)) {
        EnablePopupBlocking1->SetChecked(reg.ReadBool(value::kPopupBlocking));
      } else {
        reg.WriteBool(value::kPopupBlocking, false);
        EnablePopupBlocking1->SetChecked(false);
      }

      if (reg.ValueExists(value::kSoundNotification)) {
        Playasoundwhenapopupwindowisblocked1->SetChecked(reg.ReadBool(value::kSoundNotification));
      } else {
        Playasoundwhenapopupwindowisblocked1->SetChecked(true);
        reg.WriteBool(value::kSoundNotification, true);
      }

      if (reg.ValueExists(value::kSoundIndex)) {
        soundIndex = reg.ReadInteger(value::kSoundIndex);
      } else {
        soundIndex = 0;
        reg.WriteInteger(value::kSoundIndex, 0);
      }

      if (reg.ValueExists(value::kAnimTrayIcon)) {
        Animatesystemtrayiconwhenapopupwindowisblocked1->SetChecked(reg.ReadBool(value::kAnimTrayIcon));
      } else {
        Animatesystemtrayiconwhenapopupwindowisblocked1->SetChecked(true);
        reg.WriteBool(value::kAnimTrayIcon, true);
      }

      hotkeyEnabled = hideIEWindows = toggleMute = false;

      if (reg.ValueExists(value::kWindowsHotKey)) {
        hotkeyEnabled = reg.ReadBool(value::kWindowsHotKey);
        MenuEnableBossKey->SetChecked(hotkeyEnabled);
        if (hotkeyEnabled) {
          if (reg.ValueExists(value::kHotkeyCombination)) {
            RegisterBossKey(AsCombination(reg.ReadInteger(value::kHotkeyCombination)));
          } else {
            reg.WriteInteger(value::kHotkeyCombination, 1);
            RegisterBossKey(1);
          }
        }
      } else {
        reg.WriteBool(value::kWindowsHotKey, false);
        hotkeyEnabled = false;
        MenuEnableBossKey->SetChecked(false);
      }

      if (reg.ValueExists(value::kIEWHotKey)) {
        hideIEWindows = reg.ReadBool(value::kIEWHotKey);
      } else {
        reg.WriteBool(value::kIEWHotKey, false);
        hideIEWindows = false;
      }

      if (reg.ValueExists(value::kWinVolControl)) {
        toggleMute = reg.ReadBool(value::kWinVolControl);
      } else {
        reg.WriteBool(value::kWinVolControl, false);
        toggleMute = false;
      }

      reg.WriteBool(value::kIEStatus, false);
    } catch (const RegistryError&) {
      // The reading stops at the first registry error; later values keep their state.
    }
    reg.CloseKey();
  }

  bool autostart = false;
  try {
    RegistryAccessor run(app_.platform.registry, RegRoot::CurrentUser, platform::RegAccess::QueryOnly);
    autostart = run.OpenKey(kRunKey, false) && run.ValueExists(kRunValue);
  } catch (const RegistryError&) {
    autostart = false;
  }
  CoolCheckRadioBox1->SetChecked(autostart);
}

void TCorvaneMain::RestoreDefaultPreferences() {
  CoolCheckRadioBox1->SetChecked(false);
  CoolCheckRadioBox2->SetChecked(false);
  Timer1->SetEnabled(false);
  hotkeyEnabled = hideIEWindows = toggleMute = false;
  soundIndex = 0;

  WithSettingsKey(app_.platform.registry, true, [](RegistryAccessor& reg) {
    auto writeFalseWhenMissing = [&reg](const char* name) {
      if (!reg.ValueExists(name)) reg.WriteBool(name, false);
    };
    for (const char* name : CleanerValueNames) writeFalseWhenMissing(name);
    for (const char* name : {value::kPopupBlocking, value::kSoundNotification, value::kAnimTrayIcon,
                             value::kWindowsHotKey, value::kWinVolControl, value::kIEWHotKey, value::kAutoCleaner,
                             value::kIEStatus}) {
      writeFalseWhenMissing(name);
    }
    reg.WriteInteger(value::kSoundIndex, 0);
    reg.WriteInteger(value::kHotkeyCombination, 1);
    reg.WriteInteger(value::kCleanerSchedule, -1);
    reg.WriteInteger(value::kEliminatedPopups, 0);
  });
}

}  // namespace app
