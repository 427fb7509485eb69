// The file routines the cleaner steps share: emptying a folder tree, wiping
// a cache index file, deleting the plain files that match a mask.
//
// Each works on a folder that a step builds from a folder the system named
// (a special folder, the temporary or the Windows folder) and literal parts.
// Other users may create folders in some of these places (the application
// data of all users), and a link planted there would lead a deletion into
// folders that are none of this run's business. So nothing is deleted in a
// folder that is a link or is reached through a link below the folder the
// system named. The named folder itself is the system's word, and its owner
// may have moved it elsewhere with a link: that one is followed.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace cleaner {

// What a purge removed and what stayed: plain files and links, and the
// bytes of the files removed (their size as listed).
struct PurgeTally {
  uint64_t removed = 0;
  uint64_t bytes = 0;
  uint64_t left = 0;  // could not go, kept (desktop.ini), or in a folder that could not be opened
};

struct PurgeOptions {
  bool includeDesktopIni = false;  // delete desktop.ini files too (kept by default, at any depth)
  bool wipeIndexDat = false;       // overwrite every index.dat with zeros before deleting it
  // When set, the purge returns before its next deletion.
  const std::atomic<bool>* stop = nullptr;
  // When set, receives the path of the link that kept the folder from being
  // purged: one on the way to it below the start. (A link listed inside is
  // removed as a link, and one put in a subfolder's place after the listing
  // is no entry the purge chose: nothing refused.)
  std::vector<std::string>* refusedLinks = nullptr;
  // When set, counts what the purge removed and left, so a caller need not
  // list the tree before and after.
  PurgeTally* tally = nullptr;
  // When set, only the files and links directly in the folder whose names
  // match this mask go; its subfolders and other files stay.
  const char* topMask = nullptr;
};

// The length of an absolute path's root: 2 for "C:\...", the length of
// "\\server\share" for a share; 0 for a relative or empty path.
size_t RootLength(const std::string& path);
// The names of a path's parts, separators single.
std::vector<std::string> Components(const std::string& rest);

// Opens `folder` when it may be cleaned: an absolute path ("C:\..." or
// "\\server\share\...") that is no root, equal to `start` or below it, and
// neither `folder` nor a folder between `start` and it is a link
// (platform::IsLink): each is opened through the one above it, as itself.
// `start` is the folder the system named, opened where it leads; what lies
// above it is the system's. Trailing separators do not count. Null when not
// cleanable; when that is for a link, *refusedLink (if given) is its path.
std::unique_ptr<platform::FolderHandle> OpenCleanableFolder(platform::FileSystem& files, const std::string& start,
                                                            const std::string& folder,
                                                            std::string* refusedLink = nullptr);

// Empties `folder` but keeps the folder itself. Read-only files are cleared
// and deleted; emptied subfolders are removed; anything that cannot go
// stays. A link inside is removed as a link and never followed. False, with
// nothing deleted, when the folder is not cleanable or cannot be listed.
// Every folder is opened once, through its parent's handle, and listed,
// emptied and removed through its own, so a folder swapped for a link
// during the purge leads nowhere. The tree is walked with a list of
// folders, not by recursion, so no depth exhausts the thread's stack.
bool PurgeFolder(platform::FileSystem& files, const std::string& start, const std::string& folder,
                 PurgeOptions options);
// The same for a folder opened already (null: nothing is purged), so that
// what was checked of it is what is emptied.
bool PurgeFolder(platform::FileSystem& files, std::shared_ptr<platform::FolderHandle> top, PurgeOptions options);
// The same for a folder the system named itself.
inline bool PurgeFolder(platform::FileSystem& files, const std::string& folder, PurgeOptions options) {
  return PurgeFolder(files, folder, folder, options);
}

// Overwrites folder\name with zeros from byte 64 to its end, keeping its size
// and its first 64 bytes. False when the file cannot be opened for writing
// as that folder's own file with one name (no link, no hard link).
bool WipeIndexDat(platform::FileSystem& files, const std::string& folder, const std::string& name);

// Deletes the plain files of `folder` whose long names match `mask`:
// directories, hidden and system files are not matched, and read-only files
// stay. Nothing is deleted when the folder is not cleanable; a link that
// made it so is added to *refusedLinks when given.
void DeleteFilesByMask(platform::FileSystem& files, const std::string& start, const std::string& folder,
                       const std::string& mask, std::vector<std::string>* refusedLinks = nullptr);

}  // namespace cleaner
