// Wave playback.
#pragma once

#include <string>

namespace platform {

class Sound {
 public:
  virtual ~Sound() = default;
  // PlaySound with SND_FILENAME only: returns when the sound has ended.
  virtual bool PlayFileSync(const std::string& path) = 0;
};

}  // namespace platform
