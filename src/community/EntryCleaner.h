// The interpreter: one entry's FileKeys, RegKeys and ExcludeKeys run through
// the engine every cleaner uses (folders opened as themselves, each entry
// opened and deleted through its folder's handle, links removed as links
// and never followed) on the run's recorded platform, so the preview and
// the report need no code per entry. The safety rules live here, once:
// protected folders and keys, a database's hot journal, cookie stores
// cleaned with the keep-list, saved passwords only where the entry names
// them, files in use and running browsers skipped and named.
#pragma once

#include <atomic>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cleaner/CleanerSteps.h"
#include "community/Definitions.h"
#include "community/Places.h"
#include "community/Variables.h"
#include "platform/Platform.h"
#include "util/Text.h"

namespace community {

// What the entries of one run share.
struct RunContext {
  explicit RunContext(platform::Platform& platform)
      : folders(platform), protectedFolders(platform), running(platform.process.RunningProgramNames()) {}
  SystemFolders folders;
  ProtectedFolders protectedFolders;
  std::vector<std::string> running;  // the programs running as the run began
  // The cookie keep-list, read when a cookie store is first met.
  std::optional<std::vector<std::string>> keepList;
};

// Runs `entry` on the platform of `run` (the worker of a cleaning run or a
// preview), noting what it leaves alone there.
void CleanEntry(const Entry& entry, RunContext& context, cleaner::CleanerSteps& run);

// The rows of the browser table whose data folders a rule of `entry`
// reaches: such an entry is skipped while that browser runs.
std::vector<size_t> BrowsersOf(const Entry& entry, SystemFolders& folders, platform::FileSystem& files);

}  // namespace community
