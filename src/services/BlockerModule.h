// The pop-up blocker module, cvblock.dll beside the program: its one-time
// registration with the system.
#pragma once

#include <cstdint>

#include "platform/Process.h"
#include "settings/SettingsAccessor.h"

namespace services {

// The blocked pop-up windows an announcement hands over to be counted here:
// the module tags its data identifier with 0x4356 ("CV") in the high word and
// their number in the low word when it could not count them itself (at Low
// integrity, in Internet Explorer's protected mode, the settings key cannot
// be written). Any other identifier (0, as the module sends when it counted
// them, or another sender's) hands over none.
uint32_t UncountedPopups(uintptr_t dataId);
// Adds `popups` to EPWC, stopping at its largest value.
void CountEliminatedPopups(settings::SettingsAccessor& settings, uint32_t popups);

enum class BlockerRegistration {
  Done,
  Denied,  // the user may not write where it registers: the installer, run as an administrator, does
  Failed,  // no module, no export, or another failure: tried again at the next start
};

// Loads the module from the program's own folder (never through the search
// path), where it stays until the process ends, and calls its
// DllRegisterServer.
BlockerRegistration RegisterBlockerModule(platform::Process& process);

}  // namespace services
