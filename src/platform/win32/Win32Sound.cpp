// A sound file played to its end.
#include "platform/win32/Win32Sound.h"

#include <windows.h>
#include <mmsystem.h>

#include "platform/win32/WideString.h"

namespace platform::win32 {

bool Win32Sound::PlayFileSync(const std::string& path) {
  return PlaySoundW(WidePath(path).c_str(), nullptr, SND_FILENAME);
}

}  // namespace platform::win32
