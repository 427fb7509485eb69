// The pop-up blocker's preferences window.
#include "forms/PopUpBlocker.h"

#include <optional>
#include <string>

#include "resources/ResourceNames.h"
#include "services/NotificationSounds.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"

namespace forms {

using settings::SettingsKey;
using ui::Rect;
namespace value = settings::value;

namespace {
// What the count shows when there is no count to show.
constexpr const char* kNoCount = "0000000000";
constexpr const char* kSoundFileMissing = "Sound file missing";

// The label text for a stored sound index: "SoundNotification" and the index plus one.
std::string SoundLabelFor(int32_t soundIndex) {
  // Widened first: the stored number is anyone's, and its largest value plus one must not overflow.
  return "SoundNotification" + std::to_string(static_cast<int64_t>(soundIndex) + 1);
}
}  // namespace

TPopUpBlockerPref::TPopUpBlockerPref(services::Services& app)
    : Form(app.ui, "TPopUpBlockerPref", "Popup Blocker Preferences", 462, 250), app_(app) {
  BuildControls();
  OnShow = [this] { FormShow(); };
  settings::LiveSettings& live = app_.live;
  settings::ShowIn(live.popupBlocking, *CoolCheckRadioBox1);
  settings::ShowIn(live.soundNotification, *CoolCheckRadioBox3);
  settings::ShowIn(live.animTrayIcon, *CoolCheckRadioBox4);
  app_.ui.Realize(*this);
}

void TPopUpBlockerPref::BuildControls() {
  // Made in the order of the keyboard's tab stops, top to bottom.
  Panel1 = Add<ui::Control>(ui::Kind::Panel, "Panel1", Rect{0, 0, 462, 250});
  Panel1->SetColor(ui::kCorvaneColor);
  Image1 = Panel1->Add<ui::Control>(ui::Kind::Picture, "Image1", Rect{0, 0, 48, 250});
  Image1->SetPicture(resources::kPopupStrip);

  CoolGroupBox3 =
      Panel1->Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox3", Rect{56, 8, 400, 48}, "Popup Blocking Status");
  CoolCheckRadioBox1 =
      CoolGroupBox3->Add<ui::CheckBox>("CoolCheckRadioBox1", Rect{12, 20, 370, 20}, "Enable popup blocking");
  CoolCheckRadioBox1->OnClick = [this] { CoolCheckRadioBox1Click(); };

  CoolGroupBox1 =
      Panel1->Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox1", Rect{56, 62, 400, 86}, "Audio Notification");
  CoolCheckRadioBox3 = CoolGroupBox1->Add<ui::CheckBox>("CoolCheckRadioBox3", Rect{12, 22, 370, 20},
                                                        "Play a sound when a popup window is blocked");
  CoolCheckRadioBox3->OnClick = [this] { CoolCheckRadioBox3Click(); };
  Label1 = CoolGroupBox1->Add<ui::Control>(ui::Kind::Label, "Label1", Rect{12, 56, 86, 13}, "Sound To Play");
  CoolLabel1 = CoolGroupBox1->Add<ui::Control>(ui::Kind::Label, "CoolLabel1", Rect{100, 56, 243, 15});
  CoolLabel1->SetFontBold(true);
  SpeedButton1 = CoolGroupBox1->Add<ui::Control>(ui::Kind::Button, "SpeedButton1", Rect{348, 52, 22, 22}, "...");
  SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
  SpeedButton2 = CoolGroupBox1->Add<ui::Control>(ui::Kind::Button, "SpeedButton2", Rect{372, 52, 22, 22});
  SpeedButton2->SetPicture(resources::kPlayGlyph);
  SpeedButton2->OnClick = [this] { SpeedButton2Click(); };

  CoolGroupBox2 =
      Panel1->Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox2", Rect{56, 156, 400, 48}, "Visual Notification");
  CoolCheckRadioBox4 = CoolGroupBox2->Add<ui::CheckBox>("CoolCheckRadioBox4", Rect{12, 20, 370, 20},
                                                        "Animate system tray icon when a popup window is blocked");
  CoolCheckRadioBox4->OnClick = [this] { CoolCheckRadioBox4Click(); };

  Label2 =
      Panel1->Add<ui::Control>(ui::Kind::Label, "Label2", Rect{68, 220, 240, 13}, "Number of eliminated popup windows");
  Label3 = Panel1->Add<ui::Control>(ui::Kind::Label, "Label3", Rect{310, 220, 120, 13}, kNoCount);
  Label3->SetFontBold(true);
}

void TPopUpBlockerPref::FormShow() {
  LoadBoxes();
  ShowCount();
  TellWhoRegistersTheModule();
}

// Said once, after a start whose registration of the module was refused.
void TPopUpBlockerPref::TellWhoRegistersTheModule() {
  bool denied = false;
  app_.settings.Change([&denied](SettingsKey& key) {
    denied = key.BoolOrFallback(value::kBlockerRegistrationDenied);
    if (denied) key.WriteBool(value::kBlockerRegistrationDenied, false);
  });
  if (denied) app_.application.Message(ui::MessageKind::Information, kModuleNotRegisteredMessage);
}

void TPopUpBlockerPref::LoadBoxes() {
  bool opened = app_.settings
                    .Load([this](SettingsKey& key) {
                      settings::LiveSettings& live = app_.live;
                      settings::LoadSwitch(key, value::kPopupBlocking, live.popupBlocking, *CoolCheckRadioBox1);
                      settings::LoadSwitch(key, value::kSoundNotification, live.soundNotification, *CoolCheckRadioBox3);
                      chosen_.reset();
                      live.soundIndex.Set(key.IntegerOrDefault(value::kSoundIndex));
                      CoolLabel1->SetCaption(SoundLabelFor(live.soundIndex.value()));
                      settings::LoadSwitch(key, value::kAnimTrayIcon, live.animTrayIcon, *CoolCheckRadioBox4);
                    })
                    .opened;
  if (!opened) app_.settings.ShowApplySettingsError();
}

void TPopUpBlockerPref::ShowCount() {
  std::string count = kNoCount;
  bool keep = false;
  app_.settings.Read([&](SettingsKey& key) {
    std::optional<bool> firstStart = key.BoolIfPresent(value::kBlockerFirstStart);
    if (!firstStart) return;
    if (*firstStart) {
      // The module has not been registered yet: the count keeps its text.
      keep = true;
    } else if (std::optional<int32_t> eliminated = key.IntegerIfPresent(value::kEliminatedPopups)) {
      count = std::to_string(*eliminated);
    }
  });
  if (!keep) Label3->SetCaption(count);
}

// The announcement and the tray's mark follow the live switch at once; a
// click that cannot be stored puts the box back.
void TPopUpBlockerPref::StoreNotificationBox(ui::CheckBox& box, util::Watched<bool>& live,
                                             const settings::Setting& setting) {
  const bool on = box.checked();
  if (!settings::StoreSwitch(app_.settings, setting, live, on)) box.SetChecked(!on);
}

void TPopUpBlockerPref::CoolCheckRadioBox1Click() {
  StoreNotificationBox(*CoolCheckRadioBox1, app_.live.popupBlocking, value::kPopupBlocking);
}

void TPopUpBlockerPref::CoolCheckRadioBox3Click() {
  StoreNotificationBox(*CoolCheckRadioBox3, app_.live.soundNotification, value::kSoundNotification);
}

void TPopUpBlockerPref::CoolCheckRadioBox4Click() {
  StoreNotificationBox(*CoolCheckRadioBox4, app_.live.animTrayIcon, value::kAnimTrayIcon);
}

void TPopUpBlockerPref::SpeedButton1Click() {
  if (!ChooseSound) return;
  // The sound chosen here is shown and tried here until the next showing,
  // even when it could not be stored.
  if (std::optional<int32_t> chosen = ChooseSound()) {
    chosen_ = chosen;
    CoolLabel1->SetCaption(services::kNotificationSounds[static_cast<size_t>(*chosen)].name);
  }
}

void TPopUpBlockerPref::SpeedButton2Click() {
  if (CoolLabel1->caption().empty()) return;
  // An index outside the two-entry table names no file, and so is missing too.
  if (!services::PlayNotificationSound(app_.platform, SoundTried())) {
    app_.application.Message(ui::MessageKind::Error, kSoundFileMissing);
  }
}

}  // namespace forms
