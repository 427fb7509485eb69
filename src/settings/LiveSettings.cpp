// Loading a switch of the live settings into a window, and storing one.
#include "settings/LiveSettings.h"

#include "settings/SettingsAccessor.h"
#include "ui/Controls.h"

namespace settings {

void LoadSwitch(SettingsKey& key, const Setting& setting, Watched<bool>& live, ui::CheckBox& box) {
  live.Set(key.BoolOrDefault(setting));
  box.SetChecked(live.value());
}

bool StoreSwitch(SettingsAccessor& settings, const Setting& setting, Watched<bool>& live, bool on) {
  if (!settings.StoreBool(setting, on)) return false;
  live.Set(on);
  return true;
}

}  // namespace settings
