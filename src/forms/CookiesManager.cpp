// The cookie manager: the current cookies and the safe list.
#include "forms/CookiesManager.h"

#include <algorithm>
#include <set>
#include <vector>

#include "browsers/BrowserTable.h"
#include "cleaner/CleanerSteps.h"
#include "cookies/CookieCache.h"
#include "cookies/KeepList.h"
#include "files/Paths.h"
#include "resources/ResourceNames.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"
#include "util/Text.h"

namespace forms {

using ui::Kind;
using ui::Rect;

namespace {
constexpr int kListTop = 26;
constexpr int kListWidth = 200;
constexpr int kListHeight = 235;
constexpr int kSrcLeft = 43;
constexpr int kButtonsLeft = 255;
constexpr int kDstLeft = 300;
constexpr int kBelowLists = kListTop + kListHeight + 8;
}  // namespace

TCookieManager::TCookieManager(services::Services& app)
    : Form(app.ui, "TCookieManager", "Cookies Manager", 508, 301), app_(app) {
  Add<ui::Control>(Kind::Picture, "Image1", Rect{0, 0, 33, 301})->SetPicture(resources::kCookieStrip);
  Add<ui::Control>(Kind::Label, "Label1", Rect{kSrcLeft, 8, kListWidth, 14}, "Current Cookies List");
  SrcList = Add<ui::ListBox>("SrcList", Rect{kSrcLeft, kListTop, kListWidth, kListHeight}, true);
  SrcList->SetSorted(true);

  auto button = [this](const char* name, int top, const char* caption, void (TCookieManager::*handler)()) {
    ui::Control* b = Add<ui::Control>(Kind::Button, name, Rect{kButtonsLeft, top, 36, 26}, caption);
    b->OnClick = [this, handler] { (this->*handler)(); };
    return b;
  };
  IncludeBtn = button("IncludeBtn", 70, ">", &TCookieManager::IncludeBtnClick);
  IncAllBtn = button("IncAllBtn", 104, ">>", &TCookieManager::IncAllBtnClick);
  ExcludeBtn = button("ExcludeBtn", 138, "<", &TCookieManager::ExcludeBtnClick);
  ExAllBtn = button("ExAllBtn", 172, "<<", &TCookieManager::ExAllBtnClick);
  ExcludeBtn->SetEnabled(false);
  ExAllBtn->SetEnabled(false);

  Add<ui::Control>(Kind::Label, "Label2", Rect{kDstLeft, 8, kListWidth, 14}, "Cookies Safe List");
  DstList = Add<ui::ListBox>("DstList", Rect{kDstLeft, kListTop, kListWidth, kListHeight}, true);

  Add<ui::Control>(Kind::Label, "Label3", Rect{kSrcLeft, kBelowLists, 240, 28},
                   "Select the cookies you wish to save by adding them to your Cookies Safe List");
  SpeedButton2 = Add<ui::Control>(Kind::Button, "SpeedButton2", Rect{kDstLeft + 16, kBelowLists, 88, 26}, "Delete");
  SpeedButton2->OnClick = [this] { SpeedButton2Click(); };
  SpeedButton1 = Add<ui::Control>(Kind::Button, "SpeedButton1", Rect{kDstLeft + 112, kBelowLists, 88, 26}, "Save");
  SpeedButton1->OnClick = [this] { SpeedButton1Click(); };

  OnShow = [this] { FormShow(); };
  OnClose = [this](bool&) { FormClose(); };
  app_.ui.Realize(*this);
}

void TCookieManager::FormShow() {
  LoadSafeList();
  // Sites on the safe list are listed here too: the keep-list plays no part.
  std::vector<std::string> sites;
  cookies::ScanCookieCache(app_.platform.urlCache, cookies::ScanMode::List, {}, &sites);
  // The other browsers' sites too, each once.
  std::set<std::string, util::LessNoCase> listed(sites.begin(), sites.end());
  for (std::string& site : cleaner::BrowserCookieSites(app_.platform)) {
    if (listed.insert(site).second) sites.push_back(std::move(site));
  }
  SrcList->Clear();
  SrcList->AddLines(std::move(sites));
  UpdateTransferButtons();
}

void TCookieManager::LoadSafeList() {
  std::string path = cookies::KeepListPath(app_.platform);
  std::vector<std::string> lines;
  try {
    lines = cookies::ReadKeepList(app_.platform);  // also makes the "Settings" folder
  } catch (const cookies::KeepListError& e) {
    unreadProblem_ = e.what();
    ShowKeepListProblem(unreadProblem_, kSafeListKeptNote);
    return;
  }
  unreadProblem_.clear();
  // A missing file, or lines a failed write could not store, leave the list as it is.
  if (!app_.platform.files.IsFile(path) || unsaved_) return;
  DstList->Clear();
  DstList->SetSorted(true);
  DstList->AddLines(std::move(lines));
}

bool TCookieManager::SaveSafeList(const std::string& consequence) {
  if (!unreadProblem_.empty()) {
    ShowKeepListProblem(unreadProblem_, consequence);
    return false;
  }
  std::string whyNot;
  unsaved_ = !cookies::WriteKeepList(app_.platform, DstList->items(), &whyNot);
  if (unsaved_) ShowKeepListProblem(whyNot, consequence);
  return !unsaved_;
}

void TCookieManager::ShowKeepListProblem(const std::string& problem, const std::string& consequence) {
  app_.application.Message(ui::MessageKind::Error, problem + " " + consequence);
}

// Closing does not wait for a save that failed: the window is modal, and a
// lasting failure (a folder that cannot be made) would hold the whole program
// in it. The lines stay in the safe list, which the next showing keeps and
// closing tries to save again.
bool TCookieManager::FormClose() {
  if (!visible() && !unsaved_) return true;
  return SaveSafeList(kSafeListNotSavedNote);
}

void TCookieManager::SpeedButton1Click() { SaveSafeList(kSafeListNotSavedNote); }

// Spares the sites the safe list shows: they are saved first, so that the
// cookie cleaner's runs spare the same ones. Without a saved list nothing goes.
void TCookieManager::SpeedButton2Click() {
  if (!SaveSafeList(std::string(kSafeListNotSavedNote) + " " + kNoCookiesDeletedNote)) return;
  cookies::ScanCookieCache(app_.platform.urlCache, cookies::ScanMode::Delete, DstList->items(), nullptr);
  // The other browsers' cookies go by the cookie step of a cleaning, which
  // reads the list just saved and leaves a running browser and a browser
  // switched off alone.
  cleaner::CleanerSteps steps(app_.platform);
  app_.settings.Load([&steps](settings::SettingsKey& key) {
    for (size_t row = 0; row < browsers::kBrowserCount; ++row) {
      steps.browserSelection[row] = key.BoolOrFallback(settings::BrowserSwitch(browsers::kBrowsers[row].settingName));
    }
  });
  try {
    steps.BrowsersCookiesCleaner();
  } catch (const cookies::KeepListError& e) {
    ShowKeepListProblem(e.what(), "No cookies of the other browsers were deleted.");
    return;
  }
  std::string running;
  for (size_t row : steps.browsersOutcome().running) {
    running += std::string(running.empty() ? "" : ", ") + browsers::kBrowsers[row].name;
  }
  if (!running.empty()) {
    app_.application.Message(ui::MessageKind::Information,
                             std::string(kBrowsersRunningNote) + running + ". Close them and delete again.");
  }
}

void TCookieManager::IncludeBtnClick() { MoveSelected(*SrcList, *DstList); }

void TCookieManager::ExcludeBtnClick() { MoveSelected(*DstList, *SrcList); }

void TCookieManager::IncAllBtnClick() { MoveAll(*SrcList, *DstList); }

void TCookieManager::ExAllBtnClick() { MoveAll(*DstList, *SrcList); }

void TCookieManager::MoveSelected(ui::ListBox& from, ui::ListBox& to) {
  int focused = from.itemIndex();
  if (focused >= 0) {
    for (const std::string& line : to.items()) {
      if (line == from.items()[static_cast<size_t>(focused)]) return;
    }
  }
  int first = FirstSelectedIndex(from);
  if (&to == DstList) HoldBackUnkeepable(false);
  TransferSelected(from, to);
  SelectAfterTransfer(from, first);
}

void TCookieManager::MoveAll(ui::ListBox& from, ui::ListBox& to) {
  std::vector<std::string> staying = &to == DstList ? HoldBackUnkeepable(true) : std::vector<std::string>{};
  std::vector<std::string> moving;
  for (const std::string& line : from.items()) {
    if (staying.empty() || cookies::CanKeep(app_.platform, line)) moving.push_back(line);
  }
  to.AddLines(std::move(moving));
  from.Clear();
  from.AddLines(std::move(staying));
  SelectAfterTransfer(from, 0);
}

std::vector<std::string> TCookieManager::HoldBackUnkeepable(bool every) {
  std::vector<std::string> held;
  std::string names;
  for (int i = 0; i < SrcList->count(); ++i) {
    const std::string& site = SrcList->items()[static_cast<size_t>(i)];
    if ((!every && !SrcList->selected(i)) || cookies::CanKeep(app_.platform, site)) continue;
    SrcList->SetSelected(i, false);
    // A site of several cookies is listed as often, and named once.
    if (std::find(held.begin(), held.end(), site) == held.end()) names += (names.empty() ? "" : ", ") + site;
    held.push_back(site);
  }
  if (!held.empty()) app_.application.Message(ui::MessageKind::Information, kSitesNotKeptNote + names + ".");
  return held;
}

void TCookieManager::TransferSelected(ui::ListBox& source, ui::ListBox& target) {
  std::vector<std::string> moving;
  for (int i = source.count() - 1; i >= 0; --i) {
    if (source.selected(i)) moving.push_back(source.items()[static_cast<size_t>(i)]);
  }
  target.AddLines(std::move(moving));
  source.DeleteSelected();
}

int TCookieManager::FirstSelectedIndex(const ui::ListBox& list) {
  for (int i = 0; i < list.count(); ++i) {
    if (list.selected(i)) return i;
  }
  return -1;
}

void TCookieManager::SelectAfterTransfer(ui::ListBox& list, int index) {
  list.SetFocus();
  if (index == -1) index = 0;
  if (index > list.count() - 1) index = list.count() - 1;
  if (index >= 0) {
    list.SetSelected(index, true);
    list.SetItemIndex(index);
  }
  UpdateTransferButtons();
}

void TCookieManager::UpdateTransferButtons() {
  IncludeBtn->SetEnabled(SrcList->count() > 0);
  IncAllBtn->SetEnabled(SrcList->count() > 0);
  ExcludeBtn->SetEnabled(DstList->count() > 0);
  ExAllBtn->SetEnabled(DstList->count() > 0);
}

}  // namespace forms
