// Whether the folder the system names as the temporary folder may be
// emptied. With TMP and TEMP unset or set by mistake it can be one of the
// system's or the user's own folders; and since any account may make a
// folder at the root of the system drive, another account may have made
// the folder TEMP names, or a link in its place that leads into the user's
// data. Emptying any of those would be a disaster.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace cleaner {

// Why a temporary folder was left alone.
struct TempFolderRefusal {
  std::string folder;  // as the system named it, in its long form; empty when nothing was refused
  std::string reason;
  bool link = false;  // its name passed; the place it leads to did not
};

// Opens the temporary folder `folder` once, where it leads, and gives that
// handle when the place it reached may be emptied: the user's own
// temporary folder (the one the account's environment names), the Windows
// folder's Temp (a run as SYSTEM), or a folder outside every known folder
// (the profile, Documents, Downloads, Pictures, Music, Videos, Desktop,
// OneDrive, the application data folders, the public ones, Program Files,
// Windows) and outside every other account's profile. A drive or share
// root, a known folder and a folder that holds one are never emptied, nor
// is a place whose long form the system cannot give; the name is held to
// the same rules as the place. Purged through that handle, the folder
// checked is the folder emptied, whatever takes its name meanwhile. Null
// when the folder is missing (nothing to do) or refused (*refusal says why).
// Names are compared as the file system compares them.
std::unique_ptr<platform::FolderHandle> OpenPurgeableTempFolder(platform::Platform& platform, const std::string& folder,
                                                                TempFolderRefusal* refusal);

}  // namespace cleaner
