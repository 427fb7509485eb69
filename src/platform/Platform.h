// Every operating-system service the program uses, one interface each.
#pragma once

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Mixer.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

namespace platform {

struct Platform {
  Registry& registry;
  Process& process;
  Clock& clock;
  FileSystem& files;
  Desktop& desktop;
  Sound& sound;
  Mixer& mixer;
  Shell& shell;
};

}  // namespace platform
