// The cleaner switches of a run.
#include "app/CleanerSwitches.h"

#include "app/RegistryAccessor.h"

namespace app {

std::string ReadCleanerSwitches(platform::Registry& registry, bool createKey, CleanerSelection* switches) {
  switches->fill(false);
  std::string problem;
  bool opened = WithSettingsKey(registry, createKey, [&](RegistryAccessor& reg) {
    for (size_t i = 0; i < kCleanerCount; ++i) {
      const char* name = CleanerValueNames[i];
      try {
        (*switches)[i] = reg.ValueExists(name) && reg.ReadBool(name);
      } catch (const RegistryError& e) {
        problem = std::string("the selected cleaners could not be read from the settings (") + e.what() + ")";
        return;
      }
    }
  }, platform::RegAccess::QueryOnly);
  if (!opened) return "the selected cleaners could not be read: the settings key cannot be opened";
  return problem;
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
