// Loading a switch of the live settings into a window, and storing one.
#include "app/LiveSettings.h"

#include "app/SettingsAccessor.h"
#include "ui/Controls.h"

namespace app {

void LoadSwitch(SettingsKey& key, const std::string& name, Watched<bool>& live, ui::CheckBox& box) {
  live.Set(key.BoolOrWrite(name, false));
  box.SetChecked(live.value());
}

bool StoreSwitch(SettingsAccessor& settings, const std::string& name, Watched<bool>& live, bool on) {
  if (!settings.StoreBool(name, on)) return false;
  live.Set(on);
  return true;
}

}  // namespace app
