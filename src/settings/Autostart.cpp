// The autostart value.
#include "settings/Autostart.h"

#include <algorithm>
#include <vector>

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

void RecordAutostartUser(SettingsAccessor& settings, const std::string& sid, bool on) {
  if (sid.empty()) return;
  settings.Change([&sid, on](SettingsKey& key) {
    const std::string listed = key.StringOrEmpty(kAutostartUsers);
    std::vector<std::string> users;
    for (size_t start = 0; start <= listed.size();) {
      size_t end = std::min(listed.find(';', start), listed.size());
      std::string user = listed.substr(start, end - start);
      if (!user.empty() && user != sid) users.push_back(std::move(user));
      start = end + 1;
    }
    if (on) users.push_back(sid);
    std::string text;
    for (const std::string& user : users) text += (text.empty() ? "" : ";") + user;
    key.WriteString(kAutostartUsers, text);
  });
}

}  // namespace settings
