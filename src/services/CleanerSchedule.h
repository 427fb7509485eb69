// The auto history cleaner's timer. It runs only while the cleaner is on and
// a schedule (a CleanerSchedule of 0 or more) is set, with the interval of
// the chosen entry of the list, and starts a cleaning at every tick.
#pragma once

#include <cstdint>
#include <functional>

#include "settings/SettingsAccessor.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace services {

class CleanerSchedule {
 public:
  CleanerSchedule(ui::Form& owner, settings::SettingsAccessor& settings, std::function<void()> onTick);

  // The interval of entry `index` of the list, in ms; 15 minutes for an
  // index without an entry (-1 included).
  static uint32_t IntervalFor(int index);
  // CleanerSchedule is stored and not negative. Only reads.
  bool IsSet();

  ui::Timer& timer() { return timer_; }
  void Stop() { timer_.SetEnabled(false); }
  // Stops the timer and gives it the interval of entry `index`.
  void Reset(int index);
  // Runs the timer when `on` and a schedule is set, and stops it otherwise.
  // Started again, it counts a full interval from now.
  void RunIf(bool on) { timer_.SetEnabled(on && IsSet()); }

 private:
  settings::SettingsAccessor& settings_;
  ui::Timer timer_;
};

}  // namespace services
