// Files the program writes for the user in a folder that someone else may
// turn into a link (a junction, a symbolic link, a hard link to the file):
// the folder must be reached as its parent's own child of that name, and the
// file as that folder's own, with no other name.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace files {

// The folder `parent`\`name` as the system reaches it; empty when it cannot
// be opened or is reached through a link anywhere below `parent`.
std::string ReachedAsOwnFolder(platform::FileSystem& files, const std::string& parent, const std::string& name);

// True when an opened file is `reachedFolder`\`name` itself and has one name.
bool IsOwnFile(const platform::FileIdentity& file, const std::string& reachedFolder, const std::string& name);

// True when the file at `path`, which names `reachedFolder`\`name`, may be
// replaced: it does not exist, or it is that folder's own file.
bool IsMissingOrOwnFile(platform::FileSystem& files, const std::string& path, const std::string& reachedFolder,
                        const std::string& name);

}  // namespace files
