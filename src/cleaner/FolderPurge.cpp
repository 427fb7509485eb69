// The shared file routines of the cleaner steps.
#include "cleaner/FolderPurge.h"

#include <memory>
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

bool Stopped(const PurgeOptions& options) { return options.stop && options.stop->load(); }

// Counts one file or link the purge removed (`gone`) or left.
void Tally(const PurgeOptions& options, const platform::FindData& entry, bool gone) {
  if (!options.tally) return;
  if (gone) {
    ++options.tally->removed;
    if (!platform::IsLink(entry)) options.tally->bytes += entry.size;
  } else {
    ++options.tally->left;
  }
}

// Zeros from byte 64 to the end of an opened index file. Write failures are
// ignored: the caller deletes the file next anyway.
void WipeOpenedIndex(platform::WritableFile& file) {
  const uint64_t size = file.Size();
  if (size <= kIndexHeaderSize) return;
  const std::vector<char> zeros(kZeroBlockSize, '\0');
  file.Seek(kIndexHeaderSize);
  uint64_t remaining = size - kIndexHeaderSize;
  while (remaining > kZeroBlockSize) {
    file.Write(zeros.data(), kZeroBlockSize);
    remaining -= kZeroBlockSize;
  }
  file.Write(zeros.data(), static_cast<uint32_t>(remaining));
}

// A folder still to empty, reached through the one above it, or (with
// `self`) an emptied one whose turn to be removed has come.
struct Step {
  std::shared_ptr<platform::FolderHandle> parent;
  std::string name;
  uint64_t fileId = 0;
  std::shared_ptr<platform::FolderHandle> self;
};

// Handles the entries of one open folder: links, files and read-only bits
// now, subfolders put in `steps` to be emptied next. False when it cannot be
// listed; a stop ends the walk early.
bool EmptyOneFolder(const std::shared_ptr<platform::FolderHandle>& folder, const PurgeOptions& options,
                    std::vector<Step>* steps) {
  std::vector<platform::FindData> entries;
  if (!folder->List(&entries)) return false;
  for (const platform::FindData& entry : entries) {
    const bool subfolder = (entry.attributes & platform::kAttrDirectory) && !platform::IsLink(entry);
    if (options.topMask && (subfolder || !util::MatchesMask(options.topMask, entry.name))) continue;
    if (!options.includeDesktopIni && util::EqualNoCase(entry.name, "desktop.ini")) {
      Tally(options, entry, false);
      continue;
    }
    if (Stopped(options)) break;
    if (platform::IsLink(entry)) {
      // Only the link itself may go. Its attributes are left alone too,
      // since setting them can reach the target.
      Tally(options, entry, folder->RemoveEntry(entry.name, entry.fileId));
      continue;
    }
    // Checked to be the entry listed, and a file of one name, before its bit changes.
    if (entry.attributes & platform::kAttrReadOnly) folder->ClearReadOnly(entry.name, entry.fileId);
    if (entry.attributes & platform::kAttrDirectory) {
      steps->push_back({folder, entry.name, entry.fileId, nullptr});
      continue;
    }
    if (options.wipeIndexDat && util::EqualNoCase(entry.name, "index.dat")) {
      if (std::unique_ptr<platform::WritableFile> file = folder->OpenFileForWrite(entry.name, entry.fileId)) {
        WipeOpenedIndex(*file);
      }
    }
    Tally(options, entry, folder->RemoveEntry(entry.name, entry.fileId));
  }
  return true;
}

}  // namespace

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

std::unique_ptr<platform::FolderHandle> OpenCleanableFolder(platform::FileSystem& files, const std::string& start,
                                                            const std::string& folder, std::string* refusedLink) {
  const size_t root = RootLength(folder);
  const std::string from = WithoutTrailingSeparators(start);
  const std::string target = WithoutTrailingSeparators(folder);
  if (root == 0 || target.size() <= root || RootLength(start) == 0) return nullptr;
  bool below = target.size() == from.size() || (target.size() > from.size() && IsSeparator(target[from.size()]));
  if (!below || !util::EqualNoCase(target.substr(0, from.size()), from)) return nullptr;
  std::vector<std::string> parts = Components(target.substr(from.size()));
  for (const std::string& part : parts) {
    if (platform::IsDotEntry(part)) return nullptr;
  }
  // The start is taken as the system named it, where it leads: its owner
  // may have moved it with a link. Each folder below it is opened through
  // the one above, as itself, so no link on the way, planted before or
  // during the run, is followed.
  std::unique_ptr<platform::FolderHandle> level = files.OpenFolder(from, false);
  for (const std::string& part : parts) {
    if (!level) return nullptr;
    std::unique_ptr<platform::FolderHandle> next = level->OpenFolder(part, 0);
    if (!next && refusedLink && files.LastError() == platform::kErrorStoppedOnSymlink) {
      *refusedLink = level->path() + "\\" + part;
    }
    level = std::move(next);
  }
  return level;
}

namespace {
// Opens a cleanable folder, noting the link that made it not so.
std::unique_ptr<platform::FolderHandle> OpenNoting(platform::FileSystem& files, const std::string& start,
                                                   const std::string& folder, std::vector<std::string>* refusedLinks) {
  std::string link;
  std::unique_ptr<platform::FolderHandle> opened = OpenCleanableFolder(files, start, folder, &link);
  if (!link.empty() && refusedLinks) refusedLinks->push_back(link);
  return opened;
}
}  // namespace

bool PurgeFolder(platform::FileSystem& files, const std::string& start, const std::string& folder,
                 PurgeOptions options) {
  return PurgeFolder(files, OpenNoting(files, start, folder, options.refusedLinks), options);
}

bool PurgeFolder(platform::FileSystem& files, std::shared_ptr<platform::FolderHandle> top, PurgeOptions options) {
  if (!top) return false;
  std::vector<Step> steps;
  if (!EmptyOneFolder(top, options, &steps)) return false;
  // A folder goes back on the list, with its own handle, before its
  // subfolders, so it is removed after them. The top folder itself stays.
  while (!steps.empty() && !Stopped(options)) {
    Step step = std::move(steps.back());
    steps.pop_back();
    if (step.self) {
      // A folder that still holds something (a kept desktop.ini, a file in use) stays.
      step.self->RemoveSelf();
      continue;
    }
    std::shared_ptr<platform::FolderHandle> sub = step.parent->OpenFolder(step.name, step.fileId);
    step.parent.reset();
    // Gone, or a link in its place since the listing: nothing to empty
    // there. What is still there but could not be opened stays.
    if (!sub) {
      if (options.tally && !platform::IsNotFound(files.LastError())) ++options.tally->left;
      continue;
    }
    steps.push_back({nullptr, {}, 0, sub});
    EmptyOneFolder(sub, options, &steps);
  }
  return true;
}

bool WipeIndexDat(platform::FileSystem& files, const std::string& folder, const std::string& name) {
  std::unique_ptr<platform::FolderHandle> home = files.OpenFolder(folder, false);
  std::unique_ptr<platform::WritableFile> file = home ? home->OpenFileForWrite(name, 0) : nullptr;
  if (!file) return false;
  WipeOpenedIndex(*file);
  return true;
}

void DeleteFilesByMask(platform::FileSystem& files, const std::string& start, const std::string& folder,
                       const std::string& mask, std::vector<std::string>* refusedLinks) {
  std::unique_ptr<platform::FolderHandle> home = OpenNoting(files, start, folder, refusedLinks);
  std::vector<platform::FindData> entries;
  if (!home || !home->List(&entries)) return;
  const uint32_t notPlain = platform::kAttrDirectory | platform::kAttrHidden | platform::kAttrSystem;
  for (const platform::FindData& entry : entries) {
    // The listing is the whole folder, so the mask is matched against the
    // long names only: the system's own matching also tries the short
    // (8.3) names, by which "*.doc" takes "report.docx" (REPORT~1.DOC).
    if (!(entry.attributes & notPlain) && util::MatchesMask(mask, entry.name)) {
      home->RemoveEntry(entry.name, entry.fileId);
    }
  }
}

}  // namespace cleaner
