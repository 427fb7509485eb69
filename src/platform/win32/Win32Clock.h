// The system's tick count and sleep.
#pragma once

#include "platform/Clock.h"

namespace platform::win32 {

class Win32Clock : public Clock {
 public:
  uint64_t NowMs() override;
  void Sleep(uint32_t ms) override;
};

}  // namespace platform::win32
