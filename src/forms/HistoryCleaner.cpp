// The history cleaner window.
#include "forms/HistoryCleaner.h"

#include "browsers/BrowserProcesses.h"
#include "browsers/Profiles.h"
#include "cleaner/CleanerTable.h"
#include "resources/ResourceNames.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"

namespace forms {

using cleaner::CleanerValueNames;
using settings::SettingsKey;
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
// The browsers found, in the right column of their page, closer together.
constexpr int kBrowserRow = kFirstRow + 24;
constexpr int kBrowserStep = 31;
constexpr const char* kBrowsersHeading = "Browsers found, with their profiles:";
constexpr const char* kNoBrowserFound = "No browser was found for this user.";

}  // namespace

THistoryCleanerPref::THistoryCleanerPref(services::Services& app)
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
  TabSheet4 = AddPage("TabSheet4", "Browsers", 4,
                      "Microsoft Edge, Google Chrome, Brave, Vivaldi, Opera and Firefox keep the sites you visited, "
                      "their cookies and what you typed, in every profile.");
  TabSheet5 = AddPage("TabSheet5", "Windows 10/11", 5,
                      "Windows 10 and 11 also keep the paths and searches you typed in Explorer, the files you opened "
                      "in dialogs and jump lists, pictures of your files and a timeline of your activities.");

  // Each box goes on its panel in the order of its number, which is the tab order.
  ui::Control* panels[] = {TabSheet1->children().front(), TabSheet2->children().front(), TabSheet3->children().front(),
                           TabSheet4->children().front(), TabSheet5->children().front()};
  for (size_t i = 0; i < cleaner::kCleanerCount; ++i)
    AddCleanerBox(*panels[static_cast<int>(cleaner::kCleaners[i].page)], i);
  SpeedButton3 = panels[0]->Add<ui::Control>(
      ui::Kind::Button, "SpeedButton3", Rect{kLeftColumn, kFirstRow + 3 * kRowStep + 8, 140, 30}, "Cookies Manager");
  SpeedButton3->OnClick = [this] { SpeedButton3Click(); };
  // Below the two columns of the Applications page, where the page ends.
  MoreApplications = panels[2]->Add<ui::Control>(ui::Kind::Button, "MoreApplications",
                                                 Rect{kRightColumn, kFirstRow + 5 * kRowStep - 4, 160, 26},
                                                 "More applications\xE2\x80\xA6");
  MoreApplications->OnClick = [this] {
    if (OpenCommunityCleaners) OpenCommunityCleaners();
  };
  BrowsersFound = panels[3]->Add<ui::Control>(ui::Kind::Label, "BrowsersFound",
                                              Rect{kRightColumn, kFirstRow, kRightBoxWidth, 20}, kBrowsersHeading);
  for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
    const char* setting = browsers::kBrowsers[row].settingName;
    auto* box = panels[3]->Add<ui::CheckBox>(
        "BrowserBox" + std::to_string(row + 1),
        Rect{kRightColumn, kBrowserRow + static_cast<int>(row) * kBrowserStep, kRightBoxWidth, 27},
        browsers::kBrowsers[row].name);
    box->SetVisible(false);
    // Put back, as every other box, when the click cannot be stored.
    box->OnClick = [this, box, setting] {
      const bool on = box->checked();
      if (!app_.settings.StoreBool(settings::BrowserSwitch(setting), on)) box->SetChecked(!on);
    };
  }

  // Under the browser items, lower than a row of them as the page ends there.
  CleanOnCloseBox = panels[3]->Add<ui::CheckBox>(
      "CleanOnCloseBox", Rect{kLeftColumn, kFirstRow + 5 * kRowStep, kBoxWidth, 22}, "Clean a browser when it closes");
  CleanOnCloseBox->OnClick = [this] {
    const bool on = CleanOnCloseBox->checked();
    if (!settings::StoreSwitch(app_.settings, settings::value::kCleanOnBrowserClose, app_.live.cleanOnBrowserClose,
                               on)) {
      CleanOnCloseBox->SetChecked(!on);
    }
  };
  settings::ShowIn(app_.live.cleanOnBrowserClose, *CleanOnCloseBox);

  // Below the pages, so it is there on every tab.
  SpeedButton2 = Add<ui::Control>(ui::Kind::Button, "SpeedButton2", Rect{476, 296, 140, 30}, "Clean Now");
  SpeedButton2->OnClick = [this] { SpeedButton2Click(); };

  PageControl1->SetActivePageIndex(0);
  OnShow = [this] { FormShow(); };
  app_.cleaningRun.WatchRunning([this](bool running) { SpeedButton2->SetEnabled(!running); });
  app_.ui.Realize(*this);
}

THistoryCleanerPref::~THistoryCleanerPref() = default;

ui::Control* THistoryCleanerPref::AddPage(const char* name, const char* caption, int index, const char* description) {
  ui::Control* page =
      PageControl1->Add<ui::Control>(ui::Kind::TabSheet, name, Rect{0, 0, kPageWidth, kPageHeight}, caption);
  std::string n = std::to_string(index);
  ui::Control* panel = page->Add<ui::Control>(ui::Kind::Panel, "Panel" + n, Rect{0, 0, kPageWidth, kPageHeight});
  panel->SetColor(ui::kCorvaneColor);
  panel->SetFontColor(ui::kWhite);
  ui::Control* strip = panel->Add<ui::Control>(ui::Kind::Picture, "Image" + n, Rect{0, 0, kStripWidth, kPageHeight});
  strip->SetPicture(resources::kHistoryStrip);
  panel->Add<ui::Control>(ui::Kind::Label, "Label" + n, Rect{kLeftColumn, 10, kPageWidth - kLeftColumn - 16, 32},
                          description);
  return page;
}

void THistoryCleanerPref::AddCleanerBox(ui::Control& panel, size_t index) {
  const cleaner::Cleaner& cleaner = cleaner::kCleaners[index];
  const bool right = cleaner.column == cleaner::CleanerColumn::Right;
  Rect place{right ? kRightColumn : kLeftColumn, kFirstRow + (cleaner.row - 1) * kRowStep,
             right ? kRightBoxWidth : kBoxWidth, 31};
  auto* box = panel.Add<ui::CheckBox>("CoolCheckRadioBox" + std::to_string(index + 1), place, cleaner.caption);
  // A click that cannot be stored puts the box back: it shows what is stored.
  box->OnClick = [this, box, &cleaner] {
    const bool on = box->checked();
    if (!SaveCleanerSwitch(cleaner.valueName, on)) box->SetChecked(!on);
  };
}

ui::CheckBox* THistoryCleanerPref::CleanerBox(int k) const {
  ui::Control* found = Find("CoolCheckRadioBox" + std::to_string(k));
  return found && found->kind() == ui::Kind::CheckBox ? static_cast<ui::CheckBox*>(found) : nullptr;
}

ui::CheckBox* THistoryCleanerPref::BrowserBox(size_t row) const {
  ui::Control* found = Find("BrowserBox" + std::to_string(row + 1));
  return found && found->kind() == ui::Kind::CheckBox ? static_cast<ui::CheckBox*>(found) : nullptr;
}

void THistoryCleanerPref::FormShow() {
  LoadCleanerSwitches();
  ShowBrowsersFound();
}

void THistoryCleanerPref::ShowBrowsersFound() {
  browsers::AppDataFolders appData;
  app_.platform.shell.SpecialFolder(platform::kCsidlLocalAppData, &appData.local);
  app_.platform.shell.SpecialFolder(platform::kCsidlAppData, &appData.roaming);
  // The boxes of the browsers found move up, one under another.
  int line = 0;
  for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
    ui::CheckBox* box = BrowserBox(row);
    std::string profiles;
    for (const browsers::Profile& p : browsers::FindProfiles(app_.platform.files, browsers::kBrowsers[row], appData)) {
      profiles += (profiles.empty() ? "" : ", ") + p.name;
    }
    box->SetVisible(!profiles.empty());
    if (profiles.empty()) continue;
    box->SetCaption(std::string(browsers::kBrowsers[row].name) + " (" + profiles + ")");
    ui::Rect place = box->bounds();
    place.top = kBrowserRow + line++ * kBrowserStep;
    box->SetBounds(place);
  }
  BrowsersFound->SetCaption(line > 0 ? kBrowsersHeading : kNoBrowserFound);
  app_.settings.Load([this](settings::SettingsKey& key) {
    for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
      BrowserBox(row)->SetChecked(key.BoolOrFallback(settings::BrowserSwitch(browsers::kBrowsers[row].settingName)));
    }
  });
}

void THistoryCleanerPref::LoadCleanerSwitches() {
  // A missing key leaves the boxes as they are; a registry error stops at that box.
  app_.settings.Load([this](SettingsKey& key) {
    for (size_t i = 0; i < cleaner::kCleanerCount; ++i) {
      ui::CheckBox* box = CleanerBox(static_cast<int>(i) + 1);
      if (box) box->SetChecked(key.BoolOrDefault(settings::CleanerSwitch(CleanerValueNames[i])));
    }
    settings::LoadSwitch(key, settings::value::kCleanOnBrowserClose, app_.live.cleanOnBrowserClose, *CleanOnCloseBox);
  });
}

bool THistoryCleanerPref::SaveCleanerSwitch(const std::string& valueName, bool on) {
  return app_.settings.StoreBool(valueName, on);
}

void THistoryCleanerPref::SpeedButton2Click() {
  if (app_.application.Message(ui::MessageKind::Confirmation, kStartCleaningQuestion) != ui::MessageResult::Yes) return;
  // Closed only when the user agrees: a browser kept in the background may
  // be doing something for them.
  std::vector<std::string> background;
  for (size_t row : app_.cleaningRun.BrowsersInBackground()) {
    background.push_back(browsers::NameInBackground(browsers::kBrowsers[row]));
  }
  const bool close =
      !background.empty() && app_.application.Message(ui::MessageKind::Confirmation,
                                                      kBackgroundBrowsersQuestion + services::Listed(background) +
                                                          kCloseFirstQuestion) == ui::MessageResult::Yes;
  app_.cleaningRun.Start(close);
}

void THistoryCleanerPref::SpeedButton3Click() {
  if (OpenCookieManager) OpenCookieManager();
}

void THistoryCleanerPref::CleaningRunEnded(const services::RunEnd& end) {
  if (end.ending == services::RunEnding::Busy) {
    // Not a failure: the other run is cleaning. Said only to someone looking.
    if (visible()) app_.application.Message(ui::MessageKind::Information, end.message);
    return;
  }
  // The window says no more than it always has: a report that could not be
  // kept goes unmentioned.
  ReportOutcome(end.success(), end.message);
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
  if (ShowBalloon) ShowBalloon(text);
}

}  // namespace forms
