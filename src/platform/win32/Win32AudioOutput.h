// The master mute of the default playback device, through Core Audio.
#pragma once

#include "platform/AudioOutput.h"

namespace platform::win32 {

class Win32AudioOutput : public AudioOutput {
 public:
  HResult GetMasterMute(bool* muted) override;
  HResult SetMasterMute(bool muted) override;
};

}  // namespace platform::win32
