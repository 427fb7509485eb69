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

// Where an open file or folder is (GetFinalPathNameByHandle), without the
// \\?\ form; false with the thread's error set.
bool FinalPathOf(HANDLE handle, std::string* path);

// The folder at `path`, an absolute path in the \\?\ form, opened with
// `access` by way of every folder from `start` down (a folder at or above
// it in the same form, opened where it leads; empty for the drive or share
// root), each opened as itself through the one above: null with
// kErrorStoppedOnSymlink when one of them is a link, or with the error that
// stopped the way.
HANDLE OpenFolderBelow(const std::wstring& start, const std::wstring& path, ACCESS_MASK access);

// FileSystem::OpenFolder on Windows.
std::unique_ptr<FolderHandle> OpenFolderHandle(const std::string& path, bool asItself);

}  // namespace platform::win32
