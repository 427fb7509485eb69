// The cleaner switches of the settings key, read for a run and handed to
// its worker: one way for the history window, the schedule and the command
// line alike.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/CleanerTable.h"
#include "platform/Registry.h"

namespace app {

// One switch per row of the table of cleaners, in its order.
using CleanerSelection = std::array<bool, kCleanerCount>;

// Reads every switch into *switches (a missing one is off, as the window
// would write it). Empty when all were read; otherwise why not, and then the
// selection is unknown and no run may start on it. With `createKey` a
// missing settings key is made first.
std::string ReadCleanerSwitches(platform::Registry& registry, bool createKey, CleanerSelection* switches);

// Sets the worker's step switches from the selection.
void CopySwitchesTo(const CleanerSelection& switches, cleaner::TUWHCleanerThrd& worker);

// The row of the table whose cleaner sets this step switch.
std::optional<size_t> CleanerRowOf(StepSwitch step);

}  // namespace app
