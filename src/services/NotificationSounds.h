// The sounds that announce a blocked pop-up window: the chooser's line for
// each and its file in "sounds\" beside the executable. The position in the
// table is the sound index that SoundIndex stores.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace services {

struct NotificationSound {
  const char* name;  // the chooser's line
  const char* file;
};

inline constexpr std::array<NotificationSound, 2> kNotificationSounds = {{
    {"Sound Notification 1", "sound1.wav"},
    {"Sound Notification 2", "sound2.wav"},
}};

// The sound's full path; empty for an index outside the table, which names no file.
std::string NotificationSoundPath(const std::string& executablePath, int32_t index);
// Plays the sound to its end; false, playing nothing, when its file is missing.
bool PlayNotificationSound(platform::Platform& platform, int32_t index);

}  // namespace services
