// Where the community's rules lead on this machine: a path of the format
// expanded into the folders it stands for, the folders no rule may empty,
// the registry keys no rule may remove, and the files a rule treats with
// care (saved passwords, a database's journal).
#pragma once

#include <string>
#include <vector>

#include "community/Definitions.h"
#include "community/Variables.h"
#include "platform/Platform.h"

namespace community {

// A path of the format on this machine: the folder the system named at its
// start (a variable's, or a drive or share written so), taken where it
// leads, and the parts below it, with wildcards in any of them.
struct PathPattern {
  std::string start;
  std::vector<std::string> parts;
  // Every part from the drive down: the start's and the rest.
  std::vector<std::string> Segments() const;
};

// What `path` stands for here: one pattern per folder its first variable
// names (two for %ProgramFiles% on 64-bit Windows); none when a variable
// names nothing on this machine.
std::vector<PathPattern> Expand(const std::string& path, SystemFolders& folders);

// The parts of a path, separators single.
std::vector<std::string> PathParts(const std::string& path);

bool HasWildcard(const std::string& text);

// Whether the name `segment` of a path matches the part `pattern` of a
// rule: a wildcard match for a part with '*' or '?', else the same name for
// the file system.
bool PartMatches(platform::FileSystem& files, const std::string& pattern, const std::string& segment);

// Whether the parts of `pattern` match the first parts of `path` (all of
// them, when `whole`).
bool PrefixMatches(platform::FileSystem& files, const std::vector<std::string>& pattern,
                   const std::vector<std::string>& path, bool whole);

// Whether a file pattern takes every name ("*", "*.*", "?*"): one with no
// character but '*', '?' and '.'.
bool TakesEverything(const std::string& pattern);

// The folders no rule may empty: drive and share roots, Windows, System32,
// both Program Files, ProgramData, the folder of the profiles, the profile,
// Public, and the known folders people keep things in.
class ProtectedFolders {
 public:
  explicit ProtectedFolders(platform::Platform& platform);
  // What `folder` is among them ("Documents", "a drive's root"); empty when none.
  std::string NameOf(const std::string& folder) const;
  // The path of one of them that lies below `folder`; empty when none does.
  std::string Below(const std::string& folder) const;

 private:
  struct Place {
    const char* name;
    std::vector<std::string> parts;
    std::string path;
  };
  platform::FileSystem& files_;
  std::vector<Place> places_;
};

// The roots a hive of the format is looked at in: both views of HKLM and
// HKCR, one of every other.
std::vector<platform::RegRoot> RootsOf(Hive hive);

// The roots at which `at` stands for a key of its own: the 64-bit view, and
// for HKLM and HKCR the 32-bit view too where Windows redirects the path
// to another key (the registry's own name of the key tells).
std::vector<platform::RegRoot> ViewsOf(platform::Registry& registry, const RegistryPath& at);

// Whether removing the key `path` of `hive` would remove a root, Software,
// Software\Classes, Software\Microsoft, Software\Policies,
// Software\Wow6432Node, SYSTEM, Software\Microsoft\Windows or its
// CurrentVersion (below an account's key for HKEY_USERS), or the classes'
// own registrations.
bool IsProtectedKey(Hive hive, const std::string& path);

// Whether a file of this name holds saved passwords (Chromium's Login Data,
// Firefox's logins.json and key4.db, and their older forms).
bool IsPasswordStore(const std::string& name);
// Whether a rule's pattern names a password store: one that is not a
// catch-all and matches such a name.
bool PatternNamesPasswords(const std::string& pattern);
// Whether an entry deletes saved passwords: choosing it asks first.
bool DeletesPasswords(const Entry& entry);

// The database `name` is a rollback journal or write-ahead log of
// ("History" for "History-journal", "-wal" and "-shm"); empty for none.
std::string DatabaseOfJournal(const std::string& name);

}  // namespace community
