// Creating, connecting and destroying the program's windows.
#include "app/Corvane.h"

#include "forms/AboutForm.h"
#include "forms/BossKey.h"
#include "forms/CommunityCleaners.h"
#include "forms/CookiesManager.h"
#include "forms/CorvaneMain.h"
#include "forms/HistoryCleaner.h"
#include "forms/PopUpBlocker.h"
#include "forms/SoundSelection.h"

namespace app {

Corvane::Corvane(platform::Platform& platform, ui::Ui& ui, ui::Application& application)
    : services::Services(platform, ui, application) {}

Corvane::~Corvane() {
  // The main window goes last: the others may refer to it until then.
  PopUpBlockerPref.reset();
  CommunityCleaners.reset();
  CookieManager.reset();
  HistoryCleanerPref.reset();
  AboutBox.reset();
  SelectSound.reset();
  BossKeyPref.reset();
  CorvaneMain.reset();
}

void Corvane::CreateForms() {
  CorvaneMain = std::make_unique<forms::TCorvaneMain>(*this);
  CorvaneMain->FormCreate();
  BossKeyPref = std::make_unique<forms::TBossKeyPref>(*this);
  SelectSound = std::make_unique<forms::TSelectSound>(*this);
  AboutBox = std::make_unique<forms::TAboutBox>(*this);
  HistoryCleanerPref = std::make_unique<forms::THistoryCleanerPref>(*this);
  CookieManager = std::make_unique<forms::TCookieManager>(*this);
  PopUpBlockerPref = std::make_unique<forms::TPopUpBlockerPref>(*this);
  Connect();
}

void Corvane::Connect() {
  forms::TCorvaneMain& main = *CorvaneMain;
  main.ShowHistoryCleaner = [this](int page) {
    HistoryCleanerPref->PageControl1->SetActivePageIndex(page);
    HistoryCleanerPref->ShowNormal();
  };
  main.ShowPopUpBlocker = [this] { PopUpBlockerPref->ShowNormal(); };
  main.ShowBossKey = [this] { BossKeyPref->ShowNormal(); };
  main.ShowAbout = [this] { AboutBox->ShowModal(); };
  // An open cookie manager's edits are saved as closing saves them.
  main.BeforeSessionEnds = [this] {
    if (CookieManager->visible()) CookieManager->FormClose();
  };

  HistoryCleanerPref->OpenCookieManager = [this] { CookieManager->ShowModal(); };
  HistoryCleanerPref->OpenCommunityCleaners = [this] {
    if (!CommunityCleaners) CommunityCleaners = std::make_unique<forms::TCommunityCleaners>(*this);
    CommunityCleaners->ShowNormal();
  };
  HistoryCleanerPref->ShowBalloon = [this](const std::string& text) { CorvaneMain->ShowTrayBalloon(text); };
  cleaningRun.OnEnd = [this](const services::RunEnd& end) {
    if (end.afterBrowsersClosed) {
      CorvaneMain->browserCloseCleaner().RunEnded(end);
    } else {
      HistoryCleanerPref->CleaningRunEnded(end);
    }
  };

  PopUpBlockerPref->ChooseSound = [this] {
    SelectSound->ShowModal();
    return SelectSound->choice();
  };
  BossKeyPref->RegisterHotkey = [this](int16_t combination) { CorvaneMain->RegisterBossKey(combination); };
  BossKeyPref->RegisterStoredHotkey = [this] { CorvaneMain->RegisterStoredBossKey(); };
  // An open pop-up blocker window shows the count as it grows.
  main.PopupReported = [this] {
    if (PopUpBlockerPref->visible()) PopUpBlockerPref->ShowCount();
  };
  // The hotkey window shows a combination chosen from the tray's question.
  main.CombinationStored = [this] {
    if (BossKeyPref->visible()) BossKeyPref->FormShow();
  };
}

}  // namespace app
