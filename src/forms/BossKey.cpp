// The Windows hotkey's preferences window: every click is stored at once and
// reaches the live hotkey switches, which the press follows without a restart.
#include "forms/BossKey.h"

#include "resources/ResourceNames.h"
#include "services/WindowsHotkey.h"
#include "settings/Settings.h"
#include "settings/SettingsAccessor.h"

namespace forms {

using settings::SettingsKey;
using ui::Rect;
namespace value = settings::value;

// "Prefrences" is deliberate: the caption as users have always seen it. Do not correct it.
TBossKeyPref::TBossKeyPref(services::Services& app)
    : Form(app.ui, "TBossKeyPref", "Windows Hotkey Prefrences", 370, 319), app_(app) {
  // Four group boxes one under the other, right of the picture strip, made
  // in the order the keyboard goes through them: top to bottom, left to right.
  CoolGroupBox2 = Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox2", Rect{56, 8, 305, 60}, "Windows Hotkey Status");
  CoolCheckRadioBox5 =
      CoolGroupBox2->Add<ui::CheckBox>("CoolCheckRadioBox5", Rect{14, 24, 280, 24}, "Enable windows hotkey");
  CoolGroupBox3 =
      Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox3", Rect{56, 77, 305, 88}, "Internet Explorer Hotkey Status");
  CoolCheckRadioBox1 =
      CoolGroupBox3->Add<ui::CheckBox>("CoolCheckRadioBox1", Rect{14, 24, 280, 24}, "Enable Internet Explorer hotkey");
  CoolCheckRadioBox6 = CoolGroupBox3->Add<ui::CheckBox>("CoolCheckRadioBox6", Rect{14, 52, 280, 24},
                                                        "Also hide the other browsers' windows");
  CoolGroupBox4 =
      Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox4", Rect{56, 174, 305, 60}, "Windows Volume Control");
  CoolCheckRadioBox2 =
      CoolGroupBox4->Add<ui::CheckBox>("CoolCheckRadioBox2", Rect{14, 24, 280, 24}, "Enable windows volume control");
  CoolGroupBox1 = Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox1", Rect{56, 243, 305, 60}, "Windows Hotkey");
  CoolCheckRadioBox3 = CoolGroupBox1->Add<ui::CheckBox>("CoolCheckRadioBox3", Rect{14, 24, 130, 24},
                                                        services::kCombinationCaptions[1], true);
  CoolCheckRadioBox3->SetChecked(true);
  CoolCheckRadioBox4 = CoolGroupBox1->Add<ui::CheckBox>("CoolCheckRadioBox4", Rect{160, 24, 130, 24},
                                                        services::kCombinationCaptions[0], true);
  Image1 = Add<ui::Control>(ui::Kind::Picture, "Image1", Rect{0, 0, 47, 319});
  Image1->SetPicture(resources::kBossKeyStrip);

  CoolCheckRadioBox1->OnClick = [this] { CoolCheckRadioBox1Click(); };
  CoolCheckRadioBox2->OnClick = [this] { CoolCheckRadioBox2Click(); };
  CoolCheckRadioBox3->OnClick = [this] { CoolCheckRadioBox3Click(); };
  CoolCheckRadioBox4->OnClick = [this] { CoolCheckRadioBox4Click(); };
  CoolCheckRadioBox5->OnClick = [this] { CoolCheckRadioBox5Click(); };
  CoolCheckRadioBox6->OnClick = [this] { CoolCheckRadioBox6Click(); };
  OnShow = [this] { FormShow(); };
  settings::LiveSettings& live = app_.live;
  // On only while the system holds the combination: another program may have it.
  settings::ShowIn(live.hotkeyInForce, *CoolCheckRadioBox5);
  settings::ShowIn(live.hideIEWindows, *CoolCheckRadioBox1);
  settings::ShowIn(live.toggleMute, *CoolCheckRadioBox2);
  settings::ShowIn(live.hideAllBrowsers, *CoolCheckRadioBox6);
  app_.ui.Realize(*this);
}

void TBossKeyPref::FormShow() {
  // A key that cannot be opened leaves the boxes as they are, silently.
  app_.settings.Change([this](SettingsKey& key) {
    settings::LiveSettings& live = app_.live;
    settings::LoadSwitch(key, value::kWindowsHotKey, live.hotkeyEnabled, *CoolCheckRadioBox5);
    CoolCheckRadioBox5->SetChecked(live.hotkeyInForce.value());
    settings::LoadSwitch(key, value::kIEWHotKey, live.hideIEWindows, *CoolCheckRadioBox1);
    settings::LoadSwitch(key, value::kWinVolControl, live.toggleMute, *CoolCheckRadioBox2);
    // A number that names no combination leaves both radio boxes as they are.
    int32_t combination = key.IntegerOrDefault(value::kHotkeyCombination);
    if (combination == 0 || combination == 1) ShowCombination(static_cast<int16_t>(combination));
    // The later switch last: stored with the wrong type, it ends the loading
    // after every earlier box is done.
    settings::LoadSwitch(key, value::kHotkeyAllBrowsers, live.hideAllBrowsers, *CoolCheckRadioBox6);
  });
}

void TBossKeyPref::ShowCombination(int16_t combination) {
  CoolCheckRadioBox4->SetChecked(combination == 0);
  CoolCheckRadioBox3->SetChecked(combination == 1);
  shownCombination_ = combination;
}

// The tray's mark and the registration follow the live switch. Ticked while
// the switch is on, the box showed a combination the system refused: it is
// tried again. The box shows what is in force afterwards.
void TBossKeyPref::CoolCheckRadioBox5Click() {
  const bool retry = CoolCheckRadioBox5->checked() && app_.live.hotkeyEnabled.value();
  if (WriteSwitch(*CoolCheckRadioBox5, value::kWindowsHotKey, app_.live.hotkeyEnabled) && retry &&
      RegisterStoredHotkey) {
    RegisterStoredHotkey();
  }
  CoolCheckRadioBox5->SetChecked(app_.live.hotkeyInForce.value());
}

void TBossKeyPref::CoolCheckRadioBox1Click() {
  WriteSwitch(*CoolCheckRadioBox1, value::kIEWHotKey, app_.live.hideIEWindows);
}

void TBossKeyPref::CoolCheckRadioBox2Click() {
  WriteSwitch(*CoolCheckRadioBox2, value::kWinVolControl, app_.live.toggleMute);
}

void TBossKeyPref::CoolCheckRadioBox6Click() {
  WriteSwitch(*CoolCheckRadioBox6, value::kHotkeyAllBrowsers, app_.live.hideAllBrowsers);
}

void TBossKeyPref::CoolCheckRadioBox3Click() { ChooseCombination(1); }

void TBossKeyPref::CoolCheckRadioBox4Click() { ChooseCombination(0); }

// A click that cannot be stored puts its box back: the boxes show what is stored.
bool TBossKeyPref::WriteSwitch(ui::CheckBox& box, const settings::Setting& setting, util::Watched<bool>& live) {
  const bool on = box.checked();
  if (settings::StoreSwitch(app_.settings, setting, live, on)) return true;
  box.SetChecked(!on);
  return false;
}

// A combination is held with the system only while the hotkey is enabled, so
// that other programs keep the keys while it is off; and only once stored, so
// that the one in force is the one shown.
void TBossKeyPref::ChooseCombination(int16_t combination) {
  if (!app_.settings.StoreInteger(value::kHotkeyCombination, combination)) {
    ShowCombination(shownCombination_);
    return;
  }
  shownCombination_ = combination;
  if (app_.live.hotkeyEnabled.value() && RegisterHotkey) RegisterHotkey(combination);
}

}  // namespace forms
