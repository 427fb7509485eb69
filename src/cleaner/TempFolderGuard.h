// Whether the folder the system names as the temporary folder may be
// emptied: with TMP and TEMP unset or set by mistake, it can be one of the
// system's or the user's own folders, and emptying that would be a disaster.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace cleaner {

// False for a drive root; for a folder whose long form the system cannot
// give (a short name is not compared); for every known folder (the
// profile, Documents, Downloads, Pictures, Music, Videos, Desktop, OneDrive,
// the application data folders, the public ones) and every folder that
// holds one; and for Program Files and Windows and everything below them.
// Names are compared as the file system compares them. A temporary folder
// moved with a link is emptied where the link leads, so that place is held
// to the same rules: when it alone fails them, *refusedLink (if given) is
// the folder's path. False too when the system cannot say where it leads.
bool IsPurgeableTempFolder(platform::Platform& platform, const std::string& folder, std::string* refusedLink = nullptr);

}  // namespace cleaner
