// Typed access to the settings key, one operation at a time. Each operation
// opens the key afresh with the rights it uses and closes it at its end, so a
// value the blocker module or another instance changed is read as it is now:
// nothing is cached here. The two rules every reader follows live here too: a
// missing value is written with its default (`BoolOrWrite`), and the first
// registry error ends the operation silently, keeping what was done before it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/Registry.h"
#include "settings/RegistryAccessor.h"
#include "settings/Settings.h"

namespace settings {

// The settings key as one operation has it open.
class SettingsKey {
 public:
  bool Has(const std::string& name) { return reg_.ValueExists(name); }
  // A missing value or one of another type is a registry error.
  bool ReadBool(const std::string& name) { return reg_.ReadBool(name); }
  int32_t ReadInteger(const std::string& name) { return reg_.ReadInteger(name); }
  // The stored value; a missing one is written as `fallback` and given back.
  bool BoolOrWrite(const std::string& name, bool fallback);
  int32_t IntegerOrWrite(const std::string& name, int32_t fallback);
  // The stored value, or nothing when it is missing (and nothing is written).
  std::optional<bool> BoolIfPresent(const std::string& name);
  std::optional<int32_t> IntegerIfPresent(const std::string& name);
  void WriteBool(const std::string& name, bool value) { reg_.WriteBool(name, value); }
  void WriteInteger(const std::string& name, int32_t value) { reg_.WriteInteger(name, value); }
  // A text value: a missing one reads empty, one of another type is a registry error.
  std::string StringOrEmpty(const std::string& name) { return Has(name) ? reg_.ReadString(name) : std::string(); }
  void WriteString(const std::string& name, const std::string& value) { reg_.WriteString(name, value); }

  // The same for a value of the settings table, whose default is its own.
  bool ReadBool(const Setting& s) { return ReadBool(s.name); }
  bool BoolOrDefault(const Setting& s) { return BoolOrWrite(s.name, s.fallback != 0); }
  int32_t IntegerOrDefault(const Setting& s) { return IntegerOrWrite(s.name, s.fallback); }
  // The stored value, or the default of a missing one; writes nothing.
  bool BoolOrFallback(const Setting& s) { return BoolIfPresent(s.name).value_or(s.fallback != 0); }
  int32_t IntegerOrFallback(const Setting& s) { return IntegerIfPresent(s.name).value_or(s.fallback); }
  // As the start-up reading writes a missing one.
  bool BoolOrStartDefault(const Setting& s) { return BoolOrWrite(s.name, s.atStart != 0); }
  int32_t IntegerOrStartDefault(const Setting& s) { return IntegerOrWrite(s.name, s.atStart); }
  std::optional<bool> BoolIfPresent(const Setting& s) { return BoolIfPresent(s.name); }
  std::optional<int32_t> IntegerIfPresent(const Setting& s) { return IntegerIfPresent(s.name); }
  void WriteBool(const Setting& s, bool value) { WriteBool(s.name, value); }
  void WriteInteger(const Setting& s, int32_t value) { WriteInteger(s.name, value); }
  // What restoring the defaults does with it (see Restore).
  void RestoreDefault(const Setting& s);

 private:
  friend class SettingsAccessor;
  SettingsKey(platform::Registry& registry, platform::RegAccess access)
      : reg_(registry, platform::RegRoot::LocalMachine, access) {}
  RegistryAccessor reg_;
};

// How one operation on the settings key went.
struct SettingsOutcome {
  bool opened = false;
  std::string error;  // the registry error that ended it early; empty when none
  bool done() const { return opened && error.empty(); }
};

class SettingsAccessor {
 public:
  using Body = std::function<void(SettingsKey&)>;

  // `showApplyError` tells the user that a change could not be stored; a
  // program without windows passes none.
  explicit SettingsAccessor(platform::Registry& registry, std::function<void()> showApplyError = {})
      : registry_(registry), showApplyError_(std::move(showApplyError)) {}

  // Reads only (query rights); the key is created when missing.
  SettingsOutcome Read(const Body& body) { return Run(body, true, platform::RegAccess::QueryOnly); }
  // Reads only, from a key that must already exist: a missing key is left missing.
  SettingsOutcome ReadExisting(const Body& body) { return Run(body, false, platform::RegAccess::QueryOnly); }
  // Reads, and writes the defaults of missing values, in a key that must
  // already exist: a missing key is left missing.
  SettingsOutcome Load(const Body& body) { return Run(body, false, platform::RegAccess::QueryAndSet); }
  // Reads and writes; the key is created when missing.
  SettingsOutcome Change(const Body& body) { return Run(body, true, platform::RegAccess::QueryAndSet); }
  // One value the user changed; when it is not stored, the apply-settings
  // message. True exactly when it was stored.
  bool StoreBool(const std::string& name, bool value);
  bool StoreInteger(const std::string& name, int32_t value);
  bool StoreBool(const Setting& s, bool value) { return StoreBool(s.name, value); }
  bool StoreInteger(const Setting& s, int32_t value) { return StoreInteger(s.name, value); }

  // "An error has occurred while trying to apply user settings".
  void ShowApplySettingsError() {
    if (showApplyError_) showApplyError_();
  }

 private:
  SettingsOutcome Run(const Body& body, bool canCreate, platform::RegAccess access);
  bool Store(const Body& write);

  platform::Registry& registry_;
  std::function<void()> showApplyError_;
};

}  // namespace settings
