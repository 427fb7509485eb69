// The community entries the user chose: the subkey Community of the
// settings key, one REG_DWORD per chosen entry, named as in its file
// without the trailing " *", 1 for chosen. Restoring the defaults clears it.
#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace settings {

// Below kSettingsKey.
constexpr const char* kCommunityKey = "Community";
// The address the community cleaners window gets the latest definitions
// from, a text value of the settings key; missing, the project's own.
constexpr const char* kCommunityCleanersUrl = "CommunityCleanersUrl";

// The value of CommunityCleanersUrl, or the project's address when it is
// missing or empty.
std::string CommunityCleanersUrl(platform::Registry& registry);

// The names of the chosen entries into *names (none when the subkey is
// missing). Empty when read; otherwise why not, and then what is chosen is
// unknown.
std::string ReadCommunityChoices(platform::Registry& registry, std::vector<std::string>* names);

// Chooses an entry (1), or unchooses it (its value removed); false when
// that could not be stored.
bool StoreCommunityChoice(platform::Registry& registry, const std::string& name, bool chosen);

// Removes every choice; the subkey itself stays, with the access the
// installer gave it.
void ClearCommunityChoices(platform::Registry& registry);

}  // namespace settings
