// The program's start: one instance only, every window created, the splash
// shown, then nothing but the tray icon.
#pragma once

#include <memory>

#include "app/Corvane.h"
#include "platform/Platform.h"
#include "ui/Application.h"

namespace app {

class Program {
 public:
  Program(platform::Platform& platform, ui::Ui& ui) : platform_(platform), application_(ui) {}
  ~Program();

  // Runs the start-up up to the message loop. False for a second instance,
  // which has then shown its message (when it found the first) and must end.
  bool Start();
  // The message loop, until "Exit"; then, should a cleaning still be stuck
  // in a system call after Exit's wait, the process ends at once (exit code
  // 0) rather than free what that run still uses.
  void Run();

  ui::Application& application() { return application_; }
  Corvane* corvane() { return corvane_.get(); }

 private:
  platform::Platform& platform_;
  ui::Application application_;
  std::unique_ptr<platform::NamedMutex> instanceMutex_;  // held until the process ends
  std::unique_ptr<Corvane> corvane_;
};

// The whole program; returns the process exit code.
int RunCorvane(platform::Platform& platform, ui::Ui& ui);

constexpr const char* kAnotherInstanceMessage = "There is another instance of the program running";
// The title of the application window, which a second instance looks for.
constexpr const char* kInstanceWindowTitle = "Corvane";

}  // namespace app
