// The cookie manager: the current cookies and the safe list.
#include "forms/CookiesManager.h"

namespace forms {

TCookieManager::TCookieManager(app::Corvane& app) : Form(app.ui, "TCookieManager", "Cookies Manager", 508, 301), app_(app) {
  (void)app_;
  app_.ui.Realize(*this);
}

}  // namespace forms
