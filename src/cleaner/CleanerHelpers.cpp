// The steps' shared helpers, bound to the run's platform.
#include "cleaner/CleanerSteps.h"
#include "cleaner/FolderPurge.h"
#include "cleaner/SystemHelpers.h"

namespace cleaner {

bool CleanerSteps::PurgeFolder(const std::string& start, const std::string& folder, bool includeDesktopIni,
                               bool wipeIndexDat, const char* topMask) {
  PurgeOptions options{includeDesktopIni, wipeIndexDat};
  options.stop = &stop_;
  options.topMask = topMask;
  std::vector<std::string> refused;
  options.refusedLinks = &refused;
  bool purged = cleaner::PurgeFolder(platform_.files, start, folder, options);
  for (const std::string& link : refused) RefuseLink(link);
  return purged;
}

bool CleanerSteps::PurgeFolder(std::unique_ptr<platform::FolderHandle> folder, bool includeDesktopIni,
                               bool wipeIndexDat) {
  PurgeOptions options{includeDesktopIni, wipeIndexDat};
  options.stop = &stop_;
  return cleaner::PurgeFolder(platform_.files, std::move(folder), options);
}

void CleanerSteps::RefuseLink(const std::string& path) {
  for (const StepSkip& noted : skips_) {
    if (noted.link && noted.cleaner == currentCleaner_ && noted.what == path) return;
  }
  StepSkip skip{currentCleaner_, path, "a link, or reached through one"};
  skip.link = true;
  skips_.push_back(std::move(skip));
}

void CleanerSteps::RefuseFolder(const std::string& path, const std::string& reason) {
  StepSkip skip{currentCleaner_, path, reason};
  skip.refused = true;
  skips_.push_back(std::move(skip));
}

bool CleanerSteps::WipeIndexDat(const std::string& folder, const std::string& name) {
  return cleaner::WipeIndexDat(platform_.files, folder, name);
}

void CleanerSteps::DeleteFilesByMask(const std::string& start, const std::string& folder, const std::string& mask) {
  if (stop_) return;
  std::vector<std::string> refused;
  cleaner::DeleteFilesByMask(platform_.files, start, folder, mask, &refused);
  for (const std::string& link : refused) RefuseLink(link);
}

bool CleanerSteps::DeleteRegKey(const std::string& path, platform::RegRoot root) {
  return cleaner::DeleteRegKey(platform_.registry, root, path);
}

bool CleanerSteps::DeleteRegValue(const std::string& path, const std::string& name, platform::RegRoot root) {
  return cleaner::DeleteRegValue(platform_.registry, root, path, name);
}

bool CleanerSteps::IsWinNT() { return cleaner::IsWinNT(platform_.shell); }

bool CleanerSteps::GetSpecialFolder(int csidl, std::string* path) { return platform_.shell.SpecialFolder(csidl, path); }

bool CleanerSteps::GetTempFolder(std::string* path) { return platform_.shell.TempFolder(path); }

bool CleanerSteps::GetWindowsFolder(std::string* path) { return platform_.shell.WindowsFolder(path); }

}  // namespace cleaner
