// The settings accessor.
#include "settings/SettingsAccessor.h"

#include "settings/Settings.h"

namespace settings {

bool SettingsKey::BoolOrWrite(const std::string& name, bool fallback) {
  if (Has(name)) return ReadBool(name);
  WriteBool(name, fallback);
  return fallback;
}

int32_t SettingsKey::IntegerOrWrite(const std::string& name, int32_t fallback) {
  if (Has(name)) return ReadInteger(name);
  WriteInteger(name, fallback);
  return fallback;
}

void SettingsKey::RestoreDefault(const Setting& s) {
  const bool boolean = s.type == SettingType::Boolean;
  if (s.restore == Restore::Never) return;
  if (s.restore == Restore::IfMissing && Has(s.name)) {
    // Read all the same: a value of another type is a registry error, which ends the restoring.
    if (boolean) {
      ReadBool(s.name);
    } else {
      ReadInteger(s.name);
    }
    return;
  }
  if (boolean) {
    WriteBool(s.name, s.fallback != 0);
  } else {
    WriteInteger(s.name, s.fallback);
  }
}

std::optional<bool> SettingsKey::BoolIfPresent(const std::string& name) {
  if (!Has(name)) return std::nullopt;
  return ReadBool(name);
}

std::optional<int32_t> SettingsKey::IntegerIfPresent(const std::string& name) {
  if (!Has(name)) return std::nullopt;
  return ReadInteger(name);
}

SettingsOutcome SettingsAccessor::Run(const Body& body, bool canCreate, platform::RegAccess access) {
  SettingsOutcome outcome;
  SettingsKey key(registry_, access);
  outcome.opened = key.reg_.OpenKey(kSettingsKey, canCreate);
  if (!outcome.opened) return outcome;
  try {
    body(key);
  } catch (const RegistryError& e) {
    outcome.error = e.what();
  }
  return outcome;
}

bool SettingsAccessor::Store(const Body& write) {
  if (Change(write).done()) return true;
  ShowApplySettingsError();
  return false;
}

bool SettingsAccessor::StoreBool(const std::string& name, bool value) {
  return Store([&](SettingsKey& key) { key.WriteBool(name, value); });
}

bool SettingsAccessor::StoreInteger(const std::string& name, int32_t value) {
  return Store([&](SettingsKey& key) { key.WriteInteger(name, value); });
}

}  // namespace settings
