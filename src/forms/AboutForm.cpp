// The about box.
#include "forms/AboutForm.h"

namespace forms {

TAboutBox::TAboutBox(app::Corvane& app) : Form(app.ui, "TAboutBox", "About Us", 419, 217), app_(app) {
  (void)app_;
  app_.ui.Realize(*this);
}

}  // namespace forms
