// Cleaning from the command line: "corvane /preview" and "corvane /clean",
// for scripts and the Task Scheduler, and "corvane /list" of the cleaners
// there are. Such a run shows no window and no tray
// icon, leaves the tray program's single-instance mutex alone, and never
// overlaps another cleaning: it takes the same run guard as the tray, and
// ends at once when that is held.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace app {

enum class CommandAction {
  Tray,     // no arguments: the tray program
  Preview,  // /preview
  Clean,    // /clean
  List,     // /list
  Help,     // /? or /help
  Bad,      // anything else
};

struct Command {
  CommandAction action = CommandAction::Tray;
  std::string reportFile;  // /report FILE
  std::string problem;     // what is wrong with a bad command line
  // /closebackground: a browser to clean that runs in the background only is
  // closed first, as Windows' Restart Manager closes a program.
  bool closeBackground = false;
};

// The process's exit codes; each means one thing.
enum : int {
  kExitFinished = 0,        // every selected cleaner ran to its end
  kExitStopped = 1,         // a cleaner stopped, or the report could not be written: the reason is printed
  kExitBadCommandLine = 2,  // the usage is printed
  kExitBusy = 3,            // another cleaning (tray or command line) is going on
  kExitSkipped = 4,         // finished, but a running browser, a file in use or a link was skipped: the report names it
  // corvane.exe ended on a fault of its own (an abort, an exception nothing
  // caught): what the run did is unknown. The C runtime's abort would
  // answer 3, which means "busy", so the program ends with this instead.
  kExitAborted = 6,
  // corvane.com could not start corvane.exe (the reason is printed).
  kExitCannotStart = 5,
};

extern const char kUsage[];

// The arguments after the program's name, as the system split the command
// line (`argv`, the program's name first). Windows' autostart runs the
// stored command line; older versions stored the program's path without
// quotes, which splits a path with blanks ("C:\Program Files\...") into
// pieces that are no arguments: a command line that is exactly the
// program's path has none.
std::vector<std::string> ArgumentsOf(const std::string& commandLine, const std::vector<std::string>& argv,
                                     const std::string& executablePath);

// Switches begin with "/" or "-", in any letter case.
Command ParseCommandLine(const std::vector<std::string>& args);

// Runs a command other than Tray: prints through `print` (UTF-8, lines
// ended by CR LF) and returns the exit code.
int RunCommand(platform::Platform& platform, const Command& command,
               const std::function<void(const std::string&)>& print);

}  // namespace app
