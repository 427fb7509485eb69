// Whether an entry's application is on this machine: looked at only when
// someone asks (the window, /list, a run of the chosen entries), never at
// start.
#pragma once

#include "community/Definitions.h"
#include "community/Variables.h"
#include "platform/Platform.h"

namespace community {

// An entry is offered when any of its detect keys matches (a registry key
// exists, in either view where Windows redirects it; a path exists, with
// wildcards in any part; the browser a SpecialDetect names has its data
// here); one without any is offered always. A DetectOS range holds it to
// those Windows versions. An entry with nothing it can clean is never offered.
bool IsDetected(const Entry& entry, platform::Platform& platform, SystemFolders& folders);

// Whether the path of the format (variables, wildcards) names something
// that exists here.
bool PathExists(const std::string& path, platform::FileSystem& files, SystemFolders& folders);

}  // namespace community
