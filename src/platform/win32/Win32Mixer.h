// The mixer calls of winmm.
#pragma once

#include "platform/Mixer.h"

namespace platform::win32 {

class Win32Mixer : public Mixer {
 public:
  std::unique_ptr<MixerDevice> Open(uint32_t deviceId, uint32_t flags, uint32_t* result) override;
};

}  // namespace platform::win32
