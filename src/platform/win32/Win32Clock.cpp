// GetTickCount64 and Sleep.
#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace platform::win32 {

uint64_t Win32Clock::NowMs() { return GetTickCount64(); }

void Win32Clock::Sleep(uint32_t ms) { ::Sleep(ms); }

}  // namespace platform::win32
