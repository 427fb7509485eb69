// An entry's RegKeys: a key with everything below it, or one value, in
// each view of the registry where the key is one of its own; never a
// protected key, never what an ExcludeKey keeps.
#include <algorithm>

#include "community/EntryParts.h"
#include "community/Places.h"
#include "util/Text.h"

namespace community {
namespace {

using platform::RegRoot;

std::string Joined(const std::string& key, const std::string& sub) { return key.empty() ? sub : key + "\\" + sub; }

// Whether the key `inner` is `outer` or lies below it.
bool AtOrBelow(const std::string& inner, const std::string& outer) {
  std::vector<std::string> a = PathParts(inner), b = PathParts(outer);
  if (b.size() > a.size()) return false;
  for (size_t i = 0; i < b.size(); ++i) {
    if (!util::EqualNoCase(a[i], b[i])) return false;
  }
  return true;
}

class RegistryCleaner {
 public:
  RegistryCleaner(const Entry& entry, cleaner::CleanerSteps& run)
      : run_(run), registry_(run.platform().registry), security_(run.platform().security) {
    for (const Exclusion& exclusion : entry.exclusions) {
      if (exclusion.kind == Exclusion::Kind::Registry) exclusions_.push_back(&exclusion);
    }
  }

  void Clean(const RegistryRule& rule) {
    const std::string& path = rule.at.path;
    if (rule.value) {
      if (const Exclusion* kept = Keeping(rule.at.hive, path, &*rule.value)) {
        ByRule(rule, path + ": " + *rule.value, "kept by " + kept->key);
        return;
      }
      for (RegRoot root : ViewsOf(registry_, rule.at)) registry_.DeleteValue(root, path, *rule.value);
      return;
    }
    if (IsProtectedKey(rule.at.hive, path)) {
      ByRule(rule, path, "refused: a key no rule may remove");
      return;
    }
    if (const Exclusion* kept = Keeping(rule.at.hive, path, nullptr)) {
      ByRule(rule, path, "kept by " + kept->key);
      return;
    }
    for (RegRoot root : ViewsOf(registry_, rule.at)) {
      if (HasExclusionBelow(rule.at.hive, path)) {
        DeleteAllBut(rule, root, path);
      } else {
        registry_.DeleteTree(root, path);
      }
      if (run_.stopFlag()) return;
    }
  }

 private:
  void ByRule(const RegistryRule& rule, const std::string& what, std::string reason) {
    cleaner::StepSkip skip{0, rule.key + ": " + HiveName(rule.at.hive) + (what.empty() ? "" : "\\" + what),
                           std::move(reason)};
    skip.byRule = true;
    run_.NoteSkip(std::move(skip));
  }

  static std::string HiveName(Hive hive) {
    switch (hive) {
      case Hive::CurrentUser:
        return "HKEY_CURRENT_USER";
      case Hive::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
      case Hive::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
      case Hive::Users:
        return "HKEY_USERS";
      case Hive::CurrentConfig:
        break;
    }
    return "HKEY_CURRENT_CONFIG";
  }

  // The exclusion that keeps the key (a value of it, when `value` is given)
  // whole: one at the key or above it, or one of that very value.
  const Exclusion* Keeping(Hive hive, const std::string& path, const std::string* value) const {
    for (const Exclusion* e : exclusions_) {
      if (e->at.hive != hive) continue;
      if (!e->value && AtOrBelow(path, e->at.path)) return e;
      if (e->value && value && util::EqualNoCase(*e->value, *value) && AtOrBelow(path, e->at.path) &&
          AtOrBelow(e->at.path, path)) {
        return e;
      }
    }
    return nullptr;
  }

  bool HasExclusionBelow(Hive hive, const std::string& path) const {
    return std::any_of(exclusions_.begin(), exclusions_.end(), [&](const Exclusion* e) {
      return e->at.hive == hive && AtOrBelow(e->at.path, path) && (e->value || !AtOrBelow(path, e->at.path));
    });
  }

  // Removes what a key holds but what an exclusion below it keeps: the
  // values not kept, the subkeys that hold nothing kept whole, the others
  // in the same way. The key itself stays, as it holds what is kept.
  void DeleteAllBut(const RegistryRule& rule, RegRoot root, const std::string& path) {
    long error = platform::kErrorSuccess;
    std::vector<std::string> values;
    if (std::unique_ptr<platform::RegKey> key =
            registry_.Open(root, path, platform::RegAccess::QueryOnly, false, &error)) {
      key->ValueNames(&values);
    }
    for (const std::string& value : values) {
      if (const Exclusion* kept = Keeping(rule.at.hive, path, &value)) {
        ByRule(rule, path + ": " + value, "kept by " + kept->key);
      } else {
        registry_.DeleteValue(root, path, value);
      }
    }
    for (const std::string& sub : Subkeys(root, path)) {
      if (run_.stopFlag()) return;
      const std::string below = Joined(path, sub);
      if (const Exclusion* kept = Keeping(rule.at.hive, below, nullptr)) {
        ByRule(rule, below, "kept by " + kept->key);
      } else if (HasExclusionBelow(rule.at.hive, below)) {
        DeleteAllBut(rule, root, below);
      } else {
        registry_.DeleteTree(root, below);
      }
    }
  }

  std::vector<std::string> Subkeys(RegRoot root, const std::string& path) {
    std::vector<std::string> names;
    long error = platform::kErrorSuccess;
    std::unique_ptr<platform::SecuredKey> key = security_.OpenKey(root, path, platform::KeyRight::Read, &error);
    if (!key) return names;
    // Key names are at most 255 characters.
    for (uint32_t index = 0;; ++index) {
      std::string name;
      if (key->EnumSubkey(index, 256, &name) != platform::kErrorSuccess) break;
      names.push_back(std::move(name));
    }
    return names;
  }

  cleaner::CleanerSteps& run_;
  platform::Registry& registry_;
  platform::Security& security_;
  std::vector<const Exclusion*> exclusions_;
};

}  // namespace

void CleanRegistry(const Entry& entry, cleaner::CleanerSteps& run) {
  RegistryCleaner cleaner(entry, run);
  for (const RegistryRule& rule : entry.registry) {
    if (run.stopFlag()) return;
    cleaner.Clean(rule);
  }
}

}  // namespace community
