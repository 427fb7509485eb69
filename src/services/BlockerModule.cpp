// The blocker module's registration.
#include "services/BlockerModule.h"

#include <algorithm>
#include <cstdint>

#include "files/Paths.h"
#include "settings/Settings.h"

namespace services {

namespace {
// cvblock.dll's Announce.cpp writes the same tag.
constexpr uintptr_t kUncountedTag = 0x43560000;
constexpr uintptr_t kCountMask = 0xFFFF;
}  // namespace

uint32_t UncountedPopups(uintptr_t dataId) {
  return (dataId & ~kCountMask) == kUncountedTag ? static_cast<uint32_t>(dataId & kCountMask) : 0;
}

void CountEliminatedPopups(settings::SettingsAccessor& settings, uint32_t popups) {
  settings.Change([popups](settings::SettingsKey& key) {
    const int64_t count = key.IntegerOrFallback(settings::value::kEliminatedPopups);
    key.WriteInteger(settings::value::kEliminatedPopups,
                     static_cast<int32_t>(std::min<int64_t>(count + popups, INT32_MAX)));
  });
}

BlockerRegistration RegisterBlockerModule(platform::Process& process) {
  platform::ModuleId module = process.LoadModule(files::FolderOf(process.ExecutablePath()) + settings::kBlockerModule);
  platform::HResult result = 0;
  if (!module || !process.CallExport(module, "DllRegisterServer", &result)) return BlockerRegistration::Failed;
  if (platform::Succeeded(result)) return BlockerRegistration::Done;
  // HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED): HKEY_CLASSES_ROOT's classes and
  // the helper objects live under HKEY_LOCAL_MACHINE, which only an
  // elevated administrator may write.
  return static_cast<uint32_t>(result) == (platform::kHresultFromWin32 | platform::kErrorAccessDenied)
             ? BlockerRegistration::Denied
             : BlockerRegistration::Failed;
}

}  // namespace services
