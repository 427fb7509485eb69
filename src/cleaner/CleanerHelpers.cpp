// The cleaner thread's shared helpers, bound to its platform.
#include "cleaner/CleanerThread.h"
#include "cleaner/FolderPurge.h"
#include "cleaner/SystemHelpers.h"

namespace cleaner {

bool TUWHCleanerThrd::PurgeFolder(const std::string& start, const std::string& folder, bool includeDesktopIni,
                                  bool wipeIndexDat) {
  PurgeOptions options{includeDesktopIni, wipeIndexDat};
  options.stop = &stop_;
  return cleaner::PurgeFolder(platform_.files, start, folder, options);
}

bool TUWHCleanerThrd::WipeIndexDat(const std::string& folder, const std::string& name) {
  return cleaner::WipeIndexDat(platform_.files, folder, name);
}

void TUWHCleanerThrd::DeleteFilesByMask(const std::string& start, const std::string& folder, const std::string& mask) {
  if (stop_) return;
  cleaner::DeleteFilesByMask(platform_.files, start, folder, mask);
}

bool TUWHCleanerThrd::DeleteRegKey(const std::string& path, platform::RegRoot root) {
  return cleaner::DeleteRegKey(platform_.registry, root, path);
}

bool TUWHCleanerThrd::DeleteRegValue(const std::string& path, const std::string& name, platform::RegRoot root) {
  return cleaner::DeleteRegValue(platform_.registry, root, path, name);
}

bool TUWHCleanerThrd::IsWinNT() { return cleaner::IsWinNT(platform_.shell); }

bool TUWHCleanerThrd::GetSpecialFolder(int csidl, std::string* path) {
  return platform_.shell.SpecialFolder(csidl, path);
}

bool TUWHCleanerThrd::GetTempFolder(std::string* path) { return platform_.shell.TempFolder(path); }

bool TUWHCleanerThrd::GetWindowsFolder(std::string* path) { return platform_.shell.WindowsFolder(path); }

}  // namespace cleaner
