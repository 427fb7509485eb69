// The Windows hotkey's preferences window.
#include "forms/BossKey.h"

namespace forms {

TBossKeyPref::TBossKeyPref(app::Corvane& app) : Form(app.ui, "TBossKeyPref", "Windows Hotkey Prefrences", 370, 291), app_(app) {
  (void)app_;
  app_.ui.Realize(*this);
}

}  // namespace forms
