// The cleaner switches of the settings key, read for a run: one way for the
// history window, the schedule and the command line alike.
#pragma once

#include <string>

#include "browsers/BrowserTable.h"
#include "cleaner/CleanerTable.h"
#include "platform/Registry.h"

namespace settings {

using cleaner::CleanerSelection;

// Reads every cleaner switch into *switches (a missing one is off, as the
// window would write it) and every browser switch into *browsers (a missing
// one is on). Empty when all were read; otherwise why not, and then the
// selection is unknown and no run may start on it. With `createKey` a
// missing settings key is made first.
std::string ReadCleanerSwitches(platform::Registry& registry, bool createKey, CleanerSelection* switches,
                                browsers::BrowserSelection* browsers);

}  // namespace settings
