// Wave playback through PlaySound.
#pragma once

#include "platform/Sound.h"

namespace platform::win32 {

class Win32Sound : public Sound {
 public:
  bool PlayFileSync(const std::string& path) override;
};

}  // namespace platform::win32
