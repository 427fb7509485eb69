// The Windows hotkey's preferences window.
#pragma once

#include <cstdint>
#include <functional>

#include "services/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

class TBossKeyPref : public ui::Form {
 public:
  explicit TBossKeyPref(services::Services& app);

  void FormShow();
  void CoolCheckRadioBox1Click();
  void CoolCheckRadioBox2Click();
  void CoolCheckRadioBox3Click();
  void CoolCheckRadioBox4Click();
  void CoolCheckRadioBox5Click();
  void CoolCheckRadioBox6Click();

  // Registers the chosen combination while the hotkey is on; set by whoever
  // made the windows.
  std::function<void(int16_t combination)> RegisterHotkey;
  // Registers the stored combination again.
  std::function<void()> RegisterStoredHotkey;

  ui::Control* CoolGroupBox3;
  ui::CheckBox* CoolCheckRadioBox1;  // "Enable Internet Explorer hotkey"
  ui::CheckBox* CoolCheckRadioBox6;  // "Also hide the other browsers' windows"
  ui::Control* CoolGroupBox4;
  ui::CheckBox* CoolCheckRadioBox2;  // "Enable windows volume control"
  ui::Control* CoolGroupBox1;
  ui::CheckBox* CoolCheckRadioBox4;  // "ALT + F1"
  ui::CheckBox* CoolCheckRadioBox3;  // "CTRL + F12"
  ui::Control* CoolGroupBox2;
  ui::CheckBox* CoolCheckRadioBox5;  // "Enable windows hotkey"
  ui::Control* Image1;

 private:
  bool WriteSwitch(ui::CheckBox& box, const settings::Setting& setting, util::Watched<bool>& live);
  void ChooseCombination(int16_t combination);
  void ShowCombination(int16_t combination);

  services::Services& app_;
  // The combination the radio boxes showed as stored (ticked at design time).
  int16_t shownCombination_ = 1;
};

}  // namespace forms
