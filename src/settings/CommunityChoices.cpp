// The chosen community entries in the settings key.
#include "settings/CommunityChoices.h"

#include "community/Download.h"
#include "settings/Settings.h"

namespace settings {
namespace {

std::string CommunityPath() { return std::string(kSettingsKey) + "\\" + kCommunityKey; }

}  // namespace

std::string ReadCommunityChoices(platform::Registry& registry, std::vector<std::string>* names) {
  names->clear();
  long error = platform::kErrorSuccess;
  std::unique_ptr<platform::RegKey> key =
      registry.Open(platform::RegRoot::LocalMachine, CommunityPath(), platform::RegAccess::QueryOnly, false, &error);
  if (!key) {
    if (platform::IsNotFound(error)) return {};
    return "the chosen community cleaners could not be read (error " + std::to_string(error) + ")";
  }
  std::vector<std::string> values;
  error = key->ValueNames(&values);
  if (error != platform::kErrorSuccess) {
    return "the chosen community cleaners could not be read (error " + std::to_string(error) + ")";
  }
  for (const std::string& name : values) {
    platform::RegValue value;
    if (key->QueryValue(name, &value) == platform::kErrorSuccess && value.type == platform::RegType::DWord &&
        value.number == 1) {
      names->push_back(name);
    }
  }
  return {};
}

bool StoreCommunityChoice(platform::Registry& registry, const std::string& name, bool chosen) {
  long error = platform::kErrorSuccess;
  std::unique_ptr<platform::RegKey> key =
      registry.Open(platform::RegRoot::LocalMachine, CommunityPath(), platform::RegAccess::QueryAndSet, chosen, &error);
  if (!key) return !chosen && platform::IsNotFound(error);
  if (chosen) return key->SetValue(name, platform::RegValue::DWord(1)) == platform::kErrorSuccess;
  error = key->DeleteValue(name);
  return error == platform::kErrorSuccess || platform::IsNotFound(error);
}

std::string CommunityCleanersUrl(platform::Registry& registry) {
  long error = platform::kErrorSuccess;
  std::unique_ptr<platform::RegKey> key =
      registry.Open(platform::RegRoot::LocalMachine, kSettingsKey, platform::RegAccess::QueryOnly, false, &error);
  platform::RegValue value;
  if (key && key->QueryValue(kCommunityCleanersUrl, &value) == platform::kErrorSuccess &&
      value.type == platform::RegType::String && !value.data.empty()) {
    return value.data;
  }
  return community::kDefaultDefinitionsUrl;
}

void ClearCommunityChoices(platform::Registry& registry) {
  long error = platform::kErrorSuccess;
  std::unique_ptr<platform::RegKey> key =
      registry.Open(platform::RegRoot::LocalMachine, CommunityPath(), platform::RegAccess::QueryAndSet, false, &error);
  std::vector<std::string> names;
  if (!key || key->ValueNames(&names) != platform::kErrorSuccess) return;
  for (const std::string& name : names) key->DeleteValue(name);
}

}  // namespace settings
