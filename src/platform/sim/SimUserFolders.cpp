// A Windows 10 or 11 user's folders.
#include "platform/sim/SimUserFolders.h"

#include <string>

namespace platform::sim {

void AddWindowsUserFolders(SimFileSystem& files, SimShell& shell) {
  std::string recent, cache, netHood;
  shell.SpecialFolder(kCsidlRecent, &recent);
  shell.SpecialFolder(kCsidlInternetCache, &cache);
  shell.SpecialFolder(kCsidlNetHood, &netHood);
  files.AddDirectory(recent + "\\AutomaticDestinations");
  shell.SetJumpList("Microsoft.Windows.Explorer", {{kQuickAccessPin}, {}, {}});
  files.AddFile(kCustomDestinations, "tasks");
  files.AddDirectory(cache + "\\IE");
  files.AddFile(kOutlookAttachment, "the attachment as the user edited it");
  files.AddFile(kOfficeWorkingFile, "a document Office keeps open");
  files.AddFile(kWordWorkingFile, "Word's recovery copy");
  files.AddDirectory(netHood);
}

}  // namespace platform::sim
