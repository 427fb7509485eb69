// The Windows hotkey's preferences window.
#pragma once

#include "app/Corvane.h"
#include "ui/Form.h"

namespace forms {

class TBossKeyPref : public ui::Form {
 public:
  explicit TBossKeyPref(app::Corvane& app);

 private:
  app::Corvane& app_;
};

}  // namespace forms
