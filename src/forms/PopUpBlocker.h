// The pop-up blocker's preferences window: blocking on and off, how a blocked
// pop-up window is announced, the sound and its test, and the module's count.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "services/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

constexpr const char* kModuleNotRegisteredMessage =
    "The pop-up blocker is not registered with Windows, and only an administrator may register it. Run Corvane's "
    "setup as an administrator: it registers the pop-up blocker.";

class TPopUpBlockerPref : public ui::Form {
 public:
  explicit TPopUpBlockerPref(services::Services& app);

  void FormShow();
  void CoolCheckRadioBox1Click();
  void CoolCheckRadioBox3Click();
  void CoolCheckRadioBox4Click();
  void SpeedButton1Click();
  void SpeedButton2Click();
  // Label3: the count of eliminated pop-up windows as stored.
  void ShowCount();

  ui::Control* Panel1;
  ui::Control* CoolGroupBox2;
  ui::CheckBox* CoolCheckRadioBox4;
  ui::Control* CoolGroupBox1;
  ui::Control* SpeedButton1;
  ui::Control* SpeedButton2;
  ui::Control* Label1;
  ui::Control* CoolLabel1;
  ui::CheckBox* CoolCheckRadioBox3;
  ui::Control* CoolGroupBox3;
  ui::CheckBox* CoolCheckRadioBox1;
  // Shows the sound chooser and gives back the sound taken, if any; set by
  // whoever made the windows.
  std::function<std::optional<int32_t>()> ChooseSound;

  ui::Control* Label2;
  ui::Control* Label3;
  ui::Control* Image1;

 private:
  void BuildControls();
  void LoadBoxes();
  void TellWhoRegistersTheModule();
  // The sound tried here: the one chosen since the window was shown, stored
  // or not, else the stored one.
  int32_t SoundTried() const { return chosen_.value_or(app_.live.soundIndex.value()); }
  void StoreNotificationBox(ui::CheckBox& box, util::Watched<bool>& live, const settings::Setting& setting);

  services::Services& app_;
  std::optional<int32_t> chosen_;
};

}  // namespace forms
