// Folders opened as themselves, for the Win32 file system.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace platform::win32 {

// NtCreateFile of `name` in the folder open as `root`, a link or other
// reparse point opened as itself, never followed; for synchronous I/O. Null
// with the thread's error set.
HANDLE CreateRelative(HANDLE root, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                      ULONG options);

// FileSystem::OpenFolder on Windows.
std::unique_ptr<FolderHandle> OpenFolderHandle(const std::string& path, bool asItself);

}  // namespace platform::win32
