// The about box.
#pragma once

#include "app/Corvane.h"
#include "ui/Form.h"

namespace forms {

class TAboutBox : public ui::Form {
 public:
  explicit TAboutBox(app::Corvane& app);

 private:
  app::Corvane& app_;
};

}  // namespace forms
