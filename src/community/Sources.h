// Where the definitions come from: winapp2.ini in the program's folder,
// where an administrator puts it, and every *.ini in the user's
// %APPDATA%\Corvane\Cleaners (their own rules, and the copy Corvane
// downloads). Never from a folder, or a file, that another account can
// change: the shared Settings folder beside the program, ProgramData,
// Public. An entry of the user's replaces the program folder's of the same
// name. Nothing here is read until someone asks.
#pragma once

#include <string>
#include <vector>

#include "community/Definitions.h"
#include "platform/Platform.h"

namespace community {

constexpr const char* kProgramDefinitions = "winapp2.ini";
// Below the user's roaming application data.
constexpr const char* kUserDefinitionsFolder = "Corvane\\Cleaners";

// One file of definitions and what reading it gave.
struct Source {
  std::string path;
  std::string refused;  // why it was not read, or not kept; empty when it was
  size_t entries = 0;   // the entries it gave
  std::string version;  // its version line
  std::vector<Problem> problems;
};

// Every definition this user has, merged.
struct Catalogue {
  std::vector<Entry> entries;  // in order of group, then name
  std::vector<Source> sources;
  size_t read = 0;     // entries read from every file, before merging
  size_t refused = 0;  // entries left out (nothing left to clean, a name given twice)
  size_t skippedKeys = 0;
  // The entry of that name (letter case aside); null when there is none.
  const Entry* Find(const std::string& name) const;
};

// %APPDATA%\Corvane\Cleaners; empty when the system names no %APPDATA%.
std::string UserDefinitionsFolder(platform::Platform& platform);

// Reads every source. A file is refused, and named with why, when it is a
// link, when its folder or one above it is not the user's own (another
// account owns it, may change what it holds, or it is a link:
// cleaner::IsUsersOwnFolder), or when it cannot be read, is larger than
// kMaxDefinitionBytes, is not text or holds no entry. *.ini files in the
// Settings folder beside the program are named as not read.
Catalogue LoadCatalogue(platform::Platform& platform);

}  // namespace community
