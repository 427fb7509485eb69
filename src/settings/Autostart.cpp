// The autostart value.
#include "settings/Autostart.h"

#include "settings/RegistryAccessor.h"
#include "settings/Settings.h"

namespace settings {

using platform::RegAccess;
using platform::RegRoot;

bool IsAutostartSet(platform::Registry& registry) {
  RegistryAccessor run(registry, RegRoot::CurrentUser, RegAccess::QueryOnly);
  return run.OpenKey(kRunKey, false) && run.ValueExists(kRunValue);
}

bool SetAutostart(platform::Registry& registry, bool on, const std::string& executable) {
  RegistryAccessor run(registry, RegRoot::CurrentUser, RegAccess::SetOnly);
  if (!run.OpenKey(kRunKey, false)) return false;
  try {
    if (!on) return run.DeleteValue(kRunValue);
    // Quoted: unquoted, a path with blanks ("C:\Program Files\...") would be
    // started as "C:\Program.exe" first, should such a file exist.
    run.WriteString(kRunValue, "\"" + executable + "\"");
    return true;
  } catch (const RegistryError&) {
    return false;
  }
}

}  // namespace settings
