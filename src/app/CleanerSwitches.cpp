// The cleaner switches of a run.
#include "app/CleanerSwitches.h"

#include "app/SettingsAccessor.h"

namespace app {

std::string ReadCleanerSwitches(platform::Registry& registry, bool createKey, CleanerSelection* switches) {
  switches->fill(false);
  SettingsAccessor settings(registry);
  auto readAll = [switches](SettingsKey& key) {
    for (size_t i = 0; i < kCleanerCount; ++i) (*switches)[i] = key.BoolIfPresent(CleanerValueNames[i]).value_or(false);
  };
  SettingsOutcome read = createKey ? settings.Read(readAll) : settings.ReadExisting(readAll);
  if (!read.opened) return "the selected cleaners could not be read: the settings key cannot be opened";
  if (!read.error.empty()) return "the selected cleaners could not be read from the settings (" + read.error + ")";
  return {};
}

void CopySwitchesTo(const CleanerSelection& switches, cleaner::TUWHCleanerThrd& worker) {
  for (size_t i = 0; i < kCleanerCount; ++i) {
    worker.*kCleaners[i].step = switches[i];
    if (kCleaners[i].alsoStep) worker.*kCleaners[i].alsoStep = switches[i];
  }
}

std::optional<size_t> CleanerRowOf(StepSwitch step) {
  for (size_t i = 0; i < kCleanerCount; ++i) {
    if (kCleaners[i].step == step || kCleaners[i].alsoStep == step) return i;
  }
  return std::nullopt;
}

}  // namespace app
