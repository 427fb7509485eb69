// The community entries a user chose, as cleaners of a cleaning run.
#pragma once

#include <string>
#include <vector>

#include "cleaner/CleanerThread.h"
#include "platform/Platform.h"

namespace community {

// Reads the definitions (on the run's own thread and platform) and gives
// one cleaner per chosen name, in the order of group and name: a detected
// entry runs; one no longer in the definitions, or whose application is
// not on this machine, is named as not run. Nothing is read when nothing
// is chosen.
std::vector<cleaner::ExtraCleaner> ChosenCleaners(platform::Platform& platform, const std::vector<std::string>& chosen);

}  // namespace community
