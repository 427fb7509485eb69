// What the program remembers for each user apart from the autostart value:
// under the user's own key, since the settings key is the machine's.
#pragma once

#include "platform/Registry.h"

namespace settings {

// HKEY_CURRENT_USER\Software\Tessaly\Corvane.
constexpr const char* kUserKey = "Software\\Tessaly\\Corvane";

// The hint that tells where the tray icon is has been shown to this user.
bool TrayHintShown(platform::Registry& registry);
void RememberTrayHintShown(platform::Registry& registry);

}  // namespace settings
