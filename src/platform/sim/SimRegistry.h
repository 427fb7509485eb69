// An in-memory registry with the Win32 registry's rules: names without regard
// to case, open-only versus open-or-create, access rights per handle and per
// key. Keys can be made unopenable or unwritable, values can hold any type,
// and the program can run as a standard user, to whom HKEY_LOCAL_MACHINE is
// read-only except where a key's access list grants the Users group more.
// HKEY_CLASSES_ROOT is the user's classes over the machine's, as Windows
// merges them, and the 32-bit views redirect as Windows documents
// ("Registry Keys Affected by WOW64"): HKLM\SOFTWARE to its WOW6432Node but
// for the keys it shares, and the classes' CLSID, Interface, DirectShow,
// Media Type and MediaFoundation to theirs.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "util/Text.h"

namespace platform::sim {

class SimRegistry : public Registry {
 public:
  // Rights on a key, with the values of KEY_QUERY_VALUE, KEY_SET_VALUE and KEY_CREATE_SUB_KEY.
  enum Rights : uint32_t { kQueryValue = 0x1, kSetValue = 0x2, kCreateSubKey = 0x4, kAllRights = 0x7 };

  struct Key {
    std::map<std::string, std::shared_ptr<Key>, util::LessNoCase> subkeys;
    std::map<std::string, RegValue, util::LessNoCase> values;
    bool unopenable = false;
    bool unwritable = false;
    // What the key's own access list grants Users beyond the reading that
    // HKEY_LOCAL_MACHINE\SOFTWARE gives them; it is not inherited by subkeys.
    uint32_t usersGrant = 0;
    bool deleted = false;
    std::string securityDescriptor;  // self-relative, DACL part only; empty: the default
  };

  SimRegistry();

  std::unique_ptr<RegKey> Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                               long* error) override;
  long DeleteTree(RegRoot root, const std::string& path) override;
  long DeleteValue(RegRoot root, const std::string& path, const std::string& name) override;

  // For tests: direct access that ignores the fault flags.
  void Set(RegRoot root, const std::string& path, const std::string& name, const RegValue& value);
  std::optional<RegValue> Get(RegRoot root, const std::string& path, const std::string& name) const;
  bool KeyExists(RegRoot root, const std::string& path) const;
  std::vector<std::string> ValueNames(RegRoot root, const std::string& path) const;
  std::vector<std::string> SubkeyNames(RegRoot root, const std::string& path) const;
  void CreateKey(RegRoot root, const std::string& path);
  void MakeUnopenable(RegRoot root, const std::string& path, bool on = true);
  void MakeUnwritable(RegRoot root, const std::string& path, bool on = true);
  // Adds an entry for Users to a key's access list, as an installer running
  // as administrator would (creating the key when missing).
  void GrantUsers(RegRoot root, const std::string& path, uint32_t rights);
  // The program runs as a standard user rather than as an administrator.
  bool standardUser = false;
  // The key's node, for the simulated security calls; null when missing.
  std::shared_ptr<Key> FindKey(RegRoot root, const std::string& path) const { return Find(root, path); }
  // Counts calls to Open, so tests can tell that something did not touch the registry.
  int openCount() const { return openCount_; }

  std::recursive_mutex& mutex() const { return mutex_; }

 private:
  // The tree a root's path lies in, and the path within it: where a merged
  // or redirected root leads.
  struct Place {
    std::shared_ptr<Key> tree;
    std::string path;
    bool machine = false;  // the machine's: read-only to a standard user unless granted
  };
  Place Locate(RegRoot root, const std::string& path) const;
  std::shared_ptr<Key> Find(RegRoot root, const std::string& path) const;
  uint32_t RightsOn(const Place& place, const Key& key) const;
  std::shared_ptr<Key> FindOrCreate(RegRoot root, const std::string& path);

  mutable std::recursive_mutex mutex_;
  std::shared_ptr<Key> currentUser_;
  std::shared_ptr<Key> localMachine_;
  std::shared_ptr<Key> users_;
  std::shared_ptr<Key> currentConfig_;
  int openCount_ = 0;
};

}  // namespace platform::sim
