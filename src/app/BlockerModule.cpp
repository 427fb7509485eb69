// The blocker module's registration.
#include "app/BlockerModule.h"

#include "app/Paths.h"
#include "app/Settings.h"

namespace app {

bool RegisterBlockerModule(platform::Process& process) {
  platform::ModuleId module = process.LoadModule(FolderOf(process.ExecutablePath()) + kBlockerModule);
  platform::HResult result = 0;
  return module && process.CallExport(module, "DllRegisterServer", &result) && platform::Succeeded(result);
}

}  // namespace app
