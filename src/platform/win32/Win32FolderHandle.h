// Folders opened as themselves, for the Win32 file system.
#pragma once

#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace platform::win32 {

// FileSystem::OpenFolder on Windows.
std::unique_ptr<FolderHandle> OpenFolderHandle(const std::string& path, bool asItself);

}  // namespace platform::win32
