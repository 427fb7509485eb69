// The pop-up blocker module, cvblock.dll beside the program: its one-time
// registration with the system.
#pragma once

#include "platform/Process.h"

namespace services {

// Loads the module from the program's own folder (never through the search
// path), where it stays until the process ends, and calls its
// DllRegisterServer. True only when that reports success: without the module
// or its export, or when it could not register (a standard user may not write
// where it registers), the caller tries again at the next start.
bool RegisterBlockerModule(platform::Process& process);

}  // namespace services
