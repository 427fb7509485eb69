// Starting with Windows: the value `Corvane` under HKEY_CURRENT_USER's Run
// key, whose presence is what the main window's first box shows.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace settings {

// True when the Run key opens and holds the value; false on any registry error.
bool IsAutostartSet(platform::Registry& registry);
// Writes the value with `executable` (on) or deletes it (off), in the Run key
// only if it exists. True when Windows will do at the next logon what was asked.
bool SetAutostart(platform::Registry& registry, bool on, const std::string& executable);

}  // namespace settings
