// The simulated registry.
#include "platform/sim/SimRegistry.h"

namespace platform::sim {
namespace {

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty() || !parts.empty()) parts.push_back(part);
  return parts;
}

class SimRegKey : public RegKey {
 public:
  SimRegKey(SimRegistry& registry, std::shared_ptr<SimRegistry::Key> key, RegAccess access, std::string name)
      : registry_(registry), key_(std::move(key)), access_(access), name_(std::move(name)) {}

  long QueryValue(const std::string& name, RegValue* value) override {
    std::lock_guard<std::recursive_mutex> lock(registry_.mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (access_ == RegAccess::SetOnly) return kErrorAccessDenied;
    auto it = key_->values.find(name);
    if (it == key_->values.end()) return kErrorFileNotFound;
    *value = it->second;
    return kErrorSuccess;
  }

  long SetValue(const std::string& name, const RegValue& value) override {
    std::lock_guard<std::recursive_mutex> lock(registry_.mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (access_ == RegAccess::QueryOnly || key_->unwritable) return kErrorAccessDenied;
    key_->values[name] = value;
    return kErrorSuccess;
  }

  long DeleteValue(const std::string& name) override {
    std::lock_guard<std::recursive_mutex> lock(registry_.mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (access_ == RegAccess::QueryOnly || key_->unwritable) return kErrorAccessDenied;
    return key_->values.erase(name) ? kErrorSuccess : kErrorFileNotFound;
  }

  long ValueNames(std::vector<std::string>* names) override {
    std::lock_guard<std::recursive_mutex> lock(registry_.mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    if (access_ == RegAccess::SetOnly) return kErrorAccessDenied;
    names->clear();
    for (const auto& [name, value] : key_->values) names->push_back(name);
    return kErrorSuccess;
  }

  long FullName(std::string* name) override {
    std::lock_guard<std::recursive_mutex> lock(registry_.mutex());
    if (key_->deleted) return kErrorKeyDeleted;
    *name = name_;
    return kErrorSuccess;
  }

 private:
  SimRegistry& registry_;
  std::shared_ptr<SimRegistry::Key> key_;
  RegAccess access_;
  std::string name_;  // as the registry spells it, from its tree
};

void MarkDeleted(SimRegistry::Key& key) {
  key.deleted = true;
  for (auto& [name, sub] : key.subkeys) MarkDeleted(*sub);
}

}  // namespace

SimRegistry::SimRegistry()
    : currentUser_(std::make_shared<Key>()),
      localMachine_(std::make_shared<Key>()),
      users_(std::make_shared<Key>()),
      currentConfig_(std::make_shared<Key>()) {}

namespace {

// The first part of a path and what follows it.
std::pair<std::string, std::string> FirstPart(const std::string& path) {
  const size_t cut = path.find('\\');
  if (cut == std::string::npos) return {path, {}};
  return {path.substr(0, cut), path.substr(cut + 1)};
}

std::string Joined(const std::string& a, const std::string& b) { return b.empty() ? a : a + "\\" + b; }

// A classes path (below HKEY_CLASSES_ROOT or SOFTWARE\Classes) as a 32-bit
// program reaches it.
std::string Classes32(const std::string& path) {
  const std::string first = FirstPart(path).first;
  for (const char* redirected : {"CLSID", "DirectShow", "Interface", "Media Type", "MediaFoundation"}) {
    if (util::EqualNoCase(first, redirected)) return Joined("Wow6432Node", path);
  }
  return path;
}

// HKLM's path as a 32-bit program reaches it: SOFTWARE goes to its
// WOW6432Node, but for the keys Windows shares between the views.
std::string Machine32(const std::string& path) {
  auto [first, rest] = FirstPart(path);
  if (!util::EqualNoCase(first, "SOFTWARE")) return path;
  auto [second, below] = FirstPart(rest);
  if (util::EqualNoCase(second, "Classes")) return Joined(Joined(first, second), Classes32(below));
  for (const char* shared : {"WOW6432Node", "Policies", "RegisteredApplications"}) {
    if (util::EqualNoCase(second, shared)) return path;
  }
  return Joined(Joined(first, "WOW6432Node"), rest);
}

}  // namespace

SimRegistry::Place SimRegistry::Locate(RegRoot root, const std::string& path) const {
  switch (root) {
    case RegRoot::CurrentUser:
      return {currentUser_, path, false};
    case RegRoot::LocalMachine:
      return {localMachine_, path, true};
    case RegRoot::LocalMachine32:
      return {localMachine_, Machine32(path), true};
    case RegRoot::Users:
      return {users_, path, true};
    case RegRoot::CurrentConfig:
      return {currentConfig_, path, true};
    case RegRoot::ClassesRoot:
    case RegRoot::ClassesRoot32:
      break;
  }
  // The user's classes where the key is there, else the machine's.
  const std::string classes = Joined("Software\\Classes", root == RegRoot::ClassesRoot32 ? Classes32(path) : path);
  Place user{currentUser_, classes, false};
  std::shared_ptr<Key> key = currentUser_;
  for (const std::string& part : SplitPath(classes)) {
    auto it = key->subkeys.find(part);
    if (part.empty() || it == key->subkeys.end()) return {localMachine_, classes, true};
    key = it->second;
  }
  return user;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::Find(RegRoot root, const std::string& path) const {
  Place place = Locate(root, path);
  std::shared_ptr<Key> key = place.tree;
  for (const std::string& part : SplitPath(place.path)) {
    if (part.empty()) return nullptr;
    auto it = key->subkeys.find(part);
    if (it == key->subkeys.end()) return nullptr;
    key = it->second;
  }
  return key;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::FindOrCreate(RegRoot root, const std::string& path) {
  Place place = Locate(root, path);
  std::shared_ptr<Key> key = place.tree;
  for (const std::string& part : SplitPath(place.path)) {
    if (part.empty()) return nullptr;
    auto& sub = key->subkeys[part];
    if (!sub) sub = std::make_shared<Key>();
    key = sub;
  }
  return key;
}

namespace {

uint32_t RightsNeeded(RegAccess access) {
  switch (access) {
    case RegAccess::QueryAndSet:
      return SimRegistry::kQueryValue | SimRegistry::kSetValue;
    case RegAccess::SetOnly:
      return SimRegistry::kSetValue;
    case RegAccess::QueryOnly:
      return SimRegistry::kQueryValue;
  }
  return SimRegistry::kAllRights;
}

}  // namespace

uint32_t SimRegistry::RightsOn(const Place& place, const Key& key) const {
  if (key.unopenable) return 0;
  uint32_t rights = standardUser && place.machine ? kQueryValue | key.usersGrant : kAllRights;
  return key.unwritable ? rights & kQueryValue : rights;
}

std::unique_ptr<RegKey> SimRegistry::Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                                          long* error) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++openCount_;
  *error = kErrorSuccess;
  const Place place = Locate(root, path);
  std::shared_ptr<Key> key = place.tree;
  std::string name = place.tree == currentUser_ ? "\\REGISTRY\\USER\\CURRENT"
                     : place.tree == users_     ? "\\REGISTRY\\USER"
                     : place.tree == currentConfig_
                         ? "\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Hardware Profiles\\Current"
                         : "\\REGISTRY\\MACHINE";
  for (const std::string& part : SplitPath(place.path)) {
    if (part.empty()) {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    auto it = key->subkeys.find(part);
    if (it != key->subkeys.end()) {
      key = it->second;
      name += "\\" + it->first;
      continue;
    }
    if (!create) {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    // A missing key can only be made below a parent that grants creating subkeys.
    if (!(RightsOn(place, *key) & kCreateSubKey)) {
      *error = kErrorAccessDenied;
      return nullptr;
    }
    auto sub = std::make_shared<Key>();
    sub->usersGrant = kAllRights;  // its creator owns it
    key->subkeys[part] = sub;
    key = sub;
    name += "\\" + part;
  }
  uint32_t needed = RightsNeeded(access);
  if ((RightsOn(place, *key) & needed) != needed) {
    *error = kErrorAccessDenied;
    return nullptr;
  }
  return std::make_unique<SimRegKey>(*this, key, access, name);
}

long SimRegistry::DeleteTree(RegRoot root, const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Place place = Locate(root, path);
  std::vector<std::string> parts = SplitPath(place.path);
  if (parts.empty() || SplitPath(path).empty()) return kErrorAccessDenied;
  std::string last = parts.back();
  parts.pop_back();
  std::shared_ptr<Key> parent = place.tree;
  for (const std::string& part : parts) {
    auto up = parent->subkeys.find(part);
    if (part.empty() || up == parent->subkeys.end()) return kErrorFileNotFound;
    parent = up->second;
  }
  auto it = parent->subkeys.find(last);
  if (it == parent->subkeys.end()) return kErrorFileNotFound;
  // Deleting takes every right on the key, which only its creator or an administrator holds.
  if (RightsOn(place, *it->second) != kAllRights || parent->unwritable) return kErrorAccessDenied;
  MarkDeleted(*it->second);
  parent->subkeys.erase(it);
  return kErrorSuccess;
}

long SimRegistry::DeleteValue(RegRoot root, const std::string& path, const std::string& name) {
  long error = kErrorSuccess;
  std::unique_ptr<RegKey> key = Open(root, path, RegAccess::QueryAndSet, false, &error);
  if (!key) return error;
  return key->DeleteValue(name);
}

void SimRegistry::Set(RegRoot root, const std::string& path, const std::string& name, const RegValue& value) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  FindOrCreate(root, path)->values[name] = value;
}

std::optional<RegValue> SimRegistry::Get(RegRoot root, const std::string& path, const std::string& name) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Key> key = Find(root, path);
  if (!key) return std::nullopt;
  auto it = key->values.find(name);
  if (it == key->values.end()) return std::nullopt;
  return it->second;
}

bool SimRegistry::KeyExists(RegRoot root, const std::string& path) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return Find(root, path) != nullptr;
}

namespace {
template <typename Map>
std::vector<std::string> NamesIn(const Map& map) {
  std::vector<std::string> names;
  for (const auto& entry : map) names.push_back(entry.first);
  return names;
}
}  // namespace

std::vector<std::string> SimRegistry::ValueNames(RegRoot root, const std::string& path) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Key> key = Find(root, path);
  return key ? NamesIn(key->values) : std::vector<std::string>{};
}

std::vector<std::string> SimRegistry::SubkeyNames(RegRoot root, const std::string& path) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::shared_ptr<Key> key = Find(root, path);
  return key ? NamesIn(key->subkeys) : std::vector<std::string>{};
}

void SimRegistry::CreateKey(RegRoot root, const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  FindOrCreate(root, path);
}

void SimRegistry::MakeUnopenable(RegRoot root, const std::string& path, bool on) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  FindOrCreate(root, path)->unopenable = on;
}

void SimRegistry::MakeUnwritable(RegRoot root, const std::string& path, bool on) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  FindOrCreate(root, path)->unwritable = on;
}

void SimRegistry::GrantUsers(RegRoot root, const std::string& path, uint32_t rights) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  FindOrCreate(root, path)->usersGrant |= rights;
}

}  // namespace platform::sim
