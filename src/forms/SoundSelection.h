// The notification sound chooser: a modal list of the sounds.
#pragma once

#include <cstdint>
#include <optional>

#include "services/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

class TSelectSound : public ui::Form {
 public:
  explicit TSelectSound(services::Services& app);

  void FormShow();
  void SpeedButton1Click();

  // The sound taken with "Select" at the last showing; nothing when the
  // chooser was closed otherwise.
  std::optional<int32_t> choice() const { return choice_; }

  ui::Control* Panel1;
  ui::Control* Panel2;
  ui::Control* Image2;
  ui::Control* SpeedButton1;
  ui::ListBox* CoolListBox1;

 private:
  services::Services& app_;
  std::optional<int32_t> choice_;
};

}  // namespace forms
