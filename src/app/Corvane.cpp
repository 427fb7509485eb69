// Creating and destroying the program's windows.
#include "app/Corvane.h"

#include "app/CorvaneMain.h"
#include "app/Settings.h"
#include "forms/AboutForm.h"
#include "forms/BossKey.h"
#include "forms/CookiesManager.h"
#include "forms/HistoryCleaner.h"
#include "forms/PopUpBlocker.h"
#include "forms/SoundSelection.h"

namespace app {

Corvane::Corvane(platform::Platform& platform, ui::Ui& ui, ui::Application& application)
    : platform(platform),
      ui(ui),
      application(application),
      settings(platform.registry, [&application] { application.Message(ui::MessageKind::Error, kApplySettingsError); }),
      cleaningRun(platform, ui) {}

Corvane::~Corvane() {
  // The main window goes last: the others may refer to it until then.
  PopUpBlockerPref.reset();
  CookieManager.reset();
  HistoryCleanerPref.reset();
  AboutBox.reset();
  SelectSound.reset();
  BossKeyPref.reset();
  CorvaneMain.reset();
}

void Corvane::CreateForms() {
  CorvaneMain = std::make_unique<TCorvaneMain>(*this);
  CorvaneMain->FormCreate();
  BossKeyPref = std::make_unique<forms::TBossKeyPref>(*this);
  SelectSound = std::make_unique<forms::TSelectSound>(*this);
  AboutBox = std::make_unique<forms::TAboutBox>(*this);
  HistoryCleanerPref = std::make_unique<forms::THistoryCleanerPref>(*this);
  cleaningRun.OnEnd = [this](const RunEnd& end) { HistoryCleanerPref->CleaningRunEnded(end); };
  CookieManager = std::make_unique<forms::TCookieManager>(*this);
  PopUpBlockerPref = std::make_unique<forms::TPopUpBlockerPref>(*this);
}

}  // namespace app
