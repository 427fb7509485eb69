// The registry accessor.
#include "settings/RegistryAccessor.h"

namespace settings {

using platform::RegType;
using platform::RegValue;

bool RegistryAccessor::OpenKey(const std::string& path, bool canCreate) {
  key_.reset();
  std::string relative = !path.empty() && path[0] == '\\' ? path.substr(1) : path;
  long error = platform::kErrorSuccess;
  key_ = registry_.Open(root_, relative, access_, canCreate, &error);
  return key_ != nullptr;
}

platform::RegKey& RegistryAccessor::Key(const std::string& name) {
  if (!key_) throw RegistryError("No key is open for value \"" + name + "\"");
  return *key_;
}

bool RegistryAccessor::ValueExists(const std::string& name) {
  if (!key_) return false;
  RegValue value;
  return key_->QueryValue(name, &value) == platform::kErrorSuccess;
}

bool RegistryAccessor::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

int32_t RegistryAccessor::ReadInteger(const std::string& name) {
  RegValue value;
  if (Key(name).QueryValue(name, &value) != platform::kErrorSuccess || value.type != RegType::DWord) {
    throw RegistryError("Invalid data type for \"" + name + "\"");
  }
  return static_cast<int32_t>(value.number);
}

std::string RegistryAccessor::ReadString(const std::string& name) {
  RegValue value;
  if (Key(name).QueryValue(name, &value) != platform::kErrorSuccess || value.type != RegType::String) {
    throw RegistryError("Invalid data type for \"" + name + "\"");
  }
  return value.data;
}

void RegistryAccessor::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void RegistryAccessor::WriteInteger(const std::string& name, int32_t value) {
  if (Key(name).SetValue(name, RegValue::DWord(static_cast<uint32_t>(value))) != platform::kErrorSuccess) {
    throw RegistryError("Failed to set data for \"" + name + "\"");
  }
}

void RegistryAccessor::WriteString(const std::string& name, const std::string& value) {
  if (Key(name).SetValue(name, RegValue::String(value)) != platform::kErrorSuccess) {
    throw RegistryError("Failed to set data for \"" + name + "\"");
  }
}

bool RegistryAccessor::DeleteValue(const std::string& name) {
  if (!key_) return false;
  long error = key_->DeleteValue(name);
  return error == platform::kErrorSuccess || error == platform::kErrorFileNotFound;
}

}  // namespace settings
