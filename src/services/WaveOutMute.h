// The mute switch of the speakers' wave output, through mixer 0. Each call
// opens the mixer, looks the switch up and closes the mixer again: nothing is
// kept between calls, so a change made elsewhere is respected.
#pragma once

#include "platform/Mixer.h"

namespace services {

// False too when there is no mixer, no speakers line or no mute switch, or
// the switch cannot be read.
bool IsWaveOutMuted(platform::Mixer& mixer);
// Does nothing when there is no such switch.
void SetWaveOutMute(platform::Mixer& mixer, bool mute);

}  // namespace services
