// The machine's sound output, shaped like the Core Audio calls: the master
// mute of the default playback device (IMMDeviceEnumerator::
// GetDefaultAudioEndpoint(eRender, eConsole), IAudioEndpointVolume). Since
// Vista the older waveOut and mixer mute belongs to the calling program's
// own audio session, so it would silence this program only.
#pragma once

#include "platform/ErrorCodes.h"

namespace platform {

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // IAudioEndpointVolume::GetMute and SetMute on the default playback
  // device; kHresultNotFound when the machine has none.
  virtual HResult GetMasterMute(bool* muted) = 0;
  virtual HResult SetMasterMute(bool muted) = 0;
};

}  // namespace platform
