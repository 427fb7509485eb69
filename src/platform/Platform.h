// Every operating-system service the program uses, one interface each.
#pragma once

#include "platform/AnsiText.h"
#include "platform/AudioOutput.h"
#include "platform/Clock.h"
#include "platform/Database.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Http.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/UrlCache.h"

namespace platform {

struct Platform {
  Registry& registry;
  Process& process;
  Clock& clock;
  FileSystem& files;
  Desktop& desktop;
  Sound& sound;
  AudioOutput& audio;  // the master mute
  Shell& shell;
  UrlCache& urlCache;
  UrlHistory& urlHistory;
  Security& security;
  AnsiText& ansi;
  Databases& databases;  // browsers' databases
  Http& http;            // the definitions' download, and nothing else
};

}  // namespace platform
