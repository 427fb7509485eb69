// Files reached as their folder's own.
#include "files/OwnFile.h"

#include "util/Text.h"

namespace files {

std::string ReachedAsOwnFolder(platform::FileSystem& files, const std::string& parent, const std::string& name) {
  platform::FileIdentity home, folder;
  if (!files.Identify(parent, &home) || !files.Identify(parent + "\\" + name, &folder) ||
      !util::EqualNoCase(folder.finalPath, home.finalPath + "\\" + name)) {
    return {};
  }
  return folder.finalPath;
}

bool IsOwnFile(const platform::FileIdentity& file, const std::string& reachedFolder, const std::string& name) {
  return file.linkCount == 1 && util::EqualNoCase(file.finalPath, reachedFolder + "\\" + name);
}

bool IsMissingOrOwnFile(platform::FileSystem& files, const std::string& path, const std::string& reachedFolder,
                        const std::string& name) {
  if (!files.Exists(path)) return true;
  platform::FileIdentity existing;
  return files.Identify(path, &existing) && IsOwnFile(existing, reachedFolder, name);
}

}  // namespace files
