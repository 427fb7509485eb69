// The variables of the format's paths, and what each stands for on this
// machine: the system's own folders (known folders, the temporary and
// Windows folders, the user's name), asked for when first needed.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace community {

enum class Variable {
  AllUsersProfile,
  AppData,
  CommonAppData,
  CommonProgramFiles,
  Documents,
  HomeDrive,
  LocalAppData,
  LocalLowAppData,
  Music,
  Pictures,
  ProgramData,
  ProgramFiles,
  Public,
  RootDir,
  SystemDrive,
  SystemRoot,
  Temp,
  Tmp,
  UserName,
  UserProfile,
  Video,
  WinDir,
};
constexpr size_t kVariableCount = static_cast<size_t>(Variable::WinDir) + 1;

// The variable of that name ("LocalAppData", letter case aside).
std::optional<Variable> VariableNamed(std::string_view name);

// What each variable stands for here. %ProgramFiles% and
// %CommonProgramFiles% are both the 64-bit and the x86 folders on 64-bit
// Windows (once each when they are one); every other variable is one
// folder, or none when the system names none. Folders have no separator
// at their end; the drives ("C:") are as the system writes them.
class SystemFolders {
 public:
  explicit SystemFolders(platform::Platform& platform) : platform_(platform) {}
  const std::vector<std::string>& Values(Variable variable);

 private:
  std::vector<std::string> Find(Variable variable);

  platform::Platform& platform_;
  std::array<std::optional<std::vector<std::string>>, kVariableCount> values_;
};

}  // namespace community
