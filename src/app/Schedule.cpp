// The auto history cleaner: the timer, the interval list, the check box and
// the tray entry, kept in agreement. The timer runs only while the cleaner is
// on and a schedule (a non-negative CleanerSchedule) is set.
#include <cstdint>

#include "app/CorvaneMain.h"
#include "app/SettingsAccessor.h"
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
  app_.settings.Change([&set](SettingsKey& key) { set = key.IntegerOrWrite(value::kCleanerSchedule, -1) >= 0; });
  return set;
}

void TCorvaneMain::Timer1Timer() { app_.HistoryCleanerPref->StartHistoryCleaner(); }

// Leaving the list stores its interval and restarts the countdown, even when
// the interval is the same.
void TCorvaneMain::ComboBox1Exit() {
  const int index = ComboBox1->itemIndex();
  if (!app_.settings.Change([index](SettingsKey& key) { key.WriteInteger(value::kCleanerSchedule, index); }).done()) {
    // An interval the user did not change has nothing to report.
    if (index != shownSchedule_) {
      ComboBox1->SetItemIndex(shownSchedule_);
      app_.settings.ShowApplySettingsError();
    }
    return;
  }
  shownSchedule_ = index;
  Timer1->SetEnabled(false);
  Timer1->SetInterval(ScheduleInterval());
  if (CoolCheckRadioBox2->checked()) Timer1->SetEnabled(IsCleanerScheduleSet());
}

void TCorvaneMain::CoolCheckRadioBox2Click() {
  const bool on = CoolCheckRadioBox2->checked();
  if (!app_.settings.StoreBool(value::kAutoCleaner, on)) {
    CoolCheckRadioBox2->SetChecked(!on);
    return;
  }
  MenuEnableAutoHistoryCleaner->SetChecked(on);
  Timer1->SetEnabled(on && IsCleanerScheduleSet());
}

void TCorvaneMain::MenuEnableAutoHistoryCleanerClick() {
  const bool on = !MenuEnableAutoHistoryCleaner->checked();
  if (!app_.settings.StoreBool(value::kAutoCleaner, on)) return;
  MenuEnableAutoHistoryCleaner->SetChecked(on);
  CoolCheckRadioBox2->SetChecked(on);
  Timer1->SetEnabled(on && IsCleanerScheduleSet());
}

}  // namespace app
