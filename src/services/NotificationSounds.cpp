// The notification sounds.
#include "services/NotificationSounds.h"

#include "files/Paths.h"

namespace services {

std::string NotificationSoundPath(const std::string& executablePath, int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= kNotificationSounds.size()) return {};
  return files::FolderOf(executablePath) + "sounds\\" + kNotificationSounds[static_cast<size_t>(index)].file;
}

bool PlayNotificationSound(platform::Platform& platform, int32_t index) {
  std::string path = NotificationSoundPath(platform.process.ExecutablePath(), index);
  if (path.empty() || !platform.files.IsFile(path)) return false;
  platform.sound.PlayFileSync(path);
  return true;
}

}  // namespace services
