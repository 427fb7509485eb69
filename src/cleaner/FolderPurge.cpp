// The shared file routines of the cleaner steps.
#include "cleaner/FolderPurge.h"

#include <algorithm>
#include <vector>

#include "util/Text.h"

namespace cleaner {
namespace {

constexpr uint32_t kIndexHeaderSize = 64;
constexpr uint32_t kZeroBlockSize = 10000;

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

// One entry of a purge, with what the listing said about it.
void PurgeEntry(platform::FileSystem& files, const std::string& folder, const platform::FindData& entry,
                PurgeOptions options) {
  const std::string path = folder + "\\" + entry.name;
  if (entry.attributes & platform::kAttrReparsePoint) {
    // A junction or symbolic link: only the link itself may go. Its
    // attributes are left alone too, since setting them can reach the target.
    files.RemoveLink(path);
    return;
  }
  // The listing tells which entries are read-only, so the common case costs
  // no extra call; the current attributes are read only to clear that bit.
  if (entry.attributes & platform::kAttrReadOnly) {
    uint32_t attributes = files.GetAttributes(path);
    if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReadOnly)) {
      files.SetAttributes(path, attributes & ~platform::kAttrReadOnly);
    }
  }
  if (entry.attributes & platform::kAttrDirectory) {
    PurgeFolder(files, path, options);
    files.RemoveFolder(path);
    return;
  }
  if (options.wipeIndexDat && util::EqualNoCase(entry.name, "index.dat")) WipeIndexDat(files, folder, entry.name);
  files.RemoveFile(path);
}

}  // namespace

bool PurgeFolder(platform::FileSystem& files, const std::string& folder, PurgeOptions options) {
  platform::FindData entry;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(folder + "\\*.*", &entry);
  if (!find) return false;
  do {
    if (options.stop && *options.stop) break;
    if (IsDotEntry(entry.name)) continue;
    if (!options.includeDesktopIni && util::EqualNoCase(entry.name, "desktop.ini")) continue;
    PurgeEntry(files, folder, entry, options);
  } while (find->Next(&entry));
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

void DeleteFilesByMask(platform::FileSystem& files, const std::string& folder, const std::string& mask) {
  const uint32_t notPlain = platform::kAttrDirectory | platform::kAttrHidden | platform::kAttrSystem;
  platform::FindData entry;
  std::unique_ptr<platform::FileFind> find = files.FindFirst(folder + "\\" + mask, &entry);
  if (!find) return;
  do {
    if (entry.attributes & notPlain) continue;
    files.RemoveFile(folder + "\\" + entry.name);
  } while (find->Next(&entry));
}

}  // namespace cleaner
