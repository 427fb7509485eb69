// The history cleaner window.
#include "forms/HistoryCleaner.h"

#include <system_error>

#include "app/CleanerSwitches.h"
#include "app/CleanerTable.h"
#include "app/CorvaneMain.h"
#include "app/LastRunReport.h"
#include "app/Settings.h"
#include "app/SettingsAccessor.h"
#include "forms/CookiesManager.h"
#include "resources/ResourceNames.h"

namespace forms {

using app::CleanerValueNames;
using app::SettingsKey;
using cleaner::TUWHCleanerThrd;
using ui::Rect;

namespace {

constexpr int kPageWidth = 624;
constexpr int kPageHeight = 267;  // below the 26-pixel row of tab buttons
constexpr int kStripWidth = 47;
constexpr int kLeftColumn = 62;
constexpr int kRightColumn = 330;
constexpr int kBoxWidth = 260;
// The right column reaches nearer the edge so that "Network Places Cache
// (Network Neighborhood)" shows whole in the wider fonts that stand in for
// MS Sans Serif.
constexpr int kRightBoxWidth = kPageWidth - kRightColumn - 10;
constexpr int kFirstRow = 52;
constexpr int kRowStep = 38;

}  // namespace

THistoryCleanerPref::THistoryCleanerPref(app::Corvane& app)
    : Form(app.ui, "THistoryCleanerPref", "History Cleaner", 624, 328), app_(app) {
  PageControl1 = Add<ui::PageControl>("PageControl1", Rect{0, 0, 624, 293});
  // The pages' texts are deliberate, their grammar and the two blanks after
  // "locations," included: as users have always read them. Do not correct them.
  TabSheet1 = AddPage("TabSheet1", "Internet Explorer", 1,
                      "Internet Explorer keeps tracks of websites you have visited in various locations,  url "
                      "drop-down history, browser cache and browser history");
  TabSheet2 = AddPage("TabSheet2", "Windows", 2,
                      "Windows keep track of documents you have opened, files you have searched for and other "
                      "sensitive information.");
  TabSheet3 = AddPage("TabSheet3", "Applications", 3,
                      "Most applications stores their recent accessed files and history data in various locations on "
                      "the computer ");

  // Each box goes on its panel in the order of its number, which is the tab order.
  ui::Control* panels[] = {TabSheet1->children().front(), TabSheet2->children().front(),
                           TabSheet3->children().front()};
  for (size_t i = 0; i < app::kCleanerCount; ++i) AddCleanerBox(*panels[static_cast<int>(app::kCleaners[i].page)], i);
  SpeedButton3 = panels[0]->Add<ui::Control>(ui::Kind::Button, "SpeedButton3",
                                             Rect{kLeftColumn, kFirstRow + 3 * kRowStep + 8, 140, 30},
                                             "Cookies Manager");
  SpeedButton3->OnClick = [this] { SpeedButton3Click(); };

  // Below the pages, so it is there on every tab.
  SpeedButton2 = Add<ui::Control>(ui::Kind::Button, "SpeedButton2", Rect{476, 296, 140, 30}, "Clean Now");
  SpeedButton2->OnClick = [this] { SpeedButton2Click(); };

  PageControl1->SetActivePageIndex(0);
  OnShow = [this] { FormShow(); };
  app_.ui.Realize(*this);
}

// A worker still here has been asked to stop and waited for at exit; the
// platform it uses goes after the windows.
THistoryCleanerPref::~THistoryCleanerPref() = default;

ui::Control* THistoryCleanerPref::AddPage(const char* name, const char* caption, int index, const char* description) {
  ui::Control* page = PageControl1->Add<ui::Control>(ui::Kind::TabSheet, name, Rect{0, 0, kPageWidth, kPageHeight},
                                                     caption);
  std::string n = std::to_string(index);
  ui::Control* panel =
      page->Add<ui::Control>(ui::Kind::Panel, "Panel" + n, Rect{0, 0, kPageWidth, kPageHeight});
  panel->SetColor(ui::kCorvaneColor);
  panel->SetFontColor(ui::kWhite);
  ui::Control* strip =
      panel->Add<ui::Control>(ui::Kind::Picture, "Image" + n, Rect{0, 0, kStripWidth, kPageHeight});
  strip->SetPicture(resources::kHistoryStrip);
  panel->Add<ui::Control>(ui::Kind::Label, "Label" + n,
                          Rect{kLeftColumn, 10, kPageWidth - kLeftColumn - 16, 32}, description);
  return page;
}

void THistoryCleanerPref::AddCleanerBox(ui::Control& panel, size_t index) {
  const app::Cleaner& cleaner = app::kCleaners[index];
  const bool right = cleaner.column == app::CleanerColumn::Right;
  Rect place{right ? kRightColumn : kLeftColumn, kFirstRow + (cleaner.row - 1) * kRowStep,
             right ? kRightBoxWidth : kBoxWidth, 31};
  auto* box = panel.Add<ui::CheckBox>("CoolCheckRadioBox" + std::to_string(index + 1), place, cleaner.caption);
  box->OnClick = [this, box, &cleaner] { SaveCleanerSwitch(cleaner.valueName, box->checked()); };
}

ui::CheckBox* THistoryCleanerPref::CleanerBox(int k) const {
  ui::Control* found = Find("CoolCheckRadioBox" + std::to_string(k));
  return found && found->kind() == ui::Kind::CheckBox ? static_cast<ui::CheckBox*>(found) : nullptr;
}

void THistoryCleanerPref::FormShow() { LoadCleanerSwitches(); }

void THistoryCleanerPref::LoadCleanerSwitches() {
  // A missing key leaves the boxes as they are; a registry error stops at that box.
  app_.settings.Load([this](SettingsKey& key) {
    for (size_t i = 0; i < app::kCleanerCount; ++i) {
      ui::CheckBox* box = CleanerBox(static_cast<int>(i) + 1);
      if (box) box->SetChecked(key.BoolOrWrite(CleanerValueNames[i], false));
    }
  });
}

void THistoryCleanerPref::SaveCleanerSwitch(const std::string& valueName, bool on) {
  app_.settings.StoreBool(valueName, on);
}

void THistoryCleanerPref::SpeedButton2Click() {
  if (app_.application.Message(ui::MessageKind::Confirmation, kStartCleaningQuestion) == ui::MessageResult::Yes) {
    StartHistoryCleaner();
  }
}

void THistoryCleanerPref::SpeedButton3Click() { app_.CookieManager->ShowModal(); }

void THistoryCleanerPref::StartHistoryCleaner() {
  // One run at a time: a tick of the schedule during a run starts nothing.
  if (exiting_ || worker_) return;
  std::string unread = app::ReadCleanerSwitches(app_.platform.registry, true, &CleanerSwitches);
  if (!unread.empty()) {
    // Half-read switches would clean a selection the user never made.
    ReportOutcome(false, kCleaningStoppedMessage + unread);
    return;
  }
  cleaner::CleaningRunGuard guard(app_.platform.process);
  if (guard.state() == cleaner::CleaningRunGuard::State::Busy) {
    // Not a failure: the other run is cleaning. Said only to someone looking.
    if (visible()) app_.application.Message(ui::MessageKind::Information, kAnotherCleaningMessage);
    return;
  }
  if (!guard.held()) {
    ReportOutcome(false, std::string(kCleaningNotStartedMessage) + kNoRunGuardReason);
    return;
  }
  auto recording = std::make_unique<app::RecordedRun>(app_.platform, platform::recording::Mode::PassThrough);
  auto worker = std::make_unique<TUWHCleanerThrd>(recording->platform(), app_.ui);
  recording->Follow(*worker);
  app::CopySwitchesTo(CleanerSwitches, *worker);
  worker->OnTerminate = [this](TUWHCleanerThrd& sender) { CleanerThreadTerminate(sender); };
  try {
    worker->Start();
  } catch (const std::system_error& e) {
    // Nothing runs: the button stays enabled and the guard goes with this scope.
    ReportOutcome(false, std::string(kCleaningNotStartedMessage) + "Windows could not start a thread for it (" +
                             e.what() + ").");
    return;
  }
  recording_ = std::move(recording);
  worker_ = std::move(worker);
  CleanerThread = worker_.get();
  runGuard_.emplace(std::move(guard));
  SpeedButton2->SetEnabled(false);
}

void THistoryCleanerPref::CleanerThreadTerminate(TUWHCleanerThrd& sender) {
  if (&sender != worker_.get()) return;
  bool finished = sender.finished();
  std::string failure = sender.failure();
  // Kept for the user to read; the window says no more than it always has,
  // so a report that cannot be written goes unmentioned.
  app::WriteLastRunReport(app_.platform, recording_->Report(sender, CleanerSwitches));
  ReleaseWorker();
  runGuard_.reset();
  SpeedButton2->SetEnabled(true);
  // A run stopped for the exit has nobody left to tell.
  if (exiting_) return;
  // A run that a step stopped must not be reported as a success.
  ReportOutcome(finished, finished ? std::string(kCleaningDoneMessage) : kCleaningStoppedMessage + failure);
}

void THistoryCleanerPref::ReportOutcome(bool success, const std::string& text) {
  if (success) lastBalloon_.clear();
  if (visible()) {
    app_.application.Message(success ? ui::MessageKind::Information : ui::MessageKind::Error, text);
    return;
  }
  // Hidden (a scheduled run): a failure shows as a balloon from the tray
  // icon, once while the same cause repeats tick after tick.
  if (success || text == lastBalloon_) return;
  lastBalloon_ = text;
  app_.CorvaneMain->ShowTrayBalloon(text);
}

void THistoryCleanerPref::ReleaseWorker() {
  CleanerThread = nullptr;
  // The worker is still inside its own termination event: it is freed by a
  // task posted behind it, which joins its (already ended) thread.
  std::shared_ptr<TUWHCleanerThrd> ended(std::move(worker_));
  app_.ui.Post([ended] {});
}

void THistoryCleanerPref::EndRunsForExit() {
  exiting_ = true;
  if (!worker_) return;
  worker_->RequestStop();
  app_.ui.PumpUntil([this] { return !worker_; }, kExitWaitMs);
  // The protected-storage step puts an access list back at its end: cutting
  // it off would leave the opened list in place for good.
  if (worker_ && worker_->inIndivisibleStep()) app_.ui.PumpUntil([this] { return !worker_; }, kIndivisibleStepWaitMs);
}

}  // namespace forms
