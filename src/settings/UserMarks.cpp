// The marks kept for each user.
#include "settings/UserMarks.h"

#include "settings/RegistryAccessor.h"

namespace settings {

namespace {
constexpr const char* kTrayHintShown = "TrayIconHintShown";
}  // namespace

bool TrayHintShown(platform::Registry& registry) {
  RegistryAccessor user(registry, platform::RegRoot::CurrentUser, platform::RegAccess::QueryOnly);
  return user.OpenKey(kUserKey, false) && user.ValueExists(kTrayHintShown);
}

// A mark that cannot be written shows the hint again at the next start.
void RememberTrayHintShown(platform::Registry& registry) {
  RegistryAccessor user(registry, platform::RegRoot::CurrentUser, platform::RegAccess::SetOnly);
  if (!user.OpenKey(kUserKey, true)) return;
  try {
    user.WriteBool(kTrayHintShown, true);
  } catch (const RegistryError&) {
  }
}

}  // namespace settings
