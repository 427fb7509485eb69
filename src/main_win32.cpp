// corvane.exe: the program on the real Windows services and windows.
#include <windows.h>
#include <objbase.h>

#include "app/StartUp.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Ui.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Arguments are ignored: the program has no command line.
  OleInitialize(nullptr);
  int exitCode = 0;
  {
    platform::win32::Win32Platform platform;
    ui::win32::Win32Ui ui(instance);
    exitCode = app::RunCorvane(platform.platform, ui);
  }
  OleUninitialize();
  return exitCode;
}
