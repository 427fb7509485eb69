// The blocker module's registration.
#include "services/BlockerModule.h"

#include "files/Paths.h"
#include "settings/Settings.h"

namespace services {

bool RegisterBlockerModule(platform::Process& process) {
  platform::ModuleId module = process.LoadModule(files::FolderOf(process.ExecutablePath()) + settings::kBlockerModule);
  platform::HResult result = 0;
  return module && process.CallExport(module, "DllRegisterServer", &result) && platform::Succeeded(result);
}

}  // namespace services
