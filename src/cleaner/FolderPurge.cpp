// The shared file routines of the cleaner steps.
#include "cleaner/FolderPurge.h"

#include <vector>

#include "util/Text.h"

namespace cleaner {
namespace {

constexpr uint32_t kIndexHeaderSize = 64;
constexpr uint32_t kZeroBlockSize = 10000;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithoutTrailingSeparators(std::string path) {
  while (!path.empty() && IsSeparator(path.back())) path.pop_back();
  return path;
}

// The length of an absolute path's root: 2 for "C:\...", the length of
// "\\server\share" for a share; 0 for a relative or empty path.
size_t RootLength(const std::string& path) {
  bool drive = path.size() >= 3 && util::ToLowerAscii(path[0]) >= 'a' && util::ToLowerAscii(path[0]) <= 'z' &&
               path[1] == ':' && IsSeparator(path[2]);
  if (drive) return 2;
  if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return 0;
  size_t server = path.find_first_of("\\/", 2);
  if (server == std::string::npos || server == 2 || server + 1 >= path.size() || IsSeparator(path[server + 1])) {
    return 0;
  }
  size_t share = path.find_first_of("\\/", server + 1);
  return share == std::string::npos ? path.size() : share;
}

// The parts of a path below its start, separators single.
std::vector<std::string> Components(const std::string& rest) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : rest + '\\') {
    if (!IsSeparator(c)) {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  return parts;
}

// A folder that exists and is no link, by what the system lists for the
// path itself.
bool IsPlainFolder(platform::FileSystem& files, const std::string& path) {
  platform::FindData entry;
  if (!files.FindFirst(path, &entry)) return false;
  return (entry.attributes & platform::kAttrDirectory) && !platform::IsLink(entry);
}

bool Stopped(const PurgeOptions& options) { return options.stop && options.stop->load(); }

// Handles the entries of one folder: links, files and read-only bits now,
// subfolders put in `subfolders` to be emptied next. False when it cannot
// be listed; a stop ends the listing early.
bool EmptyOneFolder(platform::FileSystem& files, const std::string& folder, const PurgeOptions& options,
                    std::vector<std::string>* subfolders) {
  platform::FindData entry;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(folder + "\\*.*", &entry);
  if (!find) return false;
  // One path for every entry: the folder, then each name in turn.
  std::string path = folder + "\\";
  const size_t nameAt = path.size();
  do {
    if (platform::IsDotEntry(entry.name)) continue;
    if (!options.includeDesktopIni && util::EqualNoCase(entry.name, "desktop.ini")) continue;
    path.replace(nameAt, std::string::npos, entry.name);
    if (Stopped(options)) break;
    if (platform::IsLink(entry)) {
      // Only the link itself may go. Its attributes are left alone too,
      // since setting them can reach the target.
      files.RemoveLink(path);
      continue;
    }
    // The listing tells which entries are read-only, so the common case
    // costs no extra call; the current attributes are read only to clear that bit.
    if (entry.attributes & platform::kAttrReadOnly) {
      uint32_t attributes = files.GetAttributes(path);
      if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReadOnly)) {
        files.SetAttributes(path, attributes & ~platform::kAttrReadOnly);
      }
    }
    if (entry.attributes & platform::kAttrDirectory) {
      subfolders->push_back(path);
      continue;
    }
    if (options.wipeIndexDat && util::EqualNoCase(entry.name, "index.dat")) WipeIndexDat(files, folder, entry.name);
    find->RemoveListedFile();
  } while (find->Next(&entry));
  return true;
}

}  // namespace

bool IsCleanableFolder(platform::FileSystem& files, const std::string& start, const std::string& folder) {
  const size_t root = RootLength(folder);
  const std::string from = WithoutTrailingSeparators(start);
  const std::string target = WithoutTrailingSeparators(folder);
  if (root == 0 || target.size() <= root || RootLength(start) == 0) return false;
  bool below = target.size() == from.size() || (target.size() > from.size() && IsSeparator(target[from.size()]));
  if (!below || !util::EqualNoCase(target.substr(0, from.size()), from)) return false;
  std::vector<std::string> parts = Components(target.substr(from.size()));
  if (parts.empty()) return IsPlainFolder(files, target);
  // Each folder from the first below `start` down to the target itself.
  std::string level = from;
  for (const std::string& part : parts) {
    if (platform::IsDotEntry(part)) return false;
    level += "\\" + part;
    if (!IsPlainFolder(files, level)) return false;
  }
  return true;
}

bool PurgeFolder(platform::FileSystem& files, const std::string& start, const std::string& folder,
                 PurgeOptions options) {
  if (!IsCleanableFolder(files, start, folder)) return false;
  // Folders still to empty, and emptied ones whose turn to be removed has
  // come: a folder goes back on the list, marked, before its subfolders, so
  // it is removed after them. The top folder itself stays.
  struct Step {
    std::string folder;
    bool emptied;
  };
  std::vector<Step> steps{{WithoutTrailingSeparators(folder), false}};
  std::vector<std::string> subfolders;
  bool top = true;
  while (!steps.empty() && !Stopped(options)) {
    Step step = std::move(steps.back());
    steps.pop_back();
    if (step.emptied) {
      // A folder that still holds something (a kept desktop.ini, a file in use) stays.
      files.RemoveFolder(step.folder);
      continue;
    }
    subfolders.clear();
    if (!EmptyOneFolder(files, step.folder, options, &subfolders) && top) return false;
    if (!top) steps.push_back({std::move(step.folder), true});
    top = false;
    for (std::string& path : subfolders) steps.push_back({std::move(path), false});
  }
  return true;
}

bool WipeIndexDat(platform::FileSystem& files, const std::string& folder, const std::string& name) {
  std::unique_ptr<platform::WritableFile> file = files.OpenExistingForWrite(folder + "\\" + name);
  if (!file) return false;
  uint32_t size = file->SizeLow();
  if (size <= kIndexHeaderSize) return true;
  const std::vector<char> zeros(kZeroBlockSize, '\0');
  // Write failures are ignored: the caller deletes the file next anyway.
  file->Seek(kIndexHeaderSize);
  uint32_t remaining = size - kIndexHeaderSize;
  while (remaining > kZeroBlockSize) {
    file->Write(zeros.data(), kZeroBlockSize);
    remaining -= kZeroBlockSize;
  }
  file->Write(zeros.data(), remaining);
  return true;
}

void DeleteFilesByMask(platform::FileSystem& files, const std::string& start, const std::string& folder,
                       const std::string& mask) {
  if (!IsCleanableFolder(files, start, folder)) return;
  const std::string bare = WithoutTrailingSeparators(folder);
  const uint32_t notPlain = platform::kAttrDirectory | platform::kAttrHidden | platform::kAttrSystem;
  platform::FindData entry;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(bare + "\\" + mask, &entry);
  if (!find) return;
  do {
    if (!(entry.attributes & notPlain)) find->RemoveListedFile();
  } while (find->Next(&entry));
}

}  // namespace cleaner
