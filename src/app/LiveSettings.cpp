// Loading a switch of the live settings into a window.
#include "app/LiveSettings.h"

#include "app/SettingsAccessor.h"
#include "ui/Controls.h"

namespace app {

void LoadSwitch(SettingsKey& key, const std::string& name, Watched<bool>& live, ui::CheckBox& box) {
  live.Set(key.BoolOrWrite(name, false));
  box.SetChecked(live.value());
}

}  // namespace app
