// The pop-up blocker's preferences window.
#pragma once

#include "app/Corvane.h"
#include "ui/Form.h"

namespace forms {

class TPopUpBlockerPref : public ui::Form {
 public:
  explicit TPopUpBlockerPref(app::Corvane& app);

 private:
  app::Corvane& app_;
};

}  // namespace forms
