// The file routines the cleaner steps share: emptying a folder tree, wiping
// a cache index file, deleting the plain files that match a mask.
#pragma once

#include <atomic>
#include <string>

#include "platform/FileSystem.h"

namespace cleaner {

struct PurgeOptions {
  bool includeDesktopIni = false;  // delete desktop.ini files too (kept by default, at any depth)
  bool wipeIndexDat = false;       // overwrite every index.dat with zeros before deleting it
  const std::atomic<bool>* stop = nullptr;  // once set, the purge ends before its next deletion
};

// Empties `folder` (no trailing separator) but keeps the folder itself.
// Read-only files are cleared and deleted; emptied subfolders are removed;
// anything that cannot go stays. A link (reparse point) is removed as a link
// and never followed. False when the folder cannot be listed.
bool PurgeFolder(platform::FileSystem& files, const std::string& folder, PurgeOptions options);

// Overwrites folder\name with zeros from byte 64 to its end, keeping its size
// and its first 64 bytes. False when the file cannot be opened for writing.
bool WipeIndexDat(platform::FileSystem& files, const std::string& folder, const std::string& name);

// Deletes the plain files of `folder` that match `mask`: directories, hidden
// and system files are not matched, and read-only files stay.
void DeleteFilesByMask(platform::FileSystem& files, const std::string& folder, const std::string& mask);

}  // namespace cleaner
