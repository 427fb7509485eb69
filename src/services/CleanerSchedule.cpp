// The auto history cleaner's timer.
#include "services/CleanerSchedule.h"

#include <array>

#include "settings/Settings.h"

namespace services {

namespace {
// The entries of the interval list, "15 Minutes" to "12 Hours".
constexpr std::array<uint32_t, 14> kIntervals = {900000,   1800000,  3600000,  7200000,  10800000, 14400000, 18000000,
                                                 21600000, 25200000, 28800000, 32400000, 36000000, 39600000, 43200000};
// The timer as the window defines it, kept when the key cannot be read at start.
constexpr uint32_t kDefinedInterval = 1800000;
}  // namespace

CleanerSchedule::CleanerSchedule(ui::Form& owner, settings::SettingsAccessor& settings, std::function<void()> onTick)
    : settings_(settings), timer_(owner, kDefinedInterval) {
  timer_.OnTimer = std::move(onTick);
}

uint32_t CleanerSchedule::IntervalFor(int index) {
  return index >= 0 && static_cast<size_t>(index) < kIntervals.size() ? kIntervals[static_cast<size_t>(index)]
                                                                      : kIntervals[0];
}

bool CleanerSchedule::IsSet() {
  int32_t schedule = settings::value::kCleanerSchedule.fallback;
  settings_.ReadExisting(
      [&schedule](settings::SettingsKey& key) { schedule = key.IntegerOrFallback(settings::value::kCleanerSchedule); });
  return schedule >= 0;
}

void CleanerSchedule::Reset(int index) {
  timer_.SetEnabled(false);
  timer_.SetInterval(IntervalFor(index));
}

}  // namespace services
