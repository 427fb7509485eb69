// corvane.exe: the program on the real Windows services and windows. With
// /preview or /clean it cleans from the command line instead, printing to
// the console it was started from, and shows no window at all.
#include <windows.h>

#include <exception>

#include "app/CommandLine.h"
#include "app/StartUp.h"
#include "platform/win32/Win32Console.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Ui.h"

namespace {

app::Command ReadCommandLine(platform::Platform& platform) {
  try {
    return app::ParseCommandLine(app::ArgumentsOf(
        platform::win32::CommandLineText(), platform::win32::CommandLineArgv(), platform.process.ExecutablePath()));
  } catch (const std::exception&) {
    return {app::CommandAction::Bad, {}, "The command line holds text that cannot be read."};
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int exitCode = 0;
  {
    platform::win32::Win32Platform platform;
    app::Command command = ReadCommandLine(platform.platform);
    if (command.action == app::CommandAction::Tray) {
      ui::win32::Win32Ui ui(instance);
      exitCode = app::RunCorvane(platform.platform, ui);
    } else {
      platform::win32::ConsoleOutput console;
      exitCode = app::RunCommand(platform.platform, command, [&](const std::string& text) { console.Write(text); });
    }
  }
  return exitCode;
}
