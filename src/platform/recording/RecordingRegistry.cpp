// The recorded registry and key security.
#include "platform/recording/RecordingRegistry.h"

namespace platform::recording {
namespace {

// An open key whose value writes are noted; in a preview they go nowhere,
// and `inner` is null for a key the preview would have created.
class RecordingKey : public RegKey {
 public:
  RecordingKey(RecordingRegistry& registry, std::unique_ptr<RegKey> inner, std::string keyName)
      : registry_(registry), inner_(std::move(inner)), keyName_(std::move(keyName)) {}

  long QueryValue(const std::string& name, RegValue* value) override {
    if (registry_.recorder().preview() && registry_.RemovedValue(keyName_, name)) return kErrorFileNotFound;
    return inner_ ? inner_->QueryValue(name, value) : kErrorFileNotFound;
  }
  long SetValue(const std::string& name, const RegValue& value) override {
    long error = kErrorSuccess;
    if (!registry_.recorder().preview()) {
      error = inner_->SetValue(name, value);
    } else {
      registry_.SetValueRemoved(keyName_, name, false);
    }
    return registry_.Outcome(ChangeKind::SetValue, keyName_, name, error);
  }
  long DeleteValue(const std::string& name) override {
    if (!registry_.recorder().preview()) {
      return registry_.Outcome(ChangeKind::DeleteValue, keyName_, name, inner_->DeleteValue(name));
    }
    RegValue unused;
    // A value that cannot be read (this handle may not query) counts as there.
    if (QueryValue(name, &unused) == kErrorFileNotFound) return kErrorFileNotFound;
    registry_.SetValueRemoved(keyName_, name, true);
    return registry_.Outcome(ChangeKind::DeleteValue, keyName_, name, kErrorSuccess);
  }
  // In a preview, without the values it removed.
  long ValueNames(std::vector<std::string>* names) override {
    names->clear();
    if (!inner_) return kErrorSuccess;
    long error = inner_->ValueNames(names);
    if (error != kErrorSuccess || !registry_.recorder().preview()) return error;
    std::vector<std::string> kept;
    for (std::string& name : *names) {
      if (!registry_.RemovedValue(keyName_, name)) kept.push_back(std::move(name));
    }
    names->swap(kept);
    return kErrorSuccess;
  }
  long FullName(std::string* name) override { return inner_ ? inner_->FullName(name) : kErrorFileNotFound; }

 private:
  RecordingRegistry& registry_;
  std::unique_ptr<RegKey> inner_;
  std::string keyName_;
};

class RecordingSecuredKey : public SecuredKey {
 public:
  RecordingSecuredKey(RecordingRegistry& registry, std::unique_ptr<SecuredKey> inner, std::string keyName)
      : registry_(registry), inner_(std::move(inner)), keyName_(std::move(keyName)) {}

  long GetDacl(void* buffer, uint32_t* size) override { return inner_->GetDacl(buffer, size); }
  long SetDacl(const std::string& descriptor) override {
    long error = registry_.recorder().preview() ? kErrorSuccess : inner_->SetDacl(descriptor);
    return registry_.Outcome(ChangeKind::SetKeyAccess, keyName_, {}, error);
  }
  long QuerySubkeyCount(uint32_t* count) override { return inner_->QuerySubkeyCount(count); }
  long EnumSubkey(uint32_t index, uint32_t bufferChars, std::string* name) override {
    return inner_->EnumSubkey(index, bufferChars, name);
  }

 private:
  RecordingRegistry& registry_;
  std::unique_ptr<SecuredKey> inner_;
  std::string keyName_;
};

std::string ValueId(const std::string& keyName, const std::string& name) {
  return RemovedNames::Normal(keyName) + '\n' + name;
}

}  // namespace

bool RecordingRegistry::RemovedValue(const std::string& keyName, const std::string& name) const {
  return removedKeys_.Contains(keyName) || removedValues_.count(ValueId(keyName, name));
}

void RecordingRegistry::SetValueRemoved(const std::string& keyName, const std::string& name, bool removed) {
  if (removed) {
    removedValues_.insert(ValueId(keyName, name));
  } else {
    removedValues_.erase(ValueId(keyName, name));
  }
}

long RecordingRegistry::Outcome(ChangeKind kind, const std::string& keyName, const std::string& name, long error) {
  bool removal = kind == ChangeKind::DeleteKey || kind == ChangeKind::DeleteValue;
  if (removal && IsNotFound(error)) return error;
  Change change;
  change.kind = kind;
  change.target = keyName;
  change.name = name;
  change.error = error;
  recorder_.Note(std::move(change));
  return error;
}

long RecordingRegistry::Probe(RegRoot root, const std::string& path) {
  if (removedKeys_.Contains(KeyName(root, path))) return kErrorFileNotFound;
  long error = kErrorSuccess;
  inner_.Open(root, path, RegAccess::QueryOnly, false, &error);
  return IsNotFound(error) ? kErrorFileNotFound : kErrorSuccess;
}

std::unique_ptr<RegKey> RecordingRegistry::Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                                                long* error) {
  const std::string keyName = KeyName(root, path);
  // Whether opening makes the key, so that making it is noted.
  const bool missing = create && Probe(root, path) == kErrorFileNotFound;
  if (recorder_.preview()) {
    if (missing) {
      *error = Outcome(ChangeKind::CreateKey, keyName, {}, kErrorSuccess);
      return std::make_unique<RecordingKey>(*this, nullptr, keyName);
    }
    if (removedKeys_.Contains(keyName)) {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    create = false;
  }
  std::unique_ptr<RegKey> key = inner_.Open(root, path, access, create, error);
  if (missing) Outcome(ChangeKind::CreateKey, keyName, {}, *error);
  return key ? std::make_unique<RecordingKey>(*this, std::move(key), keyName) : nullptr;
}

long RecordingRegistry::DeleteTree(RegRoot root, const std::string& path) {
  const std::string keyName = KeyName(root, path);
  if (!recorder_.preview()) return Outcome(ChangeKind::DeleteKey, keyName, {}, inner_.DeleteTree(root, path));
  if (Probe(root, path) == kErrorFileNotFound) return kErrorFileNotFound;
  removedKeys_.Add(keyName);
  return Outcome(ChangeKind::DeleteKey, keyName, {}, kErrorSuccess);
}

long RecordingRegistry::DeleteValue(RegRoot root, const std::string& path, const std::string& name) {
  const std::string keyName = KeyName(root, path);
  if (!recorder_.preview()) {
    return Outcome(ChangeKind::DeleteValue, keyName, name, inner_.DeleteValue(root, path, name));
  }
  if (Probe(root, path) == kErrorFileNotFound || RemovedValue(keyName, name)) return kErrorFileNotFound;
  long error = kErrorSuccess;
  std::unique_ptr<RegKey> key = inner_.Open(root, path, RegAccess::QueryOnly, false, &error);
  RegValue unused;
  if (key && key->QueryValue(name, &unused) == kErrorFileNotFound) return kErrorFileNotFound;
  SetValueRemoved(keyName, name, true);
  return Outcome(ChangeKind::DeleteValue, keyName, name, kErrorSuccess);
}

std::unique_ptr<AccessToken> RecordingSecurity::OpenProcessTokenForQuery(long* error) {
  return inner_.OpenProcessTokenForQuery(error);
}

std::string RecordingSecurity::TokenUserSid(const void* buffer) { return inner_.TokenUserSid(buffer); }

bool RecordingSecurity::LogonUserName(uint32_t bufferChars, std::string* name) {
  return inner_.LogonUserName(bufferChars, name);
}

std::unique_ptr<SecuredKey> RecordingSecurity::OpenKey(RegRoot root, const std::string& path, KeyRight right,
                                                       long* error) {
  const std::string keyName = KeyName(root, path);
  if (registry_.recorder().preview() && registry_.RemovedKey(keyName)) {
    *error = kErrorFileNotFound;
    return nullptr;
  }
  // Opening changes nothing, whatever the right asked for.
  std::unique_ptr<SecuredKey> key = inner_.OpenKey(root, path, right, error);
  return key ? std::make_unique<RecordingSecuredKey>(registry_, std::move(key), keyName) : nullptr;
}

}  // namespace platform::recording
