// The pop-up blocker's preferences window.
#include "forms/PopUpBlocker.h"

namespace forms {

TPopUpBlockerPref::TPopUpBlockerPref(app::Corvane& app) : Form(app.ui, "TPopUpBlockerPref", "Popup Blocker Preferences", 462, 250), app_(app) {
  (void)app_;
  app_.ui.Realize(*this);
}

}  // namespace forms
