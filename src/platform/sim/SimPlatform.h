// A whole simulated machine, with every service the program uses.
#pragma once

#include <memory>

#include "platform/Platform.h"
#include "platform/sim/SimAnsiText.h"
#include "platform/sim/SimAudioOutput.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDatabases.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimHttp.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSecurity.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimSound.h"
#include "platform/sim/SimUrlCache.h"
#include "platform/sim/SimUserFolders.h"

namespace platform::sim {

struct SimPlatform {
  explicit SimPlatform(std::shared_ptr<SimMutexTable> mutexes = std::make_shared<SimMutexTable>())
      : process(std::move(mutexes)) {
    AddWindowsUserFolders(files, shell);
    process.desktop = &desktop;
  }

  SimRegistry registry;
  SimProcess process;
  SimClock clock;
  SimFileSystem files;
  SimDesktop desktop;
  SimSound sound{files, clock};
  SimAudioOutput audio;
  SimShell shell{files};
  SimUrlCache urlCache;
  SimUrlHistory urlHistory{urlCache};
  SimSecurity security{registry};
  SimAnsiText ansi;
  SimDatabases databases{files};
  SimHttp http;
  Platform platform{registry, process,  clock,      files,    desktop, sound,     audio,
                    shell,    urlCache, urlHistory, security, ansi,    databases, http};
};

}  // namespace platform::sim
