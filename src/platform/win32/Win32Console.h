// The command line of the process and the console a command-line run
// prints to.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/ScopedHandle.h"

namespace platform::win32 {

// GetCommandLineW as UTF-8, and the same split as the system splits it
// (CommandLineToArgvW), the program's name first.
std::string CommandLineText();
std::vector<std::string> CommandLineArgv();

// Where a command-line run of this window program prints: the standard
// output it was given (a file, a pipe, the console of corvane.com), or
// else the console of the program that started it.
class ConsoleOutput {
 public:
  ConsoleOutput();
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

  // UTF-8 text: written as UTF-16 to a console, as UTF-8 bytes to a file
  // or pipe. False when it could not be written, or there is nowhere to.
  bool Write(const std::string& text);

 private:
  // The console of the program that started this one, opened here; null
  // when the output is one we were given.
  ScopedFile ownConsole_;
  void* handle_ = nullptr;
  bool console_ = false;
};

}  // namespace platform::win32
