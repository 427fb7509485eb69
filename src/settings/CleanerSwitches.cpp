// The cleaner switches of a run.
#include "settings/CleanerSwitches.h"

#include "settings/SettingsAccessor.h"

namespace settings {

std::string ReadCleanerSwitches(platform::Registry& registry, bool createKey, CleanerSelection* switches,
                                browsers::BrowserSelection* browsers) {
  switches->fill(false);
  browsers->fill(false);
  SettingsAccessor settings(registry);
  auto readAll = [switches, browsers](SettingsKey& key) {
    for (size_t i = 0; i < cleaner::kCleanerCount; ++i) {
      (*switches)[i] = key.BoolOrFallback(CleanerSwitch(cleaner::CleanerValueNames[i]));
    }
    for (size_t i = 0; i < browsers::kBrowserCount; ++i) {
      (*browsers)[i] = key.BoolOrFallback(BrowserSwitch(browsers::kBrowsers[i].settingName));
    }
  };
  SettingsOutcome read = createKey ? settings.Read(readAll) : settings.ReadExisting(readAll);
  if (!read.opened) return "the selected cleaners could not be read: the settings key cannot be opened";
  if (!read.error.empty()) return "the selected cleaners could not be read from the settings (" + read.error + ")";
  return {};
}

}  // namespace settings
