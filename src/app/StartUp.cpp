// The program's start-up sequence.
#include "app/StartUp.h"

#include <exception>

#include "forms/CorvaneMain.h"
#include "forms/SplashForm.h"
#include "settings/Settings.h"

namespace app {

Program::~Program() = default;

bool Program::Start() {
  platform::MutexResult mutex = platform_.process.CreateInitiallyOwnedMutex(settings::kMutexName);
  if (mutex.alreadyExisted) {
    mutex.handle.reset();
    // Blank our own application window first, so the search finds only the first instance.
    application_.SetTitle("");
    application_.SetWindowTitle("");
    if (platform_.desktop.FindTopLevelWindow("", kInstanceWindowTitle)) {
      application_.ui().ShowMessage(kAnotherInstanceMessage, "Corvane", ui::MessageKind::Plain);
    }
    return false;
  }
  instanceMutex_ = std::move(mutex.handle);

  application_.SetTitle(settings::kApplicationTitle);
  application_.SetWindowTitle(kInstanceWindowTitle);
  corvane_ = std::make_unique<Corvane>(platform_, application_.ui(), application_);
  corvane_->CreateForms();

  {
    forms::TSplashScreen splash(application_.ui());
    splash.Show();
    splash.Repaint();
    platform_.clock.Sleep(1200);
    splash.Hide();
  }

  application_.ShowAppWindow(false);
  application_.Minimize();
  corvane_->CorvaneMain->TellWhereTheIconIs();
  return true;
}

void Program::Run() {
  application_.Run();
  if (!corvane_ || !corvane_->cleaningRun.running()) return;
  // The system stops the stuck thread and releases the mutexes; the icon is
  // the one thing it would leave behind.
  corvane_->CorvaneMain->DeleteTrayIcon();
  platform_.process.ExitNow(0);
}

int RunCorvane(platform::Platform& platform, ui::Ui& ui) {
  Program program(platform, ui);
  try {
    if (program.Start()) program.Run();
  } catch (const std::exception& e) {
    program.application().Message(ui::MessageKind::Error, e.what());
  }
  return 0;
}

}  // namespace app
