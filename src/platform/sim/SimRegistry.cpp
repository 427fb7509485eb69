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
  SimRegKey(SimRegistry& registry, std::shared_ptr<SimRegistry::Key> key, RegAccess access)
      : registry_(registry), key_(std::move(key)), access_(access) {}

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

 private:
  SimRegistry& registry_;
  std::shared_ptr<SimRegistry::Key> key_;
  RegAccess access_;
};

void MarkDeleted(SimRegistry::Key& key) {
  key.deleted = true;
  for (auto& [name, sub] : key.subkeys) MarkDeleted(*sub);
}

}  // namespace

SimRegistry::SimRegistry() : currentUser_(std::make_shared<Key>()), localMachine_(std::make_shared<Key>()) {}

std::shared_ptr<SimRegistry::Key> SimRegistry::Find(RegRoot root, const std::string& path) const {
  std::shared_ptr<Key> key = root == RegRoot::CurrentUser ? currentUser_ : localMachine_;
  for (const std::string& part : SplitPath(path)) {
    if (part.empty()) return nullptr;
    auto it = key->subkeys.find(part);
    if (it == key->subkeys.end()) return nullptr;
    key = it->second;
  }
  return key;
}

std::shared_ptr<SimRegistry::Key> SimRegistry::FindOrCreate(RegRoot root, const std::string& path) {
  std::shared_ptr<Key> key = root == RegRoot::CurrentUser ? currentUser_ : localMachine_;
  for (const std::string& part : SplitPath(path)) {
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

uint32_t SimRegistry::RightsOn(RegRoot root, const Key& key) const {
  if (key.unopenable) return 0;
  uint32_t rights = standardUser && root == RegRoot::LocalMachine ? kQueryValue | key.usersGrant : kAllRights;
  return key.unwritable ? rights & kQueryValue : rights;
}

std::unique_ptr<RegKey> SimRegistry::Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                                          long* error) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++openCount_;
  *error = kErrorSuccess;
  std::shared_ptr<Key> key = root == RegRoot::CurrentUser ? currentUser_ : localMachine_;
  for (const std::string& part : SplitPath(path)) {
    if (part.empty()) {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    auto it = key->subkeys.find(part);
    if (it != key->subkeys.end()) {
      key = it->second;
      continue;
    }
    if (!create) {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    // A missing key can only be made below a parent that grants creating subkeys.
    if (!(RightsOn(root, *key) & kCreateSubKey)) {
      *error = kErrorAccessDenied;
      return nullptr;
    }
    auto sub = std::make_shared<Key>();
    sub->usersGrant = kAllRights;  // its creator owns it
    key->subkeys[part] = sub;
    key = sub;
  }
  uint32_t needed = RightsNeeded(access);
  if ((RightsOn(root, *key) & needed) != needed) {
    *error = kErrorAccessDenied;
    return nullptr;
  }
  return std::make_unique<SimRegKey>(*this, key, access);
}

long SimRegistry::DeleteTree(RegRoot root, const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  std::vector<std::string> parts = SplitPath(path);
  if (parts.empty()) return kErrorAccessDenied;
  std::string last = parts.back();
  parts.pop_back();
  std::string parentPath;
  for (const std::string& p : parts) parentPath += (parentPath.empty() ? "" : "\\") + p;
  std::shared_ptr<Key> parent = Find(root, parentPath);
  if (!parent) return kErrorFileNotFound;
  auto it = parent->subkeys.find(last);
  if (it == parent->subkeys.end()) return kErrorFileNotFound;
  // Deleting takes every right on the key, which only its creator or an administrator holds.
  if (RightsOn(root, *it->second) != kAllRights || parent->unwritable) return kErrorAccessDenied;
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
