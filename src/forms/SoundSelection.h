// The notification sound chooser: a modal list of the two sounds.
#pragma once

#include "app/Corvane.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

class TSelectSound : public ui::Form {
 public:
  explicit TSelectSound(app::Corvane& app);

  void FormShow();
  void SpeedButton1Click();

  ui::Control* Panel1;
  ui::Control* Panel2;
  ui::Control* Image2;
  ui::Control* SpeedButton1;
  ui::ListBox* CoolListBox1;

 private:
  app::Corvane& app_;
};

}  // namespace forms
