// Every service of the real Windows, for the program and the contract suite.
#pragma once

#include "platform/Platform.h"
#include "platform/sqlite/SqliteDatabases.h"
#include "platform/win32/Win32AnsiText.h"
#include "platform/win32/Win32AudioOutput.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Http.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Security.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Sound.h"
#include "platform/win32/Win32UrlCache.h"
#include "platform/win32/Win32UrlHistory.h"

namespace platform::win32 {

struct Win32Platform {
  Win32Registry registry;
  Win32Process process;
  Win32Clock clock;
  Win32FileSystem files;
  Win32Desktop desktop;
  Win32Sound sound;
  Win32AudioOutput audio;
  Win32Shell shell;
  Win32UrlCache urlCache;
  Win32UrlHistory urlHistory;
  Win32Security security;
  Win32AnsiText ansi;
  sqlite::SqliteDatabases databases{IdentifyOpenedDatabase};
  Win32Http http;
  Platform platform{registry, process,  clock,      files,    desktop, sound,     audio,
                    shell,    urlCache, urlHistory, security, ansi,    databases, http};
};

}  // namespace platform::win32
