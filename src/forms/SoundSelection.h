// The notification sound chooser.
#pragma once

#include "app/Corvane.h"
#include "ui/Form.h"

namespace forms {

class TSelectSound : public ui::Form {
 public:
  explicit TSelectSound(app::Corvane& app);

 private:
  app::Corvane& app_;
};

}  // namespace forms
