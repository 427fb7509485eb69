// Cleaners defined by data: the entries of files in the winapp2.ini format,
// as read, before anything on the machine is looked at. Paths keep their
// variables (%LocalAppData%) and wildcards; what they stand for on this
// machine is found when an entry is detected or run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace community {

// The registry's roots as the format names them.
enum class Hive { CurrentUser, LocalMachine, ClassesRoot, Users, CurrentConfig };

struct RegistryPath {
  Hive hive = Hive::CurrentUser;
  std::string path;  // below the root, no separator at either end; empty for the root itself
};

// FileKeyN=folder|pattern[;pattern...][|RECURSE|REMOVESELF]
struct FileRule {
  std::string key;     // "FileKey3": what the report names
  std::string folder;  // with variables and wildcards, no separator at its end
  std::vector<std::string> patterns;
  bool recurse = false;     // the folders below too
  bool removeSelf = false;  // and the folders left empty, the folder itself last (implies recurse)
};

// RegKeyN=key[|value]
struct RegistryRule {
  std::string key;
  RegistryPath at;
  std::optional<std::string> value;  // only this value; without it the key and all below it
};

// ExcludeKeyN=FILE|folder\|file[;file], PATH|folder\|pattern[;...], REG|key[|value]
struct Exclusion {
  enum class Kind { File, Path, Registry };
  std::string key;
  Kind kind = Kind::File;
  std::string folder;  // File and Path: with variables and wildcards
  std::vector<std::string> names;
  RegistryPath at;  // Registry
  std::optional<std::string> value;
};

// DetectOS=min|max: Windows versions as "major.minor", either end open.
struct OsRange {
  std::optional<uint32_t> min, max;  // major * 100 + minor
};

enum class SpecialDetect { Chrome, Mozilla, Thunderbird, Opera };

struct Entry {
  std::string name;    // as in the file, without the trailing " *"
  std::string group;   // its Section, or the group its LangSecRef names
  std::string source;  // the file it came from
  std::vector<RegistryPath> detectKeys;
  std::vector<std::string> detectFiles;  // with variables and wildcards
  std::vector<SpecialDetect> specialDetects;
  std::optional<OsRange> detectOs;
  bool byDefault = false;  // Default=True: kept for what the file says; Corvane chooses nothing by itself
  std::string warning;
  std::vector<FileRule> files;
  std::vector<RegistryRule> registry;
  std::vector<Exclusion> exclusions;

  bool HasDetection() const { return !detectKeys.empty() || !detectFiles.empty() || !specialDetects.empty(); }
  // Whether it has anything to clean: one without is read but never offered.
  bool HasRules() const { return !files.empty() || !registry.empty(); }
};

// A line that could not be understood and was skipped: the rest of its
// entry and of the file stand.
struct Problem {
  std::string entry;  // empty before the first entry
  std::string key;    // "FileKey7"; empty for a line that is no key
  std::string what;
  size_t line = 0;
  std::string Text() const;  // "Dropbox, FileKey7 (line 11252): ..."
};

struct Definitions {
  std::vector<Entry> entries;
  std::vector<Problem> problems;
  size_t sections = 0;  // the entries the file holds, each "[...]" line
  size_t leftOut = 0;   // entries not offered: no name, a name given twice, nothing left to clean
  std::string version;  // the file's "; Version: ..." line, when it has one
  std::string refused;  // why the whole file was refused (not text, too large, no entry); empty when read
};

// The largest file read: many times the 1.8 MB of the project's own.
constexpr size_t kMaxDefinitionBytes = 16 * 1024 * 1024;

// Reads text in the winapp2.ini format: UTF-8 (a byte-order mark allowed)
// or UTF-16 with its byte-order mark. Keys, variables, roots and flags
// match regardless of case. `source` is noted on every entry.
Definitions ParseDefinitions(std::string_view text, const std::string& source);

// The group a LangSecRef number stands for: "Applications" for 3021, ...;
// the number itself for one the format does not define.
std::string GroupOfLangSecRef(std::string_view number);

}  // namespace community
