// Starting with Windows: the value `Corvane` under HKEY_CURRENT_USER's Run
// key, whose presence is what the main window's first box shows.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "settings/SettingsAccessor.h"

namespace settings {

// True when the Run key opens and holds the value; false on any registry error.
bool IsAutostartSet(platform::Registry& registry);
// Writes the value with `executable` (on) or deletes it (off), in the Run key
// only if it exists. True when Windows will do at the next logon what was asked.
bool SetAutostart(platform::Registry& registry, bool on, const std::string& executable);
// Adds the user `sid` to kAutostartUsers of the settings key (on) or takes
// him out. An uninstaller elevated with another account's password sees that
// account's HKEY_CURRENT_USER, not the user's: it finds the entries through
// this list. Silently nothing when the key cannot be written.
void RecordAutostartUser(SettingsAccessor& settings, const std::string& sid, bool on);

}  // namespace settings
