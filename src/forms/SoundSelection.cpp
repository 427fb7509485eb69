// The notification sound chooser.
#include "forms/SoundSelection.h"

namespace forms {

TSelectSound::TSelectSound(app::Corvane& app) : Form(app.ui, "TSelectSound", "Select Sound", 239, 110), app_(app) {
  (void)app_;
  app_.ui.Realize(*this);
}

}  // namespace forms
