// The program's windows, one instance of each, created at start in a fixed
// order and kept until exit, and what they share: the settings accessor and
// the live settings. Every window reaches the others through here.
#pragma once

#include <memory>

#include "app/CleaningRun.h"
#include "app/LiveSettings.h"
#include "app/SettingsAccessor.h"
#include "platform/Platform.h"
#include "ui/Application.h"
#include "ui/Ui.h"

namespace forms {
class TAboutBox;
class TBossKeyPref;
class TCookieManager;
class THistoryCleanerPref;
class TPopUpBlockerPref;
class TSelectSound;
class TSplashScreen;
}  // namespace forms

namespace app {

class TCorvaneMain;

struct Corvane {
  Corvane(platform::Platform& platform, ui::Ui& ui, ui::Application& application);
  ~Corvane();

  // Creates the seven windows in their order; the main window's FormCreate
  // runs before the next one is made.
  void CreateForms();

  platform::Platform& platform;
  ui::Ui& ui;
  ui::Application& application;
  SettingsAccessor settings;
  // What the windows show and act on; made before them and kept after them.
  LiveSettings live;
  // The cleaning runs of "Clean Now" and the schedule.
  CleaningRun cleaningRun;

  std::unique_ptr<TCorvaneMain> CorvaneMain;
  std::unique_ptr<forms::TBossKeyPref> BossKeyPref;
  std::unique_ptr<forms::TSelectSound> SelectSound;
  std::unique_ptr<forms::TAboutBox> AboutBox;
  std::unique_ptr<forms::THistoryCleanerPref> HistoryCleanerPref;
  std::unique_ptr<forms::TCookieManager> CookieManager;
  std::unique_ptr<forms::TPopUpBlockerPref> PopUpBlockerPref;
};

}  // namespace app
