// The splash window shown while the program starts.
#pragma once

#include "ui/Form.h"
#include "ui/Ui.h"

namespace forms {

class TSplashScreen : public ui::Form {
 public:
  explicit TSplashScreen(ui::Ui& ui);
  ui::Control* Image1;
};

}  // namespace forms
