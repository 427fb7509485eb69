// The variables of the format, from the system's own folders.
#include "community/Variables.h"

#include <algorithm>

#include "util/Text.h"

namespace community {
namespace {

constexpr const char* kNames[kVariableCount] = {"AllUsersProfile",
                                                "AppData",
                                                "CommonAppData",
                                                "CommonProgramFiles",
                                                "Documents",
                                                "HomeDrive",
                                                "LocalAppData",
                                                "LocalLowAppData",
                                                "Music",
                                                "Pictures",
                                                "ProgramData",
                                                "ProgramFiles",
                                                "Public",
                                                "RootDir",
                                                "SystemDrive",
                                                "SystemRoot",
                                                "Temp",
                                                "Tmp",
                                                "UserName",
                                                "UserProfile",
                                                "Video",
                                                "WinDir"};

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

// "C:" of "C:\Windows"; empty for a share or a path without a drive.
std::string DriveOf(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

}  // namespace

std::optional<Variable> VariableNamed(std::string_view name) {
  for (size_t i = 0; i < kVariableCount; ++i) {
    if (util::EqualNoCase(std::string(name), kNames[i])) return static_cast<Variable>(i);
  }
  return std::nullopt;
}

const std::vector<std::string>& SystemFolders::Values(Variable variable) {
  std::optional<std::vector<std::string>>& value = values_[static_cast<size_t>(variable)];
  if (!value) value = Find(variable);
  return *value;
}

std::vector<std::string> SystemFolders::Find(Variable variable) {
  std::vector<std::string> found;
  auto add = [&](std::string path) {
    path = WithoutTrailingSeparators(std::move(path));
    if (path.empty()) return;
    for (const std::string& known : found) {
      if (platform_.files.SameName(known, path)) return;
    }
    found.push_back(std::move(path));
  };
  auto known = [&](int id) {
    std::string path;
    if (platform_.shell.SpecialFolder(id, &path)) add(path);
  };
  std::string path;
  switch (variable) {
    // On Windows Vista and later %ALLUSERSPROFILE% is the application data of all users.
    case Variable::AllUsersProfile:
    case Variable::CommonAppData:
    case Variable::ProgramData:
      known(platform::kCsidlCommonAppData);
      break;
    case Variable::AppData:
      known(platform::kCsidlAppData);
      break;
    case Variable::LocalAppData:
      known(platform::kCsidlLocalAppData);
      break;
    case Variable::LocalLowAppData:
      known(platform::kKnownFolderLocalAppDataLow);
      break;
    case Variable::Documents:
      known(platform::kCsidlPersonal);
      break;
    case Variable::Music:
      known(platform::kCsidlMyMusic);
      break;
    case Variable::Pictures:
      known(platform::kCsidlMyPictures);
      break;
    case Variable::Video:
      known(platform::kCsidlMyVideo);
      break;
    case Variable::Public:
      known(platform::kKnownFolderPublic);
      break;
    case Variable::UserProfile:
      known(platform::kCsidlProfile);
      break;
    // Both widths' folders: the 64-bit one first, then the x86 one.
    case Variable::ProgramFiles:
      known(platform::kKnownFolderProgramFilesX64);
      known(platform::kCsidlProgramFiles);
      known(platform::kCsidlProgramFilesX86);
      break;
    case Variable::CommonProgramFiles:
      known(platform::kKnownFolderProgramFilesCommonX64);
      known(platform::kCsidlProgramFilesCommon);
      known(platform::kCsidlProgramFilesCommonX86);
      break;
    case Variable::SystemRoot:
    case Variable::WinDir:
      if (platform_.shell.WindowsFolder(&path)) add(path);
      break;
    // The drive Windows is on, as "C:".
    case Variable::SystemDrive:
    case Variable::RootDir:
      if (platform_.shell.WindowsFolder(&path) && !DriveOf(path).empty()) found.push_back(DriveOf(path));
      break;
    // The drive of the user's profile.
    case Variable::HomeDrive:
      if (platform_.shell.SpecialFolder(platform::kCsidlProfile, &path) && !DriveOf(path).empty()) {
        found.push_back(DriveOf(path));
      }
      break;
    case Variable::Temp:
    case Variable::Tmp:
      if (platform_.shell.TempFolder(&path)) add(path);
      break;
    case Variable::UserName:
      // UNLEN + 1 characters.
      if (platform_.security.LogonUserName(257, &path) && !path.empty()) found.push_back(path);
      break;
  }
  return found;
}

}  // namespace community
