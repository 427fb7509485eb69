// The Windows hotkey's preferences window: every click is stored at once and
// reaches the main window's hotkey switches without a restart.
#include "forms/BossKey.h"

#include "app/CorvaneMain.h"
#include "app/RegistryAccessor.h"
#include "app/Settings.h"
#include "resources/ResourceNames.h"

namespace forms {

using app::RegistryAccessor;
using app::WithSettingsKey;
using ui::Rect;
namespace value = app::value;

namespace {
// Loads a check box from its value, writing false when the value is missing.
void LoadSwitch(RegistryAccessor& reg, const char* valueName, ui::CheckBox& box) {
  if (reg.ValueExists(valueName)) {
    box.SetChecked(reg.ReadBool(valueName));
  } else {
    reg.WriteBool(valueName, false);
    box.SetChecked(false);
  }
}
}  // namespace

// "Prefrences" is deliberate: the caption as users have always seen it. Do not correct it.
TBossKeyPref::TBossKeyPref(app::Corvane& app)
    : Form(app.ui, "TBossKeyPref", "Windows Hotkey Prefrences", 370, 291), app_(app) {
  // Four group boxes one under the other, right of the picture strip.
  CoolGroupBox3 = Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox3", Rect{56, 77, 305, 60},
                                   "Internet Explorer Hotkey Status");
  CoolCheckRadioBox1 = CoolGroupBox3->Add<ui::CheckBox>("CoolCheckRadioBox1", Rect{14, 24, 280, 24},
                                                        "Enable Internet Explorer hotkey");
  CoolGroupBox4 =
      Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox4", Rect{56, 146, 305, 60}, "Windows Volume Control");
  CoolCheckRadioBox2 = CoolGroupBox4->Add<ui::CheckBox>("CoolCheckRadioBox2", Rect{14, 24, 280, 24},
                                                        "Enable windows volume control");
  CoolGroupBox1 = Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox1", Rect{56, 215, 305, 60}, "Windows Hotkey");
  CoolCheckRadioBox4 =
      CoolGroupBox1->Add<ui::CheckBox>("CoolCheckRadioBox4", Rect{160, 24, 130, 24}, "ALT + F1", true);
  CoolCheckRadioBox3 =
      CoolGroupBox1->Add<ui::CheckBox>("CoolCheckRadioBox3", Rect{14, 24, 130, 24}, "CTRL + F12", true);
  CoolCheckRadioBox3->SetChecked(true);
  CoolGroupBox2 =
      Add<ui::Control>(ui::Kind::GroupBox, "CoolGroupBox2", Rect{56, 8, 305, 60}, "Windows Hotkey Status");
  CoolCheckRadioBox5 =
      CoolGroupBox2->Add<ui::CheckBox>("CoolCheckRadioBox5", Rect{14, 24, 280, 24}, "Enable windows hotkey");
  Image1 = Add<ui::Control>(ui::Kind::Picture, "Image1", Rect{0, 0, 47, 291});
  Image1->SetPicture(resources::kBossKeyStrip);

  CoolCheckRadioBox1->OnClick = [this] { CoolCheckRadioBox1Click(); };
  CoolCheckRadioBox2->OnClick = [this] { CoolCheckRadioBox2Click(); };
  CoolCheckRadioBox3->OnClick = [this] { CoolCheckRadioBox3Click(); };
  CoolCheckRadioBox4->OnClick = [this] { CoolCheckRadioBox4Click(); };
  CoolCheckRadioBox5->OnClick = [this] { CoolCheckRadioBox5Click(); };
  OnShow = [this] { FormShow(); };
  app_.ui.Realize(*this);
}

void TBossKeyPref::FormShow() {
  // A key that cannot be opened leaves the boxes as they are, silently.
  WithSettingsKey(app_.platform.registry, true, [this](RegistryAccessor& reg) {
    LoadSwitch(reg, value::kWindowsHotKey, *CoolCheckRadioBox5);
    LoadSwitch(reg, value::kIEWHotKey, *CoolCheckRadioBox1);
    LoadSwitch(reg, value::kWinVolControl, *CoolCheckRadioBox2);
    if (!reg.ValueExists(value::kHotkeyCombination)) {
      reg.WriteInteger(value::kHotkeyCombination, 1);
      ShowCombination(1);
      return;
    }
    // A number that names no combination leaves both radio boxes as they are.
    int32_t combination = reg.ReadInteger(value::kHotkeyCombination);
    if (combination == 0 || combination == 1) ShowCombination(static_cast<int16_t>(combination));
  });
}

void TBossKeyPref::ShowCombination(int16_t combination) {
  CoolCheckRadioBox4->SetChecked(combination == 0);
  CoolCheckRadioBox3->SetChecked(combination == 1);
  shownCombination_ = combination;
}

// A click that cannot be stored puts its box back: the boxes show what is stored.
void TBossKeyPref::CoolCheckRadioBox5Click() {
  const bool on = CoolCheckRadioBox5->checked();
  bool opened = WithSettingsKey(app_.platform.registry, true,
                                [this, on](RegistryAccessor& reg) { app_.CorvaneMain->EnableBossKey(reg, on); });
  if (opened) return;
  CoolCheckRadioBox5->SetChecked(!on);
  ShowApplySettingsError();
}

void TBossKeyPref::CoolCheckRadioBox1Click() {
  const bool on = CoolCheckRadioBox1->checked();
  if (!WriteSwitch(*CoolCheckRadioBox1, value::kIEWHotKey, app_.CorvaneMain->hideIEWindows)) return;
  // Off, the hotkey no longer shows the windows it hid: they come back now.
  if (!on) app_.CorvaneMain->ShowHiddenBrowserWindows();
}

void TBossKeyPref::CoolCheckRadioBox2Click() {
  WriteSwitch(*CoolCheckRadioBox2, value::kWinVolControl, app_.CorvaneMain->toggleMute);
}

void TBossKeyPref::CoolCheckRadioBox3Click() { ChooseCombination(1); }

void TBossKeyPref::CoolCheckRadioBox4Click() { ChooseCombination(0); }

// Stores a switch from its box and updates the main window's copy, which the
// hotkey handler reads, once the value is written.
bool TBossKeyPref::WriteSwitch(ui::CheckBox& box, const char* valueName, bool& copy) {
  const bool on = box.checked();
  if (!app::StoreInSettingsKey(app_.platform.registry, [&](RegistryAccessor& reg) { reg.WriteBool(valueName, on); })) {
    box.SetChecked(!on);
    ShowApplySettingsError();
    return false;
  }
  copy = on;
  return true;
}

// A combination is held with the system only while the hotkey is enabled, so
// that other programs keep the keys while it is off; and only once stored, so
// that the one in force is the one shown.
void TBossKeyPref::ChooseCombination(int16_t combination) {
  if (!app::StoreInSettingsKey(app_.platform.registry, [combination](RegistryAccessor& reg) {
        reg.WriteInteger(value::kHotkeyCombination, combination);
      })) {
    ShowCombination(shownCombination_);
    ShowApplySettingsError();
    return;
  }
  shownCombination_ = combination;
  if (app_.CorvaneMain->hotkeyEnabled) app_.CorvaneMain->RegisterBossKey(combination);
}

void TBossKeyPref::ShowApplySettingsError() {
  app_.application.Message(ui::MessageKind::Error, app::kApplySettingsError);
}

}  // namespace forms
