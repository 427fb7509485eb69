// The auto history cleaner: the timer, the interval list, the check box and
// the tray entry, kept in agreement. The timer runs only while the cleaner is
// on and a schedule (a non-negative CleanerSchedule) is set.
#include <cstdint>

#include "app/CorvaneMain.h"
#include "app/RegistryAccessor.h"
#include "app/Settings.h"
#include "forms/HistoryCleaner.h"

namespace app {

uint32_t TCorvaneMain::ScheduleInterval() {
  static const uint32_t kIntervals[] = {900000,   1800000,  3600000,  7200000,  10800000, 14400000, 18000000,
                                        21600000, 25200000, 28800000, 32400000, 36000000, 39600000, 43200000};
  int index = ComboBox1->itemIndex();
  return index >= 0 && index < 14 ? kIntervals[index] : 900000;
}

bool TCorvaneMain::IsCleanerScheduleSet() {
  bool set = false;
  WithSettingsKey(app_.platform.registry, true, [&set](RegistryAccessor& reg) {
    if (reg.ValueExists(value::kCleanerSchedule)) {
      set = reg.ReadInteger(value::kCleanerSchedule) >= 0;
    } else {
      reg.WriteInteger(value::kCleanerSchedule, -1);
    }
  });
  return set;
}

void TCorvaneMain::Timer1Timer() { app_.HistoryCleanerPref->StartHistoryCleaner(); }

void TCorvaneMain::ComboBox1Exit() {
  WithSettingsKey(app_.platform.registry, true, [this](RegistryAccessor& reg) {
    reg.WriteInteger(value::kCleanerSchedule, ComboBox1->itemIndex());
    Timer1->SetEnabled(false);
    Timer1->SetInterval(ScheduleInterval());
    if (CoolCheckRadioBox2->checked()) Timer1->SetEnabled(IsCleanerScheduleSet());
  });
}

void TCorvaneMain::CoolCheckRadioBox2Click() {
  bool opened = WithSettingsKey(app_.platform.registry, true, [this](RegistryAccessor& reg) {
    if (CoolCheckRadioBox2->checked()) {
      reg.WriteBool(value::kAutoCleaner, true);
      MenuEnableAutoHistoryCleaner->SetChecked(true);
      Timer1->SetEnabled(IsCleanerScheduleSet());
    } else {
      reg.WriteBool(value::kAutoCleaner, false);
      MenuEnableAutoHistoryCleaner->SetChecked(false);
      Timer1->SetEnabled(false);
    }
  });
  if (!opened) {
    MenuEnableAutoHistoryCleaner->SetChecked(false);
    Timer1->SetEnabled(false);
  }
}

void TCorvaneMain::MenuEnableAutoHistoryCleanerClick() {
  bool opened = WithSettingsKey(app_.platform.registry, true, [this](RegistryAccessor& reg) {
    if (MenuEnableAutoHistoryCleaner->checked()) {
      MenuEnableAutoHistoryCleaner->SetChecked(false);
      CoolCheckRadioBox2->SetChecked(false);
      Timer1->SetEnabled(false);
      reg.WriteBool(value::kAutoCleaner, false);
    } else {
      MenuEnableAutoHistoryCleaner->SetChecked(true);
      CoolCheckRadioBox2->SetChecked(true);
      Timer1->SetEnabled(IsCleanerScheduleSet());
      reg.WriteBool(value::kAutoCleaner, true);
    }
  });
  if (!opened) ShowApplySettingsError();
}

}  // namespace app
