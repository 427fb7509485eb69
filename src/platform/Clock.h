// Time as the program sees it; the simulation's sleeps return at once.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint64_t NowMs() = 0;
  // Blocks the calling thread.
  virtual void Sleep(uint32_t ms) = 0;
};

}  // namespace platform
