// The composition: the program's windows, one instance of each, created at
// start in a fixed order and kept until exit, on what they share; and what
// each asks of another, handed to it here.
#pragma once

#include <memory>

#include "services/Services.h"

namespace forms {
class TAboutBox;
class TBossKeyPref;
class TCommunityCleaners;
class TCookieManager;
class THistoryCleanerPref;
class TPopUpBlockerPref;
class TSelectSound;
class TCorvaneMain;
}  // namespace forms

namespace app {

struct Corvane : services::Services {
  Corvane(platform::Platform& platform, ui::Ui& ui, ui::Application& application);
  ~Corvane();

  // Creates the seven windows in their order; the main window's FormCreate
  // runs before the next one is made. Then ties them together.
  void CreateForms();

  std::unique_ptr<forms::TCorvaneMain> CorvaneMain;
  std::unique_ptr<forms::TBossKeyPref> BossKeyPref;
  std::unique_ptr<forms::TSelectSound> SelectSound;
  std::unique_ptr<forms::TAboutBox> AboutBox;
  std::unique_ptr<forms::THistoryCleanerPref> HistoryCleanerPref;
  std::unique_ptr<forms::TCookieManager> CookieManager;
  std::unique_ptr<forms::TPopUpBlockerPref> PopUpBlockerPref;
  // Made when first opened: the idle tray program holds none of it.
  std::unique_ptr<forms::TCommunityCleaners> CommunityCleaners;

 private:
  void Connect();
};

}  // namespace app
